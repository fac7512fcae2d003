// The shipped language file: a real text for every key the program asks for,
// in both languages.

#include "services/UnitLangManager.h"
#include "tests/common/TestSupport.h"

#include "app/FindMessageKeys.h"
#include "app/MessageKeys.h"
#include "hart/CommandErrorKeys.h"
#include "hart/DeviceStatus.h"
#include "hart/ErrorKeys.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Keys of the components of the main window and the about box that the form
// translator looks up (captions, hints, page titles, list items).
const char* const MainFormCaptionKeys[] = {
    "frmMain",         "chbSaveDatalog", "lblCapacity",       "lblRate",           "chbUseUSB",      "chbCurrentLine",
    "chbPressureLine", "grbReference",   "bbtnSetUpperRange", "bbtnSetLowerRange", "bbtnSetZero",    "grbPressure",
    "lblUnit",         "lblMinSpan",     "lblDamping",        "lblUpperRange",     "lblUpperLimit",  "lblUpper",
    "lblLowerRange",   "lblLowerLimit",  "lblLower",          "grbRevLevel",       "lblTransmitter", "lblUnCommand",
    "grbDescription",  "lblDate",        "lblTransType",      "lblManufacturer",   "lblSerialNr",    "lblTag",
    "lblDesc",
};
const char* const MainFormHintKeys[] = {
    "tbtnStartDatalog", "tbtnStopDatalog", "tbtnRead", "tbtnSet", "tbtnSave", "tbtnLoad", "tbtnLangEng", "tbtnLangGer",
};
// Menu items have a caption and a hint.
const char* const MenuItems[] = {
    "mmiApp",
    "mmiRead",
    "mmiLoad",
    "mmiSave",
    "mmiQuit",
    "mmiView",
    "mmiToolbarsShow",
    "mmiTBActionShow",
    "mmiTBLangShow",
    "mmiTBPortShow",
    "mmiCurrentLine",
    "mmiCurrLine",
    "mmiVoltLine",
    "mmiPrint",
    "mmiPLPrint",
    "mmiCLPrint",
    "mmiSavePreferences",
    "mmiLanguage",
    "mmiLangEng",
    "mmiLangGer",
    "mmiAbout",
    "mmiDeviceStatus",
    "mmiFrames",
};
const char* const AboutCaptionKeys[] = {"FrmAbout", "lblCreatedBy", "lblAuthor", "lblInfoDate", "btnOK"};
const char* const NotebookPages[] = {"tbnMain.Pages[0]", "tbnMain.Pages[1]"};

// The unit list is compared with the unit the device reports: the names must
// be the device's, in both languages.
const char* const UnitNames[] = {"bar", "mbar", "kPa", "Pa", "mmH2O", "psi", "mmHg", "Torr", "kg/cm2", "g/cm2", "atm"};

// Status and dialog keys of the window's write, configuration-file and
// monitoring workflows. The window publishes the keys it shows today in
// app/MessageKeys.h; these are the ones its coming workflows will show.
const char* const WindowMessageKeys[] = {
    "infReadUniqueIdent", "infReadOutput", "infReadAddInfo", "infWrittenTDD", "infWrittenRanges", "infWrittenDamping",
    "infAllowEdit",       "W4.NOEDITION",  "E1.frmMain",     "E4.frmMain",    "E5.frmMain",       "E6.frmMain",
    "E7.frmMain",         "E10.frmMain",   "W0.frmMain",     "W1.frmMain",    "W2.frmMain",       "W4.frmMain",
};

// The texts of a settings write refused before sending or by the transmitter.
const char* const SettingsWriteKeys[] = {
    "E15.frmMain", "E16.frmMain", "E17.frmMain", "E19.frmMain", "E20.frmMain",
    "E21.frmMain", "E19.TDD",     "E19.UNIT",    "E19.RANGE",   "E19.DAMPING",
};

// The device status: the dialog, the Frames window, texts of the status
// workflow and the words of the decoder (below, from its tables).
const char* const StatusKeys[] = {
    "frmDeviceStatus.Caption",
    "lblStatusClass.Caption",
    "lblStatusBits.Caption",
    "lblStatusAdditional.Caption",
    "lblStatusWriteProtect.Caption",
    "lblStatusUpdated.Caption",
    "btnReadStatus.Caption",
    "btnResetChanged.Caption",
    "btnCloseStatus.Caption",
    "frmFrames.Caption",
    "btnCopyFrames.Caption",
    "btnSaveFrames.Caption",
    "btnClearFrames.Caption",
    "btnCloseFrames.Caption",
    "DS.NONE",
    "DS.UNKNOWN",
    "DS.YES",
    "DS.NO",
    "AS.NOTIMPLEMENTED",
    "AS.NOTREAD",
    "infReadStatus",
    "infResetChanged",
    "W.RESETCHANGED",
    "E.RESETCHANGED",
    StatusByteBitKey,
    ChannelSaturatedKey,
    ChannelFixedKey,
    WriteProtectOtherKey,
};

