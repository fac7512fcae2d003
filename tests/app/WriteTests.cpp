// Writing settings: what Set sends for each edit, what it refuses before
// sending, what the operator is told when a write fails or is not kept; and the
// three reference actions.

#include "MainWindowFixture.h"

#include "app/PortComboBox.h"
#include "sim/SimTransmitterPeer.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>

#include <functional>

namespace {

std::vector<int> Commands(const TSimTransmitter& Tx)
{
    std::vector<int> commands;
    for (const TSimRequest& request : Tx.Requests())
        commands.push_back(request.Command);
    return commands;
}

// Packed ASCII as a field device stores it: six bits a character, four
// characters in three bytes, padded with blanks.
std::vector<uint8_t> Packed(const std::string& Text, size_t Chars)
{
    std::string padded = Text;
    padded.resize(Chars, ' ');
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < Chars; i += 4) {
        const auto c = [&](size_t k) { return uint8_t(padded[i + k] & 0x3F); };
        bytes.push_back(uint8_t(c(0) << 2 | c(1) >> 4));
        bytes.push_back(uint8_t((c(1) & 0x0F) << 4 | c(2) >> 2));
        bytes.push_back(uint8_t((c(2) & 0x03) << 6 | c(3)));
    }
    return bytes;
}

void SelectUnit(TfrmMain& W, const QString& Unit)
{
    const int index = W.Ui().cmbUnit->findText(Unit);
    ASSERT_GE(index, 0);
    W.Ui().cmbUnit->setCurrentIndex(index);
    emit W.Ui().cmbUnit->activated(index);
}

// Stands between the line and the transmitter and puts the damping back to
// 0.5 s after every request: a transmitter that stores another value than sent.
class TStubbornPeer : public TSimPeer {
public:
    explicit TStubbornPeer(TSimTransmitter& Tx)
        : FInner(Tx)
        , FTx(Tx)
    {
    }
    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) override
    {
        FInner.OnMasterBytes(Line, Data, Count, EndUs);
        FTx.MutableState().Damping = 0.5f;
    }

private:
    TSimTransmitterPeer FInner;
    TSimTransmitter& FTx;
};

struct TSetCase {
    const char* Name;
    std::function<void(TSimDeviceState&)> Device;
    std::function<void(TfrmMain&)> Edit;
    std::vector<int> Sent;  // commands of the Set
    QString Status;  // key of panel 1 afterwards; empty: still the read's
    QString Error;  // key of the one error box; empty: none
    QStringList ErrorArgs;
    bool PortOpen;
    bool DescriptionChanged, UnitChanged, RangeChanged, DampingChanged;  // afterwards
    std::function<void(const TSimDeviceState&)> Kept;  // what the transmitter holds
    // The step that failed after sending began ("E19.DAMPING"): the box adds
    // that the transmitter keeps the settings it had.
    const char* Unchanged = nullptr;
};

inline void PrintTo(const TSetCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class TSetTest : public TMainWindowTest, public ::testing::WithParamInterface<TSetCase> {};

const auto Unchanged = [](TSimDeviceState&) {};
const auto NoCheck = [](const TSimDeviceState&) {};

}  // namespace

TEST_P(TSetTest, SendsTheEditedValuesAndTellsTheOperator)
{
    const TSetCase& c = GetParam();
    TSimDeviceState state;
    c.Device(state);
    TSimTransmitter& tx = AddTransmitter("COM1", state);
    TStubbornPeer stubborn(tx);
    if (std::string(c.Name) == "NotKept")
        Line("COM1").SetPeer(&stubborn);
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    ASSERT_TRUE(Dialogs->Errors().isEmpty());
    const QString readStatus = w.StatusText(1);
    c.Edit(w);
    const QString upper = w.Ui().edUpperRange->text(), tag = w.Ui().edTag->text(), damping = w.Ui().edDamping->text();
    tx.ClearRequests();

    w.Ui().acSet->trigger();

    EXPECT_EQ(Commands(tx), c.Sent);
    EXPECT_EQ(w.StatusText(1), c.Status.isEmpty() ? readStatus : Text(c.Status));
    QStringList errors;
    if (!c.Error.isEmpty()) {
        QString text = Text(c.Error);
        for (const QString& arg : c.ErrorArgs)
            text = text.arg(arg);
        if (c.Unchanged)
            text += ' ' + Text("E19.frmMain").arg(Text(c.Unchanged));
        errors << text;
    }
    EXPECT_EQ(Dialogs->Errors(), errors);
    EXPECT_TRUE(ApplicationErrors.isEmpty()) << ApplicationErrors.join("; ").toStdString();
    EXPECT_EQ(w.Hart().PortOpen(), c.PortOpen);
    EXPECT_EQ(w.Writing().Edits.DescriptionChanged, c.DescriptionChanged);
    EXPECT_EQ(w.Writing().Edits.UnitChanged, c.UnitChanged);
    EXPECT_EQ(w.Writing().Edits.RangeChanged, c.RangeChanged);
    EXPECT_EQ(w.Writing().Edits.DampingChanged, c.DampingChanged);
    EXPECT_FALSE(w.Ui().prbProgress->isVisible());
    EXPECT_FALSE(w.StatusPanel1OwnerDrawn());
    // The edits keep the operator's texts.
    EXPECT_EQ(w.Ui().edUpperRange->text(), upper);
    EXPECT_EQ(w.Ui().edTag->text(), tag);
    EXPECT_EQ(w.Ui().edDamping->text(), damping);
    c.Kept(tx.State());
}

