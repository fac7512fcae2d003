// The about box: version fields from the test program's own version block,
// the date line built from the language file's caption, the translated
// captions, and what shows and closes.

#include "about/ArloUrlLabel.h"
#include "about/UnitFrmAbout.h"
#include "services/UnitLangManager.h"
#include "services/UnitLogger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The log the box borrows writes into a temporary current directory.
class TAboutTest : public ::testing::Test {
protected:
    struct TCurrentDir {
        QTemporaryDir Dir;
        QString Old = QDir::currentPath();
        TCurrentDir() { EXPECT_TRUE(QDir::setCurrent(Dir.path())); }
        ~TCurrentDir() { QDir::setCurrent(Old); }
    } FCwd;
    TCalibLog Log;  // created after, and destroyed before, the directory change
    QString FileDate = Log.GetFileDate(QCoreApplication::applicationFilePath());
};

TEST_F(TAboutTest, VersionFieldsAndDateLine)
{
    ASSERT_FALSE(FileDate.isEmpty());
    const struct {
        QString Caption, Expected;
    } Cases[] = {
        {"Build date: %s", "Build date: " + FileDate},
        {"Built in the workshop", "Built in the workshop"},
        {"100%% tested, %s", "100% tested, " + FileDate},
        {"%s / %s", FileDate + " / %s"},  // one argument: a second placeholder stays
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Caption.toStdString());
        const QString file = FCwd.Dir.filePath("language.ini");
        QFile ini(file);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(("[English]\r\nlblInfoDate.Caption=" + C.Caption + "\r\n").toUtf8());
        ini.close();
        TLangManager lang(file);
        TFrmAbout about;
        about.LangManager = &lang;
        about.AppLog = &Log;
        about.PrepareInfo(0);
        EXPECT_EQ(about.lblInfoDate->text(), C.Expected);
        EXPECT_EQ(about.sttExternCompilationDate->text(), C.Expected);
        EXPECT_EQ(about.sttProgrammName->text(), CALVISTA_EXPECTED_PRODUCT_NAME);
        EXPECT_EQ(about.sttExternProductName->text(), CALVISTA_EXPECTED_PRODUCT_NAME);
        EXPECT_EQ(about.sttVersion->text(), "Version: " CALVISTA_EXPECTED_FILE_VERSION);
        EXPECT_EQ(about.sttExternProductVersion->text(), "Version: " CALVISTA_EXPECTED_FILE_VERSION);
        // The links are left alone by the translator and carry the version texts.
        EXPECT_EQ(about.ulblFirma->text(), CALVISTA_EXPECTED_COMPANY_NAME);
        EXPECT_EQ(about.ulblAuthor->text(), "Calvista test build");
    }
}

TEST_F(TAboutTest, CaptionsInTheChosenLanguage)
{
    const struct {
        std::uint8_t Language;
        const char *CreatedBy, *Author, *DatePrefix, *Ok;
    } Cases[] = {
        {0, "Created by", "Author:", "Build date: ", "Ok"},
        {1, "Erstellt von", "Autor:", "Erstellungsdatum: ", "OK"},
    };
    TLangManager lang(CALVISTA_SOURCE_LANGUAGE_FILE);
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.CreatedBy);
        TFrmAbout about;
        about.LangManager = &lang;
        about.AppLog = &Log;
        about.PrepareInfo(C.Language);
        EXPECT_EQ(lang.Language(), C.Language);
        EXPECT_EQ(about.windowTitle(), "Info");
        EXPECT_EQ(about.lblCreatedBy->text(), C.CreatedBy);
        EXPECT_EQ(about.lblAuthor->text(), C.Author);
        EXPECT_EQ(about.lblInfoDate->text(), C.DatePrefix + FileDate);
        EXPECT_EQ(about.btnOK->text(), C.Ok);
        EXPECT_EQ(about.stSlogan->text(), "pressure measurement");  // fixed texts stay
    }
}

TEST_F(TAboutTest, ShowsTheMakersPanelWithItsLinksAndClosesOnOk)
{
    QWidget mainWindow;
    mainWindow.setGeometry(60, 40, 640, 500);  // inside the offscreen screen
    mainWindow.show();
    TFrmAbout about(&mainWindow);
    about.show();
    EXPECT_TRUE(about.pnlAboutNorvane->isVisible());
    EXPECT_FALSE(about.pnlAboutAnonym->isVisible());
    EXPECT_EQ(about.size(), QSize(440, 250));
    EXPECT_EQ(about.geometry().center(), mainWindow.geometry().center());

    QStringList opened;
    TArloUrlLabel::SetOpenUrlHook([&](const QString& Url) { opened << Url; });
    QTest::mouseClick(about.ulblAuthor, Qt::LeftButton);
    QTest::mouseClick(about.ulblFirma, Qt::LeftButton);
    TArloUrlLabel::SetOpenUrlHook(nullptr);
    EXPECT_EQ(opened, QStringList({"mailto:calvista@example.com", "https://www.example.com"}));

    QTest::mouseClick(about.btnOK, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

}  // namespace
