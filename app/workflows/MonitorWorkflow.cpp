// Monitoring and data logging: the timer polls the transmitter, both charts get
// a point per tick, and while "Save datalog" is ticked every sample goes into the
// data logger until the capacity is reached or the operator stops.

#include "app/workflows/MonitorWorkflow.h"

#include "app/Application.h"
#include "app/ConvertError.h"
#include "app/OperatorDialogs.h"
#include "app/PortComboBox.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "chart/NorvaneChart.h"
#include "hart/ExchangeTime.h"
#include "hart/HartCommand.h"
#include "services/NumberFormat.h"
#include "services/SettingsText.h"
#include "services/UnitDataloger.h"
#include "transmitter/BurstSession.h"
#include "transmitter/MonitoringSample.h"
#include "services/UnitLangManager.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <limits>
#include <new>

namespace {

const QColor PressureColor(128, 0, 0);  // maroon
const QColor CurrentColor(0, 0, 128);  // navy

// A live value in the monitoring tool bar: fixed with 4 decimals, general
// format when that would need more than 8 digits.
QString LiveValueText(float Value)
{
    if (!std::isfinite(Value) || std::fabs(Value) >= 1e8)
        return FormatGeneral(double(Value), 8);
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(Value), 'f', 4);
}

}  // namespace

// Brings "Save data log…" up to date when the step that changed the logger
// ends, also by an exception (a failed save keeps the samples).
class TSaveActionRefresh {
public:
    explicit TSaveActionRefresh(TMonitorWorkflow& Workflow)
        : FWorkflow(Workflow)
    {
    }
    ~TSaveActionRefresh() { FWorkflow.UpdateSaveDatalogAction(); }
    TSaveActionRefresh(const TSaveActionRefresh&) = delete;
    TSaveActionRefresh& operator=(const TSaveActionRefresh&) = delete;

private:
    TMonitorWorkflow& FWorkflow;
};

TMonitorWorkflow::TMonitorWorkflow(TMainView& View, const TSensorInfo& Sensor)
    : FView(View)
    , FUi(View.Ui())
    , FSensor(Sensor)
{
    AddBurstChoice();
}

TMonitorWorkflow::~TMonitorWorkflow() = default;

double TMonitorWorkflow::ShortestMonitorRate() const
{
    return ShortestCommand3Period(BaudrateValue(FView.Hart().Baudrate()), FView.Hart().NumPreamble(),
                                  FView.Hart().RTSDelay());
}

bool TMonitorWorkflow::Recording() const
{
    return FUi.tmrMonitor->isActive();
}

// --- start -------------------------------------------------------------------------

void TMonitorWorkflow::acStartMonitoringExecute()
{
    // A second press of the pressed start button would throw the samples away.
    if (Recording())
        return;
    const TSaveActionRefresh refresh(*this);
    FView.Log().WriteLine(QStringLiteral("Monitoring will be started"));
    FUi.tbtnStartDatalog->setChecked(true);
    ElapsedTime = 0;
    if (!FUi.chbSaveDatalog->isChecked())
        return;

    // A refused capacity or rate leaves the page, the status and the charts as
    // they were.
    if (!ReadCapacity() || !(BurstChosen() || ReadRate()))
        return;
    if (BurstChosen())
        MonitorRate = 0;  // the transmitter sets the pace
    // Samples a stop could not save are not replaced without asking.
    if (!QueryUnsavedDatalog(QStringLiteral("W6.frmMain"))) {
        FUi.tbtnStopDatalog->setChecked(true);
        return;
    }

    FUi.pnlDataMain->setEnabled(false);
    FView.SetStatusText(1, FView.Translate(QStringLiteral("W4.NOEDITION")));
    QCoreApplication::processEvents();
    InitPressureCurve();
    QCoreApplication::processEvents();
    InitCurrentCurve();
    QCoreApplication::processEvents();
    // In burst mode each tick waits for the next frame.
    FUi.tmrMonitor->setInterval(BurstChosen() ? 0 : int(std::lround(MonitorRate * 1000)));
    FBurstChoice->setEnabled(false);
    FFirstSampleUs.reset();

    for (QWidget* control : std::initializer_list<QWidget*> {FUi.chbSaveDatalog, FUi.edStorageCap, FUi.lblCapacity,
                                                             FUi.edRate, FUi.lblRate})
        control->setEnabled(false);
    FUi.chbCurrentLine->setEnabled(true);

    try {
        FUi.prbProgress->setValue(0);
        FUi.prbProgress->setMaximum(Capacity - 1);
        if (Dataloger)
            Dataloger->Clear();
        else
            Dataloger = std::make_unique<TDataloger>();
        Dataloger->SetComplete(false);
        FView.Log().WriteLine(QStringLiteral("Start to collect data"));
        // The port normally is still open from the read; a failure shows at the
        // first tick.
        try {
            if (!FView.Hart().PortOpen()) {
                FView.Hart().OpenPort(FView.DevicePath(FUi.cmbPort->currentText()).toStdString());
                FView.ApplyLineRules();
            }
        } catch (const EHartComError&) {
        } catch (const EConvertError&) {
        }
        LockForRecording(true);
        FUi.tmrMonitor->start();
    } catch (const std::bad_alloc&) {
        FView.ShowError(FView.Translate(QStringLiteral("E6.frmMain")));
        FUi.tbtnStopDatalog->setChecked(true);
    }
}

