#include "services/SettingsText.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

// Either decimal separator, no group separators, finite.
std::optional<double> DecimalNumber(const QString& Text)
{
    QString text = Text.trimmed();
    // One separator at most: a second one would be a group separator.
    if (text.count(QLatin1Char(',')) + text.count(QLatin1Char('.')) > 1)
        return std::nullopt;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<float> SettingNumber(const QString& Text)
{
    const std::optional<double> value = DecimalNumber(Text);
    if (!value || std::fabs(*value) > 3.4028234663852886e38)
        return std::nullopt;
    return static_cast<float>(*value);
}

std::optional<double> MonitorRateSeconds(const QString& Text)
{
    const std::optional<double> value = DecimalNumber(Text);
    if (!value || !(*value > 0) || *value > std::numeric_limits<int>::max() / 1000.0)
        return std::nullopt;
    return value;
}

std::optional<QDate> SettingDate(const QString& Text)
{
    const QDate date = QDate::fromString(Text.trimmed(), QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid() || date.year() < 1900 || date.year() > 2155)
        return std::nullopt;
    return date;
}

QString SettingDateText(const QDate& Date)
{
    return Date.toString(QStringLiteral("dd.MM.yyyy"));
}

bool PackedAsciiChar(QChar Char)
{
    return Char.unicode() >= 0x20 && Char.unicode() <= 0x5F;
}

qsizetype FirstUnstorableChar(const QString& Text)
{
    for (qsizetype i = 0; i < Text.size(); ++i)
        if (!PackedAsciiChar(Text[i]))
            return i;
    return -1;
}
