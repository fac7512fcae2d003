// Start-up and end of the main window: creating and showing it, the start-up
// values and preferences in the registry, the language, the tool bars, the
// About box and closing.

#include "app/UnitFrmMain.h"

#include "about/UnitFrmAbout.h"
#include "about/FormTranslator.h"
#include "app/OperatorDialogs.h"
#include "app/WindowFrontEnd.h"
#include "app/PortComboBox.h"
#include "app/UnitFrmMainForm.h"
#include "app/workflows/Workflows.h"
#include "hart/HartCommand.h"
#include "ports/PortNames.h"
#include "services/UnitLangManager.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QProgressBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>

#include <stdexcept>

namespace {

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

void LoadStartUp(TfrmMain& Window)
{
    QSettings settings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
    settings.beginGroup(TfrmMain::StartUpKey);
    const QString port = ReadString(settings, QStringLiteral("CurrPort"));

    const QSignalBlocker blocker(Window.Ui().cmbPort);
    int found = -1;
    for (int i = 0; i < Window.Ui().cmbPort->count() && found < 0; ++i)
        if (Window.Ui().cmbPort->itemText(i).compare(port, Qt::CaseInsensitive) == 0)
            found = i;
    Window.Ui().cmbPort->setCurrentIndex(found);
    // A HART-IP address is never listed (the list holds the serial ports
    // present): it is kept as typed, as the operator's choice of port.
    if (found < 0)
        Window.Ui().cmbPort->setEditText(ParsePortName(port.toStdString()).Kind == TPortName::HartIp ? port
                                                                                                     : QString());

    static const QStringList comNames
        = {QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"), QStringLiteral("Com4"),
           QStringLiteral("Com5"), QStringLiteral("Com6"), QStringLiteral("Com7"), QStringLiteral("Com8")};
    const int com = comNames.indexOf(port);
    if (com >= 0)
        Window.Hart().SetCommPort(TDeviceName(Com1 + com));
}

// Each value is applied as soon as it is read; a missing or wrongly typed one
// ends the reading there.
void ReadPreferences(TfrmMain& Window, TChartPanels& Panels)
{
    Window.Log().WriteLine(QStringLiteral("Read preferences"));
    QSettings settings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
    settings.beginGroup(TfrmMain::PreferencesKey);
    try {
        const int top = ReadInteger(settings, QStringLiteral("WindowTop"));
        Window.move(Window.x(), top);
        const int left = ReadInteger(settings, QStringLiteral("WindowLeft"));
        Window.move(left, Window.y());
        const int width = ReadInteger(settings, QStringLiteral("WindowWidth"));
        Window.resize(width, Window.height());
        const int height = ReadInteger(settings, QStringLiteral("WindowHeight"));
        Window.resize(Window.width(), height);
        const int state = ReadInteger(settings, QStringLiteral("WindowState"));
        Window.setWindowState(state == 1 ? Qt::WindowMinimized : state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
        const int splitter = ReadInteger(settings, QStringLiteral("SplitterPos"));
        Panels.SetCurrentLineHeight(splitter);
    } catch (const ERegistryError& e) {
        Window.ShowError(QString::fromStdString(e.what()));
        return;
    }
    Window.Log().WriteLine(QStringLiteral("Current preferences are set"));
}

void WritePreferences(TfrmMain& Window, const TChartPanels& Panels)
{
    Window.Log().WriteLine(QStringLiteral("Write preferences"));
    QSettings settings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
    settings.beginGroup(TfrmMain::PreferencesKey);
    // A minimised or maximised window keeps the bounds it is restored to.
    const QRect bounds = (Window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
                             ? Window.normalGeometry()
                             : QRect(Window.pos(), Window.size());
    settings.setValue(QStringLiteral("WindowLeft"), bounds.x());
    settings.setValue(QStringLiteral("WindowTop"), bounds.y());
    settings.setValue(QStringLiteral("WindowWidth"), bounds.width());
    settings.setValue(QStringLiteral("WindowHeight"), bounds.height());
    const int state = (Window.windowState() & Qt::WindowMinimized)   ? 1
                      : (Window.windowState() & Qt::WindowMaximized) ? 2
                                                                     : 0;
    settings.setValue(QStringLiteral("WindowState"), state);
    settings.setValue(QStringLiteral("SplitterPos"), Panels.CurrentLineHeightNow());
    settings.endGroup();
    try {
        SyncSettings(settings);
    } catch (const ERegistryError& e) {
        Window.ShowError(QString::fromStdString(e.what()));
        return;
    }
    Window.Log().WriteLine(QStringLiteral("Preferences are written"));
}

}  // namespace

void TfrmMain::FormCreate()
{
    FLog = std::make_unique<TCalibLog>();
    FFrontEnd = std::make_unique<TWindowFrontEnd>(*FLog, *FUi.prbProgress);
    FLangManager = std::make_unique<TLangManager>();
    ReportLanguageFile();

    FillPortList();
    {
        const QSignalBlocker blocker(FUi.cmbPort);
        FUi.cmbPort->setCurrentIndex(FUi.cmbPort->count() > 0 ? 0 : -1);
    }
    ReadDirectories();
    LoadStartUp(*this);

    // The progress bar lives in the status bar, over panel 1.
    FUi.prbProgress->setParent(FUi.stbMain);
    FUi.prbProgress->setVisible(false);
    stbMainDrawPanel();
}

void TfrmMain::FormShow()
{
    // The system's language: German on a German system, English otherwise.
    if (QLocale().language() == QLocale::German) {
        FUi.tbtnLangGer->setChecked(true);
        FUi.mmiLangGer->setChecked(true);
        FUi.mmiLangEng->setChecked(false);
        FLangManager->SetLanguage(1);
    } else {
        FUi.tbtnLangEng->setChecked(true);
        FUi.mmiLangEng->setChecked(true);
        FUi.mmiLangGer->setChecked(false);
        FLangManager->SetLanguage(0);
    }
    TranslateWindow();

    FUi.cmbSensorType->setCurrentIndex(1);

    FWorkflows->Monitor.EnableDatalogControls();

    FUi.tbMonitoring->setVisible(FUi.tbnMain->currentIndex() == 1);
    FHintHandlerInstalled = true;

    TVersionInfo info;
    FLog->GetVersionInfo(QCoreApplication::applicationFilePath(), info);
    SetStatusText(2, QStringLiteral("  v. ") + info.FileVersion);

    FUi.tbnMain->setCurrentIndex(0);
    if (!FLanguageFileProblem.isEmpty())
        FDialogs->ShowError(this, FLanguageFileProblem);
    ReadPreferences(*this, FWorkflows->ChartPanels);
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

bool TfrmMain::FormCloseQuery()
{
    // Samples not yet saved are not lost without asking.
    if (!FWorkflows->Monitor.QueryUnsavedDatalog())
        return false;
    SaveStartUp();
    FWorkflows->Monitor.EndAtClose();
    return true;
}

void TfrmMain::ReadDirectories()
{
    FLog->WriteLine(QStringLiteral("Registry will be read"));
    QSettings settings(RegistryOrganization, RegistryApplication);
    settings.beginGroup(StartUpKey);
    FWorkflows->Config.CfgDir = FCfgDirAtStart = ReadString(settings, QStringLiteral("CurrSLDir"));
    FWorkflows->Monitor.DatalogDir = FDatalogDirAtStart = ReadString(settings, QStringLiteral("CurrDtlgDir"));
    FLog->WriteLine(QStringLiteral("Current directories are initialized"));
}

void TfrmMain::SaveStartUp()
{
    QSettings settings(RegistryOrganization, RegistryApplication);
    settings.beginGroup(StartUpKey);
    settings.setValue(QStringLiteral("CurrPort"), FUi.cmbPort->currentText());
    settings.setValue(QStringLiteral("CurrSLDir"), FCfgDirAtStart);
    settings.setValue(QStringLiteral("CurrDtlgDir"), FDatalogDirAtStart);
    settings.endGroup();
    try {
        SyncSettings(settings);
    } catch (const ERegistryError& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}

void TfrmMain::SelectLanguage(std::uint8_t Language)
{
    const int sensorType = FUi.cmbSensorType->currentIndex();
    FLangManager->SetLanguage(Language);
    TranslateWindow();
    FUi.cmbSensorType->setCurrentIndex(sensorType);
}

void TfrmMain::TranslateWindow()
{
    LoadQtTranslation(FLangManager->Language() == 1 ? QStringLiteral("de") : QString());
    TranslateForm(*FLangManager, this);
    ShowMenuShortcuts(this);
    FUi.cmbUnit->setPlaceholderText(Translate(QStringLiteral("cmbUnit.Text")));
    if (FWorkflows) {
        FWorkflows->Status.Retranslate();
        FWorkflows->Calibration.Retranslate();
    }
}

void TfrmMain::LoadQtTranslation(const QString& Language)
{
    // Qt's own texts (Yes/No/Cancel, the file, print and page dialogs, key
    // names in menus) follow the window's language. English is Qt's own.
    if (FQtTranslator) {
        QCoreApplication::removeTranslator(FQtTranslator.get());
        FQtTranslator.reset();
    }
    if (Language.isEmpty())
        return;
    // A package that ships the catalogue beside the program comes first, then
    // the one installed with Qt.
    auto translator = std::make_unique<QTranslator>();
    const QString name = QStringLiteral("qtbase_") + Language;
    for (const QString& dir : {QCoreApplication::applicationDirPath(),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(name, dir)) {
            QCoreApplication::installTranslator(translator.get());
            FQtTranslator = std::move(translator);
            return;
        }
    }
    // Without the catalogue Qt's texts stay English; the window's own are translated.
    FLog->WriteLine(QStringLiteral("Qt's translation %1 was not found; Qt's own texts stay English").arg(name));
}

void TfrmMain::acLangEngExecute()
{
    FUi.mmiLangEng->setChecked(true);
    FUi.mmiLangGer->setChecked(false);
    FUi.tbtnLangEng->setChecked(true);
    SelectLanguage(0);
}

void TfrmMain::acLangGerExecute()
{
    FUi.mmiLangGer->setChecked(true);
    FUi.mmiLangEng->setChecked(false);
    FUi.tbtnLangGer->setChecked(true);
    SelectLanguage(1);
}

void TfrmMain::acTBActionShowExecute()
{
    FUi.tbAction->setVisible(FUi.tbAction->isHidden());
    FUi.mmiTBActionShow->setChecked(!FUi.mmiTBActionShow->isChecked());
}

void TfrmMain::acTBLangShowExecute()
{
    FUi.tbLanguage->setVisible(FUi.tbLanguage->isHidden());
    FUi.mmiTBLangShow->setChecked(!FUi.mmiTBLangShow->isChecked());
}

void TfrmMain::acTBPortShowExecute()
{
    FUi.tbPort->setVisible(FUi.tbPort->isHidden());
    FUi.mmiTBPortShow->setChecked(!FUi.mmiTBPortShow->isChecked());
}

void TfrmMain::acSavePreferencesExecute()
{
    WritePreferences(*this, FWorkflows->ChartPanels);
}

void TfrmMain::acQuitExecute()
{
    close();
}

// The box lives only while it is shown; it borrows the window's language
// manager and log.
void TfrmMain::acAboutExecute()
{
    TFrmAbout about(this);
    about.LangManager = FLangManager.get();
    about.AppLog = FLog.get();
    about.PrepareInfo(FLangManager ? FLangManager->Language() : 0);
    about.exec();
}
