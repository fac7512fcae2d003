// Version information of program files: the marked block embedded by the
// build, files without it, and blocks of other languages.

#include "services/UnitLogger.h"
#include "services/VersionBlock.h"
#include "tests/common/TestSupport.h"

#include <QCoreApplication>

namespace {

// One embedded string table as the build lays it out.
QByteArray Block(const QByteArray& TableId, const QList<QPair<QByteArray, QByteArray>>& Values, bool WithEnd = true)
{
    QByteArray b("\x7f"
                 "CALVISTA:VERSIONINFO:");
    b += TableId + '\0';
    for (const auto& [name, value] : Values)
        b += name + '\0' + value + '\0';
    b += '\0';
    if (WithEnd)
        b += "\x7f"
             "CALVISTA:VERSIONEND\x7f";
    return b;
}

const QList<QPair<QByteArray, QByteArray>> EnglishValues = {
    {"ProductName", "Calvista"},
    {"FileVersion", " 3.0.0.0\t"},
    {"Comments", "Test author"},
    {"CompanyName", "Norvane"},
};

struct Case {
    const char* Name;
    QByteArray Content;
    const char* ProductName;
    const char* FileVersion;
    const char* Comments;
    const char* CompanyName;
};

TEST(VersionInfoTest, FieldsFromFilesWithAndWithoutBlocks)
{
    TTempCurrentDir dir;
    TLocaleGuard locale(GermanLocale());
    TCalibLog log;
    const QByteArray filler(5000, '\x90');
    const Case cases[] = {
        {"block amid binary bytes", filler + Block("040904E4", EnglishValues) + filler, "Calvista", "3.0.0.0",
         "Test author", "Norvane"},
        {"lower-case table id", Block("040904e4", EnglishValues), "Calvista", "3.0.0.0", "Test author", "Norvane"},
        {"no block", filler, "", "", "", ""},
        {"empty file", QByteArray(), "", "", "", ""},
        {"only a German block", Block("040704E4", EnglishValues), "", "", "", ""},
        {"German block before the English one",
         Block("040704E4", {{"ProductName", "Deutsch"}, {"CompanyName", "Firma"}}) + Block("040904E4", EnglishValues),
         "Calvista", "3.0.0.0", "Test author", "Norvane"},
        {"block without its end marker", Block("040904E4", EnglishValues, false) + filler, "", "", "", ""},
        {"marker without a table",
         QByteArray("\x7f"
                    "CALVISTA:VERSIONINFO:")
             + filler,
         "", "", "", ""},
        {"some values absent", Block("040904E4", {{"CompanyName", "Norvane"}}), "", "", "", "Norvane"},
        {"control characters around values", Block("040904E4", {{"ProductName", "\x01\r\n Calvista \x1f"}}), "Calvista",
         "", "", ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = dir.File(QStringLiteral("file%1.exe").arg(n++));
        ASSERT_TRUE(WriteAll(path, c.Content));
        TVersionInfo info;
        log.GetVersionInfo(path, info);
        EXPECT_EQ(info.ProductName, QString::fromUtf8(c.ProductName));
        EXPECT_EQ(info.FileVersion, QString::fromUtf8(c.FileVersion));
        EXPECT_EQ(info.Comments, QString::fromUtf8(c.Comments));
        EXPECT_EQ(info.CompanyName, QString::fromUtf8(c.CompanyName));
        // The date is set whether or not there is a version block.
        EXPECT_EQ(info.FileDate, QDate::currentDate().toString(QStringLiteral("dd.MM.yy")));
    }
}

TEST(VersionInfoTest, BlankOrMissingFileNames)
{
    TTempCurrentDir dir;
    TCalibLog log;
    TVersionInfo blank;
    log.GetVersionInfo(QStringLiteral("  "), blank);
    EXPECT_TRUE(blank.FileDate.isEmpty());
    EXPECT_TRUE(blank.FileVersion.isEmpty());

    TVersionInfo missing;
    log.GetVersionInfo(dir.File(QStringLiteral("nothing.exe")), missing);
    EXPECT_EQ(missing.FileDate, QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_TRUE(missing.ProductName.isEmpty());
    EXPECT_TRUE(missing.CompanyName.isEmpty());
}

TEST(VersionInfoTest, TheBuildEmbedsTheBlockInTheProgram)
{
    TTempCurrentDir dir;
    TCalibLog log;
    TVersionInfo info;
    log.GetVersionInfo(QCoreApplication::applicationFilePath(), info);
    EXPECT_EQ(info.ProductName, QStringLiteral(CALVISTA_EXPECTED_PRODUCT_NAME));
    EXPECT_EQ(info.FileVersion, QStringLiteral(CALVISTA_EXPECTED_FILE_VERSION));
    EXPECT_EQ(info.CompanyName, QStringLiteral(CALVISTA_EXPECTED_COMPANY_NAME));
    EXPECT_EQ(info.Comments, QStringLiteral("Calvista test build"));
    EXPECT_FALSE(info.FileDate.isEmpty());
}

}  // namespace
