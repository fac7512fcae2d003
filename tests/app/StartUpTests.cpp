// Start-up and shut-down of the main window: the port list and the stored
// port, the registry values, the language, the status bar, tool bars and
// keyboard handling.

#include "MainWindowFixture.h"

#include "app/Application.h"
#include "app/PortComboBox.h"
#include "chart/NorvaneChart.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

QStringList Items(const QComboBox* Box)
{
    QStringList items;
    for (int i = 0; i < Box->count(); ++i)
        items << Box->itemText(i);
    return items;
}

}  // namespace

// --- the stored port among the ports found ----------------------------------------------

struct TStartPortCase {
    const char* Name;
    std::vector<std::string> Ports;  // simulated ports present
    const char* StoredPort;  // nullptr: no StartUp key at all (first run)
    QStringList ExpectedList;
    QString ExpectedText;
};

// Test names list the case by its name.
inline void PrintTo(const TStartPortCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class TStartPortTest : public TMainWindowTest, public ::testing::WithParamInterface<TStartPortCase> {};

TEST_P(TStartPortTest, SelectsTheStoredPortWhenItIsListed)
{
    const TStartPortCase& c = GetParam();
    for (const std::string& port : c.Ports)
        AddTransmitter(port);
    if (c.StoredPort) {
        QSettings settings = Registry();
        settings.setValue(QStringLiteral("StartUp/CurrPort"), QString::fromLatin1(c.StoredPort));
    }
    TfrmMain& w = Start();
    EXPECT_EQ(Items(w.Ui().cmbPort), c.ExpectedList);
    EXPECT_EQ(w.Ui().cmbPort->currentText(), c.ExpectedText);
    EXPECT_EQ(w.Ui().cmbPort->currentIndex(), c.ExpectedList.indexOf(c.ExpectedText));
    EXPECT_TRUE(Dialogs->Shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Ports, TStartPortTest,
    ::testing::Values(TStartPortCase {"NoPorts", {}, "COM1", {}, ""},
                      TStartPortCase {
                          "StoredAmongThem", {"COM1", "COM3", "COM12"}, "COM3", {"COM1", "COM3", "COM12"}, "COM3"},
                      TStartPortCase {"StoredIgnoringCase", {"COM1", "COM3"}, "com3", {"COM1", "COM3"}, "COM3"},
                      TStartPortCase {"StoredNotAmongThem", {"COM1", "COM3"}, "COM7", {"COM1", "COM3"}, ""},
                      TStartPortCase {"FirstRun", {"COM2"}, nullptr, {"COM2"}, ""},
                      TStartPortCase {"HartIpKept", {"COM1"}, "hartip://gw", {"COM1"}, "hartip://gw"},
                      TStartPortCase {"AdapterByPath",
                                      {"COM41", "COM2", "/dev/ttyUSB0"},
                                      "/dev/ttyUSB0",
                                      {"COM2", "/dev/ttyUSB0"},
                                      "/dev/ttyUSB0"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TMainWindowTest, PortListLeavesOutPortsInUseElsewhere)
{
    AddTransmitter("COM1");
    AddTransmitter("COM3");
    ASSERT_EQ(Line("COM3").Open("COM3"), TSerialOpenResult::Ok);  // another program holds it
    TfrmMain& w = Start();
    EXPECT_EQ(Items(w.Ui().cmbPort), QStringList {"COM1"});
    EXPECT_EQ(w.Ui().cmbPort->currentText(), "");  // nothing stored
}

// --- registry -----------------------------------------------------------------------------

TEST_F(TMainWindowTest, FirstRunShowsTheMissingPreferenceAndStoresTheStartUpValuesAtClose)
{
    RemovePreferences();
    AddTransmitter("COM2");
    TfrmMain& w = Start();

    // Reading the preferences stops at the first value, WindowTop: logged and shown.
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_TRUE(Dialogs->Errors()[0].contains("WindowTop")) << Dialogs->Errors()[0].toStdString();
    const QStringList log = LogMessages();
    EXPECT_EQ(log.mid(0, 3),
              (QStringList {"Application starts", "Registry will be read", "Current directories are initialized"}));
    EXPECT_TRUE(log.contains("Read preferences"));
    EXPECT_TRUE(log.contains(Dialogs->Errors()[0]));
    EXPECT_FALSE(log.contains("Current preferences are set"));
    EXPECT_EQ(w.size(), QSize(640, 512));  // the form's size stays

    // The operator picks the port, later chooses other directories; closing
    // stores the port and the directories as read at start: empty.
    w.Ui().cmbPort->setCurrentIndex(0);
    w.ConfigFiles().CfgDir = "/somewhere/else";
    w.Monitoring().DatalogDir = "/elsewhere";
    w.close();
    QSettings settings = Registry();
    settings.beginGroup(TfrmMain::StartUpKey);
    EXPECT_EQ(settings.value("CurrPort").toString(), "COM2");
    EXPECT_EQ(settings.value("CurrSLDir").toString(), "");
    EXPECT_EQ(settings.value("CurrDtlgDir").toString(), "");
    EXPECT_FALSE(QSettings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication)
                     .contains("Preferences/WindowTop"));  // preferences only on request
}

TEST_F(TMainWindowTest, ClosingWritesBackTheDirectoriesReadAtStart)
{
    {
        QSettings settings = Registry();
        settings.setValue("StartUp/CurrSLDir", "/cfg/at/start");
        settings.setValue("StartUp/CurrDtlgDir", "/logs/at/start");
    }
    TfrmMain& w = Start();
    EXPECT_EQ(w.ConfigFiles().CfgDir, "/cfg/at/start");
    EXPECT_EQ(w.Monitoring().DatalogDir, "/logs/at/start");
    w.ConfigFiles().CfgDir = "/chosen/later";
    w.Monitoring().DatalogDir = "/chosen/later/too";
    w.close();
    QSettings settings = Registry();
    EXPECT_EQ(settings.value("StartUp/CurrSLDir").toString(), "/cfg/at/start");
    EXPECT_EQ(settings.value("StartUp/CurrDtlgDir").toString(), "/logs/at/start");
    EXPECT_EQ(settings.value("StartUp/CurrPort").toString(), "");
}

struct TPreferenceCase {
    const char* Name;
    const char* BadValue;  // the value given a text that is no integer; nullptr: all good
    const char* Removed;  // the value removed; nullptr: none
    QPoint Position;  // expected afterwards
    QSize Size;
    bool Complete;  // "Current preferences are set" logged
};

// Test names list the case by its name.
inline void PrintTo(const TPreferenceCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class TPreferenceTest : public TMainWindowTest, public ::testing::WithParamInterface<TPreferenceCase> {};

TEST_P(TPreferenceTest, AppliesValuesUpToTheFirstMissingOrWronglyTypedOne)
{
    const TPreferenceCase& c = GetParam();
    StorePreferences(33, 44, 700, 560, 0, 90);
    {
        QSettings settings = Registry();
        if (c.BadValue)
            settings.setValue(QStringLiteral("Preferences/") + c.BadValue, "wide");
        if (c.Removed)
            settings.remove(QStringLiteral("Preferences/") + c.Removed);
    }
    TfrmMain& w = Start();
    // A coordinate of -1: not the stored one.
    if (c.Position.x() >= 0)
        EXPECT_EQ(w.x(), c.Position.x());
    else
        EXPECT_NE(w.x(), 33);
    EXPECT_EQ(w.y(), c.Position.y());
    EXPECT_EQ(w.size(), c.Size);
    EXPECT_EQ(LogMessages().contains("Current preferences are set"), c.Complete);
    if (c.Complete) {
        EXPECT_TRUE(Dialogs->Errors().isEmpty());
        w.Ui().tbnMain->setCurrentIndex(1);
        EXPECT_EQ(w.Ui().pnlCurrentLine->height(), 90);
    } else {
        ASSERT_EQ(Dialogs->Errors().size(), 1);
        const char* culprit = c.BadValue ? c.BadValue : c.Removed;
        EXPECT_TRUE(Dialogs->Errors()[0].contains(culprit)) << Dialogs->Errors()[0].toStdString();
        EXPECT_TRUE(LogMessages().contains(Dialogs->Errors()[0]));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Registry, TPreferenceTest,
    ::testing::Values(TPreferenceCase {"AllPresent", nullptr, nullptr, {33, 44}, {700, 560}, true},
                      TPreferenceCase {"WidthNotANumber", "WindowWidth", nullptr, {33, 44}, {640, 512}, false},
                      TPreferenceCase {"LeftMissing", nullptr, "WindowLeft", {-1, 44}, {640, 512}, false},
                      TPreferenceCase {"HeightMissing", nullptr, "WindowHeight", {33, 44}, {700, 512}, false}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TMainWindowTest, SavePreferencesWritesTheWindowBoundsAndTheCurrentChartHeight)
{
    TfrmMain& w = Start();
    w.move(50, 60);
    w.resize(720, 580);
    w.Ui().tbnMain->setCurrentIndex(1);
    w.Ui().splCharts->setSizes({300, 111});
    const int splitter = w.Ui().pnlCurrentLine->height();
    EXPECT_GT(splitter, 0);
    w.Ui().acSavePreferences->trigger();
    QSettings settings = Registry();
    settings.beginGroup(TfrmMain::PreferencesKey);
    EXPECT_EQ(settings.value("WindowLeft").toInt(), 50);
    EXPECT_EQ(settings.value("WindowTop").toInt(), 60);
    EXPECT_EQ(settings.value("WindowWidth").toInt(), 720);
    EXPECT_EQ(settings.value("WindowHeight").toInt(), 580);
    EXPECT_EQ(settings.value("WindowState").toInt(), 0);
    EXPECT_EQ(settings.value("SplitterPos").toInt(), splitter);
    const QStringList log = LogMessages();
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList {"Write preferences", "Preferences are written"}));
}

// --- language ---------------------------------------------------------------------------

TEST_F(TMainWindowTest, StartsInTheSystemsLanguage)
{
    for (const QLocale::Language language : {QLocale::German, QLocale::French, QLocale::English}) {
        QLocale::setDefault(QLocale(language));
        const int section = language == QLocale::German ? 1 : 0;
        TfrmMain& w = Start();
        SCOPED_TRACE(QLocale::languageToString(language).toStdString());
        EXPECT_EQ(w.LangManager()->Language(), section);
        EXPECT_EQ(w.Ui().tbnMain->tabText(0), Text("tbnMain.Pages[0]", section));
        EXPECT_EQ(w.Ui().chbUseUSB->text(), Text("chbUseUSB.Caption", section));
        EXPECT_EQ(w.Ui().mmiApp->title(), Text("mmiApp.Caption", section));
        EXPECT_EQ(w.Ui().tbtnRead->toolTip(), Text("tbtnRead.Hint", section));
        EXPECT_EQ(w.Ui().tbtnLangGer->isChecked(), section == 1);
        EXPECT_EQ(w.Ui().mmiLangGer->isChecked(), section == 1);
        EXPECT_EQ(w.Ui().mmiLangEng->isChecked(), section == 0);
        EXPECT_EQ(w.Ui().cmbSensorType->currentIndex(), 1);
        EXPECT_EQ(w.Ui().lblPressureUnit->text(), "__");
        Window.reset();
    }
}

TEST_F(TMainWindowTest, LanguageSwitchKeepsTheSensorTypeAndLeavesThePortsAlone)
{
    AddTransmitter("COM1");
    AddTransmitter("COM4");
    TfrmMain& w = Start();
    w.Ui().cmbSensorType->setCurrentIndex(0);
    w.Ui().mmiLangGer->trigger();
    EXPECT_EQ(w.Ui().cmbSensorType->currentIndex(), 0);
    EXPECT_EQ(w.Ui().cmbSensorType->itemText(1), "Orsa / Quill");
    EXPECT_EQ(w.LangManager()->Language(), 1);
    EXPECT_EQ(w.Ui().grbDescription->title(), Text("grbDescription.Caption", 1));
    EXPECT_TRUE(w.Ui().tbtnLangGer->isChecked());
    EXPECT_TRUE(w.Ui().mmiLangGer->isChecked());
    EXPECT_FALSE(w.Ui().mmiLangEng->isChecked());
    EXPECT_EQ(Items(w.Ui().cmbPort), (QStringList {"COM1", "COM4"}));

    w.Ui().cmbSensorType->setCurrentIndex(1);
    w.Ui().tbtnLangEng->click();
    EXPECT_EQ(w.Ui().cmbSensorType->currentIndex(), 1);
    EXPECT_EQ(w.LangManager()->Language(), 0);
    EXPECT_EQ(w.Ui().grbDescription->title(), Text("grbDescription.Caption", 0));
    EXPECT_TRUE(w.Ui().mmiLangEng->isChecked());
    EXPECT_FALSE(w.Ui().mmiLangGer->isChecked());
}

// --- window, status bar and tool bars -----------------------------------------------------

TEST_F(TMainWindowTest, StartsWithTheDesignStateOfTheControls)
{
    TfrmMain& w = Start();
    EXPECT_EQ(w.objectName(), "frmMain");
    EXPECT_EQ(w.windowTitle(), Text("frmMain.Caption"));
    EXPECT_EQ(w.minimumSize(), QSize(640, 480));
    EXPECT_FALSE(w.Ui().tbtnSet->isEnabled());
    EXPECT_FALSE(w.Ui().tbtnSave->isEnabled());
    EXPECT_FALSE(w.Ui().mmiSave->isEnabled());
    EXPECT_FALSE(w.Ui().chbSaveDatalog->isEnabled());
    EXPECT_FALSE(w.Ui().medDate->isEnabled());
    EXPECT_TRUE(w.Ui().cmbSensorType->isEnabled());
    for (QWidget* c :
         std::initializer_list<QWidget*> {w.Ui().stCurrentCurrentValue, w.Ui().lblCurrentUnit, w.Ui().chbCurrentLine,
                                          w.Ui().stCurrentPressureValue, w.Ui().lblPressureUnit, w.Ui().chbPressureLine,
                                          w.Ui().tbtnStartDatalog, w.Ui().edStorageCap, w.Ui().edRate})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_EQ(w.Ui().edStorageCap->text(), "100");
    EXPECT_EQ(w.Ui().edStorageCap->maxLength(), 5);
    EXPECT_EQ(w.Ui().edTag->maxLength(), 8);
    EXPECT_EQ(w.Ui().edDesc->maxLength(), 16);
    EXPECT_TRUE(w.Ui().tbtnStopDatalog->isChecked());
    EXPECT_FALSE(w.Ui().tmrMonitor->isActive());
    EXPECT_EQ(w.Ui().tmrMonitor->interval(), 500);
    EXPECT_EQ(w.Ui().tbnMain->currentIndex(), 0);
    EXPECT_FALSE(w.Ui().tbDatalog->isVisible());
    EXPECT_FALSE(w.Ui().tbMonitoring->isVisible());
    EXPECT_TRUE(w.Ui().tbPort->isVisible());
    EXPECT_EQ(w.Ui().cmbUnit->currentIndex(), -1);
    EXPECT_EQ(w.Ui().bdcCurrent->AxisTitle(), (QStringList {"I, mA", "t, s"}));
    EXPECT_EQ(w.Ui().acRead->shortcut(), QKeySequence("Ctrl+R"));
    EXPECT_EQ(w.Ui().acQuit->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(w.Ui().acShowVoltage->shortcut(), QKeySequence("Ctrl+Alt+U"));
    // Shown in the menu, owned by the action alone.
    EXPECT_TRUE(w.Ui().mmiRead->text().endsWith("\tCtrl+R")) << w.Ui().mmiRead->text().toStdString();
    EXPECT_TRUE(w.Ui().mmiRead->shortcut().isEmpty());
    // Every menu item has its text from the language file.
    for (QAction* item : w.findChildren<QAction*>())
        if (item->objectName().startsWith("mmi") && !item->isSeparator()) {
            EXPECT_NE(item->text(), "n.d.") << item->objectName().toStdString();
        }
    for (QMenu* menu : w.findChildren<QMenu*>())
        if (menu->objectName().startsWith("mmi")) {
            EXPECT_NE(menu->title(), "n.d.") << menu->objectName().toStdString();
        }
}

TEST_F(TMainWindowTest, StatusBarHasItsThreePanelsAndKeepsNdOutOfTheHintPanel)
{
    TfrmMain& w = Start();
    w.resize(800, 560);
    QApplication::processEvents();
    EXPECT_EQ(w.Ui().stbPanels[0]->width(), 230);
    EXPECT_EQ(w.Ui().stbPanels[2]->width(), 120);
    EXPECT_GT(w.Ui().stbPanels[1]->width(), 300);
    EXPECT_EQ(w.Ui().stbPanels[0]->x() + 230, w.Ui().stbPanels[1]->x());
    EXPECT_TRUE(w.StatusText(2).startsWith("  v. ")) << w.StatusText(2).toStdString();

    QStatusTipEvent hint("Click for quit the application");
    QApplication::sendEvent(&w, &hint);
    EXPECT_EQ(w.StatusText(0), "Click for quit the application");
    QStatusTipEvent missing("n.d.");
    QApplication::sendEvent(&w, &missing);
    EXPECT_EQ(w.StatusText(0), "Click for quit the application");
    EXPECT_TRUE(w.Ui().stbPanels[0]->isVisible());  // no temporary message hides the panels

    // While a workflow shows progress, the bar lies exactly over panel 1.
    w.SetStatusPanel1OwnerDrawn(true);
    w.Ui().prbProgress->setVisible(true);
    EXPECT_EQ(w.Ui().prbProgress->parentWidget(), w.Ui().stbMain);
    EXPECT_EQ(w.Ui().prbProgress->geometry(),
              QRect(w.Ui().stbPanels[1]->mapTo(w.Ui().stbMain, QPoint(0, 0)), w.Ui().stbPanels[1]->size()));
}

TEST_F(TMainWindowTest, PagesAndToolBarActionsShowAndHideTheToolBars)
{
    TfrmMain& w = Start();
    w.Ui().tbnMain->setCurrentIndex(1);
    EXPECT_TRUE(w.Ui().tbDatalog->isVisible());
    EXPECT_TRUE(w.Ui().tbMonitoring->isVisible());
    EXPECT_FALSE(w.Ui().tbPort->isVisible());
    w.Ui().tbnMain->setCurrentIndex(0);
    EXPECT_FALSE(w.Ui().tbDatalog->isVisible());
    EXPECT_FALSE(w.Ui().tbMonitoring->isVisible());
    EXPECT_TRUE(w.Ui().tbPort->isVisible());

    const std::vector<std::tuple<QAction*, QToolBar*, QAction*>> bars
        = {{w.Ui().acTBActionShow, w.Ui().tbAction, w.Ui().mmiTBActionShow},
           {w.Ui().acTBLangShow, w.Ui().tbLanguage, w.Ui().mmiTBLangShow},
           {w.Ui().acTBPortShow, w.Ui().tbPort, w.Ui().mmiTBPortShow}};
    for (const auto& [action, bar, item] : bars) {
        SCOPED_TRACE(bar->objectName().toStdString());
        EXPECT_TRUE(item->isChecked());
        item->trigger();  // through the menu
        EXPECT_FALSE(bar->isVisible());
        EXPECT_FALSE(item->isChecked());
        action->trigger();  // through the shortcut's action
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(item->isChecked());
    }
}

TEST_F(TMainWindowTest, QuitClosesTheWindowAndStoresThePort)
{
    AddTransmitter("COM6");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().mmiQuit->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(Registry().value("StartUp/CurrPort").toString(), "COM6");
}

// --- keyboard -----------------------------------------------------------------------------

TEST_F(TMainWindowTest, EnterUpAndDownMoveTheFocusAndEnterInRateStartsMonitoring)
{
    TfrmMain& w = Start();
    QApplication::setActiveWindow(&w);
    QSignalSpy monitoring(w.Ui().acStartMonitoring, &QAction::triggered);

    w.Ui().edUpperRange->setFocus();
    QTest::keyClick(w.Ui().edUpperRange, Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), w.Ui().edUpperRange);
    QWidget* next = QApplication::focusWidget();
    QTest::keyClick(next, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), w.Ui().edUpperRange);
    QTest::keyClick(w.Ui().edUpperRange, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), next);

    // In a combo box Up and Down change the selection, not the focus.
    w.Ui().cmbUnit->setCurrentIndex(3);
    w.Ui().cmbUnit->setFocus();
    QTest::keyClick(w.Ui().cmbUnit, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), w.Ui().cmbUnit);
    EXPECT_EQ(w.Ui().cmbUnit->currentIndex(), 4);
    QTest::keyClick(w.Ui().cmbUnit, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), w.Ui().cmbUnit);
    EXPECT_EQ(w.Ui().cmbUnit->currentIndex(), 3);

    // Enter in the rate starts monitoring, in the capacity it moves on.
    w.Ui().edRate->setEnabled(true);
    w.Ui().edStorageCap->setEnabled(true);
    w.Ui().tbnMain->setCurrentIndex(1);
    w.Ui().edStorageCap->setFocus();
    QTest::keyClick(w.Ui().edStorageCap, Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), w.Ui().edStorageCap);
    EXPECT_EQ(monitoring.count(), 0);
    w.Ui().edRate->setFocus();
    QTest::keyClick(w.Ui().edRate, Qt::Key_Return);
    EXPECT_EQ(monitoring.count(), 1);
    EXPECT_EQ(QApplication::focusWidget(), w.Ui().edRate);
}

