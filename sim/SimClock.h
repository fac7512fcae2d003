#pragma once
// The clock of the simulated line, in microseconds. Virtual by default: waiting
// just moves the clock on, so a two-second time-out costs no real time. With
// RealTime on, waits really sleep on the steady clock (the demo mode, where a
// simulated transmitter answers at the pace of a true 1200-baud line), and the
// clock also follows the real time that passes between calls.

#include <chrono>
#include <cstdint>

struct TSimClock {
    bool RealTime = false;

    int64_t NowUs() const;
    // Moves the clock on to Us (never back); sleeps there in real time.
    void AdvanceTo(int64_t Us);
    void AdvanceBy(int64_t Us) { AdvanceTo(NowUs() + Us); }

private:
    int64_t FVirtualUs = 0;
    std::chrono::steady_clock::time_point FOrigin = std::chrono::steady_clock::now();
};
