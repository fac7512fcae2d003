// The main window as a view: construction, the wiring of its controls to the
// handlers, keyboard and status bar, and the entry points that hand each action
// to its workflow.

#include "app/UnitFrmMain.h"

#include "app/Application.h"
#include "app/DeviceBusy.h"
#include "app/OperatorDialogs.h"
#include "app/PortComboBox.h"
#include "ports/SerialDeviceFactory.h"
#include "app/UnitFrmMainForm.h"
#include "app/WindowFrontEnd.h"
#include "app/workflows/Workflows.h"
#include "transmitter/OutputHold.h"
#include "services/SettingsText.h"
#include "services/StreamError.h"
#include "services/UnitLangManager.h"
#include "services/UnitLogger.h"
#include "transmitter/OutputHold.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTranslator>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// Keys that edit or move the cursor instead of typing a character. X11 gives
// Delete the text "\x7f", so the number fields let these through by key code.
bool IsEditingKey(int Key)
{
    switch (Key) {
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Insert:
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter: return true;
        default: return false;
    }
}

// Control keys (backspace, delete) are no typed characters.
bool PackedAsciiKey(const QString& Typed)
{
    for (const QChar ch : Typed)
        if (ch.isPrint() && !PackedAsciiChar(ch.toUpper()))
            return false;
    return true;
}

}  // namespace

TfrmMain::TfrmMain(std::shared_ptr<TSerialDeviceFactory> Factory, std::unique_ptr<TOperatorDialogs> Dialogs,
                   QWidget* Parent)
    : QMainWindow(Parent)
    , FFactory(std::move(Factory))
    , FDialogs(std::move(Dialogs))
{
    if (!FFactory)
        FFactory = std::make_shared<TPlatformSerialDeviceFactory>();
    if (!FDialogs)
        FDialogs = std::make_unique<TQtOperatorDialogs>();

    // The HART component with the values of the form.
    FHart = std::make_unique<THart>(std::make_unique<TFactorySerialDevice>(*FFactory));
    FHart->SetTransportOpener([this](const std::string& Name) { return FFactory->CreateTransport(Name); });
    FHart->SetCommPort(Com1);
    FHart->SetBaudrate(br1200);
    FHart->SetTimeOut(500);
    FHart->SetFloatFormat(XEMICS);
    FHart->SetSwapEepData(true);
    FHart->SetSwapRamData(false);

    TfrmMainForm(*this, FUi).Build();
    FWorkflows = std::make_unique<TMainWorkflows>(*this, *FFactory);
    ConnectEvents();
    // What a workflow that talks to the transmitter disables while it runs.
    FDeviceLock
        = std::make_unique<TDeviceLock>(QList<QAction*> {FUi.acRead, FUi.acSet, FUi.acSetUR, FUi.acSetLR, FUi.acSetZero,
                                                         FUi.acLoad, FUi.acSave, FUi.acStartMonitoring},
                                        FUi.tbPort, this);
    Run(&TfrmMain::FormCreate);
}

TWriteWorkflow& TfrmMain::Writing() const
{
    return FWorkflows->Write;
}

TConfigWorkflow& TfrmMain::ConfigFiles() const
{
    return FWorkflows->Config;
}

TMonitorWorkflow& TfrmMain::Monitoring() const
{
    return FWorkflows->Monitor;
}

TChartPanels& TfrmMain::ChartPanels() const
{
    return FWorkflows->ChartPanels;
}

TStatusWorkflow& TfrmMain::Health() const
{
    return FWorkflows->Status;
}

TfrmMain::~TfrmMain()
{
    // The port is closed, and the link gone, while the factory behind its device
    // still exists.
    try {
        FHart->ClosePort();
    } catch (const EHartComError&) {
        // Nothing to report to at this point.
    }
    FHart.reset();
}

TTransmitterFrontEnd& TfrmMain::FrontEnd()
{
    return *FFrontEnd;
}

