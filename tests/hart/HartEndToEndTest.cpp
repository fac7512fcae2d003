// THart over the real POSIX serial device against the simulated transmitter on
// a pseudo-terminal: the transmitter served in a thread (instant pace, so the
// suite stays fast), and once the hart-sim program itself at 1200-baud pace.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "hart/HartCommand.h"
#include "hart/PosixSerialDevice.h"
#include "sim/SimPtyServer.h"
#include "sim/SimTransmitter.h"

extern char** environ;

namespace {

std::string KeyOf(const std::function<void()>& Call)
{
    try {
        Call();
        return "";
    } catch (const EHartComError& E) {
        return E.what();
    }
}

class THartOnPty : public ::testing::Test {
protected:
    void Start(const TSimDeviceState& State = {}, const TSimSignal& Signal = {})
    {
        Transmitter = std::make_unique<TSimTransmitter>(State, Signal);
        Server = std::make_unique<TSimPtyServer>(*Transmitter);
        Thread = std::thread([this] { Server->Run(); });
        Hart = std::make_unique<THart>(std::make_unique<TPosixSerialDevice>());
        ASSERT_TRUE(Hart->OpenPort(Server->SlavePath()));
        THartDevInfo Info;
        Hart->ReadUniqueIdentifier(Info);
    }
    void TearDown() override
    {
        Hart.reset();
        if (Server) {
            Server->Stop();
            Thread.join();
        }
    }
    template <class F> void WithTransmitter(F&& Fn)
    {
        Server->WithTransmitter([&](TSimTransmitter& T) {
            Fn(T);
            return 0;
        });
    }

    std::unique_ptr<TSimTransmitter> Transmitter;
    std::unique_ptr<TSimPtyServer> Server;
    std::thread Thread;
    std::unique_ptr<THart> Hart;
};

TEST_F(THartOnPty, ReadSequenceOfTheWindow)
{
    Start();
    THartDevInfo Info;
    Hart->ReadUniqueIdentifier(Info);
    EXPECT_EQ(Info.Manufacturer, "Norvane");
    EXPECT_EQ(Info.DeviceType, "Quill 20");
    EXPECT_EQ(Info.SerialNr, "1234567");
    EXPECT_EQ(Info.SoftwareRev, "2.1");
    EXPECT_EQ(Info.UnivCmdRev, "5");
    EXPECT_EQ(Info.DeviceRev, "3");
    EXPECT_EQ(Info.HardwareRev, "4");
    EXPECT_EQ(Info.MinPreambles, 5);

    TSensorInfo Sensor;
    Hart->ReadSensorInfo(Sensor);
    EXPECT_EQ(Sensor.Unit, "bar");
    EXPECT_EQ(Sensor.UpperLimit, 40.0f);
    EXPECT_EQ(Sensor.LowerLimit, -1.0f);
    EXPECT_EQ(Sensor.MinSpan, 0.4f);

    TPrVarInfo Output;
    Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.Unit, "bar");
    EXPECT_EQ(Output.UpperRange, 10.0f);
    EXPECT_EQ(Output.LowerRange, 0.0f);
    EXPECT_EQ(Output.Damping, 0.4f);
    EXPECT_EQ(Output.WriteProtect, 0);
    EXPECT_EQ(Output.PrivateLabel, 185);

    std::string Tag, Descriptor;
    uint8_t Day = 0, Month = 0;
    uint16_t Year = 0;
    Hart->ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
    EXPECT_EQ(Tag, "PT-101  ");
    EXPECT_EQ(Descriptor, "SIMULATED PT    ");
    EXPECT_EQ(Day, 15);
    EXPECT_EQ(Month, 6);
    EXPECT_EQ(Year, 2024);
}

