#pragma once
// TPatientLink: one command's transaction, repeated while the device asks for
// patience. A busy device (response code 32) gets the identical request again
// a few times, a second apart, before the busy answer is handed on. A device
// that has started a delayed response (33, then 34 while it runs) gets the
// identical request until the real answer comes, the delayed response dies
// (35, handed on) or the time bound passes. Every repeat is a transaction of
// its own on the link (OnExchange sees each) and is announced through OnRetry
// first; the pauses run on the serial device's clock, so a simulated line
// takes them in virtual time.

#include <cstdint>
#include <functional>

#include "hart/HartCom.h"

struct TPatience {
    uint32_t BusyRepeats = 3;  // repeats after a busy answer
    uint32_t BusyPauseMs = 1000;
    uint32_t DelayedBoundMs = 60000;  // from the first delayed-response answer
    uint32_t DelayedPauseMs = 1000;
};

// A repeat about to be sent.
struct TRetryNote {
    uint8_t Command = 0;
    uint8_t ResponseCode = 0;  // the answer that asks for it: 32, 33 or 34
    uint32_t Repeat = 0;  // 1 for the first repeat
    int64_t ElapsedUs = 0;  // since the first answer asking for patience
    int64_t BoundUs = 0;  // when the repeats end at the latest (elapsed time)
};

class TPatientLink {
public:
    explicit TPatientLink(THartCom& Link)
        : FLink(Link)
    {
    }

    TPatience Patience;
    // Before each repeat, after its pause.
    std::function<void(const TRetryNote&)> OnRetry;
    // Asked during each pause; true ends the command with "145.CANCELLED".
    std::function<bool()> CancelRequested;
    // After the last transaction of a command that was repeated, however it ended.
    std::function<void()> OnSettled;

    // As THartCom::SendCommand; raises "25.DELAYEDTIMEOUT" when a delayed
    // response has not ended within its bound.
    int32_t Send(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength, THartDeviceResponse& Reply);

private:
    void Pause(uint32_t Ms);

    THartCom& FLink;
};
