#include "services/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The value rounded to Digits significant digits, as its digit string
// (without the decimal point, Digits long) and its decimal exponent.
struct TRoundedDigits {
    std::string Digits;
    int Exponent = 0;
};

TRoundedDigits RoundToSignificant(double Magnitude, int Digits)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", Digits - 1, Magnitude);
    const std::string text(buffer);
    const auto ePos = text.find('e');
    TRoundedDigits result;
    for (std::size_t i = 0; i < ePos; ++i)
        if (text[i] != '.')
            result.Digits += text[i];
    result.Exponent = std::atoi(text.c_str() + ePos + 1);
    return result;
}

void DropTrailingZeros(std::string& Digits)
{
    while (Digits.size() > 1 && Digits.back() == '0')
        Digits.pop_back();
}

}  // namespace

QString FormatGeneral(double Value, int Digits, const QLocale& Locale)
{
    if (std::isnan(Value))
        return QStringLiteral("NAN");
    if (std::isinf(Value))
        return Value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (Value == 0.0)
        return QStringLiteral("0");
    Digits = std::clamp(Digits, 1, 17);

    TRoundedDigits rounded = RoundToSignificant(std::fabs(Value), Digits);
    std::string digits = rounded.Digits;
    DropTrailingZeros(digits);
    const int exponent = rounded.Exponent;

    std::string text = Value < 0 ? "-" : "";
    if (exponent >= Digits || exponent < -4) {
        text += digits[0];
        if (digits.size() > 1) {
            text += '.';
            text += digits.substr(1);
        }
        text += 'E';
        if (exponent < 0)
            text += '-';
        text += std::to_string(std::abs(exponent));
    } else if (exponent >= 0) {
        const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            text += digits.substr(0, integerDigits);
            text += '.';
            text += digits.substr(integerDigits);
        }
    } else {
        text += "0.";
        text += std::string(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    }

    QString result = QString::fromLatin1(text.c_str());
    const QString point = Locale.decimalPoint();
    if (point != QLatin1String("."))
        result.replace(QLatin1Char('.'), point);
    return result;
}
