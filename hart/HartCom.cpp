#include "hart/HartCom.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "hart/ErrorKeys.h"
#include "hart/SerialTransport.h"

std::vector<std::string> PlatformSerialDeviceNames();  // PosixSerialDevice.cpp / Win32SerialDevice.cpp

namespace {

constexpr uint8_t ShortMasterDelimiter = 0x02;
constexpr uint8_t LongMasterDelimiter = 0x82;
constexpr uint8_t ShortSlaveDelimiter = 0x06;
constexpr uint8_t LongSlaveDelimiter = 0x86;
constexpr uint8_t CommErrorBit = 0x80;
constexpr uint8_t BurstDelimiter = 0x01;  // with 0x80 for a long frame
constexpr int MaxBurstFramesSkipped = 3;
constexpr uint8_t ResponseBusy = 32;
constexpr uint8_t ResponseNotImplemented = 64;

void AppendHex(std::string& Text, uint8_t Byte)
{
    AppendHexByte(Text, Byte);
}

const char* CommErrorSummaryKey(uint8_t Summary)
{
    switch (Summary) {
        case 0x02: return HartKey::BuffOverflow;
        case 0x08: return HartKey::LongParity;
        case 0x10: return HartKey::Framing;
        case 0x20: return HartKey::SummaryOverrun;
        case 0x40: return HartKey::VertParity;
        default: return HartKey::CommErr;
    }
}

}  // namespace

uint32_t BaudrateValue(TBaudrate Value)
{
    static constexpr uint32_t Rates[] = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 256000};
    return Rates[Value];
}

void THartDeviceResponse::Clear()
{
    PreambleCount = 0;
    std::memset(Preambles, 0, sizeof Preambles);
    Delimiter = 0;
    ShortAddress = 0;
    std::memset(Address, 0, sizeof Address);
    Command = 0;
    ByteCount = 0;
    std::memset(Data, 0, sizeof Data);
    Checksum = 0;
    ResponseMessage.clear();
    RequestText.clear();
    ReplyText.clear();
}

// ---------------------------------------------------------------------------
// Construction

THartCom::THartCom()
    : THartCom(CreatePlatformSerialDevice())
{
}

THartCom::THartCom(std::unique_ptr<TSerialDevice> Device)
    : FDevice(std::move(Device))
    , FSerialLink(std::make_unique<TSerialTransport>(*this))
    , FLink(FSerialLink.get())
{
    FPlatformId = FDevice->PlatformId();
}

THartCom::~THartCom()
{
    try {
        ClosePort();
    } catch (const EHartComError&) {
        // DTR could not be lowered; the handle goes with the device anyway.
    }
}

std::vector<std::string> THartCom::SerialDevices() const
{
    return PlatformSerialDeviceNames();
}

// ---------------------------------------------------------------------------
// The transaction

bool THartCom::ManualRts() const
{
    return FUseRTS && FPlatformId != SerialPlatformWinNT;
}

int32_t THartCom::SendCommand(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength,
                              THartDeviceResponse& Reply)
{
    int64_t WrittenUs = -1;  // for OnExchange: when the request went out
    try {
        CheckAddressKnown(Command);  // 1
        CheckPortOpen();
        CheckFrameFits(Command, RequestLength);
        CheckRequestData(RequestData, RequestLength);
        FLink->PrepareExchange(FTimeOut);  // 2, 3: RTS raised, stale input dropped
        Reply.Clear();  // 4
        BuildRequest(Command, RequestData, RequestLength);  // 5
        AppendCheckByte();  // 6
        SetRequestText(Reply);  // 7
        WrittenUs = FLink->NowUs();
        WriteRequest();  // 8, 9: RTS dropped after it
        uint8_t Check = ReceiveDelimiter(Reply);  // 10, 11
        ReadAddress(Reply, Check);  // 12
        ReadCommandAndCount(Reply, Check);  // 13
        ReadData(Reply, Check);  // 14
        ReadCheckByte(Reply);  // 15
        CheckCommErrorSummary(Reply);  // 16
        NameResponseCode(Reply);  // 17
        CompareCheckByte(Reply, Check);  // 18
        FLink->FinishExchange();
        TraceExchange(Reply, {}, WrittenUs);
        return 0;  // 19
    } catch (const EHartComError& Error) {
        FLink->FinishExchange();
        if (WrittenUs >= 0)
            TraceExchange(Reply, Error.what(), WrittenUs);
        // A network link that broke is closed, as a serial port that failed is.
        if (FNetwork && !FNetwork->IsOpen())
            ReleaseNetworkLink();
        throw EHartComError(Error.what());
    }
}

