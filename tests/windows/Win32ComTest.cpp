// THart over the real Win32 serial device, under Wine, against the simulated
// transmitter that scripts/wine-com-test serves on a pseudo-terminal linked as
// COM5 and COM12 of the Wine prefix.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "hart/HartCommand.h"
#include "hart/Win32SerialDevice.h"

namespace {

// Wine drives RTS and DTR with modem-line calls that a pseudo-terminal does
// not have, and EscapeCommFunction answers ERROR_NOT_SUPPORTED there. This
// device takes exactly that answer as done and records each request; every
// other failure stays a failure, and every other call is the real one.
class TWineComDevice : public TWin32SerialDevice {
public:
    bool SetRts(bool Raised) override { return Record(TWin32SerialDevice::SetRts(Raised), Raised ? "RTS+" : "RTS-"); }
    bool SetDtr(bool Raised) override { return Record(TWin32SerialDevice::SetDtr(Raised), Raised ? "DTR+" : "DTR-"); }
    std::string Lines;

private:
    bool Record(bool Done, const char* Line)
    {
        if (!Done && GetLastError() != ERROR_NOT_SUPPORTED)
            return false;
        Lines += Lines.empty() ? Line : std::string(" ") + Line;
        return true;
    }
};

// Wine refuses to set odd parity on a pseudo-terminal a second time
// (SetCommState fails with ERROR_INVALID_PARAMETER) until some other parity
// was set in between. A Windows port takes the same settings again, so before
// each open the test sets no parity on the terminal with a handle of its own.
void ForgetParity(const char* Name)
{
    const HANDLE Port = CreateFileA(Name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (Port == INVALID_HANDLE_VALUE)
        return;
    DCB Dcb {};
    Dcb.DCBlength = sizeof Dcb;
    if (GetCommState(Port, &Dcb)) {
        Dcb.Parity = NOPARITY;
        Dcb.fParity = FALSE;
        SetCommState(Port, &Dcb);
    }
    CloseHandle(Port);
}

struct TComLink {
    TWineComDevice* Device = nullptr;
    std::unique_ptr<THart> Hart;
    TComLink()
    {
        auto D = std::make_unique<TWineComDevice>();
        Device = D.get();
        Hart = std::make_unique<THart>(std::move(D));
    }
    bool Open(const char* Name)
    {
        ForgetParity(Name);
        return Hart->OpenPort(Name);
    }
};

std::string KeyOf(const std::function<void()>& Call)
{
    try {
        Call();
        return "";
    } catch (const EHartComError& E) {
        return E.what();
    }
}

bool UnderWine()
{
    const HMODULE Ntdll = GetModuleHandleA("ntdll.dll");
    return Ntdll && GetProcAddress(Ntdll, "wine_get_version");
}

TEST(Win32Com, ReadSequenceOnCom5)
{
    TComLink L;
    ASSERT_TRUE(L.Open("COM5"));
    EXPECT_NE(L.Hart->CommDevice(), THartCom::InvalidHandle);
    EXPECT_EQ(L.Hart->PlatformId(), SerialPlatformWinNT);
    EXPECT_EQ(L.Device->Lines, "RTS- DTR+");  // a plain RS-232 line: RTS low, DTR high

    THartDevInfo Info;
    L.Hart->ReadUniqueIdentifier(Info);
    EXPECT_EQ(L.Hart->Response.RequestText, "FFFFFFFFFFFF0200000002");
    EXPECT_EQ(Info.Manufacturer, "Norvane");
    EXPECT_EQ(Info.DeviceType, "Quill 20");
    EXPECT_EQ(Info.SerialNr, "1234567");

    TSensorInfo Sensor;
    L.Hart->ReadSensorInfo(Sensor);
    EXPECT_EQ(Sensor.Unit, "bar");
    EXPECT_EQ(Sensor.UpperLimit, 40.0f);
    EXPECT_EQ(Sensor.LowerLimit, -1.0f);

    TPrVarInfo Output;
    L.Hart->ReadPrVarInfo(Output);
    EXPECT_EQ(Output.UpperRange, 10.0f);
    EXPECT_EQ(Output.LowerRange, 0.0f);
    EXPECT_EQ(Output.Damping, 0.4f);

    std::string Tag, Descriptor;
    uint8_t Day = 0, Month = 0;
    uint16_t Year = 0;
    L.Hart->ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
    EXPECT_EQ(Tag, "PT-101  ");
    EXPECT_EQ(Descriptor, "SIMULATED PT    ");
    EXPECT_EQ(Day, 15);
    EXPECT_EQ(Month, 6);
    EXPECT_EQ(Year, 2024);

    float Current = 0, PV = 0;
    std::string Unit;
    L.Hart->ReadDynamicVariables(Current, Unit, PV);
    EXPECT_EQ(Unit, "bar");
    EXPECT_GE(Current, 3.8f);
    EXPECT_LE(Current, 20.5f);

    EXPECT_TRUE(L.Hart->ClosePort());
    EXPECT_EQ(L.Device->Lines, "RTS- DTR+ DTR-");
    EXPECT_EQ(L.Hart->CommDevice(), THartCom::InvalidHandle);
}

// A frame for another device gets no answer: the port's read time-outs end
// each read with a short count, which is a time-out and not a failed port.
TEST(Win32Com, NoAnswerIsATimeOut)
{
    TComLink L;
    L.Hart->SetTimeOut(50);
    ASSERT_TRUE(L.Open("COM5"));
    const uint8_t Stranger[5] = {0x01, 0x02, 0x03, 0x04, 0x05};
    L.Hart->SetLongAddress(Stranger);
    L.Hart->SetLongAddressValid(true);
    const auto Begin = std::chrono::steady_clock::now();
    float Current = 0, PV = 0;
    std::string Unit;
    EXPECT_EQ(KeyOf([&] { L.Hart->ReadDynamicVariables(Current, Unit, PV); }), "141.TRANSMITTERTIMEOUT");
    // Four reads of one byte, each given up after 10 ms + TimeOut.
    EXPECT_GE(std::chrono::steady_clock::now() - Begin, std::chrono::milliseconds(4 * 60 - 20));
    EXPECT_TRUE(L.Hart->PortOpen());
}

TEST(Win32Com, PortNames)
{
    const struct {
        const char* Name;
        const char* Key;  // empty: opens and answers command 0
    } Cases[] = {
        {"COM5", ""},
        {"\\\\.\\COM5", ""},
        {"\\\\.\\COM12", ""},  // two-digit ports only by their device name
        {"COM9", "134.INVALIDPORT"},
        {"\\\\.\\COM40", "134.INVALIDPORT"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TComLink L;
        EXPECT_EQ(KeyOf([&] {
                      L.Open(C.Name);
                      THartDevInfo Info;
                      L.Hart->ReadUniqueIdentifier(Info);
                  }),
                  C.Key);
        EXPECT_EQ(L.Hart->PortOpen(), C.Key[0] == 0);
    }
}

TEST(Win32Com, PortInUse)
{
    TComLink First;
    ASSERT_TRUE(First.Open("COM5"));
    TComLink Second;
    const std::string Key = KeyOf([&] { Second.Open("COM5"); });
    if (UnderWine() && Key.empty())
        GTEST_SKIP() << "Wine opens a serial device any number of times; Windows refuses the second";
    EXPECT_EQ(Key, "133.PORTALREADYUSED");
    EXPECT_FALSE(Second.Hart->PortOpen());
    // The first holder is undisturbed.
    THartDevInfo Info;
    First.Hart->ReadUniqueIdentifier(Info);
    EXPECT_EQ(Info.Manufacturer, "Norvane");
}

}  // namespace
