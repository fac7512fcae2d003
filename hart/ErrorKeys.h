#pragma once
// Every key the HART link can raise or put in a reply's ResponseMessage. The
// language file must hold a text for each of them.

#include <cstddef>

namespace HartKey {
inline constexpr const char* RxOver = "1.RXOVER";
inline constexpr const char* Overrun = "2.OVERRUN";
inline constexpr const char* RxParity = "3.RXPARITY";
inline constexpr const char* Frame = "4.FRAME";
inline constexpr const char* Break = "5.BREAK";
inline constexpr const char* Busy = "22.BUSY";
inline constexpr const char* BuffOverflow = "128.BUFFOVERFLOW";
inline constexpr const char* LongParity = "129.LONGPARITY";
inline constexpr const char* Framing = "130.FRAMING";
inline constexpr const char* SummaryOverrun = "131.OVERRUN";
inline constexpr const char* VertParity = "132.VERTPARITY";
inline constexpr const char* PortAlreadyUsed = "133.PORTALREADYUSED";
inline constexpr const char* InvalidPort = "134.INVALIDPORT";
inline constexpr const char* CommError = "135.COMMERROR";  // port error flags
inline constexpr const char* CommErr = "135.COMMERR";  // device's error summary
inline constexpr const char* CommandNotImplemented = "137.COMMANDNOTIMPLEMENTED";
inline constexpr const char* DeviceNotImplemented = "139.DEVICENOTIMPLEMENTED";
inline constexpr const char* CrcChecking = "140.CRCCHECKING";
inline constexpr const char* TransmitterTimeout = "141.TRANSMITTERTIMEOUT";
inline constexpr const char* LongAddress = "142.LONGADDRESS";
// A transaction was started while no port is open.
inline constexpr const char* PortNotOpen = "143.PORTNOTOPEN";
// The request frame would not fit the 255-byte frame limit.
inline constexpr const char* RequestTooLong = "144.REQUESTTOOLONG";
// The operator cancelled while the link waited for a busy or delayed device.
inline constexpr const char* Cancelled = "145.CANCELLED";
// A delayed response did not end within its time bound.
inline constexpr const char* DelayedTimeout = "25.DELAYEDTIMEOUT";
inline constexpr const char* SetupComm = "256.SETUPCOMM";
inline constexpr const char* SetCommMask = "257.SETCOMMMASK";
inline constexpr const char* SetCommTimeout = "258.SETCOMMTIMEOUT";
inline constexpr const char* SetCommState = "259.SETCOMMSTATE";
inline constexpr const char* EscCommFunction = "260.ESCCOMMFUNCTION";
inline constexpr const char* FileCreate = "300.FILECREATE";
inline constexpr const char* FileRead = "301.FILEREAD";
inline constexpr const char* FileWrite = "302.FILEWRITE";
// HART-IP: the host name does not resolve.
inline constexpr const char* NetHostUnknown = "400.NETHOSTUNKNOWN";
// HART-IP: the host refused the connection or cannot be reached.
inline constexpr const char* NetRefused = "401.NETREFUSED";
// HART-IP: the server would not open a session.
inline constexpr const char* NetSessionRefused = "402.NETSESSIONREFUSED";
// HART-IP: the connection broke or the server closed it.
inline constexpr const char* NetClosed = "403.NETCLOSED";
// HART-IP: no reply from the server in time.
inline constexpr const char* NetTimeout = "404.NETTIMEOUT";
// HART-IP: the server answered with an error or a NAK message.
inline constexpr const char* NetErrorReply = "405.NETERRORREPLY";
// HART-IP: a message that is no valid HART-IP message.
inline constexpr const char* NetMalformed = "406.NETMALFORMED";
}  // namespace HartKey

inline constexpr const char* LinkErrorKeys[] = {
    HartKey::RxOver,
    HartKey::Overrun,
    HartKey::RxParity,
    HartKey::Frame,
    HartKey::Break,
    HartKey::Busy,
    HartKey::BuffOverflow,
    HartKey::LongParity,
    HartKey::Framing,
    HartKey::SummaryOverrun,
    HartKey::VertParity,
    HartKey::PortAlreadyUsed,
    HartKey::InvalidPort,
    HartKey::CommError,
    HartKey::CommErr,
    HartKey::CommandNotImplemented,
    HartKey::DeviceNotImplemented,
    HartKey::CrcChecking,
    HartKey::TransmitterTimeout,
    HartKey::LongAddress,
    HartKey::PortNotOpen,
    HartKey::RequestTooLong,
    HartKey::Cancelled,
    HartKey::DelayedTimeout,
    HartKey::SetupComm,
    HartKey::SetCommMask,
    HartKey::SetCommTimeout,
    HartKey::SetCommState,
    HartKey::EscCommFunction,
    HartKey::FileCreate,
    HartKey::FileRead,
    HartKey::FileWrite,
    HartKey::NetHostUnknown,
    HartKey::NetRefused,
    HartKey::NetSessionRefused,
    HartKey::NetClosed,
    HartKey::NetTimeout,
    HartKey::NetErrorReply,
    HartKey::NetMalformed,
};

inline constexpr std::size_t LinkErrorKeyCount = sizeof(LinkErrorKeys) / sizeof(LinkErrorKeys[0]);
