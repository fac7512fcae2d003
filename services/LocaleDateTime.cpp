#include "services/LocaleDateTime.h"

QString ShortDateText(const QDate& Date, const QLocale& Locale)
{
    return Locale.toString(Date, QLocale::ShortFormat);
}

QString LongTimePattern(const QLocale& Locale)
{
    const QString pattern = Locale.timeFormat(QLocale::LongFormat);
    // Remove the zone field ("t" and its longer forms) outside quoted text,
    // together with the blanks that separated it from the rest.
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            result += c;
        } else if (!quoted && c == QLatin1Char('t')) {
            while (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('t'))
                ++i;
        } else {
            result += c;
        }
    }
    // Trailing or doubled separators left behind by the removed field.
    result = result.trimmed();
    while (result.contains(QLatin1String("  ")))
        result.replace(QLatin1String("  "), QLatin1String(" "));
    return result;
}

QString LongTimeText(const QTime& Time, const QLocale& Locale)
{
    return Locale.toString(Time, LongTimePattern(Locale));
}

QString DateTimeText(const QDateTime& Stamp, const QLocale& Locale)
{
    QString text = ShortDateText(Stamp.date(), Locale);
    if (Stamp.time() != QTime(0, 0))
        text += QLatin1Char(' ') + LongTimeText(Stamp.time(), Locale);
    return text;
}
