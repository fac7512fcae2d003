// The data logger: its file lines under different locales, its flags, and
// what a failed write leaves behind.

#include "services/UnitDataloger.h"
#include "tests/common/TestSupport.h"

#include <QBuffer>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include <cmath>
#include <iterator>
#include <random>

namespace {

const QDateTime Evening(QDate(2026, 12, 6), QTime(21, 45, 13));
const QDateTime Morning(QDate(2026, 1, 2), QTime(8, 5, 9, 250));
const QDateTime Midnight(QDate(2026, 12, 6), QTime(0, 0));

struct LineCase {
    const char* Name;
    QLocale Locale;
    QDateTime Time;
    float Pressure;
    float Current;
    const char* Line;
};

TEST(DatalogerTest, FileLinesUnderEachLocale)
{
    const QLocale german = GermanLocale();
    const QLocale english = EnglishLocale();
    // The year has four digits, in the locale's order of day, month and year.
    const LineCase cases[] = {
        {"German evening", german, Evening, 1013.25f, 12.34567f, "06.12.2026\t21:45:13\t12,3457\t\t1013,25\r\n"},
        {"German morning", german, Morning, 0.00005f, 4.0f, "02.01.2026\t08:05:09\t4\t\t5E-5\r\n"},
        {"German midnight: no time", german, Midnight, -1.5f, 20.0f, "06.12.2026\t20\t\t-1,5\r\n"},
        {"English evening", english, Evening, 2345678.0f, 4.0f, "12/6/2026\t9:45:13\tPM\t4\t\t2.34568E6\r\n"},
        {"English midnight: no time", english, Midnight, 0.0f, 3.99f, "12/6/2026\t3.99\t\t0\r\n"},
        // A date format with blanks gives one TAB for each of them.
        {"C locale", QLocale::c(), Evening, 1013.25f, 4.0f, "6\tDec\t2026\t21:45:13\t4\t\t1013.25\r\n"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLocaleGuard guard(c.Locale);
        TDataloger logger;
        logger.AddSample(c.Time, c.Pressure, c.Current);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        logger.SaveToStream(buffer);
        EXPECT_EQ(buffer.data().toStdString(), std::string(c.Line));
    }
}

TEST(DatalogerTest, LinesFollowTheSamplesAndAppendToTheStream)
{
    TTempCurrentDir dir;
    TLocaleGuard guard(GermanLocale());
    const QString path = dir.File(QStringLiteral("data.log"));
    ASSERT_TRUE(WriteAll(path, "earlier\r\n"));
    TDataloger logger;
    EXPECT_EQ(logger.AddSample(Evening, 1.0f, 4.0f), 1);
    EXPECT_EQ(logger.AddSample(Evening.addSecs(1), 2.0f, 5.0f), 2);
    EXPECT_EQ(logger.AddSample(Evening.addSecs(2), 3.0f, 6.0f), 3);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));  // positioned at the start
    logger.SaveToStream(file);
    file.close();
    EXPECT_EQ(ReadAll(path).toStdString(), "earlier\r\n"
                                           "06.12.2026\t21:45:13\t4\t\t1\r\n"
                                           "06.12.2026\t21:45:14\t5\t\t2\r\n"
                                           "06.12.2026\t21:45:15\t6\t\t3\r\n");
}

TEST(DatalogerTest, SamplesAreStampedWithTheCurrentTime)
{
    TDataloger logger;
    const QDateTime before = QDateTime::currentDateTime();
    EXPECT_EQ(logger.AddSample(1013.25f, 12.5f), 1);
    const QDateTime after = QDateTime::currentDateTime();
    ASSERT_EQ(logger.Count(), 1);
    const TLogSample& s = logger.Samples().first();
    EXPECT_GE(s.Time, before);
    EXPECT_LE(s.Time, after);
    EXPECT_EQ(s.Pressure, 1013.25f);
    EXPECT_EQ(s.Current, 12.5f);
}

TEST(DatalogerTest, FlagsThroughARecording)
{
    struct Step {
        const char* Action;
        int Count;
        bool Complete;
        bool Saved;
    };
    TDataloger logger;
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    const auto run = [&](const char* action) {
        const std::string a(action);
        if (a == "add")
            logger.AddSample(1, 2);
        else if (a == "complete")
            logger.SetComplete(true);
        else if (a == "uncomplete")
            logger.SetComplete(false);
        else if (a == "clear")
            logger.Clear();
        else if (a == "save")
            logger.SaveToStream(sink);
    };
    const Step steps[] = {
        {"start", 0, false, false},      {"add", 1, false, false},  {"add", 2, false, false},
        {"complete", 2, true, false},    {"clear", 0, true, false},  // Clear leaves the flags
        {"add", 1, true, false},         {"save", 1, false, true},  {"complete", 1, true, true},
        {"uncomplete", 1, false, false},  // clears Saved as well
        {"save", 1, false, true},        {"clear", 0, false, true}, {"save", 0, false, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Action);
        run(s.Action);
        EXPECT_EQ(logger.Count(), s.Count);
        EXPECT_EQ(logger.Complete(), s.Complete);
        EXPECT_EQ(logger.Saved(), s.Saved);
    }
}

