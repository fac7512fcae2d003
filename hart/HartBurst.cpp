#include "hart/HartBurst.h"

#include <cstring>

#include "hart/ErrorKeys.h"

namespace {

constexpr uint8_t PreambleByte = 0xFF;
constexpr uint8_t LongFrameBit = 0x80;
// Master and burst bits of the first address byte.
constexpr uint8_t AddressFlagBits = 0xC0;

}  // namespace

THartBurstListener::THartBurstListener(THartCom& Link)
    : FLink(Link)
{
    if (Link.NetworkLink())
        throw EHartComError(HartKey::BurstNeedsSerial);
}

bool THartBurstListener::ReadByteBefore(uint8_t& Byte, int64_t DeadlineUs)
{
    // Each read waits at most the port's read limit; the deadline is checked
    // between reads, so it is kept to within one read limit.
    while (FLink.NowUs() < DeadlineUs) {
        try {
            FLink.ReadPort(&Byte, 1);
            return true;
        } catch (const EHartComError& Error) {
            if (std::strcmp(Error.what(), HartKey::TransmitterTimeout) != 0)
                throw;  // the port failed, or the line reports errors
        }
    }
    return false;
}

THartBurstListener::TRead THartBurstListener::ReadFrame(THartBurstFrame& Frame, int64_t DeadlineUs)
{
    // Hunt: two preambles or more, then the delimiter.
    int Preambles = 0;
    uint8_t Byte = 0;
    for (;;) {
        if (!ReadByteBefore(Byte, DeadlineUs))
            return TRead::Quiet;
        if (Byte == PreambleByte) {
            ++Preambles;
            continue;
        }
        if (Preambles >= 2)
            break;
        Preambles = 0;
    }
    Frame = THartBurstFrame {};
    Frame.Delimiter = Byte;
    uint8_t Check = Byte;
    // The rest of a frame must follow without a pause: a frame start found near
    // the deadline still gets the time its bytes take.
    const int64_t FrameDeadlineUs = FLink.NowUs() + 2 * (int64_t(FLink.TimeOut()) + 10) * 1000;
    auto Next = [&](uint8_t& Out) {
        if (!ReadByteBefore(Out, FrameDeadlineUs))
            return false;
        Check ^= Out;
        return true;
    };
    const size_t AddressLength = (Frame.Delimiter & LongFrameBit) ? 5 : 1;
    for (size_t I = 0; I < AddressLength; ++I)
        if (!Next(Frame.Address[I]))
            return TRead::Damaged;
    if (!Next(Frame.Command) || !Next(Frame.ByteCount))
        return TRead::Damaged;
    for (size_t I = 0; I < Frame.ByteCount; ++I)
        if (!Next(Frame.Data[I]))
            return TRead::Damaged;
    uint8_t Received = 0;
    if (!ReadByteBefore(Received, FrameDeadlineUs) || Received != Check)
        return TRead::Damaged;
    Frame.EndUs = FLink.NowUs();
    return TRead::Frame;
}

bool THartBurstListener::FromLinkDevice(const THartBurstFrame& Frame) const
{
    if (!(Frame.Delimiter & LongFrameBit) || !FLink.LongAddressValid())
        return false;
    const auto& Own = FLink.LongAddress();
    if ((Frame.Address[0] & ~AddressFlagBits) != (Own[0] & ~AddressFlagBits))
        return false;
    return std::memcmp(Frame.Address + 1, Own.data() + 1, 4) == 0;
}

bool THartBurstListener::NextFrame(THartBurstFrame& Frame, uint32_t WaitMs, bool AnyDevice)
{
    const int64_t DeadlineUs = FLink.NowUs() + int64_t(WaitMs) * 1000;
    while (FLink.NowUs() < DeadlineUs) {
        switch (ReadFrame(Frame, DeadlineUs)) {
            case TRead::Quiet: return false;
            case TRead::Damaged: ++FDamaged; continue;
            case TRead::Frame: break;
        }
        if (!IsBurstDelimiter(Frame.Delimiter))
            continue;  // a reply or request between others
        if (AnyDevice || FromLinkDevice(Frame))
            return true;
    }
    return false;
}

bool THartBurstListener::LineBursting(uint32_t WaitMs)
{
    THartBurstFrame Frame;
    return NextFrame(Frame, WaitMs, true);
}

void THartBurstListener::SendInGap(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength,
                                   THartDeviceResponse& Reply, uint32_t WaitMs)
{
    THartBurstFrame Frame;
    if (NextFrame(Frame, WaitMs, true) && OnFrame && FromLinkDevice(Frame))
        OnFrame(Frame);
    FLink.SendCommand(Command, RequestData, RequestLength, Reply);
}
