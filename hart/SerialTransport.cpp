#include "hart/SerialTransport.h"

#include <algorithm>

#include <cstring>

#include "hart/ErrorKeys.h"
#include "hart/HartCom.h"

namespace {

constexpr uint8_t LongSlaveDelimiter = 0x86;
constexpr uint32_t HuntFailuresTolerated = 3;
constexpr uint32_t HuntReadLimits = 4;
// The longest start of a valid reply: 31 counted preambles and the delimiter.
constexpr uint32_t HuntWireChars = 32;

}  // namespace

bool TSerialTransport::IsOpen() const
{
    return FLink.FPortOpen;
}

uint8_t TSerialTransport::RequestPreambles() const
{
    return FLink.FNumPreamble;
}

int64_t TSerialTransport::NowUs() const
{
    return FLink.FDevice->NowUs();
}

void TSerialTransport::PortConfigured(const TSerialTimeouts& Timeouts)
{
    FReadPerByteMs = Timeouts.ReadPerByteMs;
    FReadConstantMs = Timeouts.ReadConstantMs;
}

void TSerialTransport::PrepareExchange(uint32_t)
{
    if (FLink.ManualRts())
        FLink.SetRTS();
    FLink.PurgePort();
}

void TSerialTransport::SendRequest(const uint8_t* Request, size_t Length)
{
    FWrittenUs = NowUs();
    FSentLength = Length;
    FLink.WritePort(Request, int32_t(Length));
    if (!FLink.ManualRts())
        return;
    FLink.FDevice->Wait(FLink.FRTSDelay);
    FLink.ClearRTS();
}

void TSerialTransport::FinishExchange()
{
    RestoreReadLimit();
}

int64_t TSerialTransport::ReadLimitUs() const
{
    return (int64_t(FLink.FPortTimeOut) + 10) * 1000;
}

int64_t TSerialTransport::FirstByteDeadline() const
{
    if (FLink.FReplyWaitMs == 0)
        return NoDeadline;
    // A write may return before the frame has left the line (a pseudo-terminal,
    // some adapters): the wait starts when the frame is through at the latest.
    const int64_t OnLineUntilUs = std::max(NowUs(), FWrittenUs + int64_t(FSentLength) * FLink.CharTimeUs());
    return OnLineUntilUs + int64_t(FLink.FReplyWaitMs) * 1000;
}

int64_t TSerialTransport::HuntBoundUs() const
{
    return HuntReadLimits * ReadLimitUs() + HuntWireChars * FLink.CharTimeUs();
}

void TSerialTransport::SetReadLimitMs(uint32_t PerByteMs, uint32_t ConstantMs)
{
    if (PerByteMs == FReadPerByteMs && ConstantMs == FReadConstantMs)
        return;
    TSerialTimeouts Timeouts = FLink.PortTimeouts();
    Timeouts.ReadPerByteMs = PerByteMs;
    Timeouts.ReadConstantMs = ConstantMs;
    if (!FLink.FDevice->SetTimeouts(Timeouts))
        throw EHartComError(HartKey::SetCommTimeout);
    FReadPerByteMs = PerByteMs;
    FReadConstantMs = ConstantMs;
}

void TSerialTransport::RestoreReadLimit()
{
    if (!FLink.FPortOpen)
        return;
    try {
        SetReadLimitMs(FLink.PortTimeouts().ReadPerByteMs, FLink.PortTimeouts().ReadConstantMs);
    } catch (const EHartComError&) {
        // The next transaction tries again; this one has its outcome already.
    }
}

void TSerialTransport::ReadByteBefore(uint8_t& Byte, int64_t DeadlineUs)
{
    const int64_t LeftUs = DeadlineUs - NowUs();
    if (LeftUs <= 0)
        throw EHartComError(HartKey::TransmitterTimeout);
    if (LeftUs < ReadLimitUs())
        SetReadLimitMs(0, uint32_t((LeftUs + 999) / 1000));
    else
        SetReadLimitMs(FLink.PortTimeouts().ReadPerByteMs, FLink.PortTimeouts().ReadConstantMs);
    FLink.ReadPort(&Byte, 1);
    // The wait is kept in whole milliseconds; a byte that came in the last
    // fraction of one is still too late.
    if (NowUs() > DeadlineUs)
        throw EHartComError(HartKey::TransmitterTimeout);
}

bool TSerialTransport::ReadHuntByte(uint8_t& Byte, uint32_t& Failures, int64_t GiveUpUs)
{
    try {
        if (GiveUpUs == NoDeadline) {
            // Before the first byte each read waits its full limit.
            SetReadLimitMs(FLink.PortTimeouts().ReadPerByteMs, FLink.PortTimeouts().ReadConstantMs);
            FLink.ReadPort(&Byte, 1);
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

uint8_t TSerialTransport::ReceiveDelimiter(THartDeviceResponse& Reply)
{
    return HuntForDelimiter(Reply);
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
uint8_t TSerialTransport::HuntForDelimiter(THartDeviceResponse& Reply)
{
    uint32_t Failures = 0;
    uint32_t BytesRead = 0;
    int64_t GiveUpUs = FirstByteDeadline();
    for (;;) {
        if (BytesRead >= THartCom::MaxHuntBytes || (BytesRead > 0 && NowUs() >= GiveUpUs))
            throw EHartComError(HartKey::TransmitterTimeout);
        uint8_t Byte = 0;
        if (!ReadHuntByte(Byte, Failures, GiveUpUs))
            continue;
        if (BytesRead++ == 0)
            GiveUpUs = NowUs() + HuntBoundUs();
        if (Byte == 0xFF || Byte == 0xFE) {
            ++Reply.PreambleCount;
            // Preamble k at position k counting from 1; the 32nd position stays 0.
            if (Reply.PreambleCount < sizeof Reply.Preambles)
                Reply.Preambles[Reply.PreambleCount - 1] = Byte;
            AppendHexByte(Reply.ReplyText, Byte);
        } else if (Reply.PreambleCount < 2) {
            Reply.PreambleCount = 0;  // noise
        }
        if (Reply.PreambleCount < 2 || Byte == 0xFF)
            continue;
        // The rest of the reply gets its own wire time on top of the hunt's
        // bound; a device that trickles its bytes cannot hold the line longer.
        const int64_t AddressChars = Byte == LongSlaveDelimiter ? 5 : 1;
        FReplyDeadlineUs = NowUs() + HuntBoundUs() + (AddressChars + 3) * FLink.CharTimeUs();
        return Byte;
    }
}

void TSerialTransport::ExpectData(uint8_t ByteCount)
{
    FReplyDeadlineUs += int64_t(ByteCount) * FLink.CharTimeUs();
}

uint8_t TSerialTransport::ReceiveByte()
{
    uint8_t Byte = 0;
    ReadByteBefore(Byte, FReplyDeadlineUs);
    return Byte;
}
