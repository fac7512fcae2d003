// The simulated transmitter's commands: each request decoded and answered
// from the device model with its own encoders.
#include "sim/SimTransmitter.h"

#include "sim/SimTransmitterCodes.h"
#include "sim/SimUnits.h"
#include "sim/SimWire.h"

#include <algorithm>
#include <cmath>
#include <optional>

using namespace simcodes;
using namespace simwire;

// The transmitter's own encoders, shared with its universal commands (SimWire.h).
namespace simwire {

// --- the transmitter's own encoders -----------------------------------------------

void PutFloat(std::vector<uint8_t>& Out, float Value)
{
    const uint32_t Bits = std::bit_cast<uint32_t>(Value);
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(static_cast<uint8_t>(Bits >> Shift));
}

float GetFloat(const uint8_t* In)
{
    const uint32_t Bits = (uint32_t {In[0]} << 24) | (uint32_t {In[1]} << 16) | (uint32_t {In[2]} << 8) | In[3];
    return std::bit_cast<float>(Bits);
}

void Put24(std::vector<uint8_t>& Out, uint32_t Value)
{
    Out.push_back(static_cast<uint8_t>(Value >> 16));
    Out.push_back(static_cast<uint8_t>(Value >> 8));
    Out.push_back(static_cast<uint8_t>(Value));
}

// Packed ASCII: six bits per character, most significant first, blank padded.
void PutPacked(std::vector<uint8_t>& Out, const std::string& Text, size_t Chars)
{
    uint32_t Bits = 0;
    int Held = 0;
    for (size_t i = 0; i < Chars; ++i) {
        const char C = i < Text.size() ? Text[i] : ' ';
        Bits = (Bits << 6) | (static_cast<uint8_t>(C) & 0x3F);
        Held += 6;
        while (Held >= 8) {
            Held -= 8;
            Out.push_back(static_cast<uint8_t>(Bits >> Held));
        }
    }
}

std::string GetPacked(const uint8_t* In, size_t Bytes)
{
    std::string Text;
    uint32_t Bits = 0;
    int Held = 0;
    for (size_t i = 0; i < Bytes; ++i) {
        Bits = (Bits << 8) | In[i];
        Held += 8;
        while (Held >= 6) {
            Held -= 6;
            const uint8_t Code = (Bits >> Held) & 0x3F;
            Text += static_cast<char>(Code < 0x20 ? Code + 0x40 : Code);
        }
    }
    return Text;
}

bool IsWriteCommand(uint8_t Command)
{
    switch (Command) {
        case 6:
        case 17:
        case 18:
        case 19:
        case 22:
        case 34:
        case 35:
        case 36:
        case 37:
        case 43:
        case 44:
        case 45:
        case 46: return true;
        default: return false;
    }
}

}  // namespace simwire

// --- commands ---------------------------------------------------------------------------

