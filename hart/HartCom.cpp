#include "hart/HartCom.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "hart/ErrorKeys.h"

std::vector<std::string> PlatformSerialDeviceNames();  // PosixSerialDevice.cpp / Win32SerialDevice.cpp

namespace {

constexpr uint8_t ShortMasterDelimiter = 0x02;
constexpr uint8_t LongMasterDelimiter = 0x82;
constexpr uint8_t ShortSlaveDelimiter = 0x06;
constexpr uint8_t LongSlaveDelimiter = 0x86;
constexpr uint8_t CommErrorBit = 0x80;
constexpr uint8_t ResponseBusy = 32;
constexpr uint8_t ResponseNotImplemented = 64;
constexpr uint32_t HuntFailuresTolerated = 3;
constexpr uint32_t HuntReadLimits = 4;
// The longest start of a valid reply: 31 counted preambles and the delimiter.
constexpr uint32_t HuntWireChars = 32;

void AppendHex(std::string& Text, uint8_t Byte)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    Text += Digits[Byte >> 4];
    Text += Digits[Byte & 0x0F];
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
        RaiseRtsForTransmission();  // 2
        PurgePort();  // 3
        Reply.Clear();  // 4
        BuildRequest(Command, RequestData, RequestLength);  // 5
        AppendCheckByte();  // 6
        SetRequestText(Reply);  // 7
        WrittenUs = FDevice->NowUs();
        WriteRequest();  // 8
        ReleaseRtsAfterTransmission();  // 9
        uint8_t Check = HuntForDelimiter(Reply, FirstByteDeadline(WrittenUs));  // 10, 11
        ReadAddress(Reply, Check);  // 12
        ReadCommandAndCount(Reply, Check);  // 13
        ReadData(Reply, Check);  // 14
        ReadCheckByte(Reply);  // 15
        CheckCommErrorSummary(Reply);  // 16
        NameResponseCode(Reply);  // 17
        CompareCheckByte(Reply, Check);  // 18
        RestoreReadLimit();
        TraceExchange(Reply, {}, WrittenUs);
        return 0;  // 19
    } catch (const EHartComError& Error) {
        RestoreReadLimit();
        if (WrittenUs >= 0)
            TraceExchange(Reply, Error.what(), WrittenUs);
        throw EHartComError(Error.what());
    }
}

