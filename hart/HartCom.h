#pragma once
// THartCom: the HART link. It owns one serial port, holds the line and link
// settings as properties (getter named like the property, setter SetX), and runs
// one master request/reply transaction with SendCommand. The frame is built and
// checked here; the medium it travels over is a transport (hart/HartTransport.h):
// the serial line, or a HART-IP session when a transport opener takes the port
// name. Every failure is raised as EHartComError carrying a language key
// (hart/ErrorKeys.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hart/HartComError.h"
#include "hart/HartTransport.h"
#include "hart/SerialDevice.h"

class TSerialTransport;

enum TBaudrate : uint8_t {
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br256000,
};
enum TParity : uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopbits : uint8_t { sb10, sb15, sb20 };
enum TDatabits : uint8_t { da4, da5, da6, da7, da8 };
enum TDeviceName : uint8_t { Com1, Com2, Com3, Com4, Com5, Com6, Com7, Com8 };
// BELL202: a HART modem, RTS raised while idle (unless UseRTS);
// RS232C: a plain RS-232 line, RTS lowered.
enum TPhysLayer : uint8_t { BELL202, RS232C };

// Baud rate in bits per second for a TBaudrate value.
uint32_t BaudrateValue(TBaudrate Value);

// The reply of one transaction. Reply data byte k of a command is Data[k + 2];
// Data[0] is the response code (or the communication-error summary when its
// bit 7 is set), Data[1] the device status.
struct THartDeviceResponse {
    uint8_t PreambleCount = 0;
    uint8_t Preambles[32] = {};  // counted preamble bytes 1..31 at positions 1..31
    uint8_t Delimiter = 0;
    uint8_t ShortAddress = 0;
    uint8_t Address[5] = {};
    uint8_t Command = 0;
    uint8_t ByteCount = 0;
    uint8_t Data[256] = {};
    uint8_t Checksum = 0;
    std::string ResponseMessage;
    std::string RequestText;  // request frame as upper-case hex, no separators
    std::string ReplyText;  // counted preambles and the reply frame, as hex

    // Zero every byte field and empty every text.
    void Clear();
};

// One exchange on the line, for a trace: the reply record (with RequestText and
// ReplyText), the failure's key or empty, and the device clock when the request
// was written and when the exchange ended.
struct THartExchangeTrace {
    const THartDeviceResponse& Reply;
    std::string ErrorKey;
    int64_t StartUs = 0;
    int64_t EndUs = 0;
};

// Platform serial device used by the default THartCom constructor:
// TPosixSerialDevice on POSIX systems, TWin32SerialDevice on Windows.
std::unique_ptr<TSerialDevice> CreatePlatformSerialDevice();

class THartCom {
public:
    static constexpr uint32_t InvalidHandle = SerialInvalidHandle;
    // Request frames longer than this are refused ("144.REQUESTTOOLONG").
    static constexpr size_t MaxFrameLength = 255;
    // The hunt for a reply gives up after this many bytes without a delimiter.
    static constexpr uint32_t MaxHuntBytes = 255;
    // Commands sent to the broadcast address (long frame, address all zero):
    // 11 and 21 find a device by its tag or long tag.
    static bool IsBroadcastCommand(uint8_t Command) { return Command == 11 || Command == 21; }

    THartCom();
    explicit THartCom(std::unique_ptr<TSerialDevice> Device);
    virtual ~THartCom();
    THartCom(const THartCom&) = delete;
    THartCom& operator=(const THartCom&) = delete;

    // --- properties ---------------------------------------------------------
    // Serial devices of this machine: on POSIX the ports that exist
    // (/dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*), on Windows the registry's list.
    std::vector<std::string> SerialDevices() const;
    uint32_t CommDevice() const { return FCommDevice; }

