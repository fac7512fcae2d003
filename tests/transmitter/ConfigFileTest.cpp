// Configuration files: the bytes of the four items both ways, every form a
// file may hold, and damaged files, which give a stream error and no items.

#include "transmitter/ConfigFile.h"
#include "services/SettingsText.h"
#include "services/StreamError.h"
#include "tests/common/TestSupport.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> Values)
{
    QByteArray bytes;
    for (const int v : Values)
        bytes += char(v);
    return bytes;
}

struct TCodecCase {
    const char* Name;
    TConfigItems Items;
    QByteArray File;
    bool Written;  // Encode gives exactly File (otherwise File is only read)
};

}  // namespace

TEST(ConfigFile, ItemsAndBytes)
{
    const QString long300 = QString(300, QLatin1Char('7'));
    const QByteArray long300File
        = Bytes({0x0C, 0x2C, 0x01, 0x00, 0x00}) + long300.toLatin1() + Bytes({0x06, 0x00, 0x06, 0x00, 0x06, 0x00});
    const TCodecCase cases[] = {
        {"example",
         {"10", "0", "bar", "0,5"},
         Bytes({0x06, 0x02, 0x31, 0x30, 0x06, 0x01, 0x30, 0x06, 0x03, 0x62, 0x61, 0x72, 0x06, 0x03, 0x30, 0x2C, 0x35}),
         true},
        {"empty fields", {}, Bytes({0x06, 0x00, 0x06, 0x00, 0x06, 0x00, 0x06, 0x00}), true},
        {"255 characters stay short",
         {QString(255, QLatin1Char('1')), "", "", ""},
         Bytes({0x06, 0xFF}) + QByteArray(255, '1') + Bytes({0x06, 0x00, 0x06, 0x00, 0x06, 0x00}),
         true},
        {"300 characters", {long300, "", "", ""}, long300File, true},
        {"non-ASCII unit in UTF-8",
         {"1", "0", QStringLiteral("mmH₂O"), "2"},
         Bytes({0x06, 0x01, '1', 0x06, 0x01, '0',  0x14, 0x07, 0x00, 0x00, 0x00,
                'm',  'm',  'H', 0xE2, 0x82, 0x82, 'O',  0x06, 0x01, '2'}),
         true},
        {"Latin-1 letter in UTF-8",
         {QStringLiteral("Ä"), "", "", ""},
         Bytes({0x14, 0x02, 0x00, 0x00, 0x00, 0xC3, 0x84, 0x06, 0x00, 0x06, 0x00, 0x06, 0x00}),
         true},
        {"UTF-16 item",
         {"1", "0", QStringLiteral("kPa€"), "2"},
         Bytes({0x06, 0x01, '1', 0x06, 0x01, '0', 0x12, 0x04, 0x00, 0x00, 0x00,
                'k',  0,    'P', 0,    'a',  0,   0xAC, 0x20, 0x06, 0x01, '2'}),
         false},
        {"Windows-1252 bytes",
         {QStringLiteral("€5"), QStringLiteral("Ä"), "", QStringLiteral("\u0081")},
         Bytes({0x06, 0x02, 0x80, '5', 0x0C, 0x01, 0x00, 0x00, 0x00, 0xC4, 0x06, 0x00, 0x06, 0x01, 0x81}),
         false},
        {"bytes after the fourth item",
         {"a", "b", "c", "d"},
         Bytes({0x06, 0x01, 'a', 0x06, 0x01, 'b', 0x06, 0x01, 'c', 0x06, 0x01, 'd', 0x55, 0x00}),
         false},
    };
    for (const TCodecCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Written) {
            EXPECT_EQ(TConfigFile::Encode(c.Items).toHex(' '), c.File.toHex(' '));
        }
        EXPECT_EQ(TConfigFile::Decode(c.File), c.Items);
    }
}

TEST(ConfigFile, ADamagedFileGivesAStreamErrorAndNoItems)
{
    const QByteArray example
        = Bytes({0x06, 0x02, 0x31, 0x30, 0x06, 0x01, 0x30, 0x06, 0x03, 0x62, 0x61, 0x72, 0x06, 0x03, 0x30, 0x2C, 0x35});
    // Every cut before the last byte ends inside or before an item.
    for (qsizetype cut = 0; cut < example.size(); ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_THROW(TConfigFile::Decode(example.left(cut)), EStreamError);
    }
    const QByteArray utf8 = TConfigFile::Encode({QStringLiteral("Ü"), "", "", ""});
    for (qsizetype cut = 1; cut < 7; ++cut)
        EXPECT_THROW(TConfigFile::Decode(utf8.left(cut)), EStreamError) << cut;
    // A length far beyond the file.
    EXPECT_THROW(TConfigFile::Decode(Bytes({0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0x41, 0x00})), EStreamError);
    for (const int first : {0x00, 0x05, 0x07, 0x0B, 0x13, 0x30, 0xFF}) {
        try {
            TConfigFile::Decode(char(first) + example.mid(1));
            ADD_FAILURE() << "no error for first byte " << first;
        } catch (const EStreamError& e) {
            EXPECT_TRUE(e.Message().startsWith("Invalid property value")) << e.Message().toStdString();
        }
    }
}

TEST(SettingsText, NumbersWithEitherSeparatorDatesAndPackedAscii)
{
    const struct {
        const char* Text;
        std::optional<float> Value;
    } numbers[] = {{"0,5", 0.5f},
                   {"0.5", 0.5f},
                   {" -1,25 ", -1.25f},
                   {"100", 100.0f},
                   {"1E3", 1000.0f},
                   {"1.000,5", std::nullopt},
                   {"1,000.5", std::nullopt},
                   {"", std::nullopt},
                   {"abc", std::nullopt},
                   {"5 bar", std::nullopt},
                   {"1e39", std::nullopt},
                   {"nan", std::nullopt}};
    for (const auto& n : numbers)
        EXPECT_EQ(SettingNumber(QString::fromUtf8(n.Text)), n.Value) << n.Text;

    // The monitoring rate: never grouped, though German groups with ".".
    const TLocaleGuard german(GermanLocale());
    EXPECT_EQ(MonitorRateSeconds("2.500"), 2.5);
    EXPECT_EQ(MonitorRateSeconds("1,000"), 1.0);
    for (const char* bad : {"1.000,5", "0", "2147484"})
        EXPECT_EQ(MonitorRateSeconds(bad), std::nullopt) << bad;

    EXPECT_EQ(SettingDate("29.02.2000"), QDate(2000, 2, 29));
    for (const char* bad : {"..", "", "30.02.2024", "15.06.1899", "01.01.2156", "2024-06-15"})
        EXPECT_EQ(SettingDate(bad), std::nullopt) << bad;

    EXPECT_EQ(FirstUnstorableChar("PT-101 _@?"), -1);
    EXPECT_EQ(FirstUnstorableChar(QStringLiteral("PTÄ")), 2);
    EXPECT_EQ(FirstUnstorableChar("A~"), 1);
    EXPECT_EQ(FirstUnstorableChar("{"), 0);
    EXPECT_EQ(FirstUnstorableChar("ab"), 0);
}
