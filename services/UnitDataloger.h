#pragma once
// The data logger: time-stamped samples of loop current and pressure taken
// while monitoring, and the writer of the tab-separated data-log file.

#include <QDateTime>
#include <QList>
#include <QString>

#include "services/StreamError.h"

class QIODevice;

// The layout of a data-log file.
enum class TDatalogFormat {
    Tabs,  // the lines of SaveToStream
    Csv,  // a header, then ISO 8601 time, current and pressure separated by commas
};

struct TLogSample {
    QDateTime Time;  // local time when the sample was added
    float Current = 0;
    float Pressure = 0;
};

class TDataloger {
public:
    TDataloger() = default;

    // Appends a sample stamped with the current local time; returns how many
    // samples are held now.
    int AddSample(float Pressure, float Current);
    // Appends a sample with a given time stamp (tests, replays).
    int AddSample(const QDateTime& Time, float Pressure, float Current);
    // Complete := Value; clearing Complete also clears Saved.
    void SetComplete(bool Value);
    // Removes the samples; the flags stay.
    void Clear();
    // Appends one line per sample at the end of Stream, then Saved := true and
    // Complete := false. A failed write throws EStreamError; the lines written
    // before stay and Saved stays false.
    void SaveToStream(QIODevice& Stream);
    // Writes the samples to FileName through a temporary file renamed over it,
    // unbuffered, so that a full disk or a file-size limit is seen while
    // writing. Saved := true and Complete := false only once the file is in
    // place. A failure throws EStreamError naming the file; an existing file
    // is then left as it was, and the samples and flags stay. PressureUnit
    // names the pressure column of the CSV header.
    void SaveToFile(const QString& FileName, TDatalogFormat Format = TDatalogFormat::Tabs,
                    const QString& PressureUnit = QString());
    // Checks that SaveToFile could create FileName, without touching an
    // existing file: EStreamError naming the file when it is a directory or
    // no regular file, or when its folder is missing or takes no new file.
    static void CheckTarget(const QString& FileName);

    int Count() const { return static_cast<int>(FSamples.size()); }
    bool Complete() const { return FComplete; }
    bool Saved() const { return FSaved; }
    const QList<TLogSample>& Samples() const { return FSamples; }

    // One line of the file without its CR LF: date and time with blanks as
    // TABs, TAB, current, two TABs, pressure.
    static QString FormatLine(const TLogSample& Sample);

private:
    void WriteSamples(QIODevice& Stream, TDatalogFormat Format, const QString& PressureUnit) const;

    QList<TLogSample> FSamples;
    bool FComplete = false;
    bool FSaved = false;
};