bool TMonitorWorkflow::ReadCapacity()
{
    const QString text = FUi.edStorageCap->text();
    if (text.isEmpty()) {
        Capacity = std::numeric_limits<int32_t>::max();
        return true;
    }
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value <= 0) {
        FView.ShowError(FView.Translate(QStringLiteral("E5.frmMain")));
        FUi.tbtnStopDatalog->setChecked(true);
        return false;
    }
    Capacity = value;
    return true;
}

bool TMonitorWorkflow::ReadRate()
{
    const QString text = FUi.edRate->text();
    // "," or "." as the decimal separator, never a thousands separator.
    const std::optional<double> seconds = MonitorRateSeconds(text);
    if (!seconds) {
        FView.ShowError(FView.Translate(QStringLiteral("E10.frmMain")));
        FUi.tbtnStopDatalog->setChecked(true);
        if (text.isEmpty())
            FUi.edRate->setFocus();
        return false;
    }
    // Ticks faster than one exchange would run back to back.
    const double rate = *seconds;
    const double shortest = ShortestMonitorRate();
    if (rate < shortest) {
        FView.ShowError(FView.Translate(QStringLiteral("E14.frmMain")).arg(FormatGeneral(shortest, 3)));
        FUi.tbtnStopDatalog->setChecked(true);
        return false;
    }
    MonitorRate = rate;
    return true;
}

void TMonitorWorkflow::InitPressureCurve()
{
    FView.Log().WriteLine(QStringLiteral("Pressure curve will be initialized"));
    FUi.bdcPressure->Curves().Clear();
    PressureCurve = nullptr;
    FUi.bdcPressure->SetMinXValue(0);
    FUi.bdcPressure->SetMaxXValue(0.001);
    FUi.bdcPressure->SetMinYValue(0);
    FUi.bdcPressure->SetMaxYValue(0.001);
    // A new recording starts unzoomed: the previous zoom could leave the new
    // curve outside the view.
    FUi.bdcPressure->ResetView();
    FUi.bdcPressure->SetAxisTitleLine(0, QStringLiteral("P, ") + QString::fromStdString(FSensor.Unit));
    PressureCurve = FUi.bdcPressure->Curves().Add();
    PressureCurve->SetColorGraph(PressureColor);
    PressureCurve->SetThickLine(2);
    PressureCurve->SetDetails(false);
}

void TMonitorWorkflow::InitCurrentCurve()
{
    FView.Log().WriteLine(QStringLiteral("Current curve will be initialized"));
    FUi.bdcCurrent->Curves().Clear();
    CurrentCurve = nullptr;
    FUi.bdcCurrent->SetMinXValue(0);
    FUi.bdcCurrent->SetMaxXValue(0.001);
    FUi.bdcCurrent->SetMinYValue(0);
    FUi.bdcCurrent->SetMaxYValue(0.1);
    FUi.bdcCurrent->ResetView();
    FUi.bdcCurrent->SetAxisTitleLine(0,
                                     FUi.mmiCurrLine->isChecked() ? QStringLiteral("I, mA") : QStringLiteral("U, V"));
    CurrentCurve = FUi.bdcCurrent->Curves().Add();
    CurrentCurve->SetColorGraph(CurrentColor);
    CurrentCurve->SetThickLine(2);
    CurrentCurve->SetDetails(false);
}

// What a recording would break (a read or a write resets the port under the
// timer, a port change closes it) waits until the recording ends.
void TMonitorWorkflow::LockForRecording(bool Locked)
{
    if (Locked) {
        FLockedByRecording.clear();
        for (QAction* action : {FUi.acRead, FUi.acSet, FUi.acLoad, FUi.acSetUR, FUi.acSetLR, FUi.acSetZero}) {
            FLockedByRecording.append({action, action->isEnabled()});
            action->setEnabled(false);
        }
        for (QWidget* control : std::initializer_list<QWidget*> {FUi.cmbPort, FUi.chbUseUSB, FUi.cmbSensorType}) {
            FLockedByRecording.append({control, control->isEnabled()});
            control->setEnabled(false);
        }
        return;
    }
    for (const auto& [object, enabled] : std::as_const(FLockedByRecording)) {
        if (auto* action = qobject_cast<QAction*>(object))
            action->setEnabled(enabled);
        else if (auto* control = qobject_cast<QWidget*>(object))
            control->setEnabled(enabled);
    }
    FLockedByRecording.clear();
}

