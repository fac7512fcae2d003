// Port names as both front ends pass them on, read once in the port layer.

#include "ports/PortNames.h"

#include <gtest/gtest.h>

namespace {

TEST(PosixSerialDevice, PortNames)
{
    struct TCase {
        const char* Name;
        const char* Path;
    } Cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM12:", "/dev/ttyS11"},
        {"\\\\.\\COM3", "/dev/ttyS2"},
        {"com2", "/dev/ttyS1"},
        {"/dev/pts/7", "/dev/pts/7"},
        {"COM0", ""},
        {"COM", ""},
        {"LPT1", ""},
        {"COMx", ""},
        {"ttyUSB0", ""},
        {"COM1:x", ""},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(PosixSerialDevicePath(C.Name), C.Path) << C.Name;
}

TEST(PortNames, HartIpAddresses)
{
    struct TCase {
        const char* Name;
        bool HartIp;
        const char* Host;
        unsigned Port;
        bool Udp;
    } Cases[] = {
        {"hartip://192.168.1.20", true, "192.168.1.20", 5094, false},
        {"HARTIP://gateway.plant:20004/", true, "gateway.plant", 20004, false},
        {"hartip+udp://127.0.0.1:5095", true, "127.0.0.1", 5095, true},
        {"hartip://[fe80::1]:5094", true, "fe80::1", 5094, false},
        {"hartip://[::1]", true, "::1", 5094, false},
        {"hartip://", false, "", 0, false},
        {"hartip://host:", false, "", 0, false},
        {"hartip://host:0", false, "", 0, false},
        {"hartip://host:65536", false, "", 0, false},
        {"hartip://host:50x", false, "", 0, false},
        {"hartip://a b", false, "", 0, false},
        {"hartip://[::1", false, "", 0, false},
        {"hartip://user@host", false, "", 0, false},
        {"hartip+tcp://host", false, "", 0, false},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        const TPortName Port = ParsePortName(C.Name);
        EXPECT_EQ(Port.Kind == TPortName::HartIp, C.HartIp);
        EXPECT_EQ(Port.Host, C.Host);
        EXPECT_EQ(Port.NetPort, C.Port);
        EXPECT_EQ(Port.Udp, C.Udp);
        // No serial port is ever opened for a network name.
        EXPECT_EQ(PosixSerialDevicePath(C.Name), "");
    }
}

}  // namespace