const TSetCase SetCases[]
    = {TSetCase {"NoEdits",
                 Unchanged,
                 [](TfrmMain&) {},
                 {},
                 "infNothingToWrite",
                 "",
                 {},
                 true,
                 false,
                 false,
                 false,
                 false,
                 NoCheck},
       TSetCase {"TagOnly",
                 Unchanged,
                 [](TfrmMain& w) { w.Ui().edTag->setText("NEW-TAG"); },
                 {13, 18, 13},
                 "infWrittenTDD",
                 "",
                 {},
                 true,
                 false,
                 false,
                 false,
                 false,
                 [](const TSimDeviceState& s) {
                     EXPECT_EQ(s.Tag, "NEW-TAG ");
                     EXPECT_EQ(s.Descriptor, "SIMULATED PT    ");
                     EXPECT_EQ(s.Year, 2024);
                 }},
       TSetCase {"UnitAndRange",
                 Unchanged,
                 [](TfrmMain& w) {
                     SelectUnit(w, "mbar");
                     w.Ui().edUpperRange->setText("2000");
                     w.Ui().edLowerRange->setText("-500");
                 },
                 {15, 14, 44, 15, 35, 15},
                 "infWrittenRanges",
                 "",
                 {},
                 false,
                 false,
                 false,
                 false,
                 false,
                 [](const TSimDeviceState& s) {
                     EXPECT_EQ(s.PvUnit, 8);
                     EXPECT_EQ(s.UpperRange, 2000.0f);
                     EXPECT_EQ(s.LowerRange, -500.0f);
                 }},
       TSetCase {"GermanRangeOnAnEnglishDesktop",
                 Unchanged,
                 [](TfrmMain& w) {
                     w.Ui().edUpperRange->setText("12,5");
                     w.Ui().edLowerRange->setText("-0,25");
                 },
                 {15, 14, 35, 15},
                 "infWrittenRanges",
                 "",
                 {},
                 false,
                 false,
                 false,
                 false,
                 false,
                 [](const TSimDeviceState& s) {
                     EXPECT_EQ(s.UpperRange, 12.5f);
                     EXPECT_EQ(s.LowerRange, -0.25f);
                 }},
       TSetCase {"Damping100",
                 [](TSimDeviceState& s) { s.MaxDamping = 100; },
                 [](TfrmMain& w) { w.Ui().edDamping->setText("100"); },
                 {15, 34, 15},
                 "infWrittenDamping",
                 "",
                 {},
                 false,
                 false,
                 false,
                 false,
                 false,
                 [](const TSimDeviceState& s) { EXPECT_EQ(s.Damping, 100.0f); }},
       TSetCase {"Damping100.5",
                 [](TSimDeviceState& s) { s.MaxDamping = 200; },
                 [](TfrmMain& w) { w.Ui().edDamping->setText("100.5"); },
                 {},
                 "",
                 "E4.frmMain",
                 {},
                 true,
                 false,
                 false,
                 false,
                 true,
                 NoCheck},
       TSetCase {"DampingMinus1",
                 Unchanged,
                 [](TfrmMain& w) { w.Ui().edDamping->setText("-1"); },
                 {},
                 "",
                 "E4.frmMain",
                 {},
                 true,
                 false,
                 false,
                 false,
                 true,
                 NoCheck},
       // A refused value stops the whole Set: the tag is not written either.
       TSetCase {"RangeNotANumber",
                 Unchanged,
                 [](TfrmMain& w) {
                     w.Ui().edTag->setText("OTHER");
                     w.Ui().edUpperRange->setText("1.000,5");
                 },
                 {},
                 "",
                 "E13.frmMain",
                 {"1.000,5"},
                 true,
                 true,
                 false,
                 true,
                 false,
                 [](const TSimDeviceState& s) { EXPECT_EQ(s.Tag, "PT-101"); }},
       TSetCase {"PastedUmlautInTheTag",
                 Unchanged,
                 [](TfrmMain& w) { w.Ui().edTag->setText(QStringLiteral("PTÄ1")); },
                 {},
                 "",
                 "E12.frmMain",
                 {QStringLiteral("Ä")},
                 true,
                 true,
                 false,
                 false,
                 false,
                 NoCheck},
       TSetCase {"PastedBraceInTheDescriptor",
                 Unchanged,
                 [](TfrmMain& w) { w.Ui().edDesc->setText("LINE {2}"); },
                 {},
                 "",
                 "E12.frmMain",
                 {"{"},
                 true,
                 true,
                 false,
                 false,
                 false,
                 NoCheck},
       // A date never set goes back as it was read.
       TSetCase {"NoDate",
                 [](TSimDeviceState& s) { s.Day = s.Month = 0; },
                 [](TfrmMain& w) { w.Ui().edTag->setText("NEW"); },
                 {13, 18, 13},
                 "infWrittenTDD",
                 "",
                 {},
                 true,
                 false,
                 false,
                 false,
                 false,
                 [](const TSimDeviceState& s) {
                     EXPECT_EQ(s.Tag, "NEW     ");
                     EXPECT_EQ(std::make_tuple(s.Day, s.Month, s.Year),
                               std::make_tuple(uint8_t(0), uint8_t(0), uint16_t(2024)));
                 }},
       // The first step is refused: nothing else is sent, one box, the flags
       // stay, no status claims success.
       TSetCase {"WriteProtected",
                 [](TSimDeviceState& s) { s.WriteProtected = true; },
                 [](TfrmMain& w) {
                     w.Ui().edTag->setText("NEW");
                     SelectUnit(w, "kPa");
                     w.Ui().edUpperRange->setText("200");
                     w.Ui().edDamping->setText("1");
                 },
                 {13, 15, 14, 18},
                 "infNotWrittenTDD",
                 "8.WRITEPROTECT",
                 {},
                 false,
                 true,
                 true,
                 true,
                 true,
                 NoCheck,
                 "E19.TDD"},
       TSetCase {"NotKept",
                 Unchanged,
                 [](TfrmMain& w) { w.Ui().edDamping->setText("2"); },
                 {15, 34, 15, 34, 15, 34, 15, 34, 15},
                 "infNotWrittenDamping",
                 "E11.frmMain",
                 {"0.5 s", "3"},
                 false,
                 false,
                 false,
                 false,
                 true,
                 NoCheck,
                 "E19.DAMPING"},
       // Beyond the sensor limits in the new unit: refused before the unit is sent.
       TSetCase {"PsiBeyondTheSensorLimits",
                 Unchanged,
                 [](TfrmMain& w) {
                     SelectUnit(w, "psi");
                     w.Ui().edUpperRange->setText("1000");
                 },
                 {15, 14},
                 "infNotWrittenRanges",
                 "E16.frmMain",
                 {"0", "1000", "psi", "-14.50377", "580.151"},
                 false,
                 false,
                 true,
                 true,
                 false,
                 [](const TSimDeviceState& s) {
                     EXPECT_EQ(s.PvUnit, 7);
                     EXPECT_EQ(s.UpperRange, 10.0f);
                 }},
       // The transmitter refuses the damping after the unit was written: the
       // unit and the range it converted are put back.
       TSetCase {"DampingRefusedAfterTheUnit",
                 Unchanged,
                 [](TfrmMain& w) {
                     SelectUnit(w, "mbar");
                     w.Ui().edDamping->setText("50");
                 },
                 {15, 44, 15, 34, 44, 15, 35, 15},
                 "infNotWrittenDamping",
                 "4.TOOLARGEPARAM",
                 {},
                 false,
                 false,
                 true,
                 false,
                 true,
                 [](const TSimDeviceState& s) {
                     EXPECT_EQ(std::make_tuple(s.PvUnit, s.RangeUnit, s.UpperRange, s.LowerRange, s.Damping),
                               std::make_tuple(uint8_t(7), uint8_t(7), 10.0f, 0.0f, 0.4f));
                 },
                 "E19.DAMPING"},
       // A unit selected without being marked (as a loaded file does) is the
       // unit of the range written; the transmitter's unit stays.
       TSetCase {"RangeInTheUnitShown",
                 Unchanged,
                 [](TfrmMain& w) {
                     w.Ui().cmbUnit->setCurrentIndex(w.Ui().cmbUnit->findText("mbar"));
                     w.Ui().edUpperRange->setText("2000");
                 },
                 {15, 14, 35, 15},
                 "infWrittenRanges",
                 "",
                 {},
                 false,
                 false,
                 false,
                 false,
                 false,
                 [](const TSimDeviceState& s) {
                     EXPECT_EQ(std::make_tuple(s.PvUnit, s.RangeUnit, s.UpperRange),
                               std::make_tuple(uint8_t(7), uint8_t(8), 2000.0f));
                 }}};

