// Faults of the window itself that must never pass silently: settings that
// cannot be written, a language file that cannot be used, editing keys that
// the number fields' character filter must not swallow.

#include "MainWindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>

TEST_F(TMainWindowTest, SettingsThatCannotBeWrittenAreReportedNotClaimedWritten)
{
    TfrmMain& w = Start();
    ASSERT_TRUE(Dialogs->Errors().isEmpty());
    // The settings folder is taken by a plain file: nothing can be written below it.
    const QString folder = QDir::current().filePath("settings/" + TfrmMain::RegistryOrganization);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    MarkLog();
    w.Ui().acSavePreferences->trigger();
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_TRUE(Dialogs->Errors()[0].contains("could not be written")) << Dialogs->Errors()[0].toStdString();
    EXPECT_TRUE(LogSinceMark().contains(Dialogs->Errors()[0]));
    EXPECT_FALSE(LogSinceMark().contains("Preferences are written"));

    // The start-up values written at close fail the same way, and say so.
    w.close();
    EXPECT_EQ(Dialogs->Errors().size(), 2);
}

TEST_F(TMainWindowTest, AMissingOrUnreadableLanguageFileIsToldOnceInEnglish)
{
    struct TCase {
        const char* Name;
        bool Directory;  // a folder named language.ini cannot be read as a file
        const char* Says;
    };
    const TCase cases[] = {
        {"missing", false, "was not found"},
        {"unreadable", true, "Cannot open the language file"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Window.reset();
        QFile::remove("language.ini");
        QDir().rmdir("language.ini");
        if (c.Directory) {
            ASSERT_TRUE(QDir().mkdir("language.ini"));
        }
        Dialogs = nullptr;
        TfrmMain& w = Start();
        ASSERT_EQ(Dialogs->Errors().size(), 1);
        EXPECT_TRUE(Dialogs->Errors()[0].contains(c.Says)) << Dialogs->Errors()[0].toStdString();
        EXPECT_TRUE(Dialogs->Errors()[0].contains("n.d.")) << Dialogs->Errors()[0].toStdString();
        EXPECT_TRUE(LogMessages().contains(Dialogs->Errors()[0]));
        // Switching the language does not tell it again.
        w.Ui().acLangGer->trigger();
        EXPECT_EQ(Dialogs->Errors().size(), 1);
    }
}

TEST_F(TMainWindowTest, EditingKeysWorkInTheNumberFieldsWhateverTheirText)
{
    TfrmMain& w = Start();
    for (QLineEdit* edit : {w.Ui().edDamping, w.Ui().edUpperRange, w.Ui().medDate}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        edit->setEnabled(true);  // the date opens with a read
        edit->setText(edit == w.Ui().medDate ? "01.02.2023" : "12.5");
        edit->setFocus();
        edit->setCursorPosition(0);
        // X11 gives Delete the text "\x7f", which is no character the field takes.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));
        QApplication::sendEvent(edit, &press);
        EXPECT_EQ(edit->text(), edit == w.Ui().medDate ? QString("1.02.2023") : QString("2.5"));
    }
}
