#include "services/LocaleDateTime.h"

QString ShortDateText(const QDate& Date, const QLocale& Locale)
{
    return Locale.toString(Date, QLocale::ShortFormat);
}

QString FullYearDatePattern(const QLocale& Locale)
{
    const QString pattern = Locale.dateFormat(QLocale::ShortFormat);
    // A run of exactly two "y" outside quoted text is the two-digit year.
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('y')) {
            qsizetype run = 1;
            while (i + run < pattern.size() && pattern.at(i + run) == QLatin1Char('y'))
                ++run;
            result += QString(run == 2 ? 4 : run, QLatin1Char('y'));
            i += run - 1;
            continue;
        }
        result += c;
    }
    return result;
}

QString FullYearDateText(const QDate& Date, const QLocale& Locale)
{
    return Locale.toString(Date, FullYearDatePattern(Locale));
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
    QString text = FullYearDateText(Stamp.date(), Locale);
    if (Stamp.time() != QTime(0, 0))
        text += QLatin1Char(' ') + LongTimeText(Stamp.time(), Locale);
    return text;
}