INSTANTIATE_TEST_SUITE_P(Edits, TSetTest, ::testing::ValuesIn(SetCases), [](const auto& Info) {
    std::string name = Info.param.Name;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
});

TEST_F(TMainWindowTest, SetWritesTheTagDescriptorAndDateAsPackedAsciiAndLogsTheSteps)
{
    TSimTransmitter& tx = AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    w.Ui().edTag->setText("FT 7/B");
    w.Ui().edDesc->setText(" INLET [A]");
    tx.ClearRequests();
    MarkLog();

    w.Ui().acSet->trigger();

    ASSERT_EQ(Commands(tx), (std::vector<int> {13, 18, 13}));
    std::vector<uint8_t> data = Packed("FT 7/B", 8);
    const std::vector<uint8_t> descriptor = Packed("INLET [A]", 16);
    data.insert(data.end(), descriptor.begin(), descriptor.end());
    data.insert(data.end(), {15, 6, 124});
    EXPECT_EQ(tx.Requests()[1].Data, data);
    EXPECT_EQ(LogSinceMark(), (QStringList {"Read the settings before writing", "TDD will be write"}));
}

TEST_F(TMainWindowTest, SetOpensAClosedPortByItsDevicePathAndWritesNothingUnedited)
{
    TSimTransmitter& tx = AddTransmitter("COM12");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(w.Ui().cmbPort->findText("COM12"));
    w.Ui().acRead->trigger();
    w.Ui().edDamping->setText("1");
    w.Ui().acSet->trigger();
    ASSERT_FALSE(w.Hart().PortOpen());
    tx.ClearRequests();

    // Held by another program: the error display shows the text, nothing is sent.
    ASSERT_EQ(Line("COM12").Open("COM12"), TSerialOpenResult::Ok);
    w.Ui().edTag->setText("OTHER");
    w.Ui().acSet->trigger();
    EXPECT_EQ(ApplicationErrors, QStringList {Text("133.PORTALREADYUSED")});
    EXPECT_TRUE(w.Writing().Edits.DescriptionChanged);
    Line("COM12").Close();
    ApplicationErrors.clear();
    w.Writing().Edits.DescriptionChanged = false;

    w.Ui().acSet->trigger();

    EXPECT_TRUE(w.Hart().PortOpen());
    EXPECT_EQ(Line("COM12").OpenedName(), "\\\\.\\COM12");
    EXPECT_TRUE(tx.Requests().empty());
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
    EXPECT_TRUE(ApplicationErrors.isEmpty());
}

