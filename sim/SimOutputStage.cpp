// The simulated transmitter's output stage: fixed-current mode (command 40)
// and the trim of its D/A converter against a reference meter (45 and 46).
#include "sim/SimTransmitter.h"

#include "sim/SimTransmitterCodes.h"
#include "sim/SimUnits.h"

#include <bit>
#include <cmath>

using namespace simcodes;

namespace {

// The output stage can drive from below the low alarm to above the high one.
constexpr double LowestFixedMa = 3.6, HighestFixedMa = 21.6;
// A reading further than this from the fixed value is not a trim but a fault
// in the loop (wrong meter range, open loop).
constexpr double MaxTrimDeviationMa = 1.0;
constexpr double LowEndMa = 4.0, HighEndMa = 20.0, EndToleranceMa = 0.001;

float RequestFloat(const std::vector<uint8_t>& Request)
{
    const uint32_t Bits
        = (uint32_t {Request[0]} << 24) | (uint32_t {Request[1]} << 16) | (uint32_t {Request[2]} << 8) | Request[3];
    return std::bit_cast<float>(Bits);
}

std::vector<uint8_t> FloatData(double Value)
{
    const uint32_t Bits = std::bit_cast<uint32_t>(static_cast<float>(Value));
    return {static_cast<uint8_t>(Bits >> 24), static_cast<uint8_t>(Bits >> 16), static_cast<uint8_t>(Bits >> 8),
            static_cast<uint8_t>(Bits)};
}

}  // namespace

TSimTransmitter::TAnswer TSimTransmitter::FixLoopCurrent(const std::vector<uint8_t>& Request)
{
    if (Request.size() < 4)
        return {RcTooFewDataBytes, {}};
    // In multidrop mode the loop current is parked and cannot be fixed.
    if (FState.PollingAddress != 0)
        return {RcLoopCurrentNotActive, {}};
    const float Wanted = RequestFloat(Request);
    if (Wanted == 0.0f) {
        FFixedMa = 0;
        return {RcSuccess, FloatData(0)};
    }
    if (std::isnan(Wanted) || Wanted > HighestFixedMa)
        return {RcParamTooLarge, {}};
    if (Wanted < LowestFixedMa)
        return {RcParamTooSmall, {}};
    FFixedMa = Wanted;
    return {RcSuccess, FloatData(FFixedMa)};
}

TSimTransmitter::TAnswer TSimTransmitter::TrimLoopCurrent(bool Gain, const std::vector<uint8_t>& Request)
{
    if (Request.size() < 4)
        return {RcTooFewDataBytes, {}};
    if (FState.PollingAddress != 0)
        return {RcLoopCurrentNotActive, {}};
    const double End = Gain ? HighEndMa : LowEndMa;
    if (FFixedMa == 0 || std::fabs(FFixedMa - End) > EndToleranceMa)
        return {RcIncorrectLoopMode, {}};
    const float Measured = RequestFloat(Request);
    if (std::isnan(Measured) || Measured > End + MaxTrimDeviationMa)
        return {RcParamTooLarge, {}};
    if (Measured < End - MaxTrimDeviationMa)
        return {RcParamTooSmall, {}};
    const double Deviation = End - Measured;
    if (!Gain) {
        // Zero: shift the whole output by what the meter saw missing at 4 mA.
        FTrimOffset += Deviation;
    } else {
        // Gain: turn the output about its 4 mA point so that 20 mA is met,
        // leaving the zero trimmed before where it was.
        const double NewGain = FTrimGain * (1.0 + Deviation / (HighEndMa - LowEndMa));
        FTrimOffset += LowEndMa * (FTrimGain - NewGain);
        FTrimGain = NewGain;
    }
    return {RcSuccess, FloatData(Measured)};
}

double TSimTransmitter::MeterCurrent() const
{
    double Wanted = FFixedMa;
    if (Wanted == 0) {
        // The last measured value (pascal before the first measurement).
        const double Pa = FFilterStarted ? FFilteredPa - FZeroOffsetPa : 0.0;
        Wanted = LoopCurrent(SimUnits::Convert(Pa, 11, FState.PvUnit));
    }
    const double Commanded = FTrimGain * Wanted + FTrimOffset;
    return Commanded * (1.0 + FState.DacGainError) + FState.DacOffsetMa;
}