// --- ticks -------------------------------------------------------------------------

void TMonitorWorkflow::tmrMonitorTimer()
{
    // A timer has no action to disable: a tick that falls inside a workflow
    // talking to the transmitter waits for the next one.
    if (FView.DeviceBusy())
        return;
    MonitorTick();
}

void TMonitorWorkflow::MonitorTick()
{
    const TSaveActionRefresh refresh(*this);
    // Each point stands at the time its sample was taken, on the link's clock:
    // a tick held back (a busy line, a slow exchange) leaves a visible gap
    // rather than being drawn one period after the last.
    int64_t nowUs = FView.Hart().Device().NowUs();
    TMonitoringSample sample;
    try {
        if (BurstChosen())
            TakeBurstSample(sample, nowUs);
        else
            sample = ReadMonitoringSample(FView.Hart());
    } catch (const EHartComError& e) {
        StopAfterLinkError(QString::fromStdString(e.Message()));
        return;
    }
    FUi.prbProgress->setValue(FUi.prbProgress->value() + 1);
    if (!FFirstSampleUs)
        FFirstSampleUs = nowUs;
    ElapsedTime = double((nowUs - *FFirstSampleUs + 500) / 1000) / 1000;  // whole milliseconds
    if (PressureCurve) {
        PressureCurve->AddPoint(ElapsedTime, sample.Pressure);
        FUi.stCurrentPressureValue->setText(LiveValueText(sample.Pressure));
    }
    if (CurrentCurve) {
        CurrentCurve->AddPoint(ElapsedTime, sample.Current);
        FUi.stCurrentCurrentValue->setText(LiveValueText(sample.Current));
    }

    if (!FUi.chbSaveDatalog->isChecked() || !Dataloger)
        return;
    if (Dataloger->AddSample(sample.Time, sample.Pressure, sample.Current) == Capacity)
        Dataloger->SetComplete(true);
    if (!Dataloger->Complete() || Dataloger->Saved())
        return;

    // Full: no further tick while the question is open.
    FUi.tmrMonitor->stop();
    FUi.pnlDataMain->setEnabled(true);
    FView.SetStatusText(1, FView.Translate(QStringLiteral("infAllowEdit")));
    FUi.tbtnStopDatalog->setChecked(true);
    for (QWidget* control : std::initializer_list<QWidget*> {FUi.edStorageCap, FUi.chbSaveDatalog, FUi.lblCapacity,
                                                             FUi.lblRate, FUi.edRate})
        control->setEnabled(true);
    LockForRecording(false);
    if (FView.Dialogs().AskYesNo(FView.Window(), FView.Translate(QStringLiteral("W4.frmMain")),
                                 TDialogIcon::Confirmation)) {
        FView.Log().WriteLine(QStringLiteral("Datalog will be saved"));
        SaveDatalog();
    }
}

// The transmitter stopped answering or the adapter is gone: the samples so far
// are offered for saving, then the cause is shown once. It is not logged.
void TMonitorWorkflow::StopAfterLinkError(const QString& Key)
{
    FUi.tmrMonitor->stop();
    acStopMonitoringExecute();
    FView.Dialogs().ShowError(FView.Window(), FView.Translate(Key));
}

// --- stop and save -----------------------------------------------------------------

void TMonitorWorkflow::EndRecordingControls()
{
    FUi.pnlDataMain->setEnabled(true);
    FUi.tmrMonitor->stop();
    EndBurst();
    for (QWidget* control : std::initializer_list<QWidget*> {FUi.chbSaveDatalog, FUi.edStorageCap, FUi.lblCapacity})
        control->setEnabled(true);
    FUi.tbtnStopDatalog->setChecked(true);
    FUi.edRate->setEnabled(true);
    FUi.lblRate->setEnabled(true);
    FUi.prbProgress->setValue(0);
    LockForRecording(false);
}

