#include "hart/ExchangeTime.h"

#include <cmath>

namespace {
// Delimiter, five address bytes, command, byte count and check byte.
constexpr uint32_t LongFrameOverhead = 1 + 5 + 1 + 1 + 1;
// Response code and device status before the reply data.
constexpr uint32_t ReplyStatusBytes = 2;
}  // namespace

uint32_t RequestCharacters(const THartExchangeFrame& Frame)
{
    return Frame.RequestPreambles + LongFrameOverhead + Frame.RequestDataBytes;
}

uint32_t ReplyCharacters(const THartExchangeFrame& Frame)
{
    return Frame.ReplyPreambles + LongFrameOverhead + ReplyStatusBytes + Frame.ReplyDataBytes;
}

double ExchangeSeconds(const THartExchangeFrame& Frame, uint32_t BaudRate)
{
    const double characters = double(RequestCharacters(Frame) + ReplyCharacters(Frame));
    return characters * HartBitsPerCharacter / double(BaudRate) + Frame.TurnaroundMs / 1000.0;
}

THartExchangeFrame Command3Exchange(uint32_t RequestPreambles, uint32_t TurnaroundMs)
{
    THartExchangeFrame frame;
    frame.RequestPreambles = RequestPreambles;
    frame.TurnaroundMs = TurnaroundMs;
    frame.ReplyDataBytes = 4 + 4 * (1 + 4);
    return frame;
}

double ShortestCommand3Period(uint32_t BaudRate, uint32_t RequestPreambles, uint32_t TurnaroundMs)
{
    const double seconds = ExchangeSeconds(Command3Exchange(RequestPreambles, TurnaroundMs), BaudRate);
    // A hair below the next hundredth is that hundredth, not the one after.
    return std::ceil(seconds * 100.0 - 1e-9) / 100.0;
}
