// The data-log reader: what the data logger writes under each locale reads
// back to the same samples, and damaged lines are counted, not fatal.

#include "services/DatalogReader.h"
#include "services/UnitDataloger.h"
#include "tests/common/TestSupport.h"

#include <QBuffer>

#include <vector>

namespace {

std::vector<TDatalogRecord> Parse(const QByteArray& Bytes, TDatalogSummary& Summary)
{
    std::vector<TDatalogRecord> Records;
    Summary = ParseDatalog(Bytes.constData(), std::size_t(Bytes.size()),
                           [&](const TDatalogRecord& R) { Records.push_back(R); });
    return Records;
}

// Samples across the day (morning, afternoon, midnight) and dates where day
// and month could be swapped; the logger writes them, the reader gets them back.
TEST(DatalogReader, ReadsWhatTheLoggerWroteUnderEachLocale)
{
    const QLocale Locales[] = {GermanLocale(),
                               EnglishLocale(),
                               QLocale::c(),
                               QLocale(QLocale::English, QLocale::UnitedKingdom),
                               QLocale(QLocale::French, QLocale::France),
                               QLocale(QLocale::Swedish, QLocale::Sweden)};
    const QDateTime Times[]
        = {QDateTime(QDate(2026, 3, 4), QTime(8, 5, 9)), QDateTime(QDate(2026, 3, 4), QTime(12, 30, 0)),
           QDateTime(QDate(2026, 3, 5), QTime(0, 0)), QDateTime(QDate(2026, 3, 5), QTime(23, 59, 59))};
    for (const QLocale& Locale : Locales) {
        SCOPED_TRACE(Locale.name().toStdString());
        TLocaleGuard Guard(Locale);
        TDataloger Logger;
        float Value = 0.125f;
        for (const QDateTime& Time : Times) {
            Value *= -3;
            Logger.AddSample(Time, 1000.5f * Value, 4.0f + Value);
        }
        QBuffer Buffer;
        Buffer.open(QIODevice::ReadWrite);
        Logger.SaveToStream(Buffer);
        TDatalogSummary Summary;
        const std::vector<TDatalogRecord> Records = Parse(Buffer.data(), Summary);
        EXPECT_EQ(Summary.BadLines, 0);
        ASSERT_EQ(Records.size(), std::size(Times));
        for (std::size_t i = 0; i < Records.size(); ++i) {
            const TLogSample& S = Logger.Samples()[qsizetype(i)];
            EXPECT_EQ(DatalogIsoTime(Records[i].TimeMs).toStdString(),
                      S.Time.toString(Qt::ISODateWithMs).toStdString());
            EXPECT_FLOAT_EQ(Records[i].Current, S.Current);
            EXPECT_NEAR(Records[i].Pressure, S.Pressure, 1e-5 * std::abs(S.Pressure));
        }
    }
}

TEST(DatalogReader, CountsLinesItCannotRead)
{
    struct TRow {
        const char* Name;
        const char* Text;
        int64_t Samples, Bad, FirstBad;
        const char* LastTime;
    } Rows[] = {
        {"day first, decided by a day above 12", "13.01.2026\t10:00:00\t4\t\t1\r\n02.01.2026\t10:00:00\t4\t\t1\r\n", 2,
         0, 0, "2026-01-02T10:00:00.000"},
        {"month first, decided by a day above 12", "1/13/2026\t10:00:00\t4\t\t1\r\n1/2/2026\t10:00:00\t4\t\t1\r\n", 2,
         0, 0, "2026-01-02T10:00:00.000"},
        {"year first, milliseconds", "2026-01-02\t10:00:00.250\t4\t\t1\n", 1, 0, 0, "2026-01-02T10:00:00.250"},
        {"empty lines are no samples and no faults", "\r\n02.01.2026\t4\t\t1\r\n\r\n", 1, 0, 0,
         "2026-01-02T00:00:00.000"},
        {"a cut line", "02.01.2026\t10:00:00\t4\t\t1\r\n02.01.2026\t10:0", 1, 1, 2, "2026-01-02T10:00:00.000"},
        {"text instead of numbers", "02.01.2026\t10:00:00\tfour\t\t1\r\n", 0, 1, 1, ""},
        {"no such date", "31.02.2026\t10:00:00\t4\t\t1\r\n", 0, 1, 1, ""},
        {"no such time", "02.01.2026\t25:00:00\t4\t\t1\r\n", 0, 1, 1, ""},
        {"binary noise", "\x01\x02\xff\xfe\t\t\t\x80\r\n", 0, 1, 1, ""},
        {"too many fields", "02.01.2026\t1\t2\t3\t4\t5\t6\t7\t8\r\n", 0, 1, 1, ""},
        {"a bare number", "42\r\n", 0, 1, 1, ""},
    };
    for (const TRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TDatalogSummary Summary;
        const std::vector<TDatalogRecord> Records = Parse(QByteArray(Row.Text), Summary);
        EXPECT_EQ(Summary.Samples, Row.Samples);
        EXPECT_EQ(int64_t(Records.size()), Row.Samples);
        EXPECT_EQ(Summary.BadLines, Row.Bad);
        EXPECT_EQ(Summary.FirstBadLine, Row.FirstBad);
        if (!Records.empty()) {
            EXPECT_EQ(DatalogIsoTime(Records.back().TimeMs).toStdString(), Row.LastTime);
        }
    }
}

}  // namespace