    TDeviceName CommPort() const { return FCommPort; }
    void SetCommPort(TDeviceName Value) { FCommPort = Value; }
    TBaudrate Baudrate() const { return FBaudrate; }
    void SetBaudrate(TBaudrate Value);
    TParity Parity() const { return FParity; }
    void SetParity(TParity Value);
    TStopbits StopBits() const { return FStopBits; }
    void SetStopBits(TStopbits Value);
    TDatabits DataBits() const { return FDataBits; }
    void SetDataBits(TDatabits Value);
    uint8_t NumPreamble() const { return FNumPreamble; }
    void SetNumPreamble(uint8_t Value) { FNumPreamble = Value; }
    uint8_t Preamble() const { return FPreamble; }
    void SetPreamble(uint8_t Value) { FPreamble = Value; }
    bool UseRTS() const { return FUseRTS; }
    void SetUseRTS(bool Value);
    uint32_t TimeOut() const { return FTimeOut; }
    void SetTimeOut(uint32_t Ms) { FTimeOut = Ms; }
    uint32_t RTSDelay() const { return FRTSDelay; }
    void SetRTSDelay(uint32_t Ms) { FRTSDelay = Ms; }
    bool CheckCRC() const { return FCheckCRC; }
    void SetCheckCRC(bool Value) { FCheckCRC = Value; }
    bool CheckLongAddress() const { return FCheckLongAddress; }
    void SetCheckLongAddress(bool Value) { FCheckLongAddress = Value; }
    bool CheckCommError() const { return FCheckCommError; }
    void SetCheckCommError(bool Value) { FCheckCommError = Value; }
    // Polling address command 0 goes to in its short frame: 0..15 on a HART 5
    // line, 0..63 with HART 6 and 7 (higher values are cut to six bits).
    uint8_t PollingAddress() const { return FPollingAddress; }
    void SetPollingAddress(uint8_t Value) { FPollingAddress = uint8_t(Value & 0x3F); }
    // The master bit of every address sent: set for a primary master, clear
    // for a secondary one (the link's default).
    bool PrimaryMaster() const { return FPrimaryMaster; }
    void SetPrimaryMaster(bool Value) { FPrimaryMaster = Value; }
    // How long to wait for the first byte of a reply, from the end of the
    // request on the line, in milliseconds; 0 (the default) keeps the hunt's
    // four read limits. A scan sets it so that an address where nobody
    // answers costs only this wait.
    uint32_t ReplyWaitMs() const { return FReplyWaitMs; }
    void SetReplyWaitMs(uint32_t Value) { FReplyWaitMs = Value; }
    TPhysLayer PhysLayer() const { return FPhysLayer; }
    void SetPhysLayer(TPhysLayer Value) { ApplyPhysLayer(Value); }

    bool PortOpen() const { return FPortOpen; }
    uint32_t PlatformId() const { return FPlatformId; }

    // --- port operations ----------------------------------------------------
    bool OpenPort(const std::string& Name);
    bool ClosePort();
    void ApplyLineSettings();
    void ApplyPhysLayer(TPhysLayer Value);
    void SetRTS();
    void ClearRTS();
    void PurgePort();
    int32_t WritePort(const uint8_t* Buffer, int32_t Count);
    int32_t ReadPort(uint8_t* Buffer, int32_t Count);

    // --- transaction ----------------------------------------------------------
    // One request/reply exchange; always returns 0, raises EHartComError.
    int32_t SendCommand(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength, THartDeviceResponse& Reply);

    // The connected device's long address in frame order, learnt by command 0.
    const std::array<uint8_t, 5>& LongAddress() const { return FLongAddress; }
    bool LongAddressValid() const { return FLongAddressValid; }
    // Set by command 0 (the command layer) and by tests.
    void SetLongAddress(const uint8_t Address[5]);
    void SetLongAddressValid(bool Value) { FLongAddressValid = Value; }
    // Zero the address and mark it invalid (command 0 does this before sending).
    void ClearLongAddress();

    // Burst frames passed over while waiting for replies, since construction:
    // a transmitter left in burst mode shows here.
    uint64_t BurstFramesPassed() const { return FBurstFramesPassed; }

    // Called after each transaction that wrote its request, also a failed one.
    std::function<void(const THartExchangeTrace&)> OnExchange;

    // The reply record of the last transaction run by the command layer.
    THartDeviceResponse Response;

    // The serial device the link talks to.
    TSerialDevice& Device() { return *FDevice; }

