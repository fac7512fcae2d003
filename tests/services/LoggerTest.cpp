// The application log: line format, rotation at start, failures that must not
// lose the old log or escape the constructor.

#include "services/UnitLogger.h"
#include "tests/common/TestSupport.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include <memory>

namespace {

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TCalibLog::SetMessageBoxHook([this](const QString& m) { Messages << m; });
    }
    void TearDown() override { TCalibLog::SetMessageBoxHook(nullptr); }

    QString LogPath() const { return Dir.File(QStringLiteral("log.txt")); }
    QStringList ArchiveNames() const
    {
        return QDir(Dir.Path()).entryList({QStringLiteral("log_*.txt")}, QDir::Files, QDir::Name);
    }

    TTempCurrentDir Dir;
    TLocaleGuard Locale {GermanLocale()};
    QStringList Messages;
};

// "dd.MM.yy HH:mm:ss" under the German locale, then two blanks.
const QString GermanStamp = QStringLiteral(R"(\d\d\.\d\d\.\d\d \d\d:\d\d:\d\d  )");

QString StampDate(const QByteArray& Line)
{
    return QString::fromLatin1(Line.left(8));
}

bool IsTodayGerman(const QString& Date)
{
    // The day may change between writing and checking.
    const QDate today = QDate::currentDate();
    return Date == today.toString(QStringLiteral("dd.MM.yy"))
           || Date == today.addDays(-1).toString(QStringLiteral("dd.MM.yy"));
}

TEST_F(LoggerTest, NewLogHoldsOnlyTheStartLine)
{
    {
        TCalibLog log;
        EXPECT_TRUE(log.HasFile());
    }
    const QByteArray bytes = ReadAll(LogPath());
    const QRegularExpression line(QStringLiteral("^") + GermanStamp + QStringLiteral("Application starts\r\n$"));
    EXPECT_TRUE(line.match(QString::fromLatin1(bytes)).hasMatch()) << bytes.toStdString();
    EXPECT_TRUE(IsTodayGerman(StampDate(bytes)));
    EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(LoggerTest, LinesAreAppendedWithExactBytes)
{
    struct Case {
        const char* Message;
        const char* Tail;  // bytes after the time stamp
    };
    const Case cases[] = {
        {"Datalog will be saved", "Datalog will be saved\r\n"},
        {"", "\r\n"},  // the two blanks stay before CR LF
        {"first\r\nsecond", "first\r\nsecond\r\n"},  // written unchanged
        {"  padded  ", "  padded  \r\n"},
    };
    TCalibLog log;
    const qint64 start = QFileInfo(LogPath()).size();
    for (const Case& c : cases)
        log.WriteLine(QString::fromLatin1(c.Message));

    const QByteArray written = ReadAll(LogPath()).mid(start);
    qsizetype pos = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message);
        const QByteArray stamp = written.mid(pos, 19);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + GermanStamp + QStringLiteral("$"))
                        .match(QString::fromLatin1(stamp))
                        .hasMatch())
            << stamp.toStdString();
        const QByteArray tail(c.Tail);
        EXPECT_EQ(written.mid(pos + 19, tail.size()), tail);
        pos += 19 + tail.size();
    }
    EXPECT_EQ(pos, written.size());
    EXPECT_FALSE(written.contains('\0'));
}

TEST_F(LoggerTest, EnglishLocaleUsesItsOwnFormatsWithoutTimeZone)
{
    TLocaleGuard english(EnglishLocale());
    {
        TCalibLog log;
    }
    const QString text = QString::fromLocal8Bit(ReadAll(LogPath()));
    // M/d/yy h:mm:ss AP: no time-zone name between the time and the message.
    const QRegularExpression line(
        QStringLiteral(R"(^\d{1,2}/\d{1,2}/\d\d \d{1,2}:\d\d:\d\d\s?(AM|PM)  Application starts\r\n$)"));
    EXPECT_TRUE(line.match(text).hasMatch()) << text.toStdString();
}

TEST_F(LoggerTest, AnExistingLogIsAppendedTo)
{
    ASSERT_TRUE(WriteAll(LogPath(), "old line\r\n"));
    {
        TCalibLog log;
        log.WriteLine(QStringLiteral("second"));
    }
    const QByteArray bytes = ReadAll(LogPath());
    EXPECT_TRUE(bytes.startsWith("old line\r\n"));
    EXPECT_TRUE(bytes.endsWith("  second\r\n"));
    EXPECT_EQ(bytes.count("Application starts"), 1);
}

TEST_F(LoggerTest, RotationHappensOnlyAboveTwoMebibytes)
{
    struct Case {
        qint64 Size;
        bool Archived;
    };
    for (const Case c : {Case {2097152, false}, Case {2097153, true}}) {
        SCOPED_TRACE(c.Size);
        TTempCurrentDir dir;
        const QByteArray old = QByteArray(c.Size - 2, 'x') + "\r\n";
        ASSERT_TRUE(WriteAll(dir.File(QStringLiteral("log.txt")), old));
        const QDateTime before = QDateTime::currentDateTime();
        TCalibLog log;
        const QDateTime after = QDateTime::currentDateTime();
        log.WriteLine(QStringLiteral("next"));

        const QStringList archives = QDir(dir.Path()).entryList({QStringLiteral("log_*.txt")}, QDir::Files);
        const QByteArray current = ReadAll(dir.File(QStringLiteral("log.txt")));
        if (!c.Archived) {
            EXPECT_TRUE(archives.isEmpty());
            EXPECT_TRUE(current.startsWith(old));
            EXPECT_TRUE(current.mid(old.size()).contains("Application starts\r\n"));
            EXPECT_TRUE(log.ArchiveName().isEmpty());
            continue;
        }
        ASSERT_EQ(archives.size(), 1);
        const QString name = archives.first();
        EXPECT_EQ(name, log.ArchiveName());
        // log_DDMMYY_HHNNSS.txt with the time of the start.
        const QString fromBefore = before.toString(QStringLiteral("'log_'ddMMyy_HHmmss'.txt'"));
        const QString fromAfter = after.toString(QStringLiteral("'log_'ddMMyy_HHmmss'.txt'"));
        EXPECT_TRUE(name == fromBefore || name == fromAfter) << name.toStdString();
        EXPECT_EQ(ReadAll(dir.File(name)), old);
        // The new log begins with the start line.
        const QRegularExpression first(QStringLiteral("^") + GermanStamp + QStringLiteral("Application starts\r\n")
                                       + GermanStamp + QStringLiteral("next\r\n$"));
        EXPECT_TRUE(first.match(QString::fromLatin1(current)).hasMatch()) << current.left(80).toStdString();
    }
}

