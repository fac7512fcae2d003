#pragma once
// The health of a field device in words: the device status byte that every
// reply carries (its second status byte), the bytes of command 48 (read
// additional device status), the write-protect code of command 15, and the
// NAMUR NE 107 class they add up to. One decoder for the window, the
// command-line tool and the frame trace. No Qt: each word is an English text
// with a language key; the front ends show the key's text from language.ini,
// the trace, JSON and the log the English text.

#include <cstdint>
#include <string>
#include <vector>

// A named bit of a status byte.
struct TStatusBitName {
    uint8_t Mask;
    const char* Key;
    const char* Text;
};

// The field device status bits, 0x80 first.
inline constexpr TStatusBitName DeviceStatusBits[] = {
    {0x80, "DS.MALFUNCTION", "device malfunction"},
    {0x40, "DS.CONFIGCHANGED", "configuration changed"},
    {0x20, "DS.COLDSTART", "cold start"},
    {0x10, "DS.MORESTATUS", "more status available"},
    {0x08, "DS.CURRENTFIXED", "loop current fixed"},
    {0x04, "DS.CURRENTSATURATED", "loop current saturated"},
    {0x02, "DS.NONPVOUTOFLIMITS", "non-primary variable out of limits"},
    {0x01, "DS.PVOUTOFLIMITS", "primary variable out of limits"},
};

inline constexpr uint8_t ConfigurationChangedBit = 0x40;
inline constexpr uint8_t ColdStartBit = 0x20;
inline constexpr uint8_t MoreStatusAvailableBit = 0x10;
inline constexpr uint8_t LoopCurrentFixedBit = 0x08;

// Command 48 byte 6, the extended device status.
inline constexpr TStatusBitName ExtendedStatusBits[] = {
    {0x01, "XS.MAINTENANCE", "maintenance required"},
    {0x02, "XS.VARIABLEALERT", "device variable alert"},
    {0x04, "XS.POWERFAILURE", "critical power failure"},
};

// Command 48 byte 8, standardized status 0.
inline constexpr TStatusBitName StandardizedStatus0Bits[] = {
    {0x01, "SS.SIMULATION", "simulation active"},
    {0x02, "SS.NONVOLATILEMEMORY", "non-volatile memory defect"},
    {0x04, "SS.VOLATILEMEMORY", "volatile memory defect"},
    {0x08, "SS.WATCHDOG", "watchdog reset executed"},
    {0x10, "SS.POWERSUPPLY", "power supply conditions out of range"},
    {0x20, "SS.ENVIRONMENT", "environmental conditions out of range"},
    {0x40, "SS.ELECTRONICS", "electronic defect"},
    {0x80, "SS.CONFIGLOCKED", "device configuration locked"},
};

// Bits of command 48 without a standard meaning, by byte and bit number; the
// key's text holds %1 (byte) and %2 (bit).
inline constexpr const char* StatusByteBitKey = "AS.BYTEBIT";
inline constexpr const char* StatusByteBitText = "status byte %1 bit %2";
// Bytes 10 and 13: one bit per analog channel (bit 0 is channel 1); %1 the channel.
inline constexpr const char* ChannelSaturatedKey = "AS.CHANNELSATURATED";
inline constexpr const char* ChannelSaturatedText = "analog channel %1 saturated";
inline constexpr const char* ChannelFixedKey = "AS.CHANNELFIXED";
inline constexpr const char* ChannelFixedText = "analog channel %1 fixed";

// The NE 107 classes, the least severe first.
enum class TNe107Class : uint8_t { Good, MaintenanceRequired, OutOfSpecification, FunctionCheck, Failure };

struct TNe107Name {
    TNe107Class Class;
    const char* Key;
    const char* Text;
    const char* Option;  // as --fail-on takes it
};
inline constexpr TNe107Name Ne107Names[] = {
    {TNe107Class::Good, "NE107.GOOD", "Good", "good"},
    {TNe107Class::MaintenanceRequired, "NE107.MAINTENANCE", "Maintenance required", "maintenance"},
    {TNe107Class::OutOfSpecification, "NE107.OUTOFSPEC", "Out of specification", "out-of-spec"},
    {TNe107Class::FunctionCheck, "NE107.FUNCTIONCHECK", "Function check", "function-check"},
    {TNe107Class::Failure, "NE107.FAILURE", "Failure", "failure"},
};

// The write-protect code of command 15 (0 no, 1 yes, 250 not used; anything
// else has no standard meaning and is shown as a number).
inline constexpr TStatusBitName WriteProtectCodes[] = {
    {0, "WP.NO", "not write-protected"},
    {1, "WP.YES", "write-protected"},
    {250, "WP.NOTUSED", "write protection not used"},
};
inline constexpr const char* WriteProtectOtherKey = "WP.CODE";
inline constexpr const char* WriteProtectOtherText = "write-protect code %1";

// One word of the status: its key, the English text, and the numbers its %1
// and %2 stand for (byte and bit of an unnamed bit, the write-protect code).
struct TStatusWord {
    std::string Key;
    std::string Text;
    std::vector<int> Args;
};

// Everything known about a device's health after one status read. A reply's
// device status is always there; command 48 and command 15 only when read.
struct TDeviceHealth {
    uint8_t DeviceStatus = 0;
    bool AdditionalRead = false;  // command 48 answered
    std::vector<uint8_t> Additional;  // its reply data, 0 to 25 bytes
    bool AdditionalNotImplemented = false;  // command 48 answered "not implemented"
    bool WriteProtectRead = false;  // command 15 answered
    uint8_t WriteProtect = 0;
};

namespace DeviceStatus {

// The set bits of the device status byte, 0x80 first.
std::vector<TStatusWord> DeviceStatusWords(uint8_t Status);
// The set bits of command 48's reply, byte by byte: bytes 0-5 and from 14 on
// (the transmitter's own) by byte and bit number, byte 6 (extended status) and
// byte 8 (standardized status 0) by name where named, bytes 10 and 13 as the
// analog channels saturated and fixed, the rest by byte and bit number. Any
// length is taken; a HART 5 transmitter sends 6 bytes or fewer.
std::vector<TStatusWord> AdditionalStatusWords(const std::vector<uint8_t>& Bytes);
// The write-protect code in words.
TStatusWord WriteProtectWord(uint8_t Code);
// Whether the code says the transmitter refuses writes.
inline bool IsWriteProtected(uint8_t Code)
{
    return Code == 1;
}

// The NE 107 class of a device status byte and command 48's bytes.
TNe107Class Classify(uint8_t Status, const std::vector<uint8_t>& Additional = {});
inline TNe107Class Classify(const TDeviceHealth& Health)
{
    return Classify(Health.DeviceStatus, Health.Additional);
}
const TNe107Name& Ne107Name(TNe107Class Class);

// The words' English texts joined with ", ", or "none".
std::string EnglishList(const std::vector<TStatusWord>& Words);

}  // namespace DeviceStatus