TEST_F(THartOnPty, WritesAreReadBack)
{
    Start();
    std::string Tag = "TI-7", Descriptor = "NEW DESCRIPTOR";
    uint8_t Day = 1, Month = 2;
    uint16_t Year = 2030;
    Hart->WriteTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
    EXPECT_EQ(Tag, "TI-7    ");
    std::string T, D;
    uint8_t d = 0, m = 0;
    uint16_t y = 0;
    Hart->ReadTagDescriptorDate(T, D, d, m, y);
    EXPECT_EQ(T, "TI-7    ");
    EXPECT_EQ(D, "NEW DESCRIPTOR  ");
    EXPECT_EQ(d, 1);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(y, 2030);

    float Damping = 2.5f;
    Hart->WriteDamping(Damping);
    EXPECT_EQ(Damping, 2.5f);
    TPrVarInfo Output;
    Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.Damping, 2.5f);

    std::string Unit = "kPa";
    float Upper = 500, Lower = 100;
    Hart->WriteRangeValues(Unit, Upper, Lower);
    Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.Unit, "kPa");
    EXPECT_EQ(Output.UpperRange, 500.0f);
    EXPECT_EQ(Output.LowerRange, 100.0f);

    // A new PV unit converts the range values and the limits.
    Unit = "psi";
    Hart->WritePVUnit(Unit);
    EXPECT_EQ(Unit, "psi");
    Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.Unit, "psi");
    EXPECT_NEAR(Output.UpperRange, 72.5189f, 1e-3);
    EXPECT_NEAR(Output.LowerRange, 14.5038f, 1e-3);
    TSensorInfo Sensor;
    Hart->ReadSensorInfo(Sensor);
    EXPECT_EQ(Sensor.Unit, "psi");
    EXPECT_NEAR(Sensor.UpperLimit, 580.151f, 1e-2);

    // Refusals come back with the command's keys and leave the device alone.
    Unit = "Bar";
    EXPECT_EQ(KeyOf([&] { Hart->WritePVUnit(Unit); }), "1.INVALIDSELECTION");
    Upper = 10, Lower = 0;
    EXPECT_EQ(KeyOf([&] { Hart->WriteRangeValues(Unit, Upper, Lower); }), "20.INVALIDUNIT");
    Unit = "bar";
    Upper = 0.2f;
    EXPECT_EQ(KeyOf([&] { Hart->WriteRangeValues(Unit, Upper, Lower); }), "18.SPANTOOSMAL");
    Damping = 100;
    EXPECT_EQ(KeyOf([&] { Hart->WriteDamping(Damping); }), "4.TOOLARGEPARAM");
    EXPECT_EQ(Damping, 100);
    Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.Unit, "psi");
    EXPECT_EQ(Output.Damping, 2.5f);
}

TEST_F(THartOnPty, TrimsTakeTheAppliedPressure)
{
    TSimDeviceState State;
    State.Damping = 0;
    TSimSignal Signal;
    Signal.Level = 6.0;
    Start(State, Signal);

    Hart->SetUpperRangeValue();
    TPrVarInfo Output;
    Hart->ReadPrVarInfo(Output);
    EXPECT_FLOAT_EQ(Output.UpperRange, 6.0f);
    EXPECT_FLOAT_EQ(Output.LowerRange, 0.0f);

    WithTransmitter([](TSimTransmitter& T) {
        TSimSignal S = T.Signal();
        S.Level = 1.0;
        T.SetSignal(S);
    });
    Hart->SetLowerRangeValue();  // keeps the span
    Hart->ReadPrVarInfo(Output);
    EXPECT_FLOAT_EQ(Output.LowerRange, 1.0f);
    EXPECT_FLOAT_EQ(Output.UpperRange, 7.0f);

    WithTransmitter([](TSimTransmitter& T) {
        TSimSignal S = T.Signal();
        S.Level = 0.5;
        T.SetSignal(S);
    });
    Hart->SetPVZero();
    float Current = 0, PV = 1;
    std::string Unit;
    Hart->ReadDynamicVariables(Current, Unit, PV);
    EXPECT_NEAR(PV, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(Current, 3.8f);  // below the lower range value: saturated

    // Pressure beyond the limits is refused.
    WithTransmitter([](TSimTransmitter& T) {
        TSimSignal S = T.Signal();
        S.Level = 45;
        T.SetSignal(S);
    });
    EXPECT_EQ(KeyOf([&] { Hart->SetUpperRangeValue(); }), "9.PROCTOOHIGH");
    EXPECT_EQ(KeyOf([&] { Hart->SetPVZero(); }), "9.PROCTOOHIGH");
    WithTransmitter([](TSimTransmitter& T) {
        TSimSignal S = T.Signal();
        S.Level = -3;
        T.SetSignal(S);
    });
    EXPECT_EQ(KeyOf([&] { Hart->SetLowerRangeValue(); }), "11.PROCTOOLOW");
}

TEST_F(THartOnPty, DynamicVariablesFollowTheSignal)
{
    TSimDeviceState State;
    State.Damping = 0;
    TSimSignal Signal;
    Signal.Level = 2.5;
    Start(State, Signal);
    float Current = 0, PV = 0;
    std::string Unit;
    Hart->ReadDynamicVariables(Current, Unit, PV);
    EXPECT_EQ(Unit, "bar");
    EXPECT_FLOAT_EQ(PV, 2.5f);
    EXPECT_FLOAT_EQ(Current, 8.0f);
}

TEST_F(THartOnPty, WriteProtectedDeviceRefusesWrites)
{
    TSimDeviceState State;
    State.WriteProtected = true;
    Start(State);
    float Damping = 1.0f;
    EXPECT_EQ(KeyOf([&] { Hart->WriteDamping(Damping); }), "8.WRITEPROTECT");
    EXPECT_EQ(Hart->Response.ResponseMessage, "8.WRITEPROTECT");
    EXPECT_EQ(Damping, 1.0f);
    std::string Unit = "psi";
    EXPECT_EQ(KeyOf([&] { Hart->WritePVUnit(Unit); }), "8.WRITEPROTECT");
    TPrVarInfo Output;
    Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.WriteProtect, 1);
    EXPECT_EQ(Output.Damping, 0.4f);
    EXPECT_EQ(Output.Unit, "bar");
}