void TfrmMain::Run(void (TfrmMain::*Handler)())
{
    TApplication::Guard([this, Handler] {
        try {
            (this->*Handler)();
        } catch (const EStreamError& e) {
            // A file error is told in the window's language.
            TApplication::ShowException(e.Text([this](const QString& Key) { return Translate(Key); }));
        }
    });
    // Whatever the handler did to the port, the reference actions follow it.
    if (FWorkflows)
        FWorkflows->Reference.UpdateEnabled(FWorkflows->Monitor.Recording());
    // A reply that said "more status available" gets its command 48 now.
    if (FWorkflows)
        TApplication::Guard([this] { FWorkflows->Status.AfterHandler(); });
}

bool TfrmMain::DeviceBusy() const
{
    return FDeviceLock && FDeviceLock->Busy();
}

QString TfrmMain::Translate(const QString& Key) const
{
    return FLangManager ? FLangManager->Translate(Key) : TLangManager::NotDefined;
}

void TfrmMain::ConnectAction(QAction* Action, void (TfrmMain::*Handler)())
{
    connect(Action, &QAction::triggered, this, [this, Handler] { Run(Handler); });
}

void TfrmMain::ConnectEvents()
{
    ConnectAction(FUi.acRead, &TfrmMain::acReadExecute);
    ConnectAction(FUi.acLangEng, &TfrmMain::acLangEngExecute);
    ConnectAction(FUi.acLangGer, &TfrmMain::acLangGerExecute);
    ConnectAction(FUi.acTBActionShow, &TfrmMain::acTBActionShowExecute);
    ConnectAction(FUi.acTBLangShow, &TfrmMain::acTBLangShowExecute);
    ConnectAction(FUi.acTBPortShow, &TfrmMain::acTBPortShowExecute);
    ConnectAction(FUi.acSavePreferences, &TfrmMain::acSavePreferencesExecute);
    ConnectAction(FUi.acQuit, &TfrmMain::acQuitExecute);
    ConnectAction(FUi.acAbout, &TfrmMain::acAboutExecute);
    ConnectAction(FUi.acSet, &TfrmMain::acSetExecute);
    ConnectAction(FUi.acSetUR, &TfrmMain::acSetURExecute);
    ConnectAction(FUi.acSetLR, &TfrmMain::acSetLRExecute);
    ConnectAction(FUi.acSetZero, &TfrmMain::acSetZeroExecute);
    ConnectAction(FUi.acSave, &TfrmMain::acSaveExecute);
    ConnectAction(FUi.acLoad, &TfrmMain::acLoadExecute);
    ConnectAction(FUi.acDeviceStatus, &TfrmMain::acDeviceStatusExecute);
    ConnectAction(FUi.acFrames, &TfrmMain::acFramesExecute);
    disconnect(FUi.acStartMonitoring, &QAction::enabledChanged, FUi.tbtnStartDatalog, &QWidget::setEnabled);
    connect(FUi.acStartMonitoring, &QAction::enabledChanged, this, [this] {
        FUi.tbtnStartDatalog->setEnabled(FUi.chbSaveDatalog->isChecked() && FUi.acStartMonitoring->isEnabled());
    });

    connect(FUi.cmbPort, &TPortComboBox::DropDown, this, [this] { Run(&TfrmMain::cmbPortDropDown); });
    connect(FUi.cmbPort, &QComboBox::activated, this, [this] { Run(&TfrmMain::cmbPortChange); });
    connect(FUi.cmbPort->lineEdit(), &QLineEdit::textEdited, this, [this] { Run(&TfrmMain::cmbPortChange); });
    connect(FUi.cmbSensorType, &QComboBox::activated, this, [this] { Run(&TfrmMain::cmbSensorTypeChange); });
    connect(FUi.chbSaveDatalog, &QCheckBox::clicked, this, [this] { Run(&TfrmMain::chbSaveDatalogClick); });

    connect(FUi.tbnMain, &QTabWidget::currentChanged, this, [this](int Page) {
        const int leaving = FCurrentPage;
        FCurrentPage = Page;
        TApplication::Guard([this, leaving] { tbnMainChange(leaving); });
    });

    // Change flags of the values the operator may write back.
    connect(FUi.edUpperRange, &QLineEdit::textChanged, this, [this] { edUpperRangeChange(); });
    connect(FUi.edLowerRange, &QLineEdit::textChanged, this, [this] { edLowerRangeChange(); });
    connect(FUi.edDamping, &QLineEdit::textChanged, this, [this] { edDampingChange(); });
    connect(FUi.cmbUnit, &QComboBox::activated, this, [this] { cmbUnitChange(); });
    for (QLineEdit* edit : {FUi.medDate, FUi.edTag, FUi.edDesc})
        connect(edit, &QLineEdit::textChanged, this, [this] { medDateChange(); });

    // Keyboard: key release moves the focus, typed characters are filtered.
    const QList<QWidget*> keyControls
        = {FUi.edTransType, FUi.edSerialNr,     FUi.edManufacturer,      FUi.medDate,           FUi.edTag,
           FUi.edDesc,      FUi.edUpperRange,   FUi.edLowerRange,        FUi.edUpperLimit,      FUi.edLowerLimit,
           FUi.edDamping,   FUi.edMinSpan,      FUi.edRevLevelTrans,     FUi.edRevLevelComm,    FUi.edStorageCap,
           FUi.edRate,      FUi.cmbPort,        FUi.cmbPort->lineEdit(), FUi.cmbSensorType,     FUi.cmbUnit,
           FUi.chbUseUSB,   FUi.chbSaveDatalog, FUi.bbtnSetUpperRange,   FUi.bbtnSetLowerRange, FUi.bbtnSetZero};
    for (QWidget* control : keyControls)
        control->installEventFilter(this);

    // Panel 1 carries the progress bar wherever it goes.
    FUi.stbPanels[1]->installEventFilter(this);
    FUi.splCharts->installEventFilter(this);

    ConnectAction(FUi.acStartMonitoring, &TfrmMain::acStartMonitoringExecute);
    ConnectAction(FUi.acStopMonitoring, &TfrmMain::acStopMonitoringExecute);
    ConnectAction(FUi.acSaveDatalog, &TfrmMain::acSaveDatalogExecute);
    ConnectAction(FUi.acShowCurrent, &TfrmMain::acShowCurrentExecute);
    ConnectAction(FUi.acShowVoltage, &TfrmMain::acShowVoltageExecute);
    ConnectAction(FUi.acCurrentLineVisibleChanged, &TfrmMain::acCurrentLineVisibleChangedExecute);
    ConnectAction(FUi.acPressureLineVisibleChanged, &TfrmMain::acPressureLineVisibleChangedExecute);
    ConnectAction(FUi.acPrintPresChart, &TfrmMain::acPrintPresChartExecute);
    ConnectAction(FUi.acPrintCurrChart, &TfrmMain::acPrintCurrChartExecute);
    connect(FUi.tmrMonitor, &QTimer::timeout, this, [this] { Run(&TfrmMain::tmrMonitorTimer); });
    connect(FUi.splCharts, &QSplitter::splitterMoved, this, [this] { Run(&TfrmMain::Splitter2Moved); });
}

