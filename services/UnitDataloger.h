#pragma once
// The data logger: time-stamped samples of loop current and pressure taken
// while monitoring, and the writer of the tab-separated data-log file.

#include <QDateTime>
#include <QList>
#include <QString>

#include "services/StreamError.h"

class QIODevice;

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

    int Count() const { return static_cast<int>(FSamples.size()); }
    bool Complete() const { return FComplete; }
    bool Saved() const { return FSaved; }
    const QList<TLogSample>& Samples() const { return FSamples; }

    // One line of the file without its CR LF: date and time with blanks as
    // TABs, TAB, current, two TABs, pressure.
    static QString FormatLine(const TLogSample& Sample);

private:
    QList<TLogSample> FSamples;
    bool FComplete = false;
    bool FSaved = false;
};