void THartCom::TraceExchange(const THartDeviceResponse& Reply, const std::string& ErrorKey, int64_t StartUs) const
{
    if (OnExchange)
        OnExchange(THartExchangeTrace {Reply, ErrorKey, StartUs, FLink->NowUs()});
}

void THartCom::CheckAddressKnown(uint8_t Command) const
{
    if (!FLongAddressValid && Command != 0 && !IsBroadcastCommand(Command))
        throw EHartComError(HartKey::DeviceNotImplemented);
}

void THartCom::CheckPortOpen() const
{
    // Without a port every read would only time out; say so at once instead.
    if (!FPortOpen)
        throw EHartComError(HartKey::PortNotOpen);
}

size_t THartCom::FrameLength(uint8_t Command, uint8_t RequestLength) const
{
    const size_t AddressLength = Command == 0 ? 1 : 5;  // broadcast commands: a long frame
    // preambles, delimiter, address, command, byte count, data, check byte
    return size_t(FLink->RequestPreambles()) + 1 + AddressLength + 2 + RequestLength + 1;
}

void THartCom::CheckFrameFits(uint8_t Command, uint8_t RequestLength) const
{
    if (FrameLength(Command, RequestLength) > MaxFrameLength)
        throw EHartComError(HartKey::RequestTooLong);
}

void THartCom::CheckRequestData(const uint8_t* RequestData, uint8_t RequestLength) const
{
    // A caller's mistake, not a link failure: it passes through as it is.
    if (RequestData == nullptr && RequestLength > 0)
        throw std::invalid_argument("SendCommand: request data missing");
}

void THartCom::BuildRequest(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength)
{
    FRequest.fill(0);
    size_t N = 0;
    FRequestPreambles = FLink->RequestPreambles();
    for (uint8_t I = 0; I < FRequestPreambles; ++I)
        FRequest[N++] = FPreamble;
    FRequestCommand = Command;
    if (Command == 0) {
        FRequest[N++] = ShortMasterDelimiter;
        FRequest[N++] = uint8_t(MasterBit() | FPollingAddress);  // burst bit 0
    } else if (IsBroadcastCommand(Command)) {
        // The broadcast address: every field device takes it, and only the one
        // whose tag matches answers.
        FRequest[N++] = LongMasterDelimiter;
        FRequest[N++] = MasterBit();
        for (int I = 0; I < 4; ++I)
            FRequest[N++] = 0x00;
    } else {
        FRequest[N++] = LongMasterDelimiter;
        FRequest[N++] = uint8_t(MasterBit() | (FLongAddress[0] & 0x3F));
        for (size_t I = 1; I < FLongAddress.size(); ++I)
            FRequest[N++] = FLongAddress[I];
    }
    FRequest[N++] = Command;
    FRequest[N++] = RequestLength;
    for (uint8_t I = 0; I < RequestLength; ++I)
        FRequest[N++] = RequestData[I];
    FRequestLength = uint8_t(N);
}

void THartCom::AppendCheckByte()
{
    uint8_t Check = 0;
    for (size_t I = FRequestPreambles; I < FRequestLength; ++I)
        Check ^= FRequest[I];
    FRequest[FRequestLength++] = Check;
}

void THartCom::SetRequestText(THartDeviceResponse& Reply) const
{
    Reply.RequestText.reserve(size_t(FRequestLength) * 2);
    for (size_t I = 0; I < FRequestLength; ++I)
        AppendHex(Reply.RequestText, FRequest[I]);
}

void THartCom::WriteRequest()
{
    FLink->SendRequest(FRequest.data(), FRequestLength);
}

