// Burst mode of the simulated transmitter: commands 108 and 109, and the burst
// frames it publishes unasked. After each burst frame (and after each answer)
// the line stays quiet for a gap in which a master may start a request; a
// request heard in the gap holds the next burst frame back until it has been
// answered.

#include <algorithm>

#include "sim/SimTransmitter.h"
#include "sim/SimTransmitterCodes.h"

using namespace simcodes;

namespace {

constexpr uint8_t BurstLongFrame = 0x81;
constexpr uint8_t PrimaryMasterBit = 0x80;
// A line without pace still spaces its burst frames.
constexpr int64_t InstantBurstGapUs = 50000;

}  // namespace

int64_t TSimTransmitter::BurstGapUs() const
{
    return FPacing.CharTimeUs > 0 ? BurstGapChars * FPacing.CharTimeUs : InstantBurstGapUs;
}

TSimTransmitter::TAnswer TSimTransmitter::WriteBurstCommand(const std::vector<uint8_t>& Request)
{
    if (Request.empty())
        return {RcTooFewDataBytes, {}};
    // Only the dynamic variables are published.
    if (Request[0] != 3)
        return {RcInvalidSelection, {}};
    FBurstCommand = Request[0];
    return {RcSuccess, {Request[0]}};
}

TSimTransmitter::TAnswer TSimTransmitter::WriteBurstMode(const std::vector<uint8_t>& Request, int64_t NowUs)
{
    if (Request.empty())
        return {RcTooFewDataBytes, {}};
    if (Request[0] > 1)
        return {RcInvalidSelection, {}};
    SetBurstMode(Request[0] == 1, NowUs);
    return {RcSuccess, {Request[0]}};
}

void TSimTransmitter::SetBurstMode(bool On, int64_t NowUs)
{
    FBurstMode = On;
    FBurstNextUs = NowUs + BurstGapUs();
}

void TSimTransmitter::HoldBurstFor(int64_t ArrivalUs)
{
    // A master is talking: no burst frame starts until it has been answered
    // (or has fallen silent for a gap).
    if (FBurstMode)
        FBurstNextUs = std::max(FBurstNextUs, ArrivalUs + BurstGapUs());
}

std::vector<TSimOutByte> TSimTransmitter::AfterBurst(std::vector<TSimOutByte> Answer, int64_t RequestEndUs)
{
    if (Answer.empty())
        return Answer;
    // A request that ended while a burst frame was on the line is answered
    // once the frame is through.
    const bool Collided = RequestEndUs >= FBurstLineBusyUs && RequestEndUs < FBurstLineFreeUs;
    const int64_t Earliest = FBurstLineFreeUs + FPacing.TurnaroundUs + FPacing.CharTimeUs;
    const int64_t Shift = Collided ? Earliest - Answer.front().ArrivalUs : 0;
    for (TSimOutByte& B : Answer)
        B.ArrivalUs += Shift;
    if (FBurstMode)
        FBurstNextUs = std::max(FBurstNextUs, Answer.back().ArrivalUs + BurstGapUs());
    return Answer;
}

std::vector<TSimOutByte> TSimTransmitter::BurstFrames(int64_t UntilUs, size_t MaxFrames)
{
    std::vector<TSimOutByte> Out;
    if (!FBurstMode)
        return Out;
    for (size_t n = 0; n < std::min(MaxFrames, MaxBurstBacklog) && FBurstNextUs <= UntilUs; ++n) {
        const int64_t StartUs = FBurstNextUs;
        const TAnswer A = ReadDynamicVariables(StartUs);
        std::vector<uint8_t> Frame(FReplyPreambles, Preamble);
        if (FLeadingFE && !Frame.empty())
            Frame[0] = FirstPreambleFE;
        const size_t FrameStart = Frame.size();
        Frame.push_back(BurstLongFrame);
        Frame.push_back(static_cast<uint8_t>((FState.Manufacturer & 0x3F) | PrimaryMasterBit | BurstBit));
        Frame.push_back(FState.DeviceType);
        Frame.push_back(static_cast<uint8_t>(FState.DeviceId >> 16));
        Frame.push_back(static_cast<uint8_t>(FState.DeviceId >> 8));
        Frame.push_back(static_cast<uint8_t>(FState.DeviceId));
        Frame.push_back(FBurstCommand);
        Frame.push_back(static_cast<uint8_t>(A.Data.size() + 2));
        Frame.push_back(RcSuccess);
        Frame.push_back(DeviceStatus(StartUs));
        Frame.insert(Frame.end(), A.Data.begin(), A.Data.end());
        uint8_t Check = 0;
        for (size_t i = FrameStart; i < Frame.size(); ++i)
            Check ^= Frame[i];
        Frame.push_back(Check);
        int64_t At = StartUs;
        for (uint8_t Byte : Frame) {
            At += std::max<int64_t>(FPacing.CharTimeUs, 1);
            Out.push_back({Byte, At, 0});
        }
        FBurstLineBusyUs = StartUs;
        FBurstLineFreeUs = At;
        FBurstNextUs = At + BurstGapUs();
        ++FBurstFramesSent;
    }
    return Out;
}
