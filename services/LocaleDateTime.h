#pragma once
// Date and time texts in the user's formats, as the log and the data log write
// them. Qt's long time format carries a time-zone name ("t"); the log and the
// data log are columns of date and time only, so the zone is left out.

#include <QDateTime>
#include <QLocale>
#include <QString>

// The locale's short date, e.g. "12/6/26" or "06.12.26".
QString ShortDateText(const QDate& Date, const QLocale& Locale = QLocale());

// The locale's short date pattern with a two-digit year widened to four
// digits: "dd.MM.yyyy", "M/d/yyyy". The order and separators stay the locale's.
QString FullYearDatePattern(const QLocale& Locale = QLocale());
// The date in that pattern, e.g. "12/6/2026" or "06.12.2026".
QString FullYearDateText(const QDate& Date, const QLocale& Locale = QLocale());

// The locale's long time without the time zone, e.g. "9:45:13 PM" or "21:45:13".
QString LongTimeText(const QTime& Time, const QLocale& Locale = QLocale());

// The locale's long time pattern without its time-zone field.
QString LongTimePattern(const QLocale& Locale = QLocale());

// The date with a four-digit year, a blank and long time; the time is left
// out when the time stamp is exactly midnight (the data log's time column).
QString DateTimeText(const QDateTime& Stamp, const QLocale& Locale = QLocale());