void THartCom::TraceExchange(const THartDeviceResponse& Reply, const std::string& ErrorKey, int64_t StartUs) const
{
    if (OnExchange)
        OnExchange(THartExchangeTrace {Reply, ErrorKey, StartUs, FDevice->NowUs()});
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
    return size_t(FNumPreamble) + 1 + AddressLength + 2 + RequestLength + 1;
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

void THartCom::RaiseRtsForTransmission()
{
    if (ManualRts())
        SetRTS();
}

void THartCom::BuildRequest(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength)
{
    FRequest.fill(0);
    size_t N = 0;
    for (uint8_t I = 0; I < FNumPreamble; ++I)
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
    for (size_t I = FNumPreamble; I < FRequestLength; ++I)
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
    WritePort(FRequest.data(), FRequestLength);
}

void THartCom::ReleaseRtsAfterTransmission()
{
    if (!ManualRts())
        return;
    FDevice->Wait(FRTSDelay);
    ClearRTS();
}

int64_t THartCom::ReadLimitUs() const
{
    return (int64_t(FPortTimeOut) + 10) * 1000;
}

int64_t THartCom::FirstByteDeadline(int64_t WrittenUs) const
{
    if (FReplyWaitMs == 0)
        return NoDeadline;
    // A write may return before the frame has left the line (a pseudo-terminal,
    // some adapters): the wait starts when the frame is through at the latest.
    const int64_t OnLineUntilUs = std::max(FDevice->NowUs(), WrittenUs + int64_t(FRequestLength) * CharTimeUs());
    return OnLineUntilUs + int64_t(FReplyWaitMs) * 1000;
}

int64_t THartCom::HuntBoundUs() const
{
    return HuntReadLimits * ReadLimitUs() + HuntWireChars * CharTimeUs();
}

void THartCom::SetReadLimitMs(uint32_t PerByteMs, uint32_t ConstantMs)
{
    if (PerByteMs == FReadPerByteMs && ConstantMs == FReadConstantMs)
        return;
    TSerialTimeouts Timeouts = PortTimeouts();
    Timeouts.ReadPerByteMs = PerByteMs;
    Timeouts.ReadConstantMs = ConstantMs;
    if (!FDevice->SetTimeouts(Timeouts))
        throw EHartComError(HartKey::SetCommTimeout);
    FReadPerByteMs = PerByteMs;
    FReadConstantMs = ConstantMs;
}

void THartCom::RestoreReadLimit()
{
    if (!FPortOpen)
        return;
    try {
        SetReadLimitMs(PortTimeouts().ReadPerByteMs, PortTimeouts().ReadConstantMs);
    } catch (const EHartComError&) {
        // The next transaction tries again; this one has its outcome already.
    }
}

void THartCom::ReadByteBefore(uint8_t& Byte, int64_t DeadlineUs)
{
    const int64_t LeftUs = DeadlineUs - FDevice->NowUs();
    if (LeftUs <= 0)
        throw EHartComError(HartKey::TransmitterTimeout);
    if (LeftUs < ReadLimitUs())
        SetReadLimitMs(0, uint32_t((LeftUs + 999) / 1000));
    else
        SetReadLimitMs(PortTimeouts().ReadPerByteMs, PortTimeouts().ReadConstantMs);
    ReadPort(&Byte, 1);
    // The wait is kept in whole milliseconds; a byte that came in the last
    // fraction of one is still too late.
    if (FDevice->NowUs() > DeadlineUs)
        throw EHartComError(HartKey::TransmitterTimeout);
}

bool THartCom::ReadHuntByte(uint8_t& Byte, uint32_t& Failures, int64_t GiveUpUs)
{
    try {
        if (GiveUpUs == NoDeadline) {
            // Before the first byte each read waits its full limit.
            SetReadLimitMs(PortTimeouts().ReadPerByteMs, PortTimeouts().ReadConstantMs);
            ReadPort(&Byte, 1);
        } else {
            ReadByteBefore(Byte, GiveUpUs);
        }
        return true;
    } catch (const EHartComError& Error) {
        // A port that failed does not come back within a reply.
        if (std::strcmp(Error.what(), HartKey::FileRead) == 0)
            throw;
        if (++Failures > HuntFailuresTolerated)
            throw;
        return false;
    }
}

// Reads until at least two preamble bytes (0xFF, or 0xFE as the first) are
// followed by a byte that is not 0xFF; that byte is the delimiter. Bytes other
// than preambles before two preambles are counted are noise and restart the
// count. A silent line ends with the fourth read failure; a line that never
// stops sending is cut off after MaxHuntBytes bytes or at the hunt's bound from
// its first byte, whichever comes first: no byte arriving after the bound is
// taken. Counting the time from the first byte keeps a late reply, one that
// begins only after three time-outs, acceptable; the bound holds the longest
// valid start of a reply at the line's pace on top of four read limits, so a
// small TimeOut never cuts a valid reply short.
uint8_t THartCom::HuntForDelimiter(THartDeviceResponse& Reply, int64_t FirstByteDeadlineUs)
{
    uint32_t Failures = 0;
    uint32_t BytesRead = 0;
    int64_t GiveUpUs = FirstByteDeadlineUs;
    for (;;) {
        if (BytesRead >= MaxHuntBytes || (BytesRead > 0 && FDevice->NowUs() >= GiveUpUs))
            throw EHartComError(HartKey::TransmitterTimeout);
        uint8_t Byte = 0;
        if (!ReadHuntByte(Byte, Failures, GiveUpUs))
            continue;
        if (BytesRead++ == 0)
            GiveUpUs = FDevice->NowUs() + HuntBoundUs();
        if (Byte == 0xFF || Byte == 0xFE) {
            ++Reply.PreambleCount;
            // Preamble k at position k counting from 1; the 32nd position stays 0.
            if (Reply.PreambleCount < sizeof Reply.Preambles)
                Reply.Preambles[Reply.PreambleCount - 1] = Byte;
            AppendHex(Reply.ReplyText, Byte);
        } else if (Reply.PreambleCount < 2) {
            Reply.PreambleCount = 0;  // noise
        }
        if (Reply.PreambleCount < 2 || Byte == 0xFF)
            continue;
        Reply.Delimiter = Byte;
        AppendHex(Reply.ReplyText, Byte);
        // The rest of the reply gets its own wire time on top of the hunt's
        // bound; a device that trickles its bytes cannot hold the line longer.
        const int64_t AddressChars = Byte == LongSlaveDelimiter ? 5 : 1;
        FReplyDeadlineUs = FDevice->NowUs() + HuntBoundUs() + (AddressChars + 3) * CharTimeUs();
        return Byte;  // the running check starts with the delimiter
    }
}

uint8_t THartCom::ReadReplyByte(THartDeviceResponse& Reply, uint8_t& Check)
{
    uint8_t Byte = 0;
    ReadByteBefore(Byte, FReplyDeadlineUs);
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
    FReplyDeadlineUs += int64_t(Reply.ByteCount) * CharTimeUs();
}

void THartCom::ReadData(THartDeviceResponse& Reply, uint8_t& Check)
{
    for (size_t I = 0; I < Reply.ByteCount; ++I)
        Reply.Data[I] = ReadReplyByte(Reply, Check);
}

void THartCom::ReadCheckByte(THartDeviceResponse& Reply)
{
    uint8_t Byte = 0;
    ReadByteBefore(Byte, FReplyDeadlineUs);
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
