// Port names and device paths, the port list, changing the port, the line rules
// of "Use USB" and the sensor type as seen on the simulated line, and the demo port.

#include "MainWindowFixture.h"

#include "app/ConvertError.h"
#include "app/PortComboBox.h"
#include "hart/HartCommand.h"
#include "sim/SimHartIpServer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <regex>
#include <thread>

namespace {

// Time from the link's opening of the line to its first write, in microseconds.
int64_t OpenToFirstWriteUs(const TSimSerialDevice& Line)
{
    int64_t opened = -1;
    for (const TSimEvent& event : Line.Events()) {
        if (event.Kind == TSimEventKind::Open)
            opened = event.Us;
        if (event.Kind == TSimEventKind::Write && opened >= 0)
            return event.Us - opened;
    }
    return -1;
}

}  // namespace

struct TDevicePathCase {
    QString Name;
    QString Path;
};

inline void PrintTo(const TDevicePathCase& Case, std::ostream* Out)
{
    *Out << Case.Name.toStdString();
}

class TDevicePathTest : public TMainWindowTest, public ::testing::WithParamInterface<TDevicePathCase> {};

TEST_P(TDevicePathTest, FormsThePathToOpen)
{
    AddTransmitter("SIM");
    TfrmMain& w = Create();
    EXPECT_EQ(w.DevicePath(GetParam().Name), GetParam().Path);
}

const TDevicePathCase DevicePathCases[] = {
    {"COM5:", "COM5:"},
    {"COM5", "COM5"},
    {"COM9", "COM9"},
    {"COM12", "\\\\.\\COM12"},
    {"COM12:", "\\\\.\\COM12"},
    {"COM40", "\\\\.\\COM40"},
    {"COM123", "\\\\.\\COM12"},  // the first five characters of the name
#ifndef _WIN32
    {"/dev/ttyUSB0", "/dev/ttyUSB0"},  // a path, on POSIX systems only
#endif
    {"SIM", "SIM"},  // served by the factory under this name
};

INSTANTIATE_TEST_SUITE_P(Names, TDevicePathTest, ::testing::ValuesIn(DevicePathCases));

TEST_F(TMainWindowTest, DevicePathOfANameWithoutNumberIsAConversionError)
{
    TfrmMain& w = Create();
    for (const QString name : {"COMX", "USB", "", "COM1a:", "SIM", "COM5 ", "COM 5", "COM$A", "COM0x1F", "COM1.5",
#ifdef _WIN32
                               "/dev/ttyUSB0",
#endif
                               "COM99999999999"})
        EXPECT_THROW(w.DevicePath(name), EConvertError) << name.toStdString();
}

TEST_F(TMainWindowTest, ReadOnAPortNameWithoutNumberReachesTheDefaultErrorDisplayBeforeSending)
{
    AddTransmitter("COM2");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setEditText("PORTA");
    w.Ui().acRead->trigger();
    ASSERT_EQ(ApplicationErrors.size(), 1);
    EXPECT_TRUE(ApplicationErrors[0].contains("is not a valid integer value"));
    EXPECT_TRUE(Line("COM2").Written().empty());
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
    EXPECT_FALSE(w.Ui().tbtnSet->isEnabled());
}

TEST_F(TMainWindowTest, DropDownRebuildsTheListWithoutThePortHeldByTheLink)
{
    AddTransmitter("COM2");
    TfrmMain& w = Start();
    AddTransmitter("COM5");  // plugged in after the start
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    ASSERT_TRUE(w.Hart().PortOpen());
    w.Ui().cmbPort->showPopup();
    w.Ui().cmbPort->hidePopup();
    EXPECT_EQ(w.Ui().cmbPort->count(), 1);
    EXPECT_EQ(w.Ui().cmbPort->itemText(0), "COM5");
    EXPECT_EQ(w.Ui().cmbPort->currentText(), "COM2");  // the chosen text stays
    EXPECT_TRUE(w.Hart().PortOpen());  // dropping down is no change of port
}