TEST_F(TMainWindowTest, TagAndDescriptorRefuseTypedCharactersATransmitterCannotStore)
{
    AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    w.Ui().edTag->clear();
    w.Ui().edTag->setFocus();
    for (const QString& typed : {QStringLiteral("a"), QStringLiteral("~"), QStringLiteral("ä"), QStringLiteral("{"),
                                 QStringLiteral("1"), QStringLiteral("-"), QStringLiteral("_")}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, typed);
        QCoreApplication::sendEvent(w.Ui().edTag, &press);
    }
    EXPECT_EQ(w.Ui().edTag->text(), "A1-_");
}

// --- reference actions -------------------------------------------------------------------

struct TReferenceCase {
    const char* Name;
    QAction* TfrmMainUi::*Action;
    bool Yes;
    int Command;  // expected on the line; -1: none
    TSimFault Fault;
    bool AfterSet;  // a Set of the damping closed the port before
    QString Note;  // text of the first box (a key or the text itself)
    TDialogIcon QuestionIcon;
    QString Question;
    QString Error;  // key of the error box; empty: none
    QString DoneLine;
};

inline void PrintTo(const TReferenceCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class TReferenceTest : public TMainWindowTest, public ::testing::WithParamInterface<TReferenceCase> {};

TEST_P(TReferenceTest, AsksThenSendsTheCommandWithoutReadingAgain)
{
    const TReferenceCase& c = GetParam();
    TSimDeviceState state;
    state.MaxDamping = 100;
    TSimTransmitter& tx = AddTransmitter("COM1", state);
    TSimSignal applied;
    applied.Level = 0.5;  // bar: near enough to zero to be trimmed away
    tx.SetSignal(applied);
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    if (c.AfterSet) {
        w.Ui().edDamping->setText("3");
        w.Ui().acSet->trigger();
        ASSERT_FALSE(w.Hart().PortOpen());
    }
    tx.ClearRequests();
    tx.QueueFault(c.Fault);
    Dialogs->Clear();
    Dialogs->QueueAnswer(c.Yes);
    MarkLog();

    (w.Ui().*c.Action)->trigger();

    if (c.AfterSet) {  // the closed port may lead elsewhere: disabled, nothing asked or sent
        EXPECT_TRUE(!(w.Ui().*c.Action)->isEnabled() && Dialogs->Shown().isEmpty() && Commands(tx).empty());
        return;
    }
    ASSERT_EQ(Dialogs->Shown().size(), c.Error.isEmpty() ? 2 : 3);
    EXPECT_EQ(Dialogs->Shown()[0].Icon, TDialogIcon::Confirmation);
    EXPECT_EQ(Dialogs->Shown()[0].Text, c.Note.contains(".frmMain") ? Text(c.Note) : c.Note);
    EXPECT_EQ(Dialogs->Shown()[1].Kind, TScriptedOperatorDialogs::TKind::Question);
    EXPECT_EQ(Dialogs->Shown()[1].Icon, c.QuestionIcon);
    EXPECT_EQ(Dialogs->Shown()[1].Text, Text(c.Question));
    EXPECT_EQ(Dialogs->Errors(), c.Error.isEmpty() ? QStringList() : QStringList {Text(c.Error)});
    EXPECT_EQ(Commands(tx), c.Command < 0 ? std::vector<int> {} : std::vector<int> {c.Command});
    EXPECT_EQ(w.Hart().PortOpen(), !c.AfterSet);
    const QStringList log = LogSinceMark();
    EXPECT_EQ(log.contains(c.DoneLine), c.Error.isEmpty() && c.Yes) << log.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Actions, TReferenceTest,
                         ::testing::Values(TReferenceCase {"UpperYes",
                                                           &TfrmMainUi::acSetUR,
                                                           true,
                                                           36,
                                                           {},
                                                           false,
                                                           "Set Upper Range Reference",
                                                           TDialogIcon::Warning,
                                                           "W0.frmMain",
                                                           "",
                                                           "Primary variable upper range was set"},
                                           TReferenceCase {"UpperNo",
                                                           &TfrmMainUi::acSetUR,
                                                           false,
                                                           -1,
                                                           {},
                                                           false,
                                                           "Set Upper Range Reference",
                                                           TDialogIcon::Warning,
                                                           "W0.frmMain",
                                                           "",
                                                           "Primary variable upper range was set"},
                                           TReferenceCase {"LowerYes",
                                                           &TfrmMainUi::acSetLR,
                                                           true,
                                                           37,
                                                           {},
                                                           false,
                                                           "W1.frmMain",
                                                           TDialogIcon::Warning,
                                                           "W0.frmMain",
                                                           "",
                                                           "Primary variable lower range was set"},
                                           TReferenceCase {"ZeroYes",
                                                           &TfrmMainUi::acSetZero,
                                                           true,
                                                           43,
                                                           {},
                                                           false,
                                                           "Set Zero Reference",
                                                           TDialogIcon::Confirmation,
                                                           "W2.frmMain",
                                                           "",
                                                           "Primary variable Zero was set"},
                                           TReferenceCase {"ZeroRefused", &TfrmMainUi::acSetZero, true, 43,
                                                           [] {
                                                               TSimFault f;
                                                               f.ResponseCode = 9;
                                                               return f;
                                                           }(),
                                                           false, "Set Zero Reference", TDialogIcon::Confirmation,
                                                           "W2.frmMain", "9.PROCTOOHIGH",
                                                           "Primary variable Zero was set"},
                                           TReferenceCase {"LowerAfterSetClosedThePort",
                                                           &TfrmMainUi::acSetLR,
                                                           true,
                                                           -1,
                                                           {},
                                                           true,
                                                           "W1.frmMain",
                                                           TDialogIcon::Warning,
                                                           "W0.frmMain",
                                                           "143.PORTNOTOPEN",
                                                           "Primary variable lower range was set"}),
                         [](const auto& Info) { return std::string(Info.param.Name); });
