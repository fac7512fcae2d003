#include "app/UnitFrmMain.h"

#include "app/Application.h"
#include "app/ConvertError.h"
#include "app/DeviceBusy.h"
#include "app/OperatorDialogs.h"
#include "app/PortComboBox.h"
#include "app/WindowFrontEnd.h"
#include "about/FormTranslator.h"
#include "chart/NorvaneChart.h"
#include "ports/PortList.h"
#include "ports/PortNames.h"
#include "ports/SerialDeviceFactory.h"
#include "services/LocaleDateTime.h"
#include "services/NumberFormat.h"
#include "services/UnitDataloger.h"
#include "transmitter/TransmitterRead.h"
#include "services/UnitLangManager.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

// A registry value that is missing or not an integer: the platform's text.
class ERegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int ReadInteger(const QSettings& Settings, const QString& Name)
{
    const QVariant value = Settings.value(Name);
    if (!value.isValid())
        throw ERegistryError(QStringLiteral("Registry value '%1' does not exist").arg(Name).toStdString());
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || value.metaType().id() == QMetaType::QStringList)
        throw ERegistryError(QStringLiteral("Registry value '%1' is not an integer").arg(Name).toStdString());
    return number;
}

// A missing value reads as empty text, and so does one that is no single text
// (a list written by hand into the settings file).
QString ReadString(const QSettings& Settings, const QString& Name)
{
    const QVariant value = Settings.value(Name);
    if (!value.isValid() || value.metaType().id() == QMetaType::QStringList)
        return QString();
    return value.toString();
}

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

// Writes the settings out; a registry or settings file that cannot be written
// raises with the reason, so that nothing is reported as written that was not.
void SyncSettings(QSettings& Settings)
{
    Settings.sync();
    if (Settings.status() != QSettings::NoError)
        throw ERegistryError(QStringLiteral("The settings could not be written to %1")
                                 .arg(QDir::toNativeSeparators(Settings.fileName()))
                                 .toStdString());
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
    Hart1 = std::make_unique<THart>(std::make_unique<TFactorySerialDevice>(*FFactory));
    Hart1->SetCommPort(Com1);
    Hart1->SetBaudrate(br1200);
    Hart1->SetTimeOut(500);
    Hart1->SetFloatFormat(XEMICS);
    Hart1->SetSwapEepData(true);
    Hart1->SetSwapRamData(false);

    BuildForm();
    // What a workflow that talks to the transmitter disables while it runs.
    FDeviceLock = std::make_unique<TDeviceLock>(
        QList<QAction*> {acRead, acSet, acSetUR, acSetLR, acSetZero, acLoad, acSave, acStartMonitoring}, tbPort, this);
    Run(&TfrmMain::FormCreate);
}

TfrmMain::~TfrmMain()
{
    // The port is closed, and the link gone, while the factory behind its device
    // still exists.
    try {
        Hart1->ClosePort();
    } catch (const EHartComError&) {
        // Nothing to report to at this point.
    }
    Hart1.reset();
}

void TfrmMain::Run(void (TfrmMain::*Handler)())
{
    TApplication::Guard([this, Handler] { (this->*Handler)(); });
}

bool TfrmMain::DeviceBusy() const
{
    return FDeviceLock && FDeviceLock->Busy();
}

QString TfrmMain::Translate(const QString& Key) const
{
    return FLangManager ? FLangManager->Translate(Key) : TLangManager::NotDefined;
}

// --- wiring ----------------------------------------------------------------------

void TfrmMain::ConnectAction(QAction* Action, void (TfrmMain::*Handler)())
{
    connect(Action, &QAction::triggered, this, [this, Handler] { Run(Handler); });
}

