// Reading "language.ini": format rules, encodings, where the file is found.

#include "services/UnitLangManager.h"
#include "tests/common/TestSupport.h"

namespace {

struct LookupCase {
    const char* Name;
    QByteArray File;
    std::uint8_t Language;
    const char* Key;
    const char* Expected;
};

const LookupCase LookupCases[] = {
    {"blanks around key and value", "[English]\r\n   frmMain.Caption   =   Main window   \r\n", 0, "frmMain.Caption",
     "Main window"},
    {"tabs and control characters stripped", "[English]\n\tfrmMain.Caption\t=\tMain\x01\n", 0, "frmMain.Caption",
     "Main"},
    {"equals sign in the value", "[English]\nE1.frmMain=a=b = c\n", 0, "E1.frmMain", "a=b = c"},
    {"lower-case section header", "[english]\nfrmMain.Caption=Found\n", 0, "frmMain.Caption", "Found"},
    {"blanks inside the brackets", "[  German ]\nfrmMain.Caption=Gefunden\n", 1, "frmMain.Caption", "Gefunden"},
    {"key written in capitals", "[English]\nFRMMAIN.CAPTION=Upper\n", 0, "frmMain.Caption", "Upper"},
    {"key asked in other case", "[English]\ninfAllowEdit=Yes\n", 0, "INFALLOWEDIT", "Yes"},
    {"first of two blocks is not consulted", "[German]\nA=1\nB=2\n[English]\nA=e\n[German]\nB=3\n", 1, "A", "n.d."},
    {"last of two blocks wins", "[German]\nA=1\nB=2\n[English]\nA=e\n[German]\nB=3\n", 1, "B", "3"},
    {"other section unaffected by repeats", "[German]\nA=1\n[English]\nA=e\n[German]\nB=3\n", 0, "A", "e"},
    {"key twice: later value", "[English]\nK=first\nk=second\n", 0, "K", "second"},
    {"brackets inside a key", "[English]\ntbnMain.Pages[0]=Sensordata\n", 0, "tbnMain.Pages[0]", "Sensordata"},
    {"bracketed key does not open a section", "[English]\ntbnMain.Pages[1]=Datalog\nX=after\n", 0, "X", "after"},
    {"comment line", "[English]\n;frmMain.Caption=Hidden\n", 0, "frmMain.Caption", "n.d."},
    {"indented comment line", "[English]\n   ; K=Hidden\n", 0, "; K", "n.d."},
    {"line before any section", "K=Orphan\n[English]\n", 0, "K", "n.d."},
    {"line without equals sign", "[English]\nK\n", 0, "K", "n.d."},
    {"empty value", "[English]\nK=\n", 0, "K", ""},
    {"quotes are literal", "[English]\nK=\"quoted\" ;not a comment\n", 0, "K", "\"quoted\" ;not a comment"},
    {"CR line ends", "[English]\rA=1\rB=2\r", 0, "B", "2"},
    {"LF line ends", "[English]\nA=1\nB=2", 0, "B", "2"},
    {"missing section", "[English]\nK=e\n", 1, "K", "n.d."},
    {"missing key", "[English]\nK=e\n", 0, "L", "n.d."},
    {"empty file", "", 0, "K", "n.d."},
    {"UTF-8 text", "[German]\nK=Dämpfung größer\n", 1, "K", "Dämpfung größer"},
    {"UTF-8 with byte-order mark", "\xEF\xBB\xBF[German]\nK=Überwachung\n", 1, "K", "Überwachung"},
    {"Windows-1252 text", "[German]\nK=D\xE4mpfung \x80 \x84gut\x93\n", 1, "K", "Dämpfung € „gut“"},
    {"unknown language value reads English", "[English]\nK=e\n[German]\nK=g\n", 7, "K", "e"},
};

TEST(LangManagerTest, LookupFollowsTheFileFormat)
{
    TTempCurrentDir dir;
    for (const LookupCase& c : LookupCases) {
        SCOPED_TRACE(c.Name);
        const QString path = dir.File(QStringLiteral("language.ini"));
        ASSERT_TRUE(WriteAll(path, c.File));
        TLangManager manager(path);
        manager.SetLanguage(c.Language);
        EXPECT_EQ(manager.Translate(QString::fromLatin1(c.Key)).toStdString(), std::string(c.Expected));
        EXPECT_TRUE(manager.LoadError().isEmpty());
    }
}

TEST(LangManagerTest, LanguageSelectsTheSectionAndStartsEnglish)
{
    TTempCurrentDir dir;
    ASSERT_TRUE(WriteAll(dir.File(QStringLiteral("language.ini")), "[English]\nK=Read\n[German]\nK=Lesen\n"));
    TLangManager manager;
    EXPECT_EQ(manager.Language(), 0);
    EXPECT_EQ(manager.Translate(QStringLiteral("K")), QStringLiteral("Read"));
    manager.SetLanguage(1);
    EXPECT_EQ(manager.Translate(QStringLiteral("K")), QStringLiteral("Lesen"));
    manager.SetLanguage(0);
    EXPECT_EQ(manager.Translate(QStringLiteral("K")), QStringLiteral("Read"));
}

TEST(LangManagerTest, FileInTheCurrentDirectoryIsUsed)
{
    TTempCurrentDir dir;
    ASSERT_TRUE(WriteAll(dir.File(QStringLiteral("language.ini")), "[English]\nK=here\n"));
    TLangManager manager;
    EXPECT_EQ(QFileInfo(manager.FileName()).canonicalFilePath(),
              QFileInfo(dir.File(QStringLiteral("language.ini"))).canonicalFilePath());
    EXPECT_EQ(manager.Translate(QStringLiteral("K")), QStringLiteral("here"));
}

TEST(LangManagerTest, NoFileGivesNotDefinedEverywhere)
{
    TTempCurrentDir dir;
    TLangManager manager(dir.File(QStringLiteral("language.ini")));
    for (std::uint8_t language : {0, 1}) {
        manager.SetLanguage(language);
        EXPECT_EQ(manager.Translate(QStringLiteral("frmMain.Caption")), QStringLiteral("n.d."));
        EXPECT_EQ(manager.Translate(QStringLiteral("141.TRANSMITTERTIMEOUT")), QStringLiteral("n.d."));
    }
    EXPECT_TRUE(manager.LoadError().isEmpty());
}

TEST(LangManagerTest, UnreadableFileIsReportedNotThrown)
{
    TTempCurrentDir dir;
    // A directory of that name exists but cannot be read as a file.
    ASSERT_TRUE(QDir(dir.Path()).mkdir(QStringLiteral("language.ini")));
    std::unique_ptr<TLangManager> manager;
    EXPECT_NO_THROW(manager = std::make_unique<TLangManager>());
    EXPECT_FALSE(manager->LoadError().isEmpty());
    EXPECT_EQ(manager->Translate(QStringLiteral("K")), QStringLiteral("n.d."));
}

}  // namespace
