// Window state: shortcuts, reference buttons, and the window (Qt's texts and
// file errors included) in the chosen language.

#include "MainWindowFixture.h"

#include "app/PortComboBox.h"

#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

TEST_F(TMainWindowTest, ShortcutsFireOnceAfterAMenuWasOpenedWithTheMouseAndClosedWithEsc)
{
    const struct {
        const char* Keys;
        QAction* TfrmMainUi::*Action;
    } cases[] = {
        {"Ctrl+R", &TfrmMainUi::acRead}, {"Ctrl+Alt+A", &TfrmMainUi::acTBActionShow}, {"Ctrl+Q", &TfrmMainUi::acQuit}};
    TfrmMain& w = Start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Keys);
        QMenuBar* bar = w.Ui().mmMain;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(w.Ui().mmiApp->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.Ui().mmiApp->isVisible(); }));
        QTest::keyClick(w.Ui().mmiApp, Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Ui().mmiApp->isVisible(); }));
        QSignalSpy fired(w.Ui().*c.Action, &QAction::triggered);
        const QKeyCombination keys = QKeySequence(QString::fromLatin1(c.Keys))[0];
        QTest::keyClick(QApplication::focusWidget(), keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(fired.count(), 1);
    }
}

TEST_F(TMainWindowTest, ReferenceButtonsAreEnabledOnlyOnThePortASuccessfulReadLeftOpen)
{
    TSimDeviceState state;
    state.MaxDamping = 100;
    TSimTransmitter& tx = AddTransmitter("COM1", state);
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    TSimFault silent;
    silent.NoAnswer = true;
    const struct {
        const char* Step;
        std::function<void()> Act;
        bool Enabled;
    } steps[] = {
        {"before any read", [] {}, false},
        {"after a read", [&] { w.Ui().acRead->trigger(); }, true},
        {"after a Set that closed the port", [&] { w.Ui().edDamping->setText("3"), w.Ui().acSet->trigger(); }, false},
        {"after a Set that opened it again", [&] { w.Ui().edTag->setText("NEW"), w.Ui().acSet->trigger(); }, false},
        {"after a second read", [&] { w.Ui().acRead->trigger(); }, true},
        {"after a port change", [&] { emit w.Ui().cmbPort->activated(0); }, false},
        {"after a failed read", [&] { tx.QueueFault(silent), w.Ui().acRead->trigger(); }, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.Step);
        s.Act();
        for (QWidget* button : {w.Ui().bbtnSetUpperRange, w.Ui().bbtnSetLowerRange, w.Ui().bbtnSetZero})
            EXPECT_EQ(button->isEnabled(), s.Enabled) << button->objectName().toStdString();
    }
}

TEST_F(TMainWindowTest, QtsTextsMenuShortcutsUnitAndFileErrorsFollowTheWindowsLanguage)
{
    const struct {
        QAction* TfrmMainUi::*Action;
        const char *Shortcut, *Yes, *Unknown, *ReadError, *OpenError;
    } cases[] = {{&TfrmMainUi::acLangGer, "\tStrg+R", "&Ja", "unbekannt", "Lesefehler", "kann nicht geöffnet"},
                 {&TfrmMainUi::acLangEng, "\tCtrl+R", "&Yes", "unknown", "Stream read error", "Cannot open file"}};
    TfrmMain& w = Start();
    QFile damaged("damaged.cfg");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write("\x06\x02") == 2 && damaged.flush());
    // A name with a control byte and a very long part is shown escaped and shortened.
    const QString missing = QString("bad\x1b") + QString(2000, 'x') + ".cfg";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Yes);
        (w.Ui().*c.Action)->trigger();
        EXPECT_TRUE(w.Ui().mmiRead->text().endsWith(c.Shortcut)) << w.Ui().mmiRead->text().toStdString();
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), c.Yes);
        EXPECT_EQ(w.Ui().cmbUnit->placeholderText(), c.Unknown);
        ApplicationErrors.clear();
        Dialogs->QueueFileName(damaged.fileName());
        Dialogs->QueueFileName(missing);
        w.Ui().acLoad->trigger();
        w.Ui().acLoad->trigger();
        ASSERT_EQ(ApplicationErrors.size(), 2);
        EXPECT_TRUE(ApplicationErrors[0].contains(c.ReadError) && ApplicationErrors[0].contains("damaged.cfg"));
        EXPECT_TRUE(ApplicationErrors[1].contains(c.OpenError) && ApplicationErrors[1].contains("bad\\x1bxxx"));
        EXPECT_LT(ApplicationErrors[1].size(), 600);
    }
    for (const char* separator : {"mmiSep1", "mmiSep2", "mmiSep3"})
        EXPECT_EQ(w.findChild<QAction*>(separator)->text(), "") << separator;
}