void TfrmMain::ConnectEvents()
{
    ConnectAction(acRead, &TfrmMain::acReadExecute);
    ConnectAction(acLangEng, &TfrmMain::acLangEngExecute);
    ConnectAction(acLangGer, &TfrmMain::acLangGerExecute);
    ConnectAction(acTBActionShow, &TfrmMain::acTBActionShowExecute);
    ConnectAction(acTBLangShow, &TfrmMain::acTBLangShowExecute);
    ConnectAction(acTBPortShow, &TfrmMain::acTBPortShowExecute);
    ConnectAction(acSavePreferences, &TfrmMain::acSavePreferencesExecute);
    ConnectAction(acQuit, &TfrmMain::acQuitExecute);
    ConnectAction(acAbout, &TfrmMain::acAboutExecute);
    ConnectWriteEvents();
    disconnect(acStartMonitoring, &QAction::enabledChanged, tbtnStartDatalog, &QWidget::setEnabled);
    connect(acStartMonitoring, &QAction::enabledChanged, this,
            [this] { tbtnStartDatalog->setEnabled(chbSaveDatalog->isChecked() && acStartMonitoring->isEnabled()); });

    connect(cmbPort, &TPortComboBox::DropDown, this, [this] { Run(&TfrmMain::cmbPortDropDown); });
    connect(cmbPort, &QComboBox::activated, this, [this] { Run(&TfrmMain::cmbPortChange); });
    connect(cmbPort->lineEdit(), &QLineEdit::textEdited, this, [this] { Run(&TfrmMain::cmbPortChange); });
    connect(cmbSensorType, &QComboBox::activated, this, [this] { Run(&TfrmMain::cmbSensorTypeChange); });
    connect(chbSaveDatalog, &QCheckBox::clicked, this, [this] { Run(&TfrmMain::chbSaveDatalogClick); });

    connect(tbnMain, &QTabWidget::currentChanged, this, [this](int Page) {
        const int leaving = FCurrentPage;
        FCurrentPage = Page;
        TApplication::Guard([this, leaving] { tbnMainChange(leaving); });
    });

    // Change flags of the values the operator may write back.
    connect(edUpperRange, &QLineEdit::textChanged, this, [this] { edUpperRangeChange(); });
    connect(edLowerRange, &QLineEdit::textChanged, this, [this] { edLowerRangeChange(); });
    connect(edDamping, &QLineEdit::textChanged, this, [this] { edDampingChange(); });
    connect(cmbUnit, &QComboBox::activated, this, [this] { cmbUnitChange(); });
    for (QLineEdit* edit : {medDate, edTag, edDesc})
        connect(edit, &QLineEdit::textChanged, this, [this] { medDateChange(); });

    // Keyboard: key release moves the focus, typed characters are filtered.
    const QList<QWidget*> keyControls
        = {edTransType, edSerialNr,     edManufacturer,      medDate,           edTag,
           edDesc,      edUpperRange,   edLowerRange,        edUpperLimit,      edLowerLimit,
           edDamping,   edMinSpan,      edRevLevelTrans,     edRevLevelComm,    edStorageCap,
           edRate,      cmbPort,        cmbPort->lineEdit(), cmbSensorType,     cmbUnit,
           chbUseUSB,   chbSaveDatalog, bbtnSetUpperRange,   bbtnSetLowerRange, bbtnSetZero};
    for (QWidget* control : keyControls)
        control->installEventFilter(this);

    // Panel 1 carries the progress bar wherever it goes.
    stbPanels[1]->installEventFilter(this);
    splCharts->installEventFilter(this);

    ConnectMonitoringEvents();
}

bool TfrmMain::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == splCharts) {
        if (Event->type() == QEvent::Resize || Event->type() == QEvent::Show)
            ApplyCurrentLineHeight();
        return QMainWindow::eventFilter(Watched, Event);
    }
    if (Watched == stbPanels[1]) {
        if (Event->type() == QEvent::Resize || Event->type() == QEvent::Move)
            stbMainDrawPanel();
        return QMainWindow::eventFilter(Watched, Event);
    }
    auto* control = qobject_cast<QWidget*>(Watched);
    if (!control)
        return QMainWindow::eventFilter(Watched, Event);
    // The port box's own edit stands for the box.
    if (Watched == cmbPort->lineEdit())
        control = cmbPort;

    if (Event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(Event);
        const bool isCombo = qobject_cast<QComboBox*>(control) != nullptr;
        // Up and Down move the focus on release; the control itself does nothing.
        if (!isCombo && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down))
            return true;
        // Tag and descriptor take only what a transmitter can store.
        if ((control == edTag || control == edDesc) && !PackedAsciiKey(key->text()))
            return true;
        const QList<QWidget*> filtered = {edStorageCap, edRate, edDamping, edUpperRange, edLowerRange, medDate};
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