TEST(DatalogerTest, EmptyLoggerWritesNothingButCountsAsSaved)
{
    TDataloger logger;
    logger.SetComplete(true);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    logger.SaveToStream(buffer);
    EXPECT_TRUE(buffer.data().isEmpty());
    EXPECT_TRUE(logger.Saved());
    EXPECT_FALSE(logger.Complete());
}

// SaveToStream makes its lines in bulk (dates and times formatted once,
// numbers without QString); they must be the bytes of FormatLine exactly,
// across locales, midnights and every range of magnitudes.
TEST(DatalogerTest, SavedLinesAreTheFormattedLines)
{
    const QLocale locales[] = {GermanLocale(), EnglishLocale(), QLocale::c()};
    const float special[] = {0.0f,    -0.0f,        1013.25f,   4.0f,   0.00005f, 2345678.0f, 999999.5f, 999994.0f,
                             0.0001f, 0.000099999f, -12.34567f, 1e-45f, 3.4e38f,  123456.5f,  1.0f / 3};
    std::mt19937 random(5);
    std::uniform_real_distribution<float> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-12, 12);
    TDataloger logger;
    const QDateTime start(QDate(2026, 12, 6), QTime(23, 59, 58));
    for (int i = 0; i < 3000; ++i) {
        const float pressure
            = i < int(std::size(special)) ? special[i] : mantissa(random) * std::pow(10.0f, float(exponent(random)));
        const QDateTime time = i == 1 ? QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0, 500)) : start.addMSecs(i * 700);
        logger.AddSample(time, pressure, float(i % 7) * 3.3f);
    }
    for (const QLocale& locale : locales) {
        SCOPED_TRACE(locale.name().toStdString());
        TLocaleGuard guard(locale);
        QByteArray expected;
        for (const TLogSample& sample : logger.Samples())
            expected += TDataloger::FormatLine(sample).toLocal8Bit() + "\r\n";
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        logger.SaveToStream(buffer);
        EXPECT_EQ(buffer.data().toStdString(), expected.toStdString());
    }
}

// Accepts a fixed number of bytes, then refuses every write.
class TFullDevice : public QIODevice {
public:
    explicit TFullDevice(qint64 Room)
        : FRoom(Room)
    {
        open(QIODevice::WriteOnly);
    }
    QByteArray Written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* Data, qint64 Size) override
    {
        if (Size > FRoom) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        Written.append(Data, Size);
        FRoom -= Size;
        return Size;
    }
    bool isSequential() const override { return true; }

private:
    qint64 FRoom;
};

TEST(DatalogerTest, FailedWriteKeepsEarlierLinesAndIsNotSaved)
{
    TLocaleGuard guard(GermanLocale());
    TDataloger logger;
    logger.AddSample(Evening, 1.0f, 4.0f);
    logger.AddSample(Evening, 2.0f, 5.0f);
    logger.SetComplete(true);
    const QByteArray firstLine = "06.12.2026\t21:45:13\t4\t\t1\r\n";
    TFullDevice device(firstLine.size() + 3);
    try {
        logger.SaveToStream(device);
        ADD_FAILURE() << "no error raised";
    } catch (const EStreamError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("No space left on device"))) << e.what();
    }
    EXPECT_EQ(device.Written, firstLine);
    EXPECT_FALSE(logger.Saved());
    EXPECT_TRUE(logger.Complete());
}

// A save that runs out of room (a file-size limit stands in for a full disk)
// keeps the old file and the samples and does not count as saved. The log is
// small, as a short recording's is: a buffered file would hold it all until
// the flush at commit, where the failure went unnoticed.
TEST(DatalogerTest, SaveToFileThatFailsKeepsTheOldFileAndTheSamples)
{
#ifndef _WIN32
    TTempCurrentDir dir;
    const QString path = dir.File(QStringLiteral("night.log"));
    ASSERT_TRUE(WriteAll(path, "old\r\n"));
    TDataloger logger;
    for (int i = 0; i < 20; ++i)
        logger.AddSample(Evening, 1013.25f, 12.5f);
    logger.SetComplete(true);
    for (const TDatalogFormat format : {TDatalogFormat::Tabs, TDatalogFormat::Csv}) {
        rlimit previous {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
        const rlimit small {300, previous.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        EXPECT_THROW(logger.SaveToFile(path, format), EStreamError);
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(ReadAll(path), "old\r\n");
        EXPECT_EQ(logger.Count(), 20);
        EXPECT_FALSE(logger.Saved());
    }
    logger.SaveToFile(path);
    EXPECT_TRUE(logger.Saved());
#endif
}

}  // namespace