template <typename TTable> void AddTableKeys(QStringList& Keys, const TTable& Table)
{
    for (const auto& row : Table)
        Keys << QString::fromLatin1(row.Key);
}

QStringList DecoderKeys()
{
    QStringList keys;
    AddTableKeys(keys, DeviceStatusBits);
    AddTableKeys(keys, ExtendedStatusBits);
    AddTableKeys(keys, StandardizedStatus0Bits);
    AddTableKeys(keys, Ne107Names);
    AddTableKeys(keys, WriteProtectCodes);
    return keys;
}

QStringList FormKeys()
{
    QStringList keys;
    for (const char* name : MainFormCaptionKeys)
        keys << QLatin1String(name) + QStringLiteral(".Caption");
    for (const char* name : MainFormHintKeys)
        keys << QLatin1String(name) + QStringLiteral(".Hint");
    for (const char* name : MenuItems)
        keys << QLatin1String(name) + QStringLiteral(".Caption") << QLatin1String(name) + QStringLiteral(".Hint");
    for (const char* name : AboutCaptionKeys)
        keys << QLatin1String(name) + QStringLiteral(".Caption");
    for (const char* key : NotebookPages)
        keys << QLatin1String(key);
    for (std::size_t i = 0; i < std::size(UnitNames); ++i)
        keys << QStringLiteral("cmbUnit.Item%1").arg(i);
    return keys;
}

template <std::size_t N> QStringList Keys(const char* const (&Table)[N])
{
    QStringList keys;
    for (const char* key : Table)
        keys << QString::fromLatin1(key);
    return keys;
}

QStringList AllKeys()
{
    QStringList keys = FormKeys() + Keys(WindowMessageKeys) + Keys(SettingsWriteKeys) + Keys(MainWindowMessageKeys)
                       + Keys(LinkErrorKeys) + Keys(CommandErrorKeys) + Keys(StatusKeys) + DecoderKeys()
                       + Keys(FindMessageKeys);
    keys.removeDuplicates();
    return keys;
}

class LanguageFileTest : public ::testing::Test {
protected:
    TLangManager Manager {QStringLiteral(CALVISTA_SOURCE_LANGUAGE_FILE)};
};

TEST_F(LanguageFileTest, EveryKeyHasATextInBothLanguages)
{
    ASSERT_TRUE(QFileInfo::exists(Manager.FileName()));
    const QStringList keys = AllKeys();
    EXPECT_GT(keys.size(), 160);
    for (std::uint8_t language : {0, 1}) {
        Manager.SetLanguage(language);
        for (const QString& key : keys) {
            const QString text = Manager.Translate(key);
            EXPECT_NE(text, QStringLiteral("n.d."))
                << TLangManager::SectionName(language).toStdString() << " " << key.toStdString();
            EXPECT_FALSE(text.trimmed().isEmpty()) << key.toStdString();
        }
    }
}

TEST_F(LanguageFileTest, GermanIsATranslationNotACopy)
{
    int differing = 0;
    bool umlauts = false;
    const QStringList keys = AllKeys();
    for (const QString& key : keys) {
        Manager.SetLanguage(0);
        const QString english = Manager.Translate(key);
        Manager.SetLanguage(1);
        const QString german = Manager.Translate(key);
        differing += english != german;
        umlauts |= german.contains(QRegularExpression(QStringLiteral("[äöüÄÖÜß]")));
    }
    EXPECT_GT(differing, keys.size() * 8 / 10);
    EXPECT_TRUE(umlauts);
}

TEST_F(LanguageFileTest, UnitNamesAndFormatPatternsAreExact)
{
    for (std::uint8_t language : {0, 1}) {
        Manager.SetLanguage(language);
        for (std::size_t i = 0; i < std::size(UnitNames); ++i)
            EXPECT_EQ(Manager.Translate(QStringLiteral("cmbUnit.Item%1").arg(i)), QLatin1String(UnitNames[i]));
        EXPECT_EQ(Manager.Translate(QStringLiteral("cmbUnit.Item11")), QStringLiteral("n.d."));
        // The about box fills in the build date.
        EXPECT_EQ(Manager.Translate(QStringLiteral("lblInfoDate.Caption")).count(QStringLiteral("%s")), 1);
    }
}

TEST_F(LanguageFileTest, BuildCopiesTheFileBesideTheProgram)
{
    EXPECT_EQ(ReadAll(QStringLiteral(CALVISTA_BUILT_LANGUAGE_FILE)),
              ReadAll(QStringLiteral(CALVISTA_SOURCE_LANGUAGE_FILE)));
}

}  // namespace
