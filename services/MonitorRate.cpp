#include "services/MonitorRate.h"

#include "hart/HartCom.h"

#include <cmath>

namespace {
constexpr double BitsPerCharacter = 11;  // start bit, 8 data bits, parity, stop bit
constexpr double LongFrameOverhead = 1 + 5 + 1 + 1 + 1;  // delimiter, address, command, count, check byte
constexpr double ReplyPreambles = 5;
constexpr double Command3ReplyData = 2 + 4 + 4 * (1 + 4);  // status, current, four variables with units
}  // namespace

double ShortestMonitorRate(const THartCom& Hart)
{
    const double characters = Hart.NumPreamble() + LongFrameOverhead + ReplyPreambles + LongFrameOverhead
                              + Command3ReplyData;
    const double seconds = characters * BitsPerCharacter / BaudrateValue(Hart.Baudrate()) + Hart.RTSDelay() / 1000.0;
    // A hair below the next hundredth is that hundredth, not the one after.
    return std::ceil(seconds * 100.0 - 1e-9) / 100.0;
}
