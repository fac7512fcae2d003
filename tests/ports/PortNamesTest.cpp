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

}  // namespace