TEST_F(TMainWindowTest, NumberFieldsTakeOnlyDigitsSignsSeparatorsBlankAndN)
{
    TfrmMain& w = Start();
    w.Ui().edRate->setEnabled(true);
    w.Ui().edStorageCap->setEnabled(true);
    for (QLineEdit* edit :
         {w.Ui().edDamping, w.Ui().edUpperRange, w.Ui().edLowerRange, w.Ui().edRate, w.Ui().edStorageCap}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        edit->clear();
        QTest::keyClicks(edit, "1a2.5e-3,x n/");
        EXPECT_EQ(edit->text(), (edit == w.Ui().edStorageCap ? QString("12.5-") : QString("12.5-3, n")));
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), (edit == w.Ui().edStorageCap ? QString("12.5") : QString("12.5-3, ")));
    }
    // Other edits take any text; tag and descriptor in upper case.
    QTest::keyClicks(w.Ui().edTag, "pt-7a");
    EXPECT_EQ(w.Ui().edTag->text(), "PT-7A");
    QTest::keyClicks(w.Ui().edDesc, "boiler feed 2");
    EXPECT_EQ(w.Ui().edDesc->text(), "BOILER FEED 2");
}

TEST_F(TMainWindowTest, TabLeavesTheNumberFieldsAsAnyOtherEdit)
{
    TfrmMain& w = Start();
    QApplication::setActiveWindow(&w);
    w.Ui().edRate->setEnabled(true);
    w.Ui().tbnMain->setCurrentIndex(1);
    for (QLineEdit* edit : {w.Ui().edUpperRange, w.Ui().edLowerRange, w.Ui().edDamping, w.Ui().edRate, w.Ui().edTag}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        if (edit == w.Ui().edTag)
            w.Ui().tbnMain->setCurrentIndex(0);
        edit->setFocus();
        const QString before = edit->text();
        QTest::keyClick(edit, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), edit);
        EXPECT_EQ(edit->text(), before);
        if (edit == w.Ui().edRate)
            w.Ui().tbnMain->setCurrentIndex(0);
    }
}