TEST_F(THartOnPty, ExclusiveUseEndsWithTheMaster)
{
    // The master takes the terminal exclusively; a later master that is not root
    // could not open it if the flag outlived the first one on the simulator's
    // long-lived terminal.
    Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const int Fd = open(Server->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);  // root passes
    ASSERT_GE(Fd, 0);
    int Exclusive = -1;
    ASSERT_EQ(ioctl(Fd, TIOCGEXCL, &Exclusive), 0);
    EXPECT_EQ(Exclusive, 0);
    close(Fd);
    // The port still serves the master that has it open.
    TPrVarInfo Output;
    Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.Unit, "bar");
}

#ifdef HART_SIM_PATH
// A child process that is stopped with SIGTERM when the test ends, also when an
// assertion ends it early.
struct TChild {
    pid_t Pid = 0;
    // Exit status after SIGTERM, or -1.
    int Stop()
    {
        if (Pid <= 0)
            return -1;
        kill(Pid, SIGTERM);
        int Status = 0;
        const pid_t Done = waitpid(Pid, &Status, 0);
        Pid = 0;
        return Done > 0 ? Status : -1;
    }
    ~TChild() { Stop(); }
};

// The program as a user starts it: a fixed link name, 1200-baud pace.
TEST(HartSimProgram, ServesAMasterThroughItsLink)
{
    namespace fs = std::filesystem;
    const fs::path Dir = fs::temp_directory_path() / ("hart-sim-test-" + std::to_string(getpid()));
    fs::create_directories(Dir);
    const std::string Link = (Dir / "ttyHART").string();

    std::string Program = HART_SIM_PATH;
    std::vector<std::string> Args
        = {Program,    "--link",   Link,      "--unit", "kPa",       "--range", "0:250",        "--limits", "-100:1000",
           "--signal", "constant", "--level", "62.5",   "--damping", "0",       "--turnaround", "5"};
    std::vector<char*> Argv;
    for (auto& A : Args)
        Argv.push_back(A.data());
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
    TChild Sim;
    ASSERT_EQ(posix_spawn(&Sim.Pid, Program.c_str(), &Actions, nullptr, Argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&Actions);

    for (int i = 0; i < 500 && !fs::is_symlink(Link); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::is_symlink(Link));

    {
        THart Hart(std::make_unique<TPosixSerialDevice>());
        ASSERT_TRUE(Hart.OpenPort(Link));
        const auto Begin = std::chrono::steady_clock::now();
        THartDevInfo Info;
        Hart.ReadUniqueIdentifier(Info);
        const auto Elapsed = std::chrono::steady_clock::now() - Begin;
        EXPECT_EQ(Info.Manufacturer, "Norvane");
        // 11 request and 19 reply bytes at 11 bits each and 1200 baud, plus the turnaround:
        // the answer cannot be faster than the wire.
        EXPECT_GE(Elapsed, std::chrono::microseconds(30 * 9167 + 5000));

        float Current = 0, PV = 0;
        std::string Unit;
        Hart.ReadDynamicVariables(Current, Unit, PV);
        EXPECT_EQ(Unit, "kPa");
        EXPECT_FLOAT_EQ(PV, 62.5f);
        EXPECT_FLOAT_EQ(Current, 8.0f);
    }

    const int Status = Sim.Stop();
    EXPECT_TRUE(Status >= 0 && WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Link))) << "the link outlived the program";
    fs::remove_all(Dir);
}
#endif

}  // namespace
