// The duration of one command-3 exchange, from which the shortest monitoring
// rate follows: characters of both frames, 11 bits each, and the turnaround.

#include "hart/ExchangeTime.h"

#include <gtest/gtest.h>

namespace {

struct TExchangeCase {
    const char* Name;
    uint32_t Baud;
    uint32_t RequestPreambles;
    uint32_t RequestChars;
    uint32_t ReplyChars;
    double Shortest;
};

TEST(ExchangeTimeTest, ShortestCommand3PeriodFollowsFramesBaudRateAndTurnaround)
{
    const TExchangeCase cases[] = {
        // 6 preambles + 9 frame bytes; 5 preambles + 9 + 2 status + 24 data bytes.
        {"Line1200", 1200, 6, 15, 40, 0.53},  // 55 * 11 / 1200 = 0.504 s + 20 ms
        {"Line1200TwentyPreambles", 1200, 20, 29, 40, 0.66},  // 69 chars: 0.6325 + 0.02
        {"Line9600", 9600, 6, 15, 40, 0.09},  // 0.063 + 0.02
    };
    for (const TExchangeCase& c : cases) {
        const THartExchangeFrame frame = Command3Exchange(c.RequestPreambles);
        EXPECT_EQ(RequestCharacters(frame), c.RequestChars) << c.Name;
        EXPECT_EQ(ReplyCharacters(frame), c.ReplyChars) << c.Name;
        EXPECT_DOUBLE_EQ(ShortestCommand3Period(c.Baud, c.RequestPreambles), c.Shortest) << c.Name;
    }
    // A figure exactly on a hundredth stays there.
    THartExchangeFrame exact;
    exact.RequestPreambles = 0;
    exact.ReplyPreambles = 0;
    exact.TurnaroundMs = 0;
    EXPECT_DOUBLE_EQ(ExchangeSeconds(exact, 1100), (9 + 11) * 11 / 1100.0);
}

}  // namespace
