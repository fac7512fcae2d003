#pragma once
// The data-log viewer: "Open data log…" loads a saved .log into the two charts
// of the Datalog page, without a transmitter (zoom, pan, hints and print work as
// for a live recording), and "Export CSV…" writes what is shown as CSV. Lines
// the reader cannot take are counted and reported.

#include <QString>

#include <cstdint>

class QAction;
class TCurve;
class TMainView;
class TMonitorWorkflow;
struct TDatalogSummary;

// Loads FileName into the two curves: X in seconds from the first sample,
// pressure and current as Y. FirstTimeMs: the first sample's time stamp (see
// services/DatalogReader.h). Raises EStreamError when the file cannot be read.
TDatalogSummary LoadDatalogCurves(const QString& FileName, TCurve& Pressure, TCurve& Current, int64_t& FirstTimeMs);

// The points of the two curves as CSV: header, ISO 8601 time, current, pressure.
QByteArray DatalogCurvesCsv(const TCurve& Pressure, const TCurve& Current, int64_t FirstTimeMs,
                            const QString& PressureUnit);

class TDatalogViewer {
public:
    // Adds its two actions to the window's Application menu.
    TDatalogViewer(TMainView& View, TMonitorWorkflow& Monitor);

    void acOpenDatalogExecute();
    void acExportCsvExecute();
    // Whether the charts show a loaded data log (not a recording).
    bool Showing() const { return FShowing; }
    // A recording started: the charts are no longer the log's.
    void RecordingStarted();

    QAction* OpenAction = nullptr;
    QAction* ExportAction = nullptr;

private:
    TMainView& FView;
    TMonitorWorkflow& FMonitor;
    bool FShowing = false;
    int64_t FFirstTimeMs = 0;
    QString FDir;
};
