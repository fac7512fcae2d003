// Reading a device: the fields and their texts, what the read enables, the log,
// the bytes on the line, and the failures.

#include "MainWindowFixture.h"

#include "app/PortComboBox.h"
#include "chart/NorvaneChart.h"
#include "services/LocaleDateTime.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QTabWidget>

namespace {

struct TFieldTexts {
    QString Manufacturer, TransType, SerialNr, RevTrans, RevComm;
    QString UpperLimit, LowerLimit, MinSpan, UpperRange, LowerRange, Damping;
    QString Unit;  // cmbUnit's text ("" when no entry matches)
    QString PressureUnit, Tag, Desc, Date;
};

TFieldTexts Shown(const TfrmMain& w)
{
    return {w.Ui().edManufacturer->text(),  w.Ui().edTransType->text(),    w.Ui().edSerialNr->text(),
            w.Ui().edRevLevelTrans->text(), w.Ui().edRevLevelComm->text(), w.Ui().edUpperLimit->text(),
            w.Ui().edLowerLimit->text(),    w.Ui().edMinSpan->text(),      w.Ui().edUpperRange->text(),
            w.Ui().edLowerRange->text(),    w.Ui().edDamping->text(),      w.Ui().cmbUnit->currentText(),
            w.Ui().lblPressureUnit->text(), w.Ui().edTag->text(),          w.Ui().edDesc->text(),
            w.Ui().medDate->text()};
}

void ExpectFields(const TFieldTexts& Actual, const TFieldTexts& Expected)
{
    EXPECT_EQ(Actual.Manufacturer, Expected.Manufacturer);
    EXPECT_EQ(Actual.TransType, Expected.TransType);
    EXPECT_EQ(Actual.SerialNr, Expected.SerialNr);
    EXPECT_EQ(Actual.RevTrans, Expected.RevTrans);
    EXPECT_EQ(Actual.RevComm, Expected.RevComm);
    EXPECT_EQ(Actual.UpperLimit, Expected.UpperLimit);
    EXPECT_EQ(Actual.LowerLimit, Expected.LowerLimit);
    EXPECT_EQ(Actual.MinSpan, Expected.MinSpan);
    EXPECT_EQ(Actual.UpperRange, Expected.UpperRange);
    EXPECT_EQ(Actual.LowerRange, Expected.LowerRange);
    EXPECT_EQ(Actual.Damping, Expected.Damping);
    EXPECT_EQ(Actual.Unit, Expected.Unit);
    EXPECT_EQ(Actual.PressureUnit, Expected.PressureUnit);
    EXPECT_EQ(Actual.Tag, Expected.Tag);
    EXPECT_EQ(Actual.Desc, Expected.Desc);
    EXPECT_EQ(Actual.Date, Expected.Date);
}

// The controls a successful read enables.
std::vector<QWidget*> EnabledByRead(const TfrmMain& w)
{
    return {w.Ui().tbtnSet,        w.Ui().tbtnSave,       w.Ui().chbSaveDatalog,         w.Ui().stCurrentCurrentValue,
            w.Ui().lblCurrentUnit, w.Ui().chbCurrentLine, w.Ui().stCurrentPressureValue, w.Ui().lblPressureUnit,
            w.Ui().chbPressureLine};
}

TSimDeviceState OddDevice()
{
    TSimDeviceState state;
    state.Manufacturer = 38;
    state.DeviceType = 16;  // no model of the maker
    state.SoftwareRev = 0x1F;  // old serial number format
    state.DeviceId = 0x0C2253;
    state.DeviceRev = 12;
    state.UnivCmdRev = 7;
    state.SensorUnit = 1;  // inH20: not in the unit list
    state.PvUnit = 1;
    state.RangeUnit = 1;
    state.UpperLimit = 1234.5678f;
    state.LowerLimit = -0.00012345f;
    state.MinSpan = 12345678.0f;
    state.UpperRange = 250.125f;
    state.LowerRange = -2.5f;
    state.Damping = 100.0f;
    state.Tag = "A";
    state.Descriptor = "";
    state.Day = 29;
    state.Month = 2;
    state.Year = 2000;
    return state;
}

TSimFault NoAnswer()
{
    TSimFault fault;
    fault.NoAnswer = true;
    return fault;
}

TSimFault ResponseCode(int Code)
{
    TSimFault fault;
    fault.ResponseCode = Code;
    return fault;
}

TSimFault CommErrorSummary(int Summary)
{
    TSimFault fault;
    fault.CommErrorSummary = Summary;
    return fault;
}

}  // namespace

