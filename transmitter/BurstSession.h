#pragma once
// Monitoring in burst mode: the transmitter is told to publish command 3
// (command 108) and to burst (command 109), and every burst frame it sends
// becomes a sample with its own time. Burst mode is held by a TOutputHold whose
// release sends command 109 with 0 in the gap after a burst frame, so it ends
// on every exit path: Stop(), an exception, the session going out of scope, or
// TOutputHold::ReleaseAllHolds() from a front end that must stop at once.

#include <cstdint>
#include <memory>

#include "hart/HartBurst.h"
#include "transmitter/MonitoringSample.h"
#include "transmitter/OutputHold.h"

class THart;

class TBurstSession {
public:
    // How long a request waits for the gap after a burst frame: longer than a
    // frame and its gap at 1200 baud.
    static constexpr uint32_t GapWaitMs = 1000;

    // Turns burst mode on; raises EHartComError when the transmitter refuses
    // or the link fails (burst mode is then turned off again if it may be on).
    // FoundBursting: the line already carries burst frames, so the commands
    // wait for the gap.
    TBurstSession(THart& Hart, bool FoundBursting = false);
    ~TBurstSession();
    TBurstSession(const TBurstSession&) = delete;
    TBurstSession& operator=(const TBurstSession&) = delete;

    // The next sample, waiting at most WaitMs; false when none came (a frame
    // that is not the device's command 3 is passed over). LinkUs: the link
    // clock when the frame ended. Raises EHartComError when the port fails.
    bool NextSample(TMonitoringSample& Sample, int64_t& LinkUs, uint32_t WaitMs);
    // Ends burst mode now; raises EHartComError when that fails.
    void Stop();
    bool Bursting() const { return FHold && FHold->Held(); }
    uint64_t DamagedFrames() const { return FListener.DamagedFrames(); }

    // Whether a device bursts on the line of Hart (a frame within WaitMs): a
    // transmitter left in burst mode.
    static bool FoundBursting(THart& Hart, uint32_t WaitMs = GapWaitMs);

private:
    THart& FHart;
    THartBurstListener FListener;
    std::unique_ptr<TOutputHold> FHold;
};