TSimTransmitter::TAnswer TSimTransmitter::Execute(uint8_t Command, const std::vector<uint8_t>& Request, int64_t NowUs)
{
    if (FNotImplemented.count(Command))
        return {RcNotImplemented, {}};
    if (IsWriteCommand(Command) && FState.WriteProtected)
        return {RcWriteProtected, {}};
    // A transmitter that acknowledges a write but keeps what it had.
    const bool KeepOld = FState.Health.KeepsOldValues && IsWriteCommand(Command);
    const std::optional<TSimDeviceState> Before = KeepOld ? std::optional(FState) : std::nullopt;
    TAnswer A;
    switch (Command) {
        case 0: A = ReadUniqueIdentifier(); break;
        case 3: A = ReadDynamicVariables(NowUs); break;
        case 13: A = ReadTagDescriptorDate(); break;
        case 14: A = ReadSensorInfo(); break;
        case 15: A = ReadPrVarInfo(); break;
        case 18: A = WriteTagDescriptorDate(Request); break;
        case 34: A = WriteDamping(Request); break;
        case 35: A = WriteRangeValues(Request); break;
        case 36: A = SetRangeValueFromApplied(true, NowUs); break;
        case 37: A = SetRangeValueFromApplied(false, NowUs); break;
        case 43: A = SetPVZero(NowUs); break;
        case 44: A = WritePVUnit(Request); break;
        case 38: A = ResetConfigurationChanged(); break;
        case 48: A = ReadAdditionalStatus(); break;
        case 40: A = FixLoopCurrent(Request); break;
        case 45: A = TrimLoopCurrent(false, Request); break;
        case 46: A = TrimLoopCurrent(true, Request); break;
        case 108: A = WriteBurstCommand(Request); break;
        case 109: A = WriteBurstMode(Request, NowUs); break;
        default:
            if (!ExecuteUniversal(Command, Request, NowUs, A))
                return {RcNotImplemented, {}};
            break;
    }
    if (Before)
        FState = *Before;
    if (A.Code != RcSuccess) {
        A.Data.clear();  // an error answer carries the status bytes only
    } else if (IsWriteCommand(Command)) {
        FConfigChanged = true;
        ++FState.ConfigChangeCounter;
    }
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::ReadUniqueIdentifier() const
{
    TAnswer A;
    A.Data = {254,
              FState.Manufacturer,
              FState.DeviceType,
              FState.MinPreambles,
              FState.UnivCmdRev,
              FState.DeviceRev,
              FState.SoftwareRev,
              static_cast<uint8_t>(FState.HardwareRev << 3),
              0};
    if (FState.UnivCmdRev >= 7) {
        // HART 7: bytes 1 and 2 are the expanded device type.
        A.Data[1] = static_cast<uint8_t>(ExpandedDeviceType() >> 8);
        A.Data[2] = static_cast<uint8_t>(ExpandedDeviceType());
    }
    Put24(A.Data, FState.DeviceId);
    AppendIdentityExtension(A.Data);
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::ReadDynamicVariables(int64_t NowUs)
{
    const double PV = PrimaryVariable(NowUs);
    TAnswer A;
    PutFloat(A.Data, static_cast<float>(FFixedMa > 0 ? FFixedMa : LoopCurrent(PV)));
    A.Data.push_back(FState.PvUnit);
    PutFloat(A.Data, static_cast<float>(PV));
    A.Data.push_back(TemperatureUnitCelsius);  // secondary variable: sensor temperature
    PutFloat(A.Data, SensorTemperature);
    ApplyHealthFaults(A.Data);
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::ReadTagDescriptorDate() const
{
    TAnswer A;
    PutPacked(A.Data, FState.Tag, 8);
    PutPacked(A.Data, FState.Descriptor, 16);
    A.Data.push_back(FState.Day);
    A.Data.push_back(FState.Month);
    A.Data.push_back(static_cast<uint8_t>(std::clamp<int>(FState.Year, 1900, 2155) - 1900));
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::ReadSensorInfo() const
{
    // Limits and minimum span are reported in the PV unit.
    const auto InPv
        = [&](float V) { return static_cast<float>(SimUnits::Convert(V, FState.SensorUnit, FState.PvUnit)); };
    TAnswer A;
    Put24(A.Data, FState.SensorSerial);
    A.Data.push_back(FState.PvUnit);
    PutFloat(A.Data, InPv(FState.UpperLimit));
    PutFloat(A.Data, InPv(FState.LowerLimit));
    PutFloat(A.Data, FState.PvUnit == FState.SensorUnit
                         ? FState.MinSpan
                         : static_cast<float>(SimUnits::Convert(FState.MinSpan, FState.SensorUnit, FState.PvUnit)));
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::ReadPrVarInfo() const
{
    TAnswer A;
    A.Data.push_back(FState.AlarmSelect);
    A.Data.push_back(FState.TransferFunction);
    A.Data.push_back(FState.RangeUnit);
    PutFloat(A.Data, FState.UpperRange);
    PutFloat(A.Data, FState.LowerRange);
    PutFloat(A.Data, FState.Damping);
    A.Data.push_back(FState.WriteProtected ? 1 : 0);
    A.Data.push_back(FState.PrivateLabel);
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::WriteTagDescriptorDate(const std::vector<uint8_t>& Request)
{
    if (Request.size() < 21)
        return {RcTooFewDataBytes, {}};
    FState.Tag = GetPacked(&Request[0], 6);
    FState.Descriptor = GetPacked(&Request[6], 12);
    FState.Day = Request[18];
    FState.Month = Request[19];
    FState.Year = static_cast<uint16_t>(1900 + Request[20]);
    return ReadTagDescriptorDate();
}

TSimTransmitter::TAnswer TSimTransmitter::WriteDamping(const std::vector<uint8_t>& Request)
{
    if (Request.size() < 4)
        return {RcTooFewDataBytes, {}};
    const float Damping = GetFloat(&Request[0]);
    if (Damping > FState.MaxDamping)
        return {RcParamTooLarge, {}};
    if (!(Damping >= 0.0f))  // negative or not a number
        return {RcParamTooSmall, {}};
    FState.Damping = Damping;
    TAnswer A;
    PutFloat(A.Data, FState.Damping);
    return A;
}

double TSimTransmitter::ToSensorUnit(double Value, uint8_t Unit) const
{
    return SimUnits::Convert(Value, Unit, FState.SensorUnit);
}

TSimTransmitter::TAnswer TSimTransmitter::WriteRangeValues(const std::vector<uint8_t>& Request)
{
    if (Request.size() < 9)
        return {RcTooFewDataBytes, {}};
    const uint8_t Unit = Request[0];
    if (!SimUnits::IsPressureUnit(Unit))
        return {RcInvalidUnits, {}};
    const float Upper = GetFloat(&Request[1]);
    const float Lower = GetFloat(&Request[5]);
    if (!std::isfinite(Upper) || !std::isfinite(Lower))
        return {RcInvalidSpan, {}};

    // Compare in the sensor's unit, with a little slack so that a limit read in
    // another unit and written back is still accepted.
    const double Slack = 1e-5 * (FState.UpperLimit - FState.LowerLimit);
    const double U = ToSensorUnit(Upper, Unit), L = ToSensorUnit(Lower, Unit);
    const auto Above = [&](double V) { return V > FState.UpperLimit + Slack; };
    const auto Below = [&](double V) { return V < FState.LowerLimit - Slack; };
    const bool LowerOut = Above(L) || Below(L), UpperOut = Above(U) || Below(U);
    if (LowerOut && UpperOut)
        return {RcBothOutOfLimits, {}};
    if (Above(L))
        return {RcLowerTooHigh, {}};
    if (Below(L))
        return {RcLowerTooLow, {}};
    if (Above(U))
        return {RcUpperTooHigh, {}};
    if (Below(U))
        return {RcUpperTooLow, {}};
    if (U == L)
        return {RcInvalidSpan, {}};
    if (std::fabs(U - L) < FState.MinSpan - Slack)
        return {RcSpanTooSmall, {}};

    FState.RangeUnit = Unit;
    FState.UpperRange = Upper;
    FState.LowerRange = Lower;
    TAnswer A;
    A.Data.push_back(FState.RangeUnit);
    PutFloat(A.Data, FState.UpperRange);
    PutFloat(A.Data, FState.LowerRange);
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::SetRangeValueFromApplied(bool Upper, int64_t NowUs)
{
    const double Applied = PrimaryVariable(NowUs);  // in the PV unit
    const double AppliedSensor = ToSensorUnit(Applied, FState.PvUnit);
    if (AppliedSensor > FState.UpperLimit)
        return {RcAppliedTooHigh, {}};
    if (AppliedSensor < FState.LowerLimit)
        return {RcAppliedTooLow, {}};

    const double NewValue = SimUnits::Convert(Applied, FState.PvUnit, FState.RangeUnit);
    double NewUpper = FState.UpperRange, NewLower = FState.LowerRange;
    if (Upper) {
        NewUpper = NewValue;
    } else {
        // A new lower range value shifts the upper one so that the span stays.
        NewUpper += NewValue - NewLower;
        NewLower = NewValue;
    }
    const double SpanSensor
        = std::fabs(ToSensorUnit(NewUpper, FState.RangeUnit) - ToSensorUnit(NewLower, FState.RangeUnit));
    const double UpperSensor = ToSensorUnit(NewUpper, FState.RangeUnit);
    if (SpanSensor < FState.MinSpan || UpperSensor > FState.UpperLimit || UpperSensor < FState.LowerLimit)
        return {RcSpanTooSmall, {}};
    FState.UpperRange = static_cast<float>(NewUpper);
    FState.LowerRange = static_cast<float>(NewLower);
    return {};
}

TSimTransmitter::TAnswer TSimTransmitter::SetPVZero(int64_t NowUs)
{
    const double Reading = PrimaryVariable(NowUs);
    const double ReadingPa = SimUnits::Convert(Reading, FState.PvUnit, 11);
    const double LimitPa
        = SimUnits::Convert(FState.ZeroTrimFraction * (FState.UpperLimit - FState.LowerLimit), FState.SensorUnit, 11);
    const double NewOffsetPa = FZeroOffsetPa + ReadingPa;
    if (NewOffsetPa > LimitPa)
        return {RcAppliedTooHigh, {}};
    if (NewOffsetPa < -LimitPa)
        return {RcAppliedTooLow, {}};
    FZeroOffsetPa = NewOffsetPa;
    return {};
}

TSimTransmitter::TAnswer TSimTransmitter::WritePVUnit(const std::vector<uint8_t>& Request)
{
    if (Request.size() < 1)
        return {RcTooFewDataBytes, {}};
    const uint8_t Unit = Request[0];
    if (!SimUnits::IsPressureUnit(Unit))
        return {RcInvalidSelection, {}};
    FState.UpperRange = static_cast<float>(SimUnits::Convert(FState.UpperRange, FState.RangeUnit, Unit));
    FState.LowerRange = static_cast<float>(SimUnits::Convert(FState.LowerRange, FState.RangeUnit, Unit));
    FState.RangeUnit = Unit;
    FState.PvUnit = Unit;
    return {RcSuccess, {Unit}};
}