TEST_F(TMainWindowTest, ChangingThePortClosesItAndEnablesTheSensorType)
{
    AddTransmitter("COM3");
    AddTransmitter("COM12");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    ASSERT_TRUE(Line("COM3").IsOpen());
    ASSERT_TRUE(Line("COM3").Dtr());
    EXPECT_FALSE(w.Ui().cmbSensorType->isEnabled());

    // The operator chooses COM12 from the list.
    w.Ui().cmbPort->setCurrentIndex(1);
    emit w.Ui().cmbPort->activated(1);
    EXPECT_FALSE(w.Hart().PortOpen());
    EXPECT_FALSE(Line("COM3").IsOpen());
    EXPECT_FALSE(Line("COM3").Dtr());  // lowered by the close
    EXPECT_TRUE(w.Ui().cmbSensorType->isEnabled());
    EXPECT_EQ(w.Hart().CommPort(), Com1);  // only COM1 to COM8 are followed
    // A port numbered 10 or more is opened by its device path.
    w.Ui().acRead->trigger();
    EXPECT_EQ(Line("COM12").OpenedName(), "\\\\.\\COM12");
    EXPECT_EQ(w.Ui().edManufacturer->text(), "Norvane");

    // Typing a name is a change as well.
    w.Ui().cmbPort->lineEdit()->clear();
    w.Ui().cmbSensorType->setEnabled(false);
    QTest::keyClicks(w.Ui().cmbPort->lineEdit(), "COM7");
    EXPECT_TRUE(w.Ui().cmbSensorType->isEnabled());
    EXPECT_EQ(w.Hart().CommPort(), Com7);
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
}

// --- line rules -------------------------------------------------------------------------

struct TLineRuleCase {
    const char* Name;
    bool UseUsb;
    int SensorType;  // 0 HART, 1 Orsa / Quill
    bool UseRTS;  // the link's setting after the read
    bool RtsIdle;  // RTS after the read
    bool RtsToggled;  // RTS raised around each request
    bool Waited;  // 200 ms between opening and the first request
};

