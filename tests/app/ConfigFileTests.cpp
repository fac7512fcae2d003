// Configuration files from the window: the file on disk, the dialogs, the
// fields and change flags after a load, a Set after a load, and the failures.

#include "MainWindowFixture.h"

#include "app/PortComboBox.h"
#include "transmitter/ConfigFile.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray FileBytes(const QString& Name)
{
    QFile file(Name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void WriteFile(const QString& Name, const QByteArray& Bytes)
{
    QFile file(Name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Bytes);
}

struct TFields {
    QString Upper, Lower, Unit, Damping;
    bool operator==(const TFields&) const = default;
};

TFields Fields(const TfrmMain& W)
{
    return {W.Ui().edUpperRange->text(), W.Ui().edLowerRange->text(), W.Ui().cmbUnit->currentText(),
            W.Ui().edDamping->text()};
}

std::ostream& operator<<(std::ostream& Out, const TFields& F)
{
    return Out << F.Upper.toStdString() << " | " << F.Lower.toStdString() << " | " << F.Unit.toStdString() << " | "
               << F.Damping.toStdString();
}

class TConfigFileWindowTest : public TMainWindowTest {
protected:
    TfrmMain& ReadTransmitter()
    {
        Tx = &AddTransmitter("COM1");
        TfrmMain& w = Start();
        w.Ui().cmbPort->setCurrentIndex(0);
        w.Ui().acRead->trigger();
        EXPECT_TRUE(Dialogs->Errors().isEmpty());
        Dir = QDir::current().filePath("configs");
        QDir().mkpath(Dir);
        return w;
    }
    TSimTransmitter* Tx = nullptr;
    QString Dir;
};

}  // namespace

TEST_F(TConfigFileWindowTest, SaveKeepsTheEditsLoadMarksRangeAndDampingAndSetWritesThem)
{
    TfrmMain& w = ReadTransmitter();
    // A save, also a cancelled one, leaves the edits to be written by Set.
    w.Ui().edTag->setText("CHANGED");
    Dialogs->QueueCancel();
    w.Ui().acSave->trigger();
    w.Ui().acSet->trigger();
    EXPECT_EQ(Tx->State().Tag, "CHANGED ");
    EXPECT_EQ(w.StatusText(1), Text("infWrittenTDD"));

    w.Ui().edUpperRange->setText("12,5");
    w.Ui().edLowerRange->setText("-1");
    w.Ui().cmbUnit->setCurrentIndex(w.Ui().cmbUnit->findText("mbar"));
    w.Ui().edDamping->setText("0.5");
    const QString name = Dir + "/plant.cfg";
    Dialogs->Clear();
    Dialogs->QueueFileName(name);
    MarkLog();
    w.Ui().acSave->trigger();

    EXPECT_EQ(FileBytes(name), QByteArray("\x06\x04"
                                          "12,5"
                                          "\x06\x02"
                                          "-1"
                                          "\x06\x04"
                                          "mbar"
                                          "\x06\x03"
                                          "0.5"));
    EXPECT_TRUE(w.Writing().Edits.RangeChanged && w.Writing().Edits.DampingChanged);
    const TFileDialogOptions& options = Dialogs->Shown().value(0).Options;
    EXPECT_EQ(options.Title, "Save File");
    EXPECT_EQ(options.Filter, "All Files (*.*)|*.*|Conf Files (*.cfg)|*.cfg");
    EXPECT_EQ(options.FilterIndex, 2);
    EXPECT_EQ(options.DefaultExt, "cfg");
    EXPECT_EQ(w.ConfigFiles().CfgDir, Dir);
    EXPECT_EQ(LogSinceMark(),
              (QStringList {"Config file " + name + " will be save", "Config file " + name + " is saved"}));

    // Another transmitter's file: its unit in other letters selects the entry.
    const QString other = Dir + "/other.cfg";
    TConfigFile::Save(other, {"20", "-0,5", "BAR", "1,5"});
    w.ConfigFiles().CfgDir = "/elsewhere";
    Dialogs->Clear();
    Dialogs->QueueFileName(other);
    MarkLog();
    w.Ui().acLoad->trigger();

    EXPECT_EQ(Fields(w), (TFields {"20", "-0,5", "bar", "1,5"}));
    EXPECT_TRUE(w.Writing().Edits.RangeChanged && w.Writing().Edits.DampingChanged);
    EXPECT_FALSE(w.Writing().Edits.UnitChanged);
    EXPECT_EQ(Dialogs->Shown().value(0).Options.Title, "Open File");
    EXPECT_EQ(Dialogs->Shown().value(0).Options.InitialDir, "/elsewhere");
    EXPECT_EQ(w.ConfigFiles().CfgDir, Dir);
    EXPECT_EQ(LogSinceMark(), (QStringList {"Config file " + other + " will be open", "Config file is loaded"}));

    Tx->ClearRequests();
    w.Ui().acSet->trigger();
    std::vector<int> commands;
    for (const TSimRequest& request : Tx->Requests())
        commands.push_back(request.Command);
    EXPECT_EQ(commands, (std::vector<int> {15, 14, 35, 15, 34, 15}));
    EXPECT_EQ(Tx->State().RangeUnit, 7);
    EXPECT_EQ(Tx->State().LowerRange, -0.5f);
    EXPECT_EQ(Tx->State().Damping, 1.5f);
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
    EXPECT_TRUE(ApplicationErrors.isEmpty());
}

TEST_F(TConfigFileWindowTest, ADamagedFileChangesNoFieldAndShowsItsStreamError)
{
    TfrmMain& w = ReadTransmitter();
    const QByteArray whole = TConfigFile::Encode({"20", "-5", "psi", "3"});
    const struct {
        const char* Name;
        QByteArray Bytes;
        const char* Error;
    } cases[] = {
        {"ends after item 2", whole.left(7), "Stream read error"},
        {"ends inside item 4", whole.left(whole.size() - 1), "Stream read error"},
        {"invalid first byte of item 3", whole.left(8) + '\x07' + whole.mid(9), "Invalid property value"},
        {"no such file", QByteArray(), "Cannot open file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString name = Dir + "/damaged.cfg";
        QFile::remove(name);
        if (!c.Bytes.isEmpty())
            WriteFile(name, c.Bytes);
        const TFields before = Fields(w);
        w.Writing().Edits.RangeChanged = w.Writing().Edits.DampingChanged = false;
        ApplicationErrors.clear();
        Dialogs->QueueFileName(name);
        MarkLog();

        w.Ui().acLoad->trigger();

        EXPECT_EQ(Fields(w), before);
        EXPECT_FALSE(w.Writing().Edits.RangeChanged || w.Writing().Edits.DampingChanged);
        ASSERT_EQ(ApplicationErrors.size(), 1);
        // Said of the file, whatever is wrong inside it.
        EXPECT_TRUE(ApplicationErrors[0].contains(c.Error) && ApplicationErrors[0].contains("damaged.cfg"))
            << ApplicationErrors[0].toStdString();
        EXPECT_FALSE(LogSinceMark().contains("Config file is loaded"));
    }
}

TEST_F(TConfigFileWindowTest, ASaveThatFailsKeepsTheOldFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "file size limits are POSIX";
#else
    TfrmMain& w = ReadTransmitter();
    const QString name = Dir + "/plant.cfg";
    const QByteArray old = TConfigFile::Encode({"10", "0", "bar", "0,4"});
    WriteFile(name, old);
    Dialogs->QueueFileName(name);
    MarkLog();

    // No file of this process may grow beyond a limit while the save runs (also
    // as root): the log still has room, the new file's long item does not.
    const qint64 limit = QFileInfo("log.txt").size() + 4096;
    w.Ui().edUpperRange->setText(QString(limit + 100, QLatin1Char('9')));
    rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = rlim_t(limit);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    w.Ui().acSave->trigger();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(FileBytes(name), old);
    ASSERT_EQ(ApplicationErrors.size(), 1);
    EXPECT_TRUE(ApplicationErrors[0].contains("Stream write error") && ApplicationErrors[0].contains(name))
        << ApplicationErrors[0].toStdString();
    EXPECT_EQ(LogSinceMark(), QStringList {"Config file " + name + " will be save"});
    EXPECT_EQ(QDir(Dir).entryList(QDir::Files), QStringList {"plant.cfg"});
#endif
}