// --- window events -----------------------------------------------------------------

void TfrmMain::FormCreate()
{
    FLog = std::make_unique<TCalibLog>();
    FFrontEnd = std::make_unique<TWindowFrontEnd>(*FLog, *prbProgress);
    FLangManager = std::make_unique<TLangManager>();
    ReportLanguageFile();

    FillPortList();
    {
        const QSignalBlocker blocker(cmbPort);
        cmbPort->setCurrentIndex(cmbPort->count() > 0 ? 0 : -1);
    }
    ReadDirectories();
    LoadStartUp();

    // The progress bar lives in the status bar, over panel 1.
    prbProgress->setParent(stbMain);
    prbProgress->setVisible(false);
    stbMainDrawPanel();
}

void TfrmMain::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (!Event->spontaneous())
        Run(&TfrmMain::FormShow);
}

void TfrmMain::FormShow()
{
    // The system's language: German on a German system, English otherwise.
    if (QLocale().language() == QLocale::German) {
        tbtnLangGer->setChecked(true);
        mmiLangGer->setChecked(true);
        mmiLangEng->setChecked(false);
        FLangManager->SetLanguage(1);
    } else {
        tbtnLangEng->setChecked(true);
        mmiLangEng->setChecked(true);
        mmiLangGer->setChecked(false);
        FLangManager->SetLanguage(0);
    }
    TranslateForm(*FLangManager, this);

    cmbSensorType->setCurrentIndex(1);

    EnableDatalogControls();

    tbMonitoring->setVisible(tbnMain->currentIndex() == 1);
    FHintHandlerInstalled = true;

    TVersionInfo info;
    FLog->GetVersionInfo(QCoreApplication::applicationFilePath(), info);
    SetStatusText(2, QStringLiteral("  v. ") + info.FileVersion);

    tbnMain->setCurrentIndex(0);
    if (!FLanguageFileProblem.isEmpty())
        FDialogs->ShowError(this, FLanguageFileProblem);
    ReadPreferences();
}

void TfrmMain::ReportLanguageFile()
{
    // Without a readable language file every text is "n.d."; the reason can
    // only be given in English then. It is logged now and shown once with the
    // window.
    if (!FLangManager->LoadError().isEmpty())
        FLanguageFileProblem = FLangManager->LoadError();
    else if (!QFileInfo::exists(FLangManager->FileName()))
        FLanguageFileProblem = QStringLiteral("The language file %1 was not found.")
                                   .arg(QDir::toNativeSeparators(FLangManager->FileName()));
    if (FLanguageFileProblem.isEmpty())
        return;
    FLanguageFileProblem += QStringLiteral(" The window shows \"n.d.\" instead of its texts; put \"language.ini\" "
                                           "beside the program or in the working directory.");
    FLog->WriteLine(FLanguageFileProblem);
}

void TfrmMain::closeEvent(QCloseEvent* Event)
{
    bool canClose = true;
    TApplication::Guard([this, &canClose] { canClose = FormCloseQuery(); });
    if (canClose) {
        FormClose();
        Event->accept();
    } else {
        Event->ignore();
    }
}

bool TfrmMain::FormCloseQuery()
{
    // Samples not yet saved are not lost without asking.
    if (!QueryUnsavedDatalog())
        return false;
    SaveStartUp();
    tmrMonitor->stop();
    Dataloger.reset();
    bdcPressure->Curves().Clear();
    bdcCurrent->Curves().Clear();
    PressureCurve = CurrentCurve = nullptr;
    return true;
}

