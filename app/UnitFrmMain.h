#pragma once
// TfrmMain: the one window of the program. It owns the HART component Hart1,
// the application log, the language manager, the monitoring timer and the two
// charts, and runs every operator workflow. The controls are built in
// UnitFrmMainForm.cpp. UnitFrmMain.cpp holds start-up, preferences and language;
// each workflow has a file of its own (FrmMainRead.cpp: reading a device).

#include <QMainWindow>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hart/HartCommand.h"
#include "transmitter/VerifiedWrite.h"
#include "transmitter/TransmitterRead.h"

class QAction;
class TWindowFrontEnd;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

class TCalibLog;
class TCurve;
class TDataloger;
class TDeviceLock;
class TLangManager;
class TNorvaneChart;
class TOperatorDialogs;
class TSerialDeviceFactory;
class TPortComboBox;
struct TConfigItems;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Registry location of the start-up values and preferences.
    static inline const QString RegistryOrganization = QStringLiteral("Norvane");
    static inline const QString RegistryApplication = QStringLiteral("Calvista 3.0");
    static inline const QString StartUpKey = QStringLiteral("StartUp");
    static inline const QString PreferencesKey = QStringLiteral("Preferences");

    // Factory: where every serial device comes from. Dialogs: every modal box.
    TfrmMain(std::shared_ptr<TSerialDeviceFactory> Factory, std::unique_ptr<TOperatorDialogs> Dialogs,
             QWidget* Parent = nullptr);
    ~TfrmMain() override;

    // --- owned objects ----------------------------------------------------------
    std::unique_ptr<THart> Hart1;
    QTimer* tmrMonitor = nullptr;
    TCalibLog* Log() const { return FLog.get(); }
    TLangManager* LangManager() const { return FLangManager.get(); }
    TOperatorDialogs& Dialogs() const { return *FDialogs; }

    // --- components (named as their objectName) -----------------------------------
    QObject* alMain = nullptr;
    QAction *acRead = nullptr, *acSet = nullptr, *acSave = nullptr, *acLoad = nullptr;
    QAction *acSetUR = nullptr, *acSetLR = nullptr, *acSetZero = nullptr;
    QAction *acStartMonitoring = nullptr, *acStopMonitoring = nullptr;
    QAction *acShowCurrent = nullptr, *acShowVoltage = nullptr;
    QAction *acPrintPresChart = nullptr, *acPrintCurrChart = nullptr;
    QAction *acCurrentLineVisibleChanged = nullptr, *acPressureLineVisibleChanged = nullptr;
    QAction *acTBActionShow = nullptr, *acTBLangShow = nullptr, *acTBPortShow = nullptr;
    QAction *acLangEng = nullptr, *acLangGer = nullptr;
    QAction *acSavePreferences = nullptr, *acAbout = nullptr, *acQuit = nullptr;

    QMenuBar* mmMain = nullptr;
    QMenu *mmiApp = nullptr, *mmiView = nullptr, *mmiToolbarsShow = nullptr, *mmiCurrentLine = nullptr;
    QMenu *mmiPrint = nullptr, *mmiLanguage = nullptr;
    QAction *mmiRead = nullptr, *mmiLoad = nullptr, *mmiSave = nullptr, *mmiQuit = nullptr;
    QAction *mmiTBActionShow = nullptr, *mmiTBLangShow = nullptr, *mmiTBPortShow = nullptr;
    QAction *mmiCurrLine = nullptr, *mmiVoltLine = nullptr, *mmiPLPrint = nullptr, *mmiCLPrint = nullptr;
    QAction *mmiSavePreferences = nullptr, *mmiLangEng = nullptr, *mmiLangGer = nullptr, *mmiAbout = nullptr;

    QFrame* cntrbMain = nullptr;
    QToolBar *tbAction = nullptr, *tbLanguage = nullptr, *tbPort = nullptr, *tbDatalog = nullptr,
             *tbMonitoring = nullptr;
    QToolButton *tbtnRead = nullptr, *tbtnSet = nullptr, *tbtnSave = nullptr, *tbtnLoad = nullptr;
    QToolButton *tbtnLangEng = nullptr, *tbtnLangGer = nullptr;
    QButtonGroup* grpLanguage = nullptr;
    TPortComboBox* cmbPort = nullptr;
    QCheckBox* chbUseUSB = nullptr;
    QComboBox* cmbSensorType = nullptr;
    QCheckBox* chbSaveDatalog = nullptr;
    QLabel *lblCapacity = nullptr, *lblRate = nullptr;
    QLineEdit *edStorageCap = nullptr, *edRate = nullptr;
    QToolButton *tbtnStartDatalog = nullptr, *tbtnStopDatalog = nullptr;
    QButtonGroup* grpDatalog = nullptr;
    QLabel *stCurrentCurrentValue = nullptr, *lblCurrentUnit = nullptr;
    QLabel *stCurrentPressureValue = nullptr, *lblPressureUnit = nullptr;
    QCheckBox *chbCurrentLine = nullptr, *chbPressureLine = nullptr;

    QTabWidget* tbnMain = nullptr;
    QFrame *pnlDataMain = nullptr, *pnlCharts = nullptr;
    QGroupBox *grbDescription = nullptr, *grbReference = nullptr, *grbPressure = nullptr, *grbRevLevel = nullptr;
    QLabel *lblTransType = nullptr, *lblSerialNr = nullptr, *lblManufacturer = nullptr, *lblDate = nullptr;
    QLabel *lblTag = nullptr, *lblDesc = nullptr;
    QLineEdit *edTransType = nullptr, *edSerialNr = nullptr, *edManufacturer = nullptr, *medDate = nullptr;
    QLineEdit *edTag = nullptr, *edDesc = nullptr;
    QPushButton *bbtnSetUpperRange = nullptr, *bbtnSetLowerRange = nullptr, *bbtnSetZero = nullptr;
    QLabel *lblUpper = nullptr, *lblLower = nullptr, *lblUpperRange = nullptr, *lblLowerRange = nullptr;
    QLabel *lblUpperLimit = nullptr, *lblLowerLimit = nullptr, *lblUnit = nullptr, *lblDamping = nullptr;
    QLabel* lblMinSpan = nullptr;
    QLineEdit *edUpperRange = nullptr, *edLowerRange = nullptr, *edUpperLimit = nullptr, *edLowerLimit = nullptr;
    QLineEdit *edDamping = nullptr, *edMinSpan = nullptr;
    QComboBox* cmbUnit = nullptr;
    QLabel *lblTransmitter = nullptr, *lblUnCommand = nullptr;
    QLineEdit *edRevLevelTrans = nullptr, *edRevLevelComm = nullptr;

    QSplitter* splCharts = nullptr;
    QFrame *pnlPressureLine = nullptr, *pnlCurrentLine = nullptr;
    TNorvaneChart *bdcPressure = nullptr, *bdcCurrent = nullptr;

    QStatusBar* stbMain = nullptr;
    QLabel* stbPanels[3] = {nullptr, nullptr, nullptr};
    QProgressBar* prbProgress = nullptr;

    // --- window state ---------------------------------------------------------------
    QString CfgDir, CfgDirAtStart, DatalogDir, DatalogDirAtStart;
    bool RangeChanged = false, UnitChanged = false, DampingChanged = false, DescriptionChanged = false;
    THartDevInfo DevInfo;
    TSensorInfo SensorInfo;
    TPrVarInfo OutputInfo;
    std::string Tag, Descriptor;
    uint16_t Year = 0;
    uint8_t Month = 0, Day = 0;
    int32_t Capacity = 0;
    double ElapsedTime = 0;
    int CurrentLineHeight = 0;

    // --- status bar -----------------------------------------------------------------
    QString StatusText(int Panel) const;
    void SetStatusText(int Panel, const QString& Text);
    // Panel 1 shows the progress bar while owner-drawn, its text otherwise.
    bool StatusPanel1OwnerDrawn() const { return FPanel1OwnerDrawn; }
    void SetStatusPanel1OwnerDrawn(bool OwnerDrawn);

    // --- window events ---------------------------------------------------------------
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose() {}
    void FormResize();
    void stbMainDrawPanel();
    void tbnMainChange(int LeavingPage);
    // Key release in an edit, combo box, check box or reference button.
    void CntrKeyUp(QWidget* Control, int Key);
    // A typed character; false when it is discarded.
    bool CntrKeyPress(QWidget* Control, QChar Key);

    void ShowError(const QString& Text);
    void ShowHintText(const QString& Hint);

    // True while a workflow talks to the transmitter (TDeviceBusy): the actions
    // that talk to it and the port controls are disabled meanwhile.
    bool DeviceBusy() const;

    // --- port and sensor type -------------------------------------------------------
    // The path that opens the named port.
    QString DevicePath(const QString& Name) const;
    bool PortAvailable(const QString& Name) const;
    void FillPortList();
    void cmbPortDropDown();
    void cmbPortChange();
    void cmbSensorTypeChange() {}
    // The datalog controls follow "Save datalog"; capacity and rate start over.
    void chbSaveDatalogClick();

    // --- reading a device -------------------------------------------------------------
    void ResetPort(const QString& PortName);
    void ReadDeviceIdentity();
    void ReadDeviceOutput();
    void ShowUnit();
    void ReadDeviceDescription();

    // --- monitoring and data logging (FrmMainMonitor.cpp) ---------------------------------
    // The data logger while monitoring has prepared one, else null.
    std::unique_ptr<TDataloger> Dataloger;
    TCurve *PressureCurve = nullptr, *CurrentCurve = nullptr;
    // The sampling period in seconds, fixed when monitoring starts.
    double MonitorRate = 0;
    // The shortest rate one exchange with the transmitter allows on the line in use.
    double ShortestMonitorRate() const;
    void acStartMonitoringExecute();
    void acStopMonitoringExecute();
    void tmrMonitorTimer();
    void MonitorTick();
    void SaveDatalog();
    void InitPressureCurve();
    void InitCurrentCurve();
    void acShowCurrentExecute();
    void acShowVoltageExecute();
    void acCurrentLineVisibleChangedExecute();
    void acPressureLineVisibleChangedExecute();
    void Splitter2Moved();
    // True while the timer records samples.
    bool Recording() const;
    // Asked before the window closes: false when the operator keeps it open.
    bool QueryUnsavedDatalog();

    // --- printing (FrmMainPrint.cpp) -------------------------------------------------------
    void acPrintPresChartExecute();
    void acPrintCurrChartExecute();
    void PrintChart(TNorvaneChart* Chart);

    // --- actions ----------------------------------------------------------------------
    void acReadExecute();
    void acLangEngExecute();
    void acLangGerExecute();
    void acTBActionShowExecute();
    void acTBLangShowExecute();
    void acTBPortShowExecute();
    void acSavePreferencesExecute();
    void acQuitExecute();
    void acAboutExecute();

    // --- change events of the edited values ----------------------------------------------
    void edUpperRangeChange() { RangeChanged = true; }
    void edLowerRangeChange() { RangeChanged = true; }
    void edDampingChange() { DampingChanged = true; }
    void cmbUnitChange() { UnitChanged = true; }
    void medDateChange() { DescriptionChanged = true; }

    // --- writing settings, trimming, configuration files --------------------------------
    // FrmMainWrite.cpp: Set and its verified steps. Each step answers whether
    // the transmitter kept what was sent.
    void acSetExecute();
    bool UpdateDescription();
    bool UpdateUnit();
    bool UpdateRange();
    bool UpdateDamping();
    // Attempts of each verified write before the operator is told what the
    // transmitter kept.
    static constexpr int WriteAttempts = TVerifiedWrite::DefaultAttempts;
    // FrmMainReference.cpp: range and zero against the applied pressure.
    void acSetURExecute();
    void acSetLRExecute();
    void acSetZeroExecute();
    // FrmMainConfig.cpp: configuration files.
    void acSaveExecute();
    void acLoadExecute();

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    // UnitFrmMainForm.cpp: the controls with their design values; ConnectEvents
    // (in UnitFrmMain.cpp) wires them to the handlers.
    void BuildForm();
    void BuildActions();
    void BuildMenu();
    void BuildToolBars();
    void BuildSensordataPage(QWidget* Page);
    void BuildDatalogPage(QWidget* Page);
    void BuildStatusBar();
    void ConnectEvents();
    QAction* NewAction(const char* Name, const QString& Caption, const QString& Hint = QString(),
                       const QKeySequence& Shortcut = QKeySequence());
    QAction* NewMenuItem(QMenu* Menu, const char* Name, QAction* Action);
    QToolButton* NewSpeedButton(QToolBar* Bar, const char* Name, QAction* Action, const QIcon& Icon);
    // Runs a handler of this window; an exception leaving it goes to the
    // application's default error display.
    void Run(void (TfrmMain::*Handler)());
    // Runs Handler through Run whenever Action is triggered.
    void ConnectAction(QAction* Action, void (TfrmMain::*Handler)());

    void ReadDirectories();
    void LoadStartUp();
    void SaveStartUp();
    void ReadPreferences();
    void WritePreferences();
    void ApplyLineRules();
    void EnableDatalogControls();
    void SelectLanguage(std::uint8_t Language);
    void SetPressureAxisTitle(const QString& Title);
    void ShowStepStatus(const QString& Key);
    // The shared read sequence, logging to the window's log.
    TTransmitterRead Reader();
    int CurrentLineHeightNow() const;
    void SetCurrentLineHeight(int Height);
    void ApplyCurrentLineHeight();
    QString Translate(const QString& Key) const;
    // Logs why the language file could not be used; FormShow shows it once.
    void ReportLanguageFile();

    // --- writing settings, trimming, configuration files --------------------------------
    // The values a Set writes, taken from the edits before anything is sent.
    struct TSetValues {
        TDescription Description;
        std::string Unit;
        float Upper = 0, Lower = 0, Damping = 0;
    };
    void ConnectWriteEvents();
    // The edited values of the steps to run; the refusal's text when one is not valid.
    TSetValues SetInput(QString& Refusal) const;
    void RunWriteStep(TWriteStep Step, bool& Changed, bool (TfrmMain::*Update)(), const char* WrittenKey,
                      const char* NotWrittenKey);
    TWriteResult VerifiedWrite(const std::function<TWriteResult(TVerifiedWrite&)>& Write);
    void RunReferenceAction(int32_t (THart::*Command)(), const QString& DoneLine);
    TConfigItems ConfigItems() const;
    void ApplyConfigItems(const TConfigItems& Items);
    bool PackedAsciiKey(const QString& Typed) const;
    TSetValues FSetValues;
    TWriteResult FLastWrite;
    QStringList FSetErrors;  // shown in one box at the end of a Set

    // Monitoring: what a recording locks, and how to unlock it.
    void ConnectMonitoringEvents();
    void LockForRecording(bool Locked);
    void EndRecordingControls();
    void ArrangeChartPanels();
    bool ReadCapacity();
    bool ReadRate();
    void StopAfterLinkError(const QString& Key);
    // Enabled states of the controls a recording disables, to be restored after it.
    QList<QPair<QObject*, bool>> FLockedByRecording;

    std::shared_ptr<TSerialDeviceFactory> FFactory;
    std::unique_ptr<TOperatorDialogs> FDialogs;
    std::unique_ptr<TCalibLog> FLog;
    std::unique_ptr<TWindowFrontEnd> FFrontEnd;
    std::unique_ptr<TLangManager> FLangManager;
    std::unique_ptr<TDeviceLock> FDeviceLock;
    bool FPanel1OwnerDrawn = false;
    bool FHintHandlerInstalled = false;
    bool FFormShown = false;
    QString FLanguageFileProblem;
    int FCurrentPage = 0;
    // Height of the current chart waiting for the splitter to be laid out; the
    // form's design height at start, -1 once applied.
    int FWantedCurrentLineHeight = 70;
};