bool TfrmMain::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FUi.splCharts) {
        if (Event->type() == QEvent::Resize || Event->type() == QEvent::Show)
            FWorkflows->ChartPanels.ApplyCurrentLineHeight();
        return QMainWindow::eventFilter(Watched, Event);
    }
    if (Watched == FUi.stbPanels[1]) {
        if (Event->type() == QEvent::Resize || Event->type() == QEvent::Move)
            stbMainDrawPanel();
        return QMainWindow::eventFilter(Watched, Event);
    }
    auto* control = qobject_cast<QWidget*>(Watched);
    if (!control)
        return QMainWindow::eventFilter(Watched, Event);
    // The port box's own edit stands for the box.
    if (Watched == FUi.cmbPort->lineEdit())
        control = FUi.cmbPort;

    if (Event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(Event);
        const bool isCombo = qobject_cast<QComboBox*>(control) != nullptr;
        // Up and Down move the focus on release; the control itself does nothing.
        if (!isCombo && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down))
            return true;
        // Tag and descriptor take only what a transmitter can store.
        if ((control == FUi.edTag || control == FUi.edDesc) && !PackedAsciiKey(key->text()))
            return true;
        const QList<QWidget*> filtered
            = {FUi.edStorageCap, FUi.edRate, FUi.edDamping, FUi.edUpperRange, FUi.edLowerRange, FUi.medDate};
        // Keyboard shortcuts (copy, paste, select all) stay with the edit, and
        // Tab moves the focus: it is no typed character.
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (filtered.contains(control) && !tab && !IsEditingKey(key->key())
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            for (const QChar ch : key->text())
                if (!CntrKeyPress(control, ch))
                    return true;
        }
    } else if (Event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(Event);
        if (!key->isAutoRepeat()) {
            const int code = key->key();
            TApplication::Guard([this, control, code] { CntrKeyUp(control, code); });
        }
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TfrmMain::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (!Event->spontaneous())
        Run(&TfrmMain::FormShow);
}

