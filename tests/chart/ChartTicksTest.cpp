// Tick steps, first ticks, label texts, rounding and the text colour.
#include "chart/ChartTicks.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace chart;

TEST(ChartTicks, StepAndDecimalsFollowTheVisibleWindow)
{
    struct Case {
        double Low, High;
        int Pixels;
        double Step;
        int Decimals;
    };
    const Case Cases[] = {
        {0, 100, 168, 10, 0},  // m = 8.33: one digit, factor 10
        {0, 0.001, 26, 0.001, 3},  // m = 0.00054: the smallest factor
        {0, 1000, 168, 100, 0},  // m = 83.3 -> "83", p = 10, factor 10
        {0, 60, 168, 5, 0},  // m = 5.0 -> factor 5
        {-50, 50, 100, 20, 0},  // m = 14 -> "14", p = 10, factor 2
        {0, 3, 168, 0.5, 1},  // m = 0.25 -> "0", p = 1, factor 0.5
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Low << ".." << C.High << " on " << C.Pixels);
        const double MinStep = 14 * (C.High - C.Low) / C.Pixels;
        EXPECT_DOUBLE_EQ(TickStep(MinStep), C.Step);
        EXPECT_EQ(LabelDecimals(TickStep(MinStep)), C.Decimals);
    }
    EXPECT_EQ(LabelDecimals(0.05), 2);
    EXPECT_EQ(LabelDecimals(0.009), 3);
    EXPECT_EQ(LabelDecimals(0.5), 1);
}

TEST(ChartTicks, FirstTickIsTheLowestAtOrAboveTheWindow)
{
    struct Case {
        double ViewMin, Step, Power, First;
    };
    const Case Cases[] = {
        {-0.5, 0.1, 1, -0.5}, {-0.45, 0.1, 1, -0.4}, {0, 10, 1, 0},
        {3.2, 1, 1, 4},       {123, 20, 10, 140},    {-123, 20, 10, -120},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.ViewMin);
        EXPECT_NEAR(FirstTick(C.ViewMin, C.Step, C.Power), C.First, 1e-9);
    }
}

TEST(ChartTicks, FirstTickEndsWhenTheStepCannotMoveAHugeValue)
{
    const double Tick = FirstTick(1e20 + 1, 0.1, 1);
    EXPECT_TRUE(std::isfinite(Tick));
}

TEST(ChartTicks, NearestIntegerSendsHalvesToEven)
{
    const std::pair<double, int> Cases[] = {
        {0.5, 0},    {1.5, 2},   {2.5, 2},        {-0.5, 0},        {-1.5, -2},
        {2.4999, 2}, {-2.6, -3}, {1e30, INT_MAX}, {-1e30, INT_MIN}, {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& [Value, Expected] : Cases)
        EXPECT_EQ(RoundHalfEven(Value), Expected) << Value;
}

TEST(ChartTicks, LabelsUseFixedDecimalsUntilElevenDigits)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(FormatLabel(1013.26, 1), "1013.3");
    EXPECT_EQ(FormatLabel(-0.5, 1), "-0.5");
    EXPECT_EQ(FormatLabel(1234567.0, 0), "1234567");  // no group separator
    EXPECT_EQ(FormatLabel(9999999999.0, 0), "9999999999");
    EXPECT_TRUE(FormatLabel(12345678901.0, 1).contains('E'));
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(FormatLabel(2.5, 2), "2,50");
    QLocale::setDefault(QLocale::c());
}

TEST(ChartTicks, TextColourIsTheLightenedInverse)
{
    EXPECT_EQ(InvertColor(Qt::white), QColor(Qt::black));
    EXPECT_EQ(InvertColor(QColor(255, 251, 240)), QColor(0, 4, 15));
    EXPECT_EQ(LightenColor(QColor(0, 4, 15), 0), QColor(0, 4, 15));
    EXPECT_EQ(LightenColor(QColor(0, 4, 15), 100), QColor(Qt::white));
    EXPECT_EQ(LightenColor(QColor(0, 0, 0), 50), QColor(128, 128, 128));  // 127.5 -> 128
    EXPECT_EQ(LightenColor(QColor(10, 10, 10), 256 + 50), LightenColor(QColor(10, 10, 10), 50));
    EXPECT_EQ(LightenColor(QColor(0, 0, 0), 200), QColor(Qt::white));  // clamped, not wrapped
}
