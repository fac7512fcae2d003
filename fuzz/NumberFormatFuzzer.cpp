// The general number format of the data log and the window. The input is a
// double (8 bytes), the number of significant digits and a locale. The text
// must read back, in the same locale, as the value rounded to those digits.

#include <QLocale>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "services/NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 10)
        return 0;
    double Value = 0;
    std::memcpy(&Value, Data, sizeof Value);
    const int Digits = 1 + Data[8] % 17;
    static const QLocale Locales[]
        = {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany)};
    const QLocale& Locale = Locales[Data[9] % 3];
    const QString Text = FormatGeneral(Value, Digits, Locale);
    if (Text.isEmpty())
        std::abort();
    if (std::isnan(Value)) {
        if (Text != QLatin1String("NAN"))
            std::abort();
        return 0;
    }
    if (std::isinf(Value)) {
        if (Text != QLatin1String(Value > 0 ? "INF" : "-INF"))
            std::abort();
        return 0;
    }
    if (Text.contains(Locale.groupSeparator()) && Locale.groupSeparator() != Locale.decimalPoint())
        std::abort();
    bool Ok = false;
    QLocale Reader = Locale;
    Reader.setNumberOptions(QLocale::RejectGroupSeparator);
    const double Back = Reader.toDouble(Text, &Ok);
    // Within half a unit of the last digit of the largest double, rounding
    // gives a number beyond it ("-2E308" at one digit): no double reads it.
    if (!Ok && std::fabs(Value) < 1e308)
        std::abort();
    if (!Ok)
        return 0;
    // Rounding to Digits significant digits moves a value by at most half a unit
    // in its last place; the two decimal conversions add a few units of the
    // double's own last place.
    const double Allowed = std::fabs(Value) * (std::pow(10.0, 1 - Digits) * 0.5 + 8e-16);
    if (std::fabs(Back - Value) > Allowed)
        std::abort();
    return 0;
}