void TfrmMain::resizeEvent(QResizeEvent* Event)
{
    QMainWindow::resizeEvent(Event);
    Run(&TfrmMain::FormResize);
}

void TfrmMain::FormResize()
{
    stbPanels[0]->setFixedWidth(230);
    stbPanels[2]->setFixedWidth(120);
    // Panel 1 takes the rest of the bar (it stretches); the progress bar follows it.
    stbMainDrawPanel();
}

void TfrmMain::stbMainDrawPanel()
{
    if (!prbProgress || !stbPanels[1])
        return;
    const QRect panel(stbPanels[1]->mapTo(stbMain, QPoint(0, 0)), stbPanels[1]->size());
    prbProgress->setGeometry(panel);
    if (FPanel1OwnerDrawn)
        prbProgress->raise();
}

QString TfrmMain::StatusText(int Panel) const
{
    return stbPanels[Panel]->text();
}

void TfrmMain::SetStatusText(int Panel, const QString& Text)
{
    stbPanels[Panel]->setText(Text);
    // A text longer than its panel can still be read in full.
    stbPanels[Panel]->setToolTip(Text);
}

void TfrmMain::SetStatusPanel1OwnerDrawn(bool OwnerDrawn)
{
    FPanel1OwnerDrawn = OwnerDrawn;
    stbMainDrawPanel();
}

// The end of a read step: the progress bar goes, panel 1 shows the step's text.
void TfrmMain::ShowStepStatus(const QString& Key)
{
    prbProgress->setVisible(false);
    SetStatusPanel1OwnerDrawn(false);
    SetStatusText(1, Translate(Key));
}