void TfrmMain::closeEvent(QCloseEvent* Event)
{
    bool canClose = true;
    TApplication::Guard([this, &canClose] { canClose = FormCloseQuery(); });
    if (canClose) {
        // A fixed loop current or burst mode never outlives the window; a
        // release that fails is told by the holds' failure handler.
        TApplication::Guard([] { TOutputHold::ReleaseAllHolds(); });
        FormClose();
        Event->accept();
    } else {
        Event->ignore();
    }
}

void TfrmMain::resizeEvent(QResizeEvent* Event)
{
    QMainWindow::resizeEvent(Event);
    Run(&TfrmMain::FormResize);
}

void TfrmMain::FormResize()
{
    FUi.stbPanels[0]->setFixedWidth(230);
    FUi.stbPanels[2]->setFixedWidth(120);
    // Panel 1 takes the rest of the bar (it stretches); the progress bar follows it.
    stbMainDrawPanel();
}

void TfrmMain::stbMainDrawPanel()
{
    if (!FUi.prbProgress || !FUi.stbPanels[1])
        return;
    const QRect panel(FUi.stbPanels[1]->mapTo(FUi.stbMain, QPoint(0, 0)), FUi.stbPanels[1]->size());
    FUi.prbProgress->setGeometry(panel);
    if (FPanel1OwnerDrawn)
        FUi.prbProgress->raise();
}

QString TfrmMain::StatusText(int Panel) const
{
    return FUi.stbPanels[Panel]->text();
}

void TfrmMain::SetStatusText(int Panel, const QString& Text)
{
    FUi.stbPanels[Panel]->setText(Text);
    // A text longer than its panel can still be read in full.
    FUi.stbPanels[Panel]->setToolTip(Text);
}

void TfrmMain::SetStatusPanel1OwnerDrawn(bool OwnerDrawn)
{
    FPanel1OwnerDrawn = OwnerDrawn;
    stbMainDrawPanel();
}

void TfrmMain::tbnMainChange(int LeavingPage)
{
    // Leaving page 1 or going to any page but 1 (the calibration page is the third).
    FUi.tbDatalog->setVisible(LeavingPage != 1 && FCurrentPage == 1);
    FUi.tbMonitoring->setVisible(!FUi.tbDatalog->isHidden());
    FUi.tbPort->setVisible(FUi.tbDatalog->isHidden());
}

void TfrmMain::CntrKeyUp(QWidget* Control, int Key)
{
    const bool isCombo = qobject_cast<QComboBox*>(Control) != nullptr;
    switch (Key) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // Only a plain edit: the date field (with its mask) is no plain edit.
            auto* edit = qobject_cast<QLineEdit*>(Control);
            if (!edit || qstrcmp(Control->metaObject()->className(), "QLineEdit") != 0 || !edit->inputMask().isEmpty())
                return;
            if (Control == FUi.edRate)
                FUi.acStartMonitoring->trigger();
            else
                focusNextChild();
            break;
        }
        case Qt::Key_Up:
            if (!isCombo)
                focusPreviousChild();
            break;
        case Qt::Key_Down:
            if (!isCombo)
                focusNextChild();
            break;
        default: break;
    }
}

bool TfrmMain::CntrKeyPress(QWidget*, QChar Key)
{
    static const QString accepted = QStringLiteral("0123456789\b ,-.n");
    return accepted.contains(Key);
}

