#pragma once
// Reads a data-log file back, as the data logger wrote it on any system: per
// line the date (day, month and year in the writer's order and separators, or
// year first), the time (with AM/PM where the writer's locale uses it, to the
// second or millisecond), the loop current and the pressure, separated by
// TABs, the numbers with "." or "," as decimal separator. Which of day and
// month comes first is decided for the whole file: a first field above 12
// anywhere means day first, a second one month first; when every date leaves
// it open, the order of this system's short date decides.
// Lines that cannot be read are counted, never fatal. Time stamps are the
// writer's local wall time, kept as milliseconds from 1970-01-01 00:00.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

struct TDatalogRecord {
    int64_t TimeMs = 0;
    float Current = 0;
    float Pressure = 0;
};

struct TDatalogSummary {
    int64_t Samples = 0;
    int64_t BadLines = 0;
    int64_t FirstBadLine = 0;  // 1-based, 0 when every line was read
};

using TDatalogSink = std::function<void(const TDatalogRecord&)>;

// The lines of Bytes, each readable one handed to Sink in file order.
TDatalogSummary ParseDatalog(const char* Bytes, std::size_t Size, const TDatalogSink& Sink);
// The file FileName; a file that cannot be opened raises EStreamError.
TDatalogSummary ReadDatalogFile(const QString& FileName, const TDatalogSink& Sink);

// A time stamp of the log as ISO 8601 local time to the millisecond,
// "2024-06-15T10:04:05.250".
QByteArray DatalogIsoTime(int64_t TimeMs);