void TfrmMain::tbnMainChange(int LeavingPage)
{
    tbDatalog->setVisible(LeavingPage != 1);
    tbMonitoring->setVisible(!tbDatalog->isHidden());
    tbPort->setVisible(tbDatalog->isHidden());
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
            if (Control == edRate)
                acStartMonitoring->trigger();
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

// --- registry ------------------------------------------------------------------------

void TfrmMain::ReadDirectories()
{
    FLog->WriteLine(QStringLiteral("Registry will be read"));
    QSettings settings(RegistryOrganization, RegistryApplication);
    settings.beginGroup(StartUpKey);
    CfgDir = CfgDirAtStart = ReadString(settings, QStringLiteral("CurrSLDir"));
    DatalogDir = DatalogDirAtStart = ReadString(settings, QStringLiteral("CurrDtlgDir"));
    FLog->WriteLine(QStringLiteral("Current directories are initialized"));
}

void TfrmMain::LoadStartUp()
{
    QSettings settings(RegistryOrganization, RegistryApplication);
    settings.beginGroup(StartUpKey);
    const QString port = ReadString(settings, QStringLiteral("CurrPort"));

    const QSignalBlocker blocker(cmbPort);
    int found = -1;
    for (int i = 0; i < cmbPort->count() && found < 0; ++i)
        if (cmbPort->itemText(i).compare(port, Qt::CaseInsensitive) == 0)
            found = i;
    cmbPort->setCurrentIndex(found);
    if (found < 0)
        cmbPort->setEditText(QString());

    static const QStringList comNames
        = {QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"), QStringLiteral("Com4"),
           QStringLiteral("Com5"), QStringLiteral("Com6"), QStringLiteral("Com7"), QStringLiteral("Com8")};
    const int com = comNames.indexOf(port);
    if (com >= 0)
        Hart1->SetCommPort(TDeviceName(Com1 + com));
}

void TfrmMain::SaveStartUp()
{
    QSettings settings(RegistryOrganization, RegistryApplication);
    settings.beginGroup(StartUpKey);
    settings.setValue(QStringLiteral("CurrPort"), cmbPort->currentText());
    settings.setValue(QStringLiteral("CurrSLDir"), CfgDirAtStart);
    settings.setValue(QStringLiteral("CurrDtlgDir"), DatalogDirAtStart);
    settings.endGroup();
    try {
        SyncSettings(settings);
    } catch (const ERegistryError& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

void TfrmMain::ReadPreferences()
{
    FLog->WriteLine(QStringLiteral("Read preferences"));
    QSettings settings(RegistryOrganization, RegistryApplication);
    settings.beginGroup(PreferencesKey);
    try {
        // Each value is applied as soon as it is read; a missing or wrongly typed
        // one ends the reading there.
        const int top = ReadInteger(settings, QStringLiteral("WindowTop"));
        move(x(), top);
        const int left = ReadInteger(settings, QStringLiteral("WindowLeft"));
        move(left, y());
        const int width = ReadInteger(settings, QStringLiteral("WindowWidth"));
        resize(width, height());
        const int height = ReadInteger(settings, QStringLiteral("WindowHeight"));
        resize(this->width(), height);
        const int state = ReadInteger(settings, QStringLiteral("WindowState"));
        setWindowState(state == 1 ? Qt::WindowMinimized : state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
        const int splitter = ReadInteger(settings, QStringLiteral("SplitterPos"));
        SetCurrentLineHeight(splitter);
    } catch (const ERegistryError& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    FLog->WriteLine(QStringLiteral("Current preferences are set"));
}

void TfrmMain::WritePreferences()
{
    FLog->WriteLine(QStringLiteral("Write preferences"));
    QSettings settings(RegistryOrganization, RegistryApplication);
    settings.beginGroup(PreferencesKey);
    // A minimised or maximised window keeps the bounds it is restored to.
    const QRect bounds
        = (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) ? normalGeometry() : QRect(pos(), size());
    settings.setValue(QStringLiteral("WindowLeft"), bounds.x());
    settings.setValue(QStringLiteral("WindowTop"), bounds.y());
    settings.setValue(QStringLiteral("WindowWidth"), bounds.width());
    settings.setValue(QStringLiteral("WindowHeight"), bounds.height());
    const int state = (windowState() & Qt::WindowMinimized) ? 1 : (windowState() & Qt::WindowMaximized) ? 2 : 0;
    settings.setValue(QStringLiteral("WindowState"), state);
    settings.setValue(QStringLiteral("SplitterPos"), CurrentLineHeightNow());
    settings.endGroup();
    try {
        SyncSettings(settings);
    } catch (const ERegistryError& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    FLog->WriteLine(QStringLiteral("Preferences are written"));
}

int TfrmMain::CurrentLineHeightNow() const
{
    if (FWantedCurrentLineHeight >= 0)
        return FWantedCurrentLineHeight;
    const QList<int> sizes = splCharts->sizes();
    return sizes.size() == 2 ? sizes[1] : pnlCurrentLine->height();
}

void TfrmMain::SetCurrentLineHeight(int Height)
{
    FWantedCurrentLineHeight = std::max(0, Height);
    ApplyCurrentLineHeight();
}

void TfrmMain::ApplyCurrentLineHeight()
{
    // The splitter divides its height only once it has one: until the "Datalog"
    // page is first shown the wanted height waits.
    if (FWantedCurrentLineHeight < 0 || !splCharts->isVisible() || splCharts->height() <= 0)
        return;
    const int total = splCharts->height() - splCharts->handleWidth();
    const int height = std::min(FWantedCurrentLineHeight, std::max(0, total));
    splCharts->setSizes({total - height, height});
    FWantedCurrentLineHeight = -1;
}

// --- actions of this window ----------------------------------------------------------------

void TfrmMain::SelectLanguage(std::uint8_t Language)
{
    const int sensorType = cmbSensorType->currentIndex();
    FLangManager->SetLanguage(Language);
    TranslateForm(*FLangManager, this);
    cmbSensorType->setCurrentIndex(sensorType);
}

void TfrmMain::acLangEngExecute()
{
    mmiLangEng->setChecked(true);
    mmiLangGer->setChecked(false);
    tbtnLangEng->setChecked(true);
    SelectLanguage(0);
}

void TfrmMain::acLangGerExecute()
{
    mmiLangGer->setChecked(true);
    mmiLangEng->setChecked(false);
    tbtnLangGer->setChecked(true);
    SelectLanguage(1);
}

void TfrmMain::acTBActionShowExecute()
{
    tbAction->setVisible(tbAction->isHidden());
    mmiTBActionShow->setChecked(!mmiTBActionShow->isChecked());
}

void TfrmMain::acTBLangShowExecute()
{
    tbLanguage->setVisible(tbLanguage->isHidden());
    mmiTBLangShow->setChecked(!mmiTBLangShow->isChecked());
}

void TfrmMain::acTBPortShowExecute()
{
    tbPort->setVisible(tbPort->isHidden());
    mmiTBPortShow->setChecked(!mmiTBPortShow->isChecked());
}

void TfrmMain::acSavePreferencesExecute()
{
    WritePreferences();
}

void TfrmMain::acQuitExecute()
{
    close();
}

// --- port and sensor type ----------------------------------------------------------------

QString TfrmMain::DevicePath(const QString& Name) const
{
    const TPortName port = ParsePortName(Name.toStdString());
#ifndef _WIN32
    // A path of the file system (a USB adapter listed by its path) is opened as
    // it is; Windows knows no such names.
    if (port.Kind == TPortName::Path)
        return Name;
#endif
    // A port the factory serves by name (the demo transmitter "SIM") likewise.
    if (FFactory->IsVirtualPort(Name.toStdString()))
        return Name;
    // COMn or COMn: with a decimal number and nothing else.
    if (port.Kind != TPortName::Com || port.DeviceNamespace) {
        const QString number = Name.endsWith(QLatin1Char(':')) ? Name.mid(3, Name.size() - 4) : Name.mid(3);
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(number));
    }
    if (port.Number < 10)
        return Name;
    return QStringLiteral("\\\\.\\") + Name.left(5);
}

bool TfrmMain::PortAvailable(const QString& Name) const
{
    const std::string path = DevicePath(Name).toStdString();
    return PortOpens(FFactory->CreateDevice(path).get(), path);
}

void TfrmMain::FillPortList()
{
    const QSignalBlocker blocker(cmbPort);
    cmbPort->clear();
    const auto available = [this](const std::string& Name) { return PortAvailable(Text(Name)); };
    for (const std::string& name : OpenablePorts(FFactory->AdapterPorts(), available))
        cmbPort->addItem(Text(name));
}

void TfrmMain::cmbPortDropDown()
{
    // The list is rebuilt from the ports present now; the chosen text stays.
    const QString text = cmbPort->currentText();
    FillPortList();
    const QSignalBlocker blocker(cmbPort);
    const int index = cmbPort->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    cmbPort->setCurrentIndex(index);
    if (index < 0)
        cmbPort->setEditText(text);
}

void TfrmMain::cmbPortChange()
{
    cmbSensorType->setEnabled(true);
    QString error;
    try {
        Hart1->ClosePort();
    } catch (const EHartComError& e) {
        error = Translate(Text(e.Message()));
    }
    static const QStringList comNames
        = {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4"),
           QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8")};
    const int com = comNames.indexOf(cmbPort->currentText());
    if (com >= 0)
        Hart1->SetCommPort(TDeviceName(Com1 + com));
    if (!error.isEmpty())
        ShowError(error);
}

void TfrmMain::EnableDatalogControls()
{
    const bool datalog = chbSaveDatalog->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*> {tbtnStopDatalog, edStorageCap, lblCapacity, edRate, lblRate})
        control->setEnabled(datalog);
    // The start button needs its action as well, which is off while a workflow
    // talks to the transmitter.
    tbtnStartDatalog->setEnabled(datalog && acStartMonitoring->isEnabled());
}

void TfrmMain::chbSaveDatalogClick()
{
    EnableDatalogControls();
    edStorageCap->clear();
    edRate->setText(QStringLiteral("1"));
}

void TfrmMain::ApplyLineRules()
{
    ::ApplyLineRules(*Hart1, chbUseUSB->isChecked(), cmbSensorType->currentIndex() == 0);
}
