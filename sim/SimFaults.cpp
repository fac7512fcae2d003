// The simulated transmitter's health: commands 38 and 48, and the faults of
// TSimHealthFaults applied to its device status and measured values.
#include "sim/SimTransmitter.h"

#include "sim/SimTransmitterCodes.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <limits>

using namespace simcodes;

namespace {

// Device status bits the faults set.
constexpr uint8_t StMalfunction = 0x80, StMoreStatus = 0x10;
// Loop currents of a failed or saturated output.
constexpr float AlarmHighMa = 21.0f, AlarmLowMa = 3.6f, SaturatedHighMa = 20.5f;
constexpr size_t MaxStatusBytes = 25;

void PutFloatAt(std::vector<uint8_t>& Out, size_t At, float Value)
{
    const uint32_t Bits = std::bit_cast<uint32_t>(Value);
    for (int i = 0; i < 4 && At + i < Out.size(); ++i)
        Out[At + i] = static_cast<uint8_t>(Bits >> (24 - 8 * i));
}

}  // namespace

TSimTransmitter::TAnswer TSimTransmitter::ResetConfigurationChanged()
{
    if (FState.WriteProtected)
        return {RcWriteProtected, {}};
    FConfigChanged = false;
    return {};
}

TSimTransmitter::TAnswer TSimTransmitter::ReadAdditionalStatus() const
{
    if (FState.Health.AdditionalStatus.empty())
        return {RcNotImplemented, {}};
    return {RcSuccess, FState.Health.AdditionalStatus};
}

uint8_t TSimTransmitter::HealthStatusBits() const
{
    const TSimHealthFaults& Health = FState.Health;
    uint8_t Status = Health.StatusBits;
    if (Health.SensorFailure)
        Status |= StMalfunction | StPvOutOfLimits;
    if (Health.Saturated)
        Status |= StCurrentSaturated;
    for (const uint8_t Byte : Health.AdditionalStatus)
        if (Byte)
            Status |= StMoreStatus;
    return Status;
}

// Command 3's reply: current (bytes 0-3), PV unit (4), PV (5-8), ...
void TSimTransmitter::ApplyHealthFaults(std::vector<uint8_t>& DynamicVariables) const
{
    const TSimHealthFaults& Health = FState.Health;
    if (Health.SensorFailure) {
        PutFloatAt(DynamicVariables, 0, FState.AlarmSelect == 1 ? AlarmLowMa : AlarmHighMa);
        PutFloatAt(DynamicVariables, 5, std::numeric_limits<float>::quiet_NaN());
    } else if (Health.Saturated) {
        PutFloatAt(DynamicVariables, 0, SaturatedHighMa);
    }
}

bool ParseSimStatusBytes(const std::string& Text, std::vector<uint8_t>& Bytes)
{
    std::string Digits;
    for (const char C : Text) {
        if (C == ':' || C == ' ' || C == ',')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(C)))
            return false;
        Digits += C;
    }
    if (Digits.empty() || Digits.size() % 2 || Digits.size() / 2 > MaxStatusBytes)
        return false;
    Bytes.clear();
    for (size_t i = 0; i < Digits.size(); i += 2)
        Bytes.push_back(static_cast<uint8_t>(std::stoi(Digits.substr(i, 2), nullptr, 16)));
    return true;
}

bool SetSimFaultByName(TSimHealthFaults& Faults, const std::string& Name)
{
    // Extended device status (command 48 byte 6) of the named faults.
    const auto Extended = [&Faults](uint8_t Bit) {
        Faults.AdditionalStatus.resize(std::max<size_t>(Faults.AdditionalStatus.size(), 7), 0);
        Faults.AdditionalStatus[6] |= Bit;
    };
    if (Name == "sensor-failure")
        Faults.SensorFailure = true;
    else if (Name == "saturated")
        Faults.Saturated = true;
    else if (Name == "current-fixed")
        Faults.StatusBits |= 0x08;
    else if (Name == "power-failure")
        Extended(0x04);
    else if (Name == "maintenance")
        Extended(0x01);
    else if (Name == "variable-alert")
        Extended(0x02);
    else if (Name == "keep-values")
        Faults.KeepsOldValues = true;
    else if (Name == "no-cold-start")
        Faults.ColdStart = false;
    else
        return false;
    return true;
}
