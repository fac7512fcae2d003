#pragma once
// TfrmMain: the one window of the program, a view. It owns the HART component,
// the application log, the language manager and the workflows (app/workflows/),
// and hands each event to the workflow that does the work. The controls are
// built in UnitFrmMainForm.cpp; start-up, preferences and language are in
// UnitFrmMainStartUp.cpp, the port list in UnitFrmMainPorts.cpp.

#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>

class TCalibLog;
class TChartPanels;
class TConfigWorkflow;
class TDeviceLock;
class TLangManager;
class TMonitorWorkflow;
class TOperatorDialogs;
class QTranslator;
struct TMainWorkflows;
class TSerialDeviceFactory;
class TStatusWorkflow;
class TWindowFrontEnd;
class TWriteWorkflow;

class TfrmMain : public QMainWindow, public TMainView {
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

    // The workflows, each with its own state.
    TWriteWorkflow& Writing() const;
    TConfigWorkflow& ConfigFiles() const;
    TMonitorWorkflow& Monitoring() const;
    TChartPanels& ChartPanels() const;
    TStatusWorkflow& Health() const;
    TLangManager* LangManager() const { return FLangManager.get(); }
    bool StatusPanel1OwnerDrawn() const { return FPanel1OwnerDrawn; }

    // What the workflows ask of the window.
    const TfrmMainUi& Ui() const override { return FUi; }
    QWidget* Window() override { return this; }
    THart& Hart() override { return *FHart; }
    TCalibLog& Log() override { return *FLog; }
    TTransmitterFrontEnd& FrontEnd() override;
    TOperatorDialogs& Dialogs() override { return *FDialogs; }
    QString Translate(const QString& Key) const override;
    void ShowError(const QString& Text) override;
    QString StatusText(int Panel) const override;
    void SetStatusText(int Panel, const QString& Text) override;
    void SetStatusPanel1OwnerDrawn(bool OwnerDrawn) override;
    TDeviceLock& DeviceLock() override { return *FDeviceLock; }
    bool DeviceBusy() const override;
    QString DevicePath(const QString& Name) const override;
    void ApplyLineRules() override;

    // Window events.
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
    void ShowHintText(const QString& Hint);

    // Port, sensor type, the datalog switch and the values a Set writes.
    void cmbPortDropDown();
    void cmbPortChange();
    void cmbSensorTypeChange() {}
    void chbSaveDatalogClick();
    void edUpperRangeChange();
    void edLowerRangeChange();
    void edDampingChange();
    void cmbUnitChange();
    void medDateChange();

    // Actions, each handed to its workflow.
    void acReadExecute();
    void acSetExecute();
    void acSetURExecute();
    void acSetLRExecute();
    void acSetZeroExecute();
    void acSaveExecute();
    void acLoadExecute();
    void acStartMonitoringExecute();
    void acStopMonitoringExecute();
    void acSaveDatalogExecute();
    void tmrMonitorTimer();
    void acShowCurrentExecute();
    void acShowVoltageExecute();
    void acCurrentLineVisibleChangedExecute();
    void acPressureLineVisibleChangedExecute();
    void Splitter2Moved();
    void acPrintPresChartExecute();
    void acPrintCurrChartExecute();
    void acDeviceStatusExecute();
    void acFramesExecute();

    // The window's own actions.
    void acLangEngExecute();
    void acLangGerExecute();
    void acTBActionShowExecute();
    void acTBLangShowExecute();
    void acTBPortShowExecute();
    void acSavePreferencesExecute();
    void acQuitExecute();
    void acAboutExecute();

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    // Runs a handler; an exception leaving it goes to the application's default
    // error display.
    void Run(void (TfrmMain::*Handler)());
    void ConnectAction(QAction* Action, void (TfrmMain::*Handler)());
    void ConnectEvents();
    void ReadDirectories();
    void SaveStartUp();
    void SelectLanguage(std::uint8_t Language);
    // The window's texts, its menu shortcuts and Qt's own texts in the
    // language manager's language.
    void TranslateWindow();
    // Installs Qt's catalogue for Language ("de"), or none for English.
    void LoadQtTranslation(const QString& Language);
    // Logs why the language file could not be used; FormShow shows it once.
    void ReportLanguageFile();
    void FillPortList();

    TfrmMainUi FUi;
    std::shared_ptr<TSerialDeviceFactory> FFactory;
    std::unique_ptr<TOperatorDialogs> FDialogs;
    std::unique_ptr<THart> FHart;
    std::unique_ptr<TCalibLog> FLog;
    std::unique_ptr<TWindowFrontEnd> FFrontEnd;
    std::unique_ptr<TLangManager> FLangManager;
    std::unique_ptr<TDeviceLock> FDeviceLock;
    std::unique_ptr<TMainWorkflows> FWorkflows;
    std::unique_ptr<QTranslator> FQtTranslator;
    QString FCfgDirAtStart, FDatalogDirAtStart;
    QString FLanguageFileProblem;
    bool FPanel1OwnerDrawn = false;
    bool FHintHandlerInstalled = false;
    int FCurrentPage = 0;
};
