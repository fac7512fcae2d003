#include "hart/PatientLink.h"

#include <algorithm>

#include "hart/ErrorKeys.h"

namespace {

constexpr uint8_t ResponseBusy = 32;
constexpr uint8_t DelayedInitiated = 33;
constexpr uint8_t DelayedRunning = 34;
// A pause is cut into slices so that a cancel is seen soon.
constexpr uint32_t PauseSliceMs = 100;

bool Delayed(uint8_t Code)
{
    return Code == DelayedInitiated || Code == DelayedRunning;
}

}  // namespace

void TPatientLink::Pause(uint32_t Ms)
{
    for (uint32_t Waited = 0; Waited < Ms; Waited += PauseSliceMs) {
        if (CancelRequested && CancelRequested())
            throw EHartComError(HartKey::Cancelled);
        FLink.Device().Wait(std::min(PauseSliceMs, Ms - Waited));
    }
    if (CancelRequested && CancelRequested())
        throw EHartComError(HartKey::Cancelled);
}

int32_t TPatientLink::Send(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength,
                           THartDeviceResponse& Reply)
{
    int32_t Result = FLink.SendCommand(Command, RequestData, RequestLength, Reply);
    const int64_t FirstUs = FLink.Device().NowUs();
    uint32_t BusyRepeats = 0, Repeats = 0;
    // Tells the front end the waiting is over, also when a repeat failed.
    struct TSettled {
        const std::function<void()>& Call;
        const uint32_t& Repeats;
        ~TSettled()
        {
            if (Repeats > 0 && Call)
                Call();
        }
    } Settled {OnSettled, Repeats};
    for (;;) {
        const uint8_t Code = Reply.Data[0];
        TRetryNote Note {Command, Code, Repeats + 1, 0, 0};
        if (Code == ResponseBusy) {
            // A busy answer in the middle of a delayed response counts as one of its polls.
            if (BusyRepeats >= Patience.BusyRepeats)
                return Result;
            ++BusyRepeats;
            Pause(Patience.BusyPauseMs);
            Note.BoundUs = int64_t(Patience.BusyRepeats) * Patience.BusyPauseMs * 1000;
        } else if (Delayed(Code)) {
            BusyRepeats = 0;
            Note.BoundUs = int64_t(Patience.DelayedBoundMs) * 1000;
            if (FLink.Device().NowUs() - FirstUs >= Note.BoundUs)
                throw EHartComError(HartKey::DelayedTimeout);
            Pause(Patience.DelayedPauseMs);
        } else {
            return Result;
        }
        ++Repeats;
        Note.ElapsedUs = FLink.Device().NowUs() - FirstUs;
        if (OnRetry)
            OnRetry(Note);
        Result = FLink.SendCommand(Command, RequestData, RequestLength, Reply);
    }
}
