#pragma once
// The operator's texts for the settings written to a transmitter, turned into
// the values that are sent: decimal numbers with either separator, the date of
// the description, and the characters a tag or descriptor can hold.
//
// Qt Core only: used by the window and by the command-line tool.

#include <QDate>
#include <QString>

#include <optional>

// A range or damping text as a single-precision number. Both "," and "." are
// taken as the decimal separator ("0,5" from a German PC, "0.5" from an English
// one); blanks around the number are ignored. Nothing when the text is no
// finite number (also with group separators such as "1.000,5").
std::optional<float> SettingNumber(const QString& Text);

// The monitoring period in seconds, read as SettingNumber reads: "2.500" and
// "2,500" are 2.5 under every locale, never 2500. Nothing when it is no
// number, not above zero, or longer than a timer of whole milliseconds in an
// int can count (some 24 days).
std::optional<double> MonitorRateSeconds(const QString& Text);

// The description's date as shown on the window, dd.mm.yyyy under every
// locale; nothing when it is empty, no calendar date, or outside the years a
// transmitter stores (1900 to 2155).
std::optional<QDate> SettingDate(const QString& Text);
QString SettingDateText(const QDate& Date);

// Tag and descriptor travel as packed ASCII, which holds only the characters
// 0x20 to 0x5F (upper case, digits, blank and most punctuation).
bool PackedAsciiChar(QChar Char);
// The position of the first character of Text that packed ASCII cannot hold,
// or -1.
qsizetype FirstUnstorableChar(const QString& Text);