struct TReadCase {
    const char* Name;
    QLocale::Language Language;
    TSimDeviceState State;
    TFieldTexts Expected;
    QString SerialForLog;
};

// Test names list the case by its name.
inline void PrintTo(const TReadCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class TReadTest : public TMainWindowTest, public ::testing::WithParamInterface<TReadCase> {};

TEST_P(TReadTest, FillsEveryFieldAndEnablesSetSaveAndTheDatalog)
{
    const TReadCase& c = GetParam();
    QLocale::setDefault(QLocale(c.Language));
    AddTransmitter("COM2", c.State);
    TfrmMain& w = Start();
    const int section = c.Language == QLocale::German ? 1 : 0;
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().tbnMain->setCurrentIndex(1);
    w.Writing().Edits.RangeChanged = w.Writing().Edits.UnitChanged = w.Writing().Edits.DampingChanged
        = w.Writing().Edits.DescriptionChanged = true;
    MarkLog();

    w.Ui().acRead->trigger();

    ASSERT_TRUE(Dialogs->Shown().isEmpty()) << Dialogs->Errors().join("; ").toStdString();
    ExpectFields(Shown(w), c.Expected);
    EXPECT_EQ(w.Ui().bdcPressure->AxisTitle().value(0), "P, " + c.Expected.PressureUnit);
    EXPECT_EQ(w.Ui().lblCurrentUnit->text(), "mA");
    EXPECT_EQ(w.Ui().edStorageCap->text(), "");
    EXPECT_EQ(w.Ui().edRate->text(), "");
    for (QWidget* control : EnabledByRead(w))
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(w.Ui().mmiSave->isEnabled());
    EXPECT_FALSE(w.Ui().cmbSensorType->isEnabled());
    EXPECT_FALSE(w.Ui().medDate->isEnabled());
    EXPECT_EQ(w.Ui().tbnMain->currentIndex(), 0);
    EXPECT_FALSE(w.Writing().Edits.RangeChanged || w.Writing().Edits.UnitChanged || w.Writing().Edits.DampingChanged
                 || w.Writing().Edits.DescriptionChanged);
    EXPECT_EQ(w.StatusText(1), Text("infReadAddInfo", section));
    EXPECT_FALSE(w.Ui().prbProgress->isVisible());

    const QStringList log = LogSinceMark();
    // A HART 6 or 7 transmitter's long tag is read last.
    const bool longTag = c.Expected.RevComm.toInt() >= 6;
    ASSERT_EQ(log.size(), longTag ? 10 : 8) << log.join("\n").toStdString();
    if (longTag) {
        EXPECT_EQ(log[8], "Read long tag");
    }
    EXPECT_EQ(log[0], "Clear all the controls");
    EXPECT_EQ(log[1], "Read unique identifier");
    EXPECT_EQ(log[2], "Main data:  " + c.Expected.Manufacturer + ";  " + c.Expected.TransType + "; " + c.SerialForLog);
    EXPECT_EQ(log[3], "Software: " + c.Expected.RevTrans + ";  Univ. Command: " + c.Expected.RevComm);
    EXPECT_EQ(log[4], "Read Primary Variable Output Information");
    EXPECT_EQ(log[5], "Current settings: Lower Range - " + c.Expected.LowerRange + " " + c.Expected.PressureUnit
                          + "  Upper Range - " + c.Expected.UpperRange + " " + c.Expected.PressureUnit + "  Damping - "
                          + c.Expected.Damping + " s");
    EXPECT_EQ(log[6], "Read Tag, Descriptor, Date");
    const QDate date = QDate::fromString(c.Expected.Date, "dd.MM.yyyy");
    // The log has them as the transmitter sends them, padded to the field widths.
    EXPECT_EQ(log[7], "ReadTDD: " + c.Expected.Tag.leftJustified(8) + "; " + c.Expected.Desc.leftJustified(16) + ";  "
                          + ShortDateText(date));
}

INSTANTIATE_TEST_SUITE_P(Devices, TReadTest,
                         ::testing::Values(TReadCase {"DemoTransmitter",
                                                      QLocale::English,
                                                      {},
                                                      {"Norvane", "Quill 20", "1234567", "3/2.1", "5", "40 bar",
                                                       "-1  bar", "0.4  bar", "10", "0", "0.4", "bar", "bar", "PT-101",
                                                       "SIMULATED PT", "15.06.2024"},
                                                      "1234567"},
                                           TReadCase {"OtherMakerOldSerialUnknownUnit",
                                                      QLocale::English,
                                                      OddDevice(),
                                                      {"Rosemount", "unknown", "1234 05 01", "12/1.F", "7",
                                                       "1234.568 inH20", "-0.00012345  inH20", "1.234568E7  inH20",
                                                       "250.125", "-2.5", "100", "", "inH20", "A", "", "29.02.2000"},
                                                      "1234 05 01"},
                                           TReadCase {"GermanDecimalComma",
                                                      QLocale::German,
                                                      OddDevice(),
                                                      {"Rosemount", "unknown", "1234 05 01", "12/1.F", "7",
                                                       "1234,568 inH20", "-0,00012345  inH20", "1,234568E7  inH20",
                                                       "250,125", "-2,5", "100", "", "inH20", "A", "", "29.02.2000"},
                                                      "1234 05 01"}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TMainWindowTest, ReadSendsCommandsZeroFourteenFifteenAndThirteen)
{
    TSimTransmitter& tx = AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().chbUseUSB->setChecked(true);
    w.Ui().acRead->trigger();
    ASSERT_TRUE(Dialogs->Errors().isEmpty());

    // Command 0 in a short frame to polling address 0, with six preambles, from
    // a primary master (the preference's default).
    const std::vector<uint8_t> command0 = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    const std::vector<uint8_t>& written = Line("COM1").Written();
    ASSERT_GE(written.size(), command0.size());
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 11), command0);

    std::vector<int> commands;
    for (const TSimRequest& request : tx.Requests()) {
        commands.push_back(request.Command);
        EXPECT_EQ(request.LongFrame, request.Command != 0);
        EXPECT_EQ(request.ResponseCode, 0);
    }
    EXPECT_EQ(commands, (std::vector<int> {0, 14, 15, 13}));
}