TEST_F(TMainWindowTest, ChartLineCheckBoxesRunTheirActions)
{
    TfrmMain& w = Start();
    QSignalSpy current(w.Ui().acCurrentLineVisibleChanged, &QAction::triggered);
    QSignalSpy pressure(w.Ui().acPressureLineVisibleChanged, &QAction::triggered);
    w.Ui().chbCurrentLine->setEnabled(true);
    w.Ui().chbPressureLine->setEnabled(true);
    w.Ui().chbCurrentLine->click();
    EXPECT_EQ(current.count(), 1);
    EXPECT_EQ(pressure.count(), 0);
    w.Ui().chbPressureLine->click();
    EXPECT_EQ(pressure.count(), 1);
}

TEST_F(TMainWindowTest, GuardShowsAnEscapedExceptionInTheDefaultErrorDisplay)
{
    TApplication::Guard([] { throw std::runtime_error("'x' is not a valid integer value"); });
    EXPECT_EQ(ApplicationErrors, QStringList {"'x' is not a valid integer value"});
}

// --- the dialogs seam -----------------------------------------------------------------------

TEST(TOperatorDialogsTest, FileFiltersBecomeQtNameFilters)
{
    const std::vector<std::pair<QString, QStringList>> cases = {
        {"All Files (*.*)|*.*|Conf Files (*.cfg)|*.cfg", {"All Files (*)", "Conf Files (*.cfg)"}},
        {"All Files (*.*)|*.*|Log Files (*.log)|*.log", {"All Files (*)", "Log Files (*.log)"}},
        {"Pictures|*.png;*.jpg", {"Pictures (*.png *.jpg)"}},
        {"", {}},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(TOperatorDialogs::NameFilters(filter), expected) << filter.toStdString();
}

TEST(TOperatorDialogsTest, ScriptedDialogsRecordAndAnswerInOrder)
{
    TScriptedOperatorDialogs dialogs;
    dialogs.QueueAnswer(true);
    dialogs.QueueFileName("/tmp/a.cfg");
    dialogs.QueueCancel();
    dialogs.ShowError(nullptr, "broken");
    EXPECT_TRUE(dialogs.AskYesNo(nullptr, "Sure?", TDialogIcon::Warning));
    EXPECT_FALSE(dialogs.AskYesNo(nullptr, "Again?", TDialogIcon::Confirmation));  // nothing queued
    EXPECT_EQ(dialogs.GetSaveFileName(nullptr, {"Save File", "/tmp", "", 2, "cfg"}),
              std::optional<QString>("/tmp/a.cfg"));
    EXPECT_EQ(dialogs.GetOpenFileName(nullptr, {"Open File", "", "", 2, "cfg"}), std::nullopt);
    EXPECT_EQ(dialogs.Errors(), QStringList {"broken"});
    EXPECT_EQ(dialogs.Unanswered(), 1);
    ASSERT_EQ(dialogs.Shown().size(), 5);
    EXPECT_EQ(dialogs.Shown()[1].Icon, TDialogIcon::Warning);
    EXPECT_EQ(dialogs.Shown()[3].Options.InitialDir, "/tmp");
}
