#include "chart/ChartTicks.h"

#include <QLocale>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace chart {

int RoundHalfEven(double Value)
{
    if (!(Value == Value))
        return 0;
    constexpr double Low = double(INT_MIN);
    constexpr double High = double(INT_MAX);
    Value = std::clamp(Value, Low, High);
    // Adding 1.5 x 2^52 leaves no bits below the units, so the addition
    // itself rounds to the nearest integer, ties to even (the default
    // rounding mode); subtracting it again is exact. Far cheaper than
    // nearbyint, which matters at a million points per paint.
    constexpr double Shift = 6755399441055744.0;
    const double Rounded = (Value + Shift) - Shift;
    return int(Rounded);
}

double TickPower(double MinStep)
{
    // Count the characters of MinStep printed without decimals (rounded).
    char Text[400];
    const int Length = std::snprintf(Text, sizeof Text, "%.0f", MinStep);
    const int Digits = std::max(1, Length);
    return std::pow(10.0, Digits - 1);
}

double TickStep(double MinStep)
{
    const double Power = TickPower(MinStep);
    for (const double Factor : StepFactors)
        if (Factor * Power >= MinStep)
            return Factor * Power;
    // Unreachable for finite MinStep: 10 x Power always exceeds it.
    return StepFactors.back() * Power;
}

double FirstTick(double ViewMin, double Step, double Power)
{
    const double Decade = 10 * Power;
    double Tick = std::trunc(ViewMin / Decade) * Decade;
    // The start lies within one decade of ViewMin, so at most 10 / 0.001
    // steps are needed; the bound also ends the walk where adding the step
    // no longer changes a very large value.
    constexpr int MaxSteps = 20000;
    if (ViewMin >= 0) {
        for (int i = 0; i < MaxSteps && Tick < ViewMin; ++i)
            Tick += Step;
    } else {
        for (int i = 0; i < MaxSteps && ViewMin + Step <= Tick; ++i)
            Tick -= Step;
    }
    return Tick;
}

int LabelDecimals(double Step)
{
    if (Step < 0.01)
        return 3;
    if (Step < 0.1)
        return 2;
    if (Step < 1)
        return 1;
    return 0;
}

QString FormatLabel(double Value, int Decimals)
{
    QLocale Locale;
    Locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (std::fabs(Value) >= 1e10)
        return Locale.toString(Value, 'E', Decimals);
    return Locale.toString(Value, 'f', Decimals);
}

QColor LightenColor(QColor Color, int Percent)
{
    const int P = Percent & 0xFF;
    const auto Lighten = [P](int Channel) {
        const double V = Channel + (255 - Channel) * P / 100.0;
        return std::clamp(RoundHalfEven(V), 0, 255);
    };
    return QColor(Lighten(Color.red()), Lighten(Color.green()), Lighten(Color.blue()));
}

QColor InvertColor(QColor Color)
{
    return QColor(QRgb(~Color.rgb() & 0xFFFFFFu));
}

}  // namespace chart