TEST_F(TMainWindowTest, AfterAReadSaveDatalogUnlocksTheDatalogControls)
{
    AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    w.Ui().tbnMain->setCurrentIndex(1);
    const std::vector<QWidget*> datalog = {w.Ui().tbtnStartDatalog, w.Ui().tbtnStopDatalog, w.Ui().edStorageCap,
                                           w.Ui().lblCapacity,      w.Ui().edRate,          w.Ui().lblRate};
    for (QWidget* control : datalog)
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    w.Ui().chbSaveDatalog->click();
    for (QWidget* control : datalog)
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(w.Ui().edStorageCap->text(), "");
    EXPECT_EQ(w.Ui().edRate->text(), "1");
    w.Ui().edStorageCap->setText("50");
    w.Ui().chbSaveDatalog->click();
    for (QWidget* control : datalog)
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(w.Ui().edStorageCap->text(), "");
}

TEST_F(TMainWindowTest, VoltageLabellingShowsVAsTheCurrentUnit)
{
    AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().mmiVoltLine->setChecked(true);
    w.Ui().acRead->trigger();
    EXPECT_EQ(w.Ui().lblCurrentUnit->text(), "V");
}

TEST_F(TMainWindowTest, ANeverSetDeviceDateLeavesTheDateEmptyAndCompletesTheRead)
{
    TSimDeviceState state;
    state.Day = 0;
    state.Month = 0;
    state.Year = 1900;
    AddTransmitter("COM1", state);
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    EXPECT_TRUE(ApplicationErrors.isEmpty()) << ApplicationErrors.join("; ").toStdString();
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
    EXPECT_EQ(w.Ui().medDate->text(), "..");  // the mask's separators only
    EXPECT_EQ(w.Ui().edTag->text(), "PT-101");
    EXPECT_TRUE(w.Ui().tbtnSet->isEnabled());
    EXPECT_TRUE(w.Ui().tbtnSave->isEnabled());
    EXPECT_EQ(w.StatusText(1), Text("infReadAddInfo"));
    const QStringList log = LogMessages();
    EXPECT_TRUE(log.contains("ReadTDD: the device's date is no valid date (day 0, month 0, year 1900)"));
    EXPECT_TRUE(log.contains("ReadTDD: PT-101  ; SIMULATED PT    ;  "));
}

// --- failures ---------------------------------------------------------------------------

