#pragma once
// The frame bytes, response codes and status bits of the simulated
// transmitter, shared by its receiver and its command handlers (the slave
// side's own constants: nothing here comes from the master).

#include <cstdint>

namespace simcodes {

// Frame bytes of the slave side.
inline constexpr uint8_t Preamble = 0xFF;
inline constexpr uint8_t FirstPreambleFE = 0xFE;
inline constexpr uint8_t MasterShortFrame = 0x02, MasterLongFrame = 0x82;
inline constexpr uint8_t SlaveShortFrame = 0x06, SlaveLongFrame = 0x86;
inline constexpr uint8_t BurstBit = 0x40;
inline constexpr int MinRequestPreambles = 2;

// Response codes of the HART standard the model gives.
enum : uint8_t {
    RcSuccess = 0,
    RcInvalidSelection = 2,
    RcParamTooLarge = 3,
    RcParamTooSmall = 4,
    RcTooFewDataBytes = 5,
    RcWriteProtected = 7,
    RcLowerTooHigh = 9,  // also: applied process too high
    RcLowerTooLow = 10,  // also: applied process too low
    RcUpperTooHigh = 11,
    RcUpperTooLow = 12,
    RcBothOutOfLimits = 13,
    RcSpanTooSmall = 14,  // 36, 37: new range pushed beyond the sensor limit
    RcInvalidModeSelection = 12,
    RcLoopCurrentNotActive = 11,  // 40, 45, 46: multidrop mode
    RcInvalidUnits = 18,
    RcInvalidSpan = 29,
    RcBusy = 32,
    RcDelayedInitiated = 33,
    RcDelayedRunning = 34,
    RcDelayedDead = 35,
    RcNotImplemented = 64,
};
inline constexpr uint8_t RcAppliedTooHigh = RcLowerTooHigh, RcAppliedTooLow = RcLowerTooLow;
inline constexpr uint8_t RcIncorrectLoopMode = 9;  // 45, 46: not fixed at the end trimmed

// Device status bits.
enum : uint8_t {
    StConfigChanged = 0x40,
    StColdStart = 0x20,
    StLoopCurrentFixed = 0x08,
    StCurrentSaturated = 0x04,
    StPvOutOfLimits = 0x01,
};

inline constexpr uint8_t TemperatureUnitCelsius = 32;
inline constexpr float SensorTemperature = 23.5f;

}  // namespace simcodes
