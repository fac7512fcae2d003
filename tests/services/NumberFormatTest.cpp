// The general number format of data logs and of the main window's fields.

#include "services/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Case {
    double Value;
    int Digits;
    const char* English;
    const char* German;
};

const Case Cases[] = {
    {1013.25, 6, "1013.25", "1013,25"},
    {4, 6, "4", "4"},
    {0.00005, 6, "5E-5", "5E-5"},
    {2345678, 6, "2.34568E6", "2,34568E6"},
    {0, 6, "0", "0"},
    {-0.0, 6, "0", "0"},
    {-1013.25, 6, "-1013.25", "-1013,25"},
    {-0.00005, 6, "-5E-5", "-5E-5"},
    {-2345678, 6, "-2.34568E6", "-2,34568E6"},
    {12.345678, 6, "12.3457", "12,3457"},
    {0.5, 6, "0.5", "0,5"},
    {100, 6, "100", "100"},
    {123456.7, 6, "123457", "123457"},
    {999999.4, 6, "999999", "999999"},
    {999999.6, 6, "1E6", "1E6"},  // rounds up to seven digits
    {1000000, 6, "1E6", "1E6"},
    {0.0001, 6, "0.0001", "0,0001"},
    {0.00009999999, 6, "0.0001", "0,0001"},  // rounds up into fixed notation
    {0.000099999, 6, "9.9999E-5", "9,9999E-5"},
    {1.5e-10, 6, "1.5E-10", "1,5E-10"},
    {1.5e20, 6, "1.5E20", "1,5E20"},
    {static_cast<double>(0.1f), 6, "0.1", "0,1"},  // a single-precision value
    {static_cast<double>(20.0001f), 6, "20.0001", "20,0001"},
    {1234567, 7, "1234567", "1234567"},
    {12345678, 7, "1.234568E7", "1,234568E7"},
    {3.14159265, 7, "3.141593", "3,141593"},
    {0.001234567, 7, "0.001234567", "0,001234567"},
};

TEST(NumberFormatTest, GeneralFormatUnderEnglishAndGerman)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(FormatGeneral(c.Value, c.Digits, english).toStdString(), c.English);
        EXPECT_EQ(FormatGeneral(c.Value, c.Digits, german).toStdString(), c.German);
    }
}

TEST(NumberFormatTest, ValuesThatAreNotNumbers)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN(), 6, c), QStringLiteral("NAN"));
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity(), 6, c), QStringLiteral("INF"));
    EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity(), 6, c), QStringLiteral("-INF"));
}

}  // namespace
