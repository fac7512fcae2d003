#include "app/workflows/DatalogViewer.h"

#include "app/UnitFrmMainUi.h"
#include "app/OperatorDialogs.h"
#include "app/workflows/MainView.h"
#include "app/workflows/MonitorWorkflow.h"
#include "chart/NorvaneChart.h"
#include "services/DatalogReader.h"
#include "services/SafeSave.h"
#include "services/UnitDataloger.h"
#include "services/UnitLogger.h"
#include "services/StreamError.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include <cmath>

TDatalogSummary LoadDatalogCurves(const QString& FileName, TCurve& Pressure, TCurve& Current, int64_t& FirstTimeMs)
{
    bool First = true;
    const TDatalogSummary Summary = ReadDatalogFile(FileName, [&](const TDatalogRecord& Record) {
        if (First) {
            FirstTimeMs = Record.TimeMs;
            First = false;
        }
        const double Seconds = double(Record.TimeMs - FirstTimeMs) / 1000.0;
        Pressure.AddPoint(Seconds, Record.Pressure);
        Current.AddPoint(Seconds, Record.Current);
    });
    return Summary;
}

QByteArray DatalogCurvesCsv(const TCurve& Pressure, const TCurve& Current, int64_t FirstTimeMs,
                            const QString& PressureUnit)
{
    QByteArray Csv = "time,current_mA,pressure";
    if (!PressureUnit.isEmpty())
        Csv += '_' + PressureUnit.toUtf8();
    Csv += "\r\n";
    const std::size_t Count = std::min(Pressure.PointCount(), Current.PointCount());
    Csv.reserve(qsizetype(Count * 48 + 64));
    for (std::size_t i = 0; i < Count; ++i) {
        Csv += DatalogIsoTime(FirstTimeMs + std::llround(Pressure.XValues()[i] * 1000.0));
        Csv += ',';
        Csv += QByteArray::number(Current.YValues()[i], 'g', 7);
        Csv += ',';
        Csv += QByteArray::number(Pressure.YValues()[i], 'g', 7);
        Csv += "\r\n";
    }
    return Csv;
}

TDatalogViewer::TDatalogViewer(TMainView& View, TMonitorWorkflow& Monitor)
    : FView(View)
    , FMonitor(Monitor)
{
    const TfrmMainUi& Ui = View.Ui();
    OpenAction = new QAction(QStringLiteral("Ope&n data log\u2026"), View.Window());
    OpenAction->setObjectName(QStringLiteral("acOpenDatalog"));
    OpenAction->setStatusTip(QStringLiteral("Show a saved data log in the charts"));
    ExportAction = new QAction(QStringLiteral("E&xport CSV\u2026"), View.Window());
    ExportAction->setObjectName(QStringLiteral("acExportCsv"));
    ExportAction->setStatusTip(QStringLiteral("Save the data log shown in the charts as CSV"));
    ExportAction->setEnabled(false);
    // Beside "Save data log…" in the Application menu.
    Ui.mmiApp->insertAction(Ui.mmiSaveDatalog, OpenAction);
    const QList<QAction*> Items = Ui.mmiApp->actions();
    const qsizetype After = Items.indexOf(Ui.mmiSaveDatalog) + 1;
    Ui.mmiApp->insertAction(After < Items.size() ? Items[After] : nullptr, ExportAction);
    QObject::connect(OpenAction, &QAction::triggered, View.Window(), [this] { acOpenDatalogExecute(); });
    QObject::connect(ExportAction, &QAction::triggered, View.Window(), [this] { acExportCsvExecute(); });
}

void TDatalogViewer::RecordingStarted()
{
    FShowing = false;
    ExportAction->setEnabled(false);
}

void TDatalogViewer::acOpenDatalogExecute()
{
    // The charts belong to a running recording.
    if (FMonitor.Recording()) {
        FView.ShowError(FView.Translate(QStringLiteral("E42.DATALOGRECORDING")));
        return;
    }
    if (!FMonitor.QueryUnsavedDatalog())
        return;
    TFileDialogOptions Options;
    Options.InitialDir = FDir.isEmpty() ? FMonitor.DatalogDir : FDir;
    Options.Filter = QStringLiteral("Log Files (*.log)|*.log|All Files (*.*)|*.*");
    Options.Title = QStringLiteral("Open data log");
    const std::optional<QString> FileName = FView.Dialogs().GetOpenFileName(FView.Window(), Options);
    if (!FileName)
        return;
    FDir = QFileInfo(*FileName).absolutePath();
    FMonitor.Dataloger.reset();  // the question above settled the recording's samples
    FMonitor.UpdateSaveDatalogAction();
    FMonitor.InitPressureCurve();
    FMonitor.InitCurrentCurve();
    TDatalogSummary Summary;
    try {
        Summary = LoadDatalogCurves(*FileName, *FMonitor.PressureCurve, *FMonitor.CurrentCurve, FFirstTimeMs);
    } catch (const EStreamError& Error) {
        FShowing = false;
        ExportAction->setEnabled(false);
        FView.ShowError(Error.Text([this](const QString& Key) { return FView.Translate(Key); }));
        return;
    }
    FShowing = Summary.Samples > 0;
    ExportAction->setEnabled(FShowing);
    FView.Ui().tbnMain->setCurrentIndex(1);  // the Datalog page
    FView.Ui().bdcPressure->ResetView();
    FView.Ui().bdcCurrent->ResetView();
    const QString Name = QFileInfo(*FileName).fileName();
    FView.SetStatusText(1, FView.Translate(QStringLiteral("I20.DATALOGSHOWN")).arg(Summary.Samples).arg(Name));
    FView.Log().WriteLine(QStringLiteral("Data log %1 shown: %2 samples, %3 unreadable lines")
                              .arg(*FileName)
                              .arg(Summary.Samples)
                              .arg(Summary.BadLines));
    if (Summary.BadLines > 0)
        FView.Dialogs().ShowMessage(FView.Window(),
                                    FView.Translate(QStringLiteral("W20.DATALOGBADLINES"))
                                        .arg(Summary.BadLines)
                                        .arg(Summary.FirstBadLine)
                                        .arg(Name),
                                    TDialogIcon::Warning);
}

void TDatalogViewer::acExportCsvExecute()
{
    if (!FShowing || !FMonitor.PressureCurve || !FMonitor.CurrentCurve)
        return;
    TFileDialogOptions Options;
    Options.InitialDir = FDir;
    Options.Filter = QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*");
    Options.DefaultExt = QStringLiteral("csv");
    Options.Title = QStringLiteral("Export CSV");
    const std::optional<QString> FileName = FView.Dialogs().GetSaveFileName(FView.Window(), Options);
    if (!FileName)
        return;
    try {
        SaveFileBytes(*FileName,
                      DatalogCurvesCsv(*FMonitor.PressureCurve, *FMonitor.CurrentCurve, FFirstTimeMs, QString()));
    } catch (const EStreamError& Error) {
        FView.ShowError(Error.Text([this](const QString& Key) { return FView.Translate(Key); }));
    }
}