uint8_t THartCom::ReceiveDelimiter(THartDeviceResponse& Reply)
{
    uint8_t Delimiter = FLink->ReceiveDelimiter(Reply);
    // A bursting device's frame is not the reply: it is passed over, and the
    // reply follows it (a few frames at most, else the device is not answering).
    for (int Skipped = 0; (Delimiter & 0x7F) == BurstDelimiter; ++Skipped) {
        if (Skipped == MaxBurstFramesSkipped)
            throw EHartComError(HartKey::TransmitterTimeout);
        SkipBurstFrame(Delimiter);
        ++FBurstFramesPassed;
        Reply.PreambleCount = 0;
        std::memset(Reply.Preambles, 0, sizeof Reply.Preambles);
        Reply.ReplyText.clear();
        Delimiter = FLink->ReceiveDelimiter(Reply);
    }
    Reply.Delimiter = Delimiter;
    AppendHex(Reply.ReplyText, Delimiter);
    return Delimiter;  // the running check starts with the delimiter
}

void THartCom::SkipBurstFrame(uint8_t Delimiter)
{
    const size_t AddressLength = (Delimiter & 0x80) ? 5 : 1;
    for (size_t I = 0; I < AddressLength + 1; ++I)  // address, command
        FLink->ReceiveByte();
    const uint8_t ByteCount = FLink->ReceiveByte();
    FLink->ExpectData(ByteCount);
    for (size_t I = 0; I < size_t(ByteCount) + 1; ++I)  // data, check byte
        FLink->ReceiveByte();
}

uint8_t THartCom::ReadReplyByte(THartDeviceResponse& Reply, uint8_t& Check)
{
    const uint8_t Byte = FLink->ReceiveByte();
    Check ^= Byte;
    AppendHex(Reply.ReplyText, Byte);
    return Byte;
}

void THartCom::ReadAddress(THartDeviceResponse& Reply, uint8_t& Check)
{
    if (Reply.Delimiter == ShortSlaveDelimiter) {
        Reply.ShortAddress = ReadReplyByte(Reply, Check);
        return;
    }
    if (Reply.Delimiter != LongSlaveDelimiter)
        throw EHartComError(HartKey::LongAddress);
    // A reply to the broadcast address comes from a device not known yet: its
    // identity is in the data. The device echoes the master bit sent.
    const bool Compare = FCheckLongAddress && !IsBroadcastCommand(FRequestCommand);
    for (size_t I = 0; I < sizeof Reply.Address; ++I) {
        Reply.Address[I] = ReadReplyByte(Reply, Check);
        const uint8_t Expected = I == 0 ? uint8_t(MasterBit() | FLongAddress[0]) : FLongAddress[I];
        if (Compare && Reply.Address[I] != Expected)
            throw EHartComError(HartKey::LongAddress);
    }
}

void THartCom::ReadCommandAndCount(THartDeviceResponse& Reply, uint8_t& Check)
{
    Reply.Command = ReadReplyByte(Reply, Check);
    Reply.ByteCount = ReadReplyByte(Reply, Check);
    FLink->ExpectData(Reply.ByteCount);
}

void THartCom::ReadData(THartDeviceResponse& Reply, uint8_t& Check)
{
    for (size_t I = 0; I < Reply.ByteCount; ++I)
        Reply.Data[I] = ReadReplyByte(Reply, Check);
}

void THartCom::ReadCheckByte(THartDeviceResponse& Reply)
{
    const uint8_t Byte = FLink->ReceiveByte();
    Reply.Checksum = Byte;
    AppendHex(Reply.ReplyText, Byte);
}

void THartCom::CheckCommErrorSummary(THartDeviceResponse& Reply) const
{
    if ((Reply.Data[0] & CommErrorBit) == 0)
        return;
    Reply.ResponseMessage = CommErrorSummaryKey(Reply.Data[0] & 0x7F);
    throw EHartComError(Reply.ResponseMessage);
}

void THartCom::NameResponseCode(THartDeviceResponse& Reply) const
{
    if (Reply.Data[0] == ResponseBusy)
        Reply.ResponseMessage = HartKey::Busy;
    if (Reply.Data[0] == ResponseNotImplemented)
        Reply.ResponseMessage = HartKey::CommandNotImplemented;
}

void THartCom::CompareCheckByte(const THartDeviceResponse& Reply, uint8_t Check) const
{
    if (FCheckCRC && Reply.Checksum != Check)
        throw EHartComError(HartKey::CrcChecking);
}
