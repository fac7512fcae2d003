// Number helpers of the chart: rounding, tick steps, label texts and the
// text colour. Pure functions, so the tick arithmetic can be tested without
// painting anything.
#pragma once

#include <QColor>
#include <QString>

#include <array>

namespace chart {

// Multipliers tried in order for a tick step of f x 10^k.
inline constexpr std::array<double, 13> StepFactors
    = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};

// Nearest integer with halves sent to the even neighbour. Values beyond the
// int range (and NaN) are clamped so that the conversion is always defined.
int RoundHalfEven(double Value);

// Tick step for a smallest acceptable step MinStep (> 0 and finite): the
// first StepFactors entry times 10^(n-1), n being the number of digits of
// MinStep rounded to an integer, that is not below MinStep.
double TickStep(double MinStep);

// The power of ten used by TickStep for MinStep.
double TickPower(double MinStep);

// Lowest tick at or above ViewMin for the given step; Power is TickPower of
// the same smallest step.
double FirstTick(double ViewMin, double Step, double Power);

// Decimals shown on labels of ticks Step apart.
int LabelDecimals(double Step);

// Fixed-point text with Decimals decimals, the locale's decimal separator
// and no group separators; scientific when more than 10 digits precede the
// separator.
QString FormatLabel(double Value, int Decimals);

// Each channel moved Percent per cent of the way towards 255.
QColor LightenColor(QColor Color, int Percent);

// The colour with all 24 bits of red, green and blue inverted.
QColor InvertColor(QColor Color);

}  // namespace chart