struct TReadFailureCase {
    const char* Name;
    int Language;
    int FailingAnswer;  // 0: command 0, 2: command 15; -1: the port is in use
    TSimFault Fault;
    QString Key;
};

// Test names list the case by its name.
inline void PrintTo(const TReadFailureCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class TReadFailureTest : public TMainWindowTest, public ::testing::WithParamInterface<TReadFailureCase> {};

TEST_P(TReadFailureTest, ShowsAndLogsTheTranslatedTextAndKeepsSetAndSaveDisabled)
{
    const TReadFailureCase& c = GetParam();
    if (c.Language == 1)
        QLocale::setDefault(QLocale(QLocale::German));
    TSimTransmitter& tx = AddTransmitter("COM1");
    for (int i = 0; i < c.FailingAnswer; ++i)
        tx.QueueFault({});
    if (c.FailingAnswer >= 0)
        tx.QueueFault(c.Fault);
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    if (c.FailingAnswer < 0) {
        ASSERT_EQ(Line("COM1").Open("COM1"), TSerialOpenResult::Ok);
    }

    w.Ui().acRead->trigger();

    const QString text = Text(c.Key, c.Language);
    ASSERT_NE(text, "n.d.");
    EXPECT_EQ(Dialogs->Errors(), QStringList {text});
    EXPECT_EQ(LogMessages().last(), text);
    EXPECT_TRUE(ApplicationErrors.isEmpty());
    EXPECT_FALSE(w.Ui().tbtnSet->isEnabled());
    EXPECT_FALSE(w.Ui().tbtnSave->isEnabled());
    EXPECT_FALSE(w.Ui().chbSaveDatalog->isEnabled());
    EXPECT_FALSE(w.Ui().cmbSensorType->isEnabled());
    EXPECT_EQ(w.Ui().edUpperRange->text(), "");
    EXPECT_EQ(w.Ui().edTag->text(), "");
    if (c.FailingAnswer == 2) {
        // Identity and limits were read before the failing command.
        EXPECT_EQ(w.Ui().edManufacturer->text(), "Norvane");
        EXPECT_EQ(w.Ui().edUpperLimit->text(), "40 bar");
        EXPECT_EQ(w.StatusText(1), Text("infReadUniqueIdent", c.Language));
    } else {
        EXPECT_EQ(w.Ui().edManufacturer->text(), "");
        EXPECT_EQ(w.Ui().edSerialNr->text(), "");
        EXPECT_EQ(w.Ui().edRevLevelComm->text(), "");
        EXPECT_EQ(w.StatusText(1), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, TReadFailureTest,
    ::testing::Values(TReadFailureCase {"NoAnswer", 0, 0, NoAnswer(), "141.TRANSMITTERTIMEOUT"},
                      TReadFailureCase {"NoAnswerGerman", 1, 0, NoAnswer(), "141.TRANSMITTERTIMEOUT"},
                      TReadFailureCase {"AccessRestricted", 0, 0, ResponseCode(16), "19.ACCESSRESTRICTED"},
                      TReadFailureCase {"CommErrorSummary", 0, 0, CommErrorSummary(0x90), "130.FRAMING"},
                      TReadFailureCase {"OutputInfoRefused", 0, 2, ResponseCode(6), "7.TRANSSPEC"},
                      TReadFailureCase {"PortInUse", 0, -1, TSimFault(), "133.PORTALREADYUSED"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TMainWindowTest, ASecondReadReusesThePortLeftOpen)
{
    TSimTransmitter& tx = AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    Line("COM1").ClearEvents();
    w.Ui().acRead->trigger();
    ASSERT_TRUE(w.Hart().PortOpen());
    // The first read reset the port, then the link opened it.
    const int opened = Line("COM1").OpenCount();
    EXPECT_EQ(Line("COM1").EventTrace(true).rfind("OPEN LINE DTR- RTS- CLOSE OPEN", 0), 0u)
        << Line("COM1").EventTrace(true);

    tx.MutableState().Tag = "PT-202";
    Line("COM1").ClearEvents();
    w.Ui().acRead->trigger();
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
    EXPECT_EQ(Line("COM1").OpenCount(), opened);
    EXPECT_EQ(Line("COM1").EventTrace(true).find("OPEN"), std::string::npos);
    EXPECT_EQ(w.Ui().edTag->text(), "PT-202");
    EXPECT_EQ(tx.Requests().size(), 8u);
}