// Test names list the case by its name.
inline void PrintTo(const TLineRuleCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class TLineRuleTest : public TMainWindowTest, public ::testing::WithParamInterface<TLineRuleCase> {};

TEST_P(TLineRuleTest, SetsRtsAsTheSensorTypeAndUsbAsk)
{
    const TLineRuleCase& c = GetParam();
    AddTransmitter("COM4");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().chbUseUSB->setChecked(c.UseUsb);
    w.Ui().cmbSensorType->setCurrentIndex(c.SensorType);
    Line("COM4").ClearEvents();
    w.Ui().acRead->trigger();
    ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join("; ").toStdString();
    ASSERT_TRUE(w.Ui().tbtnSet->isEnabled());

    EXPECT_EQ(w.Hart().UseRTS(), c.UseRTS);
    EXPECT_EQ(Line("COM4").Rts(), c.RtsIdle);
    const std::string trace = Line("COM4").EventTrace();
    // With RTS switched by the link, each write is followed by RTS going down.
    EXPECT_EQ(std::regex_search(trace, std::regex("W[0-9]+ RTS-")), c.RtsToggled) << trace;
    const int64_t wait = OpenToFirstWriteUs(Line("COM4"));
    if (c.Waited)
        EXPECT_GE(wait, 200000);
    else
        EXPECT_LT(wait, 200000);
}

INSTANTIATE_TEST_SUITE_P(Rules, TLineRuleTest,
                         ::testing::Values(TLineRuleCase {"UsbHart", true, 0, false, true, false, false},
                                           TLineRuleCase {"UsbOrsaQuill", true, 1, false, false, false, false},
                                           TLineRuleCase {"ModemHart", false, 0, true, false, true, true},
                                           TLineRuleCase {"PlainOrsaQuill", false, 1, false, false, false, false}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TMainWindowTest, OrsaQuillWithoutUsbKeepsTheRtsHandlingOfAnEarlierHartRead)
{
    AddTransmitter("COM1");
    AddTransmitter("COM2");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().cmbSensorType->setCurrentIndex(0);
    w.Ui().acRead->trigger();
    ASSERT_TRUE(w.Hart().UseRTS());

    w.Ui().cmbPort->setCurrentIndex(1);
    emit w.Ui().cmbPort->activated(1);
    w.Ui().cmbSensorType->setCurrentIndex(1);
    w.Ui().acRead->trigger();
    ASSERT_TRUE(Dialogs->Errors().isEmpty());
    EXPECT_TRUE(w.Hart().UseRTS());
    EXPECT_TRUE(std::regex_search(Line("COM2").EventTrace(), std::regex("RTS\\+ PURGE W[0-9]+ RTS-")))
        << Line("COM2").EventTrace();
}

// --- the demo port ------------------------------------------------------------------------

TEST_F(TMainWindowTest, ASimulatedPortWithoutNumberStandsAfterTheComPortsAndIsRead)
{
    AddTransmitter("SIM");
    AddTransmitter("COM2");
    TfrmMain& w = Start();
    ASSERT_EQ(w.Ui().cmbPort->count(), 2);
    EXPECT_EQ(w.Ui().cmbPort->itemText(0), "COM2");
    EXPECT_EQ(w.Ui().cmbPort->itemText(1), "SIM");
    w.Ui().cmbPort->setCurrentIndex(1);
    w.Ui().acRead->trigger();
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
    EXPECT_EQ(w.Ui().edManufacturer->text(), "Norvane");
    EXPECT_EQ(Line("SIM").OpenedName(), "SIM");
}

TEST(TDemoSerialDeviceFactoryTest, ServesOneTransmitterAtTheTrueLinePaceAsTheLastPort)
{
    TDemoSerialDeviceFactory factory;
    const std::vector<std::string> ports = factory.AdapterPorts();
    ASSERT_FALSE(ports.empty());
    EXPECT_EQ(ports.back(), "SIM");
    EXPECT_TRUE(factory.IsVirtualPort("SIM"));
    EXPECT_FALSE(factory.IsVirtualPort("COM1"));

    THart hart(std::make_unique<TFactorySerialDevice>(factory));
    ASSERT_TRUE(hart.OpenPort("SIM"));
    // The port is held: a second opener is refused, as by a real port.
    EXPECT_EQ(factory.CreateDevice("SIM")->Open("SIM"), TSerialOpenResult::AccessDenied);

    QElapsedTimer clock;
    clock.start();
    THartDevInfo info;
    hart.ReadUniqueIdentifier(info);
    // About 40 characters of 11 bits at 1200 baud go over the line.
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_EQ(info.Manufacturer, "Norvane");
    EXPECT_TRUE(hart.ClosePort());
    EXPECT_EQ(factory.CreateDevice("SIM")->Open("SIM"), TSerialOpenResult::Ok);
}

TEST_F(TMainWindowTest, ReadsAndWritesOverHartIpTcpAndUdp)
{
    TSimTransmitter tx;
    TSimHartIpServer server(tx, 0);
    std::thread serving([&] { server.Run(); });
    TfrmMain& w = Start();
    for (const char* scheme : {"hartip://", "hartip+udp://"}) {
        SCOPED_TRACE(scheme);
        w.Ui().cmbPort->setEditText(QString::fromLatin1(scheme) + "127.0.0.1:" + QString::number(server.Port()));
        w.Ui().acRead->trigger();
        EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join("; ").toStdString();
        EXPECT_TRUE(ApplicationErrors.isEmpty()) << ApplicationErrors.join("; ").toStdString();
        EXPECT_TRUE(w.Hart().NetworkLink());
        EXPECT_EQ(w.Ui().edDesc->text(), "SIMULATED PT");
        const QString tag = scheme[6] == '+' ? "NETW-UDP" : "NETW-TCP";
        w.Ui().edTag->setText(tag);
        w.Ui().acSet->trigger();
        EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join("; ").toStdString();
        EXPECT_EQ(server.WithTransmitter([](TSimTransmitter& t) { return t.State().Tag; }), tag.toStdString());
    }
    w.Hart().ClosePort();
    server.Stop();
    serving.join();
}
