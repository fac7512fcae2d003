#include "sim/SimClock.h"

#include <algorithm>
#include <thread>

namespace {
int64_t ElapsedUs(std::chrono::steady_clock::time_point Origin)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - Origin).count();
}
}  // namespace

int64_t TSimClock::NowUs() const
{
    if (!RealTime)
        return FVirtualUs;
    return std::max(FVirtualUs, ElapsedUs(FOrigin));
}

void TSimClock::AdvanceTo(int64_t Us)
{
    if (Us <= NowUs())
        return;
    if (RealTime)
        std::this_thread::sleep_until(FOrigin + std::chrono::microseconds(Us));
    FVirtualUs = Us;
}
