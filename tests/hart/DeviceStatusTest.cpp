// The status decoder: device status bits and command 48's bytes to words and
// the NE 107 class, as one table.

#include "hart/DeviceStatus.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceStatus, BitsAndAdditionalBytesToWordsAndClass)
{
    struct TCase {
        const char* Name;
        uint8_t Status;
        std::vector<uint8_t> Additional;
        const char* DeviceWords;
        const char* AdditionalWords;
        TNe107Class Class;
    };
    const std::vector<TCase> cases = {
        {"nothing set", 0x00, {}, "none", "none", TNe107Class::Good},
        {"every device bit",
         0xFF,
         {},
         "device malfunction, configuration changed, cold start, more status available, "
         "loop current fixed, loop current saturated, non-primary variable out of limits, primary variable out of "
         "limits",
         "none",
         TNe107Class::Failure},
        {"configuration changed and more status say nothing of the measurement",
         0x50,
         {},
         "configuration changed, "
         "more status available",
         "none",
         TNe107Class::Good},
        {"cold start", 0x20, {}, "cold start", "none", TNe107Class::FunctionCheck},
        {"fixed current beats PV out of limits",
         0x09,
         {},
         "loop current fixed, primary variable out of limits",
         "none",
         TNe107Class::FunctionCheck},
        {"saturated", 0x04, {}, "loop current saturated", "none", TNe107Class::OutOfSpecification},
        {"non-primary out of limits",
         0x02,
         {},
         "non-primary variable out of limits",
         "none",
         TNe107Class::OutOfSpecification},
        {"HART 5: six device-specific bytes",
         0x10,
         {0x00, 0x80, 0x00, 0x00, 0x00, 0x01},
         "more status available",
         "status byte 1 bit 7, status byte 5 bit 0",
         TNe107Class::Good},
        {"shorter than six bytes", 0x10, {0x04}, "more status available", "status byte 0 bit 2", TNe107Class::Good},
        {"maintenance required",
         0x10,
         {0, 0, 0, 0, 0, 0, 0x01},
         "more status available",
         "maintenance required",
         TNe107Class::MaintenanceRequired},
        {"device variable alert",
         0x10,
         {0, 0, 0, 0, 0, 0, 0x02},
         "more status available",
         "device variable alert",
         TNe107Class::OutOfSpecification},
        {"critical power failure beats cold start",
         0x30,
         {0, 0, 0, 0, 0, 0, 0x05},
         "cold start, more status "
         "available",
         "maintenance required, critical power failure",
         TNe107Class::Failure},
        {"unnamed bit of byte 6",
         0x10,
         {0, 0, 0, 0, 0, 0, 0x80},
         "more status available",
         "status byte 6 bit 7",
         TNe107Class::Good},
        {"HART 7: standardized status, channels, device-specific from byte 14",
         0x10,
         {0, 0, 0, 0, 0, 0, 0, 0x01, 0x42, 0x10, 0x05, 0, 0x01, 0x02, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01},
         "more status available",
         "status byte 7 bit 0, non-volatile memory defect, electronic defect, status byte 9 bit 4, analog channel 1 "
         "saturated, analog channel 3 saturated, status byte 12 bit 0, analog channel 2 fixed, status byte 14 bit 5, "
         "status byte 24 bit 0",
         TNe107Class::Good},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DeviceStatus::EnglishList(DeviceStatus::DeviceStatusWords(c.Status)), c.DeviceWords);
        EXPECT_EQ(DeviceStatus::EnglishList(DeviceStatus::AdditionalStatusWords(c.Additional)), c.AdditionalWords);
        EXPECT_EQ(DeviceStatus::Classify(c.Status, c.Additional), c.Class);
    }
}

TEST(DeviceStatus, WriteProtectCodesAndClassNames)
{
    EXPECT_EQ(DeviceStatus::WriteProtectWord(0).Text, "not write-protected");
    EXPECT_EQ(DeviceStatus::WriteProtectWord(1).Text, "write-protected");
    EXPECT_EQ(DeviceStatus::WriteProtectWord(250).Text, "write protection not used");
    const TStatusWord other = DeviceStatus::WriteProtectWord(7);
    EXPECT_EQ(other.Key, "WP.CODE");
    EXPECT_EQ(other.Text, "write-protect code 7");
    EXPECT_EQ(other.Args, std::vector<int> {7});
    EXPECT_STREQ(DeviceStatus::Ne107Name(TNe107Class::OutOfSpecification).Text, "Out of specification");
}

}  // namespace
