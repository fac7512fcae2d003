// The segments of the column envelope, checked without painting.
#include "chart/CurveEnvelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace chart;

namespace {

std::vector<QLine> Envelope(const std::vector<double>& X, const std::vector<double>& Y, const TPixelMap& Map,
                            bool Ascending)
{
    std::vector<QLine> Lines;
    {
        TSegmentSink Sink([&](const QLine* L, int N) { Lines.insert(Lines.end(), L, L + N); }, 7);
        AddColumnEnvelope(X.data(), Y.data(), X.size(), Map, Ascending, Sink);
    }
    return Lines;
}

TPixelMap UnitMap()
{
    TPixelMap Map;
    Map.Left = 10;
    Map.XScale = 1;
    Map.Bottom = 100;
    Map.YScale = 1;
    return Map;
}

}  // namespace

TEST(CurveEnvelope, OneColumnBecomesOneStrokeLinkedToItsNeighbours)
{
    // Column 0: a single point; column 1: five points from 2 up to 9 and
    // back to 4; column 2: a single point.
    const std::vector<double> X = {0, 1, 1.1, 1.2, 1.3, 1.4, 2};
    const std::vector<double> Y = {0, 2, 9, 3, 8, 4, 0};
    const std::vector<QLine> Lines = Envelope(X, Y, UnitMap(), true);
    const std::vector<QLine> Expected = {
        {QPoint(10, 100), QPoint(11, 98)},  // into the column at its first point
        {QPoint(11, 91), QPoint(11, 98)},  // the column's span, highest to lowest value
        {QPoint(11, 96), QPoint(12, 100)},  // out of the column from its last point
    };
    EXPECT_EQ(Lines, Expected);
}

TEST(CurveEnvelope, RepeatedPixelKeepsItsDot)
{
    // Three points on one pixel: the full polyline draws zero-length segments.
    const std::vector<double> X = {1, 1.1, 1.2};
    const std::vector<double> Y = {5, 5.1, 4.9};
    const std::vector<QLine> Expected = {{QPoint(11, 95), QPoint(11, 95)}};
    EXPECT_EQ(Envelope(X, Y, UnitMap(), true), Expected);
    EXPECT_EQ(Envelope(X, Y, UnitMap(), false), Expected);
}

// Finding a column's run by comparing values must give exactly the runs that
// mapping every point gives, ties to even, NaN and infinities included.
TEST(CurveEnvelope, RunsByValueEqualRunsByPixel)
{
    struct Case {
        const char* Name;
        double XScale, YScale, ViewMinX;
        bool Ties;
    };
    const Case Cases[] = {
        {"ties on every half", 1, 1, 0, true}, {"dense", 0.01, 3, -20, false},      {"sparse", 7.3, 0.5, 3, false},
        {"shifted ties", 2, 1, 0.25, true},    {"flat Y scale", 0.05, 0, 0, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        std::mt19937 Random(3);
        std::uniform_int_distribution<int> Step(0, 3);
        std::normal_distribution<double> Noise(0, 4);
        std::vector<double> X, Y;
        double x = -50;
        for (int i = 0; i < 20000; ++i) {
            x += C.Ties ? Step(Random) * 0.25 : std::fabs(Noise(Random)) * 0.3;
            X.push_back(x);
            double y = Noise(Random);
            if (i % 997 == 3)
                y = std::numeric_limits<double>::quiet_NaN();
            if (i % 1409 == 8)
                y = i % 2 ? HUGE_VAL : -HUGE_VAL;
            Y.push_back(y);
        }
        TPixelMap Map = UnitMap();
        Map.XScale = C.XScale;
        Map.YScale = C.YScale;
        Map.ViewMinX = C.ViewMinX;
        const auto ByValue = Envelope(X, Y, Map, true);
        EXPECT_EQ(ByValue, Envelope(X, Y, Map, false));
        EXPECT_GT(ByValue.size(), 10u);
    }
}