void TMonitorWorkflow::acStopMonitoringExecute()
{
    if (!Dataloger)
        return;
    const TSaveActionRefresh refresh(*this);
    EndRecordingControls();
    // "Recording" would stay in the status bar after the recording ended.
    if (FView.StatusText(1) == FView.Translate(QStringLiteral("W4.NOEDITION")))
        FView.SetStatusText(1, QString());
    Dataloger->SetComplete(true);
    try {
        FView.Hart().ClosePort();
    } catch (const EHartComError& e) {
        // An adapter that is gone cannot drop DTR either; the stop goes on.
        FView.Log().WriteLine(FView.Translate(QString::fromStdString(e.Message())));
    }
    // Samples not saved (the dialog cancelled, the file not written) stay for
    // "Save data log…" and the question at closing.
    if (Dataloger->Count() > 0)
        SaveDatalog();
    else
        Dataloger.reset();
}

bool TMonitorWorkflow::UnsavedSamples() const
{
    return Dataloger && Dataloger->Count() > 0 && !Dataloger->Saved() && !Recording();
}

void TMonitorWorkflow::UpdateSaveDatalogAction()
{
    FUi.acSaveDatalog->setEnabled(UnsavedSamples());
}

void TMonitorWorkflow::acSaveDatalogExecute()
{
    if (!UnsavedSamples())
        return;
    const TSaveActionRefresh refresh(*this);
    FView.Log().WriteLine(QStringLiteral("Datalog will be saved"));
    SaveDatalog();
}

void TMonitorWorkflow::SaveDatalog()
{
    TFileDialogOptions options;
    options.InitialDir = DatalogDir;
    options.Filter = QStringLiteral("All Files (*.*)|*.*|Log Files (*.log)|*.log|CSV Files (*.csv)|*.csv");
    options.FilterIndex = 2;
    options.DefaultExt = QStringLiteral("log");
    options.Title = QStringLiteral("Save File");
    const std::optional<QString> fileName = FView.Dialogs().GetSaveFileName(FView.Window(), options);
    if (!fileName)
        return;
    DatalogDir = QFileInfo(*fileName).absolutePath();

    // A failed save throws with the file's name; the old file stays as it was
    // and the logger keeps the samples.
    // A name ending in .csv gets comma-separated values with a header.
    const bool csv = fileName->endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    Dataloger->SaveToFile(*fileName, csv ? TDatalogFormat::Csv : TDatalogFormat::Tabs,
                          QString::fromStdString(FSensor.Unit));
    Dataloger.reset();
    for (QWidget* control :
         std::initializer_list<QWidget*> {FUi.lblCapacity, FUi.edStorageCap, FUi.lblRate, FUi.edRate})
        control->setEnabled(true);
}

bool TMonitorWorkflow::QueryUnsavedDatalog(const QString& QuestionKey)
{
    if (!Dataloger || Dataloger->Count() == 0 || Dataloger->Saved())
        return true;
    const TSaveActionRefresh refresh(*this);
    // The recording goes on while the box is open (its nested event loop runs
    // the timer); a tick meanwhile may complete it, or a lost link end it, so
    // the state is looked at again after the answer.
    switch (FView.Dialogs().AskYesNoCancel(FView.Window(), FView.Translate(QuestionKey), TDialogIcon::Confirmation)) {
        case TDialogAnswer::Cancel: return false;
        case TDialogAnswer::No: return true;
        case TDialogAnswer::Yes: break;
    }
    if (!Dataloger || Dataloger->Saved())
        return true;
    if (Recording()) {
        EndRecordingControls();
        Dataloger->SetComplete(true);
    }
    try {
        SaveDatalog();
    } catch (const EStreamError& e) {
        TApplication::ShowException(e.Text([this](const QString& Key) { return FView.Translate(Key); }));
        return false;
    }
    // A cancelled save dialog keeps the window open with its samples.
    return !Dataloger;
}

// --- the datalog switch and the window's end -------------------------------------------

void TMonitorWorkflow::EnableDatalogControls()
{
    const bool datalog = FUi.chbSaveDatalog->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*> {FUi.tbtnStopDatalog, FUi.edStorageCap, FUi.lblCapacity,
                                                             FUi.edRate, FUi.lblRate})
        control->setEnabled(datalog);
    // The start button needs its action as well, which is off while a workflow
    // talks to the transmitter.
    FUi.tbtnStartDatalog->setEnabled(datalog && FUi.acStartMonitoring->isEnabled());
}

void TMonitorWorkflow::chbSaveDatalogClick()
{
    EnableDatalogControls();
    FUi.edStorageCap->clear();
    FUi.edRate->setText(QStringLiteral("1"));
}

void TMonitorWorkflow::EndAtClose()
{
    FUi.tmrMonitor->stop();
    EndBurst();
    Dataloger.reset();
    UpdateSaveDatalogAction();
    FUi.bdcPressure->Curves().Clear();
    FUi.bdcCurrent->Curves().Clear();
    PressureCurve = CurrentCurve = nullptr;
}
