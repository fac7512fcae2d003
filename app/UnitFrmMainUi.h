#pragma once
// The controls of the main window, each named as its objectName. UnitFrmMainForm
// builds them; the window and its workflows reach them through this struct.

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QObject;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class TNorvaneChart;
class TPortComboBox;
class TStatusIndicator;

struct TfrmMainUi {
    QTimer* tmrMonitor = nullptr;

    QObject* alMain = nullptr;
    QAction *acRead = nullptr, *acSet = nullptr, *acSave = nullptr, *acLoad = nullptr;
    QAction *acSetUR = nullptr, *acSetLR = nullptr, *acSetZero = nullptr;
    QAction *acStartMonitoring = nullptr, *acStopMonitoring = nullptr, *acSaveDatalog = nullptr;
    QAction *acShowCurrent = nullptr, *acShowVoltage = nullptr;
    QAction *acPrintPresChart = nullptr, *acPrintCurrChart = nullptr;
    QAction *acCurrentLineVisibleChanged = nullptr, *acPressureLineVisibleChanged = nullptr;
    QAction *acTBActionShow = nullptr, *acTBLangShow = nullptr, *acTBPortShow = nullptr;
    QAction *acLangEng = nullptr, *acLangGer = nullptr;
    QAction *acSavePreferences = nullptr, *acAbout = nullptr, *acQuit = nullptr;
    QAction *acDeviceStatus = nullptr, *acFrames = nullptr;

    QMenuBar* mmMain = nullptr;
    QMenu *mmiApp = nullptr, *mmiView = nullptr, *mmiToolbarsShow = nullptr, *mmiCurrentLine = nullptr;
    QMenu *mmiPrint = nullptr, *mmiLanguage = nullptr;
    QAction *mmiRead = nullptr, *mmiLoad = nullptr, *mmiSave = nullptr, *mmiQuit = nullptr;
    QAction *mmiTBActionShow = nullptr, *mmiTBLangShow = nullptr, *mmiTBPortShow = nullptr;
    QAction *mmiCurrLine = nullptr, *mmiVoltLine = nullptr, *mmiPLPrint = nullptr, *mmiCLPrint = nullptr;
    QAction *mmiSavePreferences = nullptr, *mmiLangEng = nullptr, *mmiLangGer = nullptr, *mmiAbout = nullptr;
    QAction* mmiSaveDatalog = nullptr;
    QAction *mmiDeviceStatus = nullptr, *mmiFrames = nullptr;

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
    QToolButton *tbtnStartDatalog = nullptr, *tbtnStopDatalog = nullptr, *tbtnSaveDatalog = nullptr;
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
    TStatusIndicator* stDeviceStatus = nullptr;
};
