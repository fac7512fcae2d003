#pragma once
// The general floating-point format used for every number the operator sees
// or that goes into a data log: at most N significant digits, no thousands
// separators, the locale's decimal separator, trailing zeros dropped, and
// scientific notation (1.5E-5, 2.34568E6) only for very large or very small
// magnitudes.

#include <QLocale>
#include <QString>

// Formats Value with at most Digits significant digits (1 to 17). Fixed
// notation unless the value, rounded to Digits significant digits, is 10^Digits
// or more in magnitude, or is below 0.0001; then mantissa, "E", an optional
// "-" and the exponent without leading zeros. Zero is "0"; not-a-number and
// infinities are "NAN", "INF" and "-INF".
QString FormatGeneral(double Value, int Digits, const QLocale& Locale = QLocale());