bool TfrmMain::event(QEvent* Event)
{
    if (Event->type() == QEvent::StatusTip) {
        // The hint of the control under the mouse goes to panel 0 (not to a
        // temporary message that would hide the panels).
        if (FHintHandlerInstalled)
            ShowHintText(static_cast<QStatusTipEvent*>(Event)->tip());
        return true;
    }
    return QMainWindow::event(Event);
}

void TfrmMain::ShowHintText(const QString& Hint)
{
    if (Hint != TLangManager::NotDefined)
        SetStatusText(0, Hint);
}

void TfrmMain::ShowError(const QString& Text)
{
    if (FLog)
        FLog->WriteLine(Text);
    FDialogs->ShowError(this, Text);
}

// --- entry points handed to the workflows -------------------------------------------

void TfrmMain::chbSaveDatalogClick()
{
    FWorkflows->Monitor.chbSaveDatalogClick();
}

void TfrmMain::edUpperRangeChange()
{
    FWorkflows->Write.Edits.RangeChanged = true;
}

void TfrmMain::edLowerRangeChange()
{
    FWorkflows->Write.Edits.RangeChanged = true;
}

void TfrmMain::edDampingChange()
{
    FWorkflows->Write.Edits.DampingChanged = true;
}

void TfrmMain::cmbUnitChange()
{
    FWorkflows->Write.Edits.UnitChanged = true;
}

void TfrmMain::medDateChange()
{
    FWorkflows->Write.Edits.DescriptionChanged = true;
}

void TfrmMain::acReadExecute()
{
    FWorkflows->Reference.SetDeviceRead(false);
    FWorkflows->Read.acReadExecute();
    FWorkflows->Reference.SetDeviceRead(FWorkflows->Read.DeviceRead);
    if (FWorkflows->Read.DeviceRead)
        FWorkflows->Calibration.OfferReleaseAfterRead();
}

void TfrmMain::acSetExecute()
{
    FWorkflows->Write.acSetExecute();
}

void TfrmMain::acSetURExecute()
{
    FWorkflows->Reference.acSetURExecute();
}

void TfrmMain::acSetLRExecute()
{
    FWorkflows->Reference.acSetLRExecute();
}

void TfrmMain::acSetZeroExecute()
{
    FWorkflows->Reference.acSetZeroExecute();
}

void TfrmMain::acSaveExecute()
{
    FWorkflows->Config.acSaveExecute();
}

void TfrmMain::acLoadExecute()
{
    FWorkflows->Config.acLoadExecute();
}

void TfrmMain::acStartMonitoringExecute()
{
    FWorkflows->Viewer.RecordingStarted();
    FWorkflows->Monitor.acStartMonitoringExecute();
}

void TfrmMain::acStopMonitoringExecute()
{
    FWorkflows->Monitor.acStopMonitoringExecute();
}

void TfrmMain::acSaveDatalogExecute()
{
    FWorkflows->Monitor.acSaveDatalogExecute();
}

void TfrmMain::tmrMonitorTimer()
{
    FWorkflows->Monitor.tmrMonitorTimer();
}

void TfrmMain::acShowCurrentExecute()
{
    FWorkflows->ChartPanels.acShowCurrentExecute();
}

void TfrmMain::acShowVoltageExecute()
{
    FWorkflows->ChartPanels.acShowVoltageExecute();
}

void TfrmMain::acCurrentLineVisibleChangedExecute()
{
    FWorkflows->ChartPanels.acCurrentLineVisibleChangedExecute();
}

void TfrmMain::acPressureLineVisibleChangedExecute()
{
    FWorkflows->ChartPanels.acPressureLineVisibleChangedExecute();
}

void TfrmMain::Splitter2Moved()
{
    FWorkflows->ChartPanels.Splitter2Moved();
}

void TfrmMain::acPrintPresChartExecute()
{
    FWorkflows->Print.acPrintPresChartExecute();
}

void TfrmMain::acPrintCurrChartExecute()
{
    FWorkflows->Print.acPrintCurrChartExecute();
}

void TfrmMain::acDeviceStatusExecute()
{
    FWorkflows->Status.acDeviceStatusExecute();
}

void TfrmMain::acFramesExecute()
{
    FWorkflows->Status.acFramesExecute();
}