TEST_F(LoggerTest, ArchiveNameHasOnlyDigitsUnderEveryLocale)
{
    for (const QLocale& locale : {GermanLocale(), EnglishLocale(), QLocale(QLocale::French, QLocale::France),
                                  QLocale(QLocale::Arabic, QLocale::Egypt)}) {
        SCOPED_TRACE(locale.name().toStdString());
        TLocaleGuard guard(locale);
        TTempCurrentDir dir;
        ASSERT_TRUE(WriteAll(dir.File(QStringLiteral("log.txt")), QByteArray(2097153, 'y')));
        TCalibLog log;
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral(R"(^log_[0-9]{6}_[0-9]{6}\.txt$)")).match(log.ArchiveName()).hasMatch())
            << log.ArchiveName().toStdString();
    }
}

// Archive names of the next seconds, with the counters the log may use.
QStringList TakeArchiveNames(const TTempCurrentDir& Dir, int Counters)
{
    QStringList taken;
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 3; ++s) {
        const QString base = now.addSecs(s).toString(QStringLiteral("'log_'ddMMyy_HHmmss"));
        for (int n = 0; n <= Counters; ++n) {
            const QString name = n == 0 ? base + QStringLiteral(".txt") : QStringLiteral("%1_%2.txt").arg(base).arg(n);
            WriteAll(Dir.File(name), "taken " + name.toLatin1());
            taken << name;
        }
    }
    return taken;
}

TEST_F(LoggerTest, ExistingArchiveNameLosesNothing)
{
    const QByteArray old = QByteArray(2097153, 'o');
    ASSERT_TRUE(WriteAll(LogPath(), old));
    const QStringList taken = TakeArchiveNames(Dir, 0);
    TCalibLog log;
    for (const QString& name : taken)
        EXPECT_EQ(ReadAll(Dir.File(name)), "taken " + name.toLatin1());
    ASSERT_FALSE(log.ArchiveName().isEmpty());
    EXPECT_FALSE(taken.contains(log.ArchiveName()));
    EXPECT_TRUE(log.ArchiveName().endsWith(QStringLiteral("_1.txt"))) << log.ArchiveName().toStdString();
    EXPECT_EQ(ReadAll(Dir.File(log.ArchiveName())), old);
    EXPECT_TRUE(ReadAll(LogPath()).endsWith("Application starts\r\n"));
    EXPECT_LT(QFileInfo(LogPath()).size(), 100);
}

TEST_F(LoggerTest, WhenNoArchiveNameIsFreeTheOldLogGoesOn)
{
    const QByteArray old = QByteArray(2097153, 'o');
    ASSERT_TRUE(WriteAll(LogPath(), old));
    TakeArchiveNames(Dir, 99);
    const QStringList before = ArchiveNames();
    TCalibLog log;
    EXPECT_TRUE(log.HasFile());
    EXPECT_TRUE(log.ArchiveName().isEmpty());
    EXPECT_EQ(ArchiveNames(), before);
    const QByteArray bytes = ReadAll(LogPath());
    EXPECT_TRUE(bytes.startsWith(old));
    EXPECT_TRUE(bytes.endsWith("Application starts\r\n"));
}

TEST_F(LoggerTest, ALogThatCannotBeOpenedIsReportedAndIgnored)
{
    // A directory in place of the file: opening it fails.
    ASSERT_TRUE(QDir(Dir.Path()).mkdir(QStringLiteral("log.txt")));
    std::unique_ptr<TCalibLog> log;
    EXPECT_NO_THROW(log = std::make_unique<TCalibLog>());
    EXPECT_FALSE(log->HasFile());
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages.first().contains(QStringLiteral("log.txt"))) << Messages.first().toStdString();
    EXPECT_NO_THROW(log->WriteLine(QStringLiteral("nowhere")));
    EXPECT_TRUE(QFileInfo(LogPath()).isDir());
}

TEST_F(LoggerTest, FileDateOfNamesAndFiles)
{
    TCalibLog log;
    const QString file = Dir.File(QStringLiteral("program.bin"));
    ASSERT_TRUE(WriteAll(file, "x"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2020, 3, 4), QTime(23, 59, 59)), QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(WriteAll(Dir.File(QStringLiteral(".hidden")), "x"));
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yy"));

    struct Case {
        QString Name;
        QString Expected;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("   "), QString()},
        {QStringLiteral(" \t\r\n"), QString()},
        {file, QStringLiteral("04.03.20")},
        {QStringLiteral("  ") + file + QStringLiteral(" \t"), QStringLiteral("04.03.20")},
        {Dir.File(QStringLiteral("missing.bin")), today},
        {Dir.Path(), today},  // directories are not matched
        {Dir.File(QStringLiteral(".hidden")), today},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        EXPECT_EQ(log.GetFileDate(c.Name), c.Expected);
    }
}

}  // namespace