    // --- network links ------------------------------------------------------
    // Gives the transport a port name stands for when it is no serial port
    // (a HART-IP address), or null; asked by every OpenPort.
    using TTransportOpener = std::function<std::unique_ptr<THartTransport>(const std::string& Name)>;
    void SetTransportOpener(TTransportOpener Opener) { FTransportOpener = std::move(Opener); }
    // Whether the open port is a network link: no line settings and no RTS.
    bool NetworkLink() const { return FNetwork != nullptr; }
    // Lets a network link that has been idle tell its server it is still there;
    // nothing on a serial line. Raises EHartComError when the link is gone.
    void KeepLinkAlive();
    // The clock of the open link (the serial device's otherwise), in microseconds.
    int64_t NowUs() const;

private:
    friend class TSerialTransport;

    void ConfigureOpenedPort();
    bool ManualRts() const;
    // Time one character takes on the line with the present settings.
    int64_t CharTimeUs() const;
    // The time-outs OpenPort sets; a read is shortened below them only to end
    // at a deadline of the transaction.
    TSerialTimeouts PortTimeouts() const;
    size_t FrameLength(uint8_t Command, uint8_t RequestLength) const;
    TSerialLineSettings LineSettingsFromProperties(const TSerialLineSettings& Current) const;
    void ReleaseFailedPort();
    void CheckLineErrors();

    // SendCommand's steps.
    void CheckAddressKnown(uint8_t Command) const;
    void CheckPortOpen() const;
    void CheckFrameFits(uint8_t Command, uint8_t RequestLength) const;
    void CheckRequestData(const uint8_t* RequestData, uint8_t RequestLength) const;
    void BuildRequest(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength);
    void AppendCheckByte();
    void SetRequestText(THartDeviceResponse& Reply) const;
    void WriteRequest();
    uint8_t ReceiveDelimiter(THartDeviceResponse& Reply);
    uint8_t MasterBit() const { return FPrimaryMaster ? 0x80 : 0x00; }
    void SkipBurstFrame(uint8_t Delimiter);
    uint8_t ReadReplyByte(THartDeviceResponse& Reply, uint8_t& Check);
    void ReadAddress(THartDeviceResponse& Reply, uint8_t& Check);
    void ReadCommandAndCount(THartDeviceResponse& Reply, uint8_t& Check);
    void ReadData(THartDeviceResponse& Reply, uint8_t& Check);
    void ReadCheckByte(THartDeviceResponse& Reply);
    void CheckCommErrorSummary(THartDeviceResponse& Reply) const;
    void NameResponseCode(THartDeviceResponse& Reply) const;
    void CompareCheckByte(const THartDeviceResponse& Reply, uint8_t Check) const;
    void TraceExchange(const THartDeviceResponse& Reply, const std::string& ErrorKey, int64_t StartUs) const;
    bool OpenNetworkLink(const std::string& Name);
    void ReleaseNetworkLink();

    std::unique_ptr<TSerialDevice> FDevice;
    uint32_t FCommDevice = 0;  // InvalidHandle only once a port was closed or failed to open
    TDeviceName FCommPort = Com1;
    TBaudrate FBaudrate = br1200;
    TParity FParity = paOdd;
    TStopbits FStopBits = sb10;
    TDatabits FDataBits = da8;
    uint8_t FNumPreamble = 6;
    uint8_t FPreamble = 0xFF;
    bool FUseRTS = false;
    uint32_t FTimeOut = 500;
    uint32_t FPortTimeOut = 500;  // TimeOut as set on the port by the last OpenPort
    uint32_t FRTSDelay = 20;
    bool FCheckCRC = true;
    bool FCheckLongAddress = true;
    bool FCheckCommError = true;
    uint8_t FPollingAddress = 0;
    bool FPrimaryMaster = false;
    uint32_t FReplyWaitMs = 0;
    TPhysLayer FPhysLayer = RS232C;
    bool FPortOpen = false;
    uint32_t FPlatformId = 0;

    std::array<uint8_t, 5> FLongAddress {};
    bool FLongAddressValid = false;
    std::array<uint8_t, 256> FRequest {};
    uint8_t FRequestLength = 0;
    uint8_t FRequestPreambles = 0;  // in front of the delimiter in FRequest

    std::unique_ptr<TSerialTransport> FSerialLink;
    std::unique_ptr<THartTransport> FNetwork;  // the open network link, if any
    THartTransport* FLink = nullptr;  // the one the transaction runs over
    TTransportOpener FTransportOpener;
    uint8_t FRequestCommand = 0;
    uint64_t FBurstFramesPassed = 0;
};
