#include "sim/SimTransmitter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "sim/SimUnits.h"

namespace {

// Frame bytes of the slave side.
constexpr uint8_t Preamble = 0xFF;
constexpr uint8_t FirstPreambleFE = 0xFE;
constexpr uint8_t MasterShortFrame = 0x02, MasterLongFrame = 0x82;
constexpr uint8_t SlaveShortFrame = 0x06, SlaveLongFrame = 0x86;
constexpr uint8_t BurstBit = 0x40;
constexpr int MinRequestPreambles = 2;

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
    RcInvalidUnits = 18,
    RcInvalidSpan = 29,
    RcNotImplemented = 64,
};
constexpr uint8_t RcAppliedTooHigh = RcLowerTooHigh, RcAppliedTooLow = RcLowerTooLow;

// Device status bits.
enum : uint8_t {
    StConfigChanged = 0x40,
    StColdStart = 0x20,
    StCurrentSaturated = 0x04,
    StPvOutOfLimits = 0x01,
};

constexpr uint8_t TemperatureUnitCelsius = 32;
constexpr float SensorTemperature = 23.5f;

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
        case 18:
        case 34:
        case 35:
        case 36:
        case 37:
        case 43:
        case 44: return true;
        default: return false;
    }
}

}  // namespace

TSimTransmitter::TSimTransmitter(const TSimDeviceState& State, const TSimSignal& Signal)
    : FState(State)
{
    SetSignal(Signal);
}

void TSimTransmitter::SetSignal(const TSimSignal& Signal)
{
    FSignal = Signal;
    if (!SimUnits::IsPressureUnit(FSignal.Unit))
        FSignal.Unit = FState.SensorUnit;
}

void TSimTransmitter::SetCommandImplemented(uint8_t Command, bool Implemented)
{
    if (Implemented)
        FNotImplemented.erase(Command);
    else
        FNotImplemented.insert(Command);
}

// --- receiver ------------------------------------------------------------------------

void TSimTransmitter::ResetReceiver()
{
    FRx = TRx::Hunt;
    FPreambles = 0;
    FData.clear();
}

std::vector<TSimOutByte> TSimTransmitter::Feed(uint8_t Byte, int64_t ArrivalUs)
{
    const bool InFrame = FRx != TRx::Hunt || FPreambles > 0;
    if (InFrame && FGapLimitUs > 0 && ArrivalUs - FLastByteUs > FGapLimitUs)
        ResetReceiver();  // the line went quiet in mid-frame: start over
    FLastByteUs = ArrivalUs;

    switch (FRx) {
        case TRx::Hunt:
            if (Byte == Preamble) {
                ++FPreambles;
            } else if (FPreambles >= MinRequestPreambles && (Byte == MasterShortFrame || Byte == MasterLongFrame)) {
                FDelimiter = Byte;
                FCheck = Byte;
                FAddressLength = Byte == MasterLongFrame ? 5 : 1;
                FAddressRead = 0;
                FRx = TRx::Address;
            } else {
                FPreambles = 0;
            }
            return {};
        case TRx::Address:
            FCheck ^= Byte;
            FAddress[FAddressRead++] = Byte;
            if (FAddressRead == FAddressLength)
                FRx = TRx::Command;
            return {};
        case TRx::Command:
            FCheck ^= Byte;
            FCommand = Byte;
            FRx = TRx::Count;
            return {};
        case TRx::Count:
            FCheck ^= Byte;
            FByteCount = Byte;
            FData.clear();
            FRx = FByteCount ? TRx::Data : TRx::Check;
            return {};
        case TRx::Data:
            FCheck ^= Byte;
            FData.push_back(Byte);
            if (FData.size() == FByteCount)
                FRx = TRx::Check;
            return {};
        case TRx::Check: {
            const bool Good = Byte == FCheck;
            FRx = TRx::Hunt;
            FPreambles = 0;
            if (!Good) {
                ++FCheckByteErrors;  // a device cannot trust any field of the frame: stay silent
                return {};
            }
            if (!AddressedToMe())
                return {};
            return Answer(ArrivalUs);
        }
    }
    return {};
}

bool TSimTransmitter::AddressedToMe() const
{
    if (FDelimiter == MasterShortFrame)
        return (FAddress[0] & 0x3F) == FState.PollingAddress;
    return (FAddress[0] & 0x3F) == (FState.Manufacturer & 0x3F) && FAddress[1] == FState.DeviceType
           && FAddress[2] == static_cast<uint8_t>(FState.DeviceId >> 16)
           && FAddress[3] == static_cast<uint8_t>(FState.DeviceId >> 8)
           && FAddress[4] == static_cast<uint8_t>(FState.DeviceId);
}

// --- the answer on the wire -----------------------------------------------------------

std::vector<TSimOutByte> TSimTransmitter::Answer(int64_t EndUs)
{
    TSimRequest Request {FCommand, FDelimiter == MasterLongFrame, FData, EndUs, -1};
    TSimFault Fault;
    if (!FFaults.empty()) {
        Fault = FFaults.front();
        FFaults.pop_front();
    }
    if (Fault.NoAnswer) {
        Record(Request);
        return {};
    }

    uint8_t Status1, Status2;
    std::vector<uint8_t> Data;
    if (Fault.CommErrorSummary >= 0) {
        // The device saw the request garbled: it reports that and executes nothing.
        Status1 = static_cast<uint8_t>(0x80 | Fault.CommErrorSummary);
        Status2 = 0;
    } else {
        TAnswer A;
        if (Fault.ResponseCode >= 0)
            A.Code = static_cast<uint8_t>(Fault.ResponseCode);
        else
            A = Execute(FCommand, FData, EndUs);
        Status1 = A.Code;
        Status2 = DeviceStatus(EndUs);
        Data = std::move(A.Data);
        Request.ResponseCode = A.Code;
    }
    if (Fault.DataBytes >= 0 && static_cast<size_t>(Fault.DataBytes) < Data.size())
        Data.resize(static_cast<size_t>(Fault.DataBytes));
    Record(Request);

    std::vector<uint8_t> Frame = Fault.Noise;
    for (int i = 0; i < FReplyPreambles; ++i)
        Frame.push_back(i == 0 && FLeadingFE ? FirstPreambleFE : Preamble);
    const size_t FrameStart = Frame.size();
    if (FDelimiter == MasterLongFrame) {
        Frame.push_back(SlaveLongFrame);
        Frame.push_back(static_cast<uint8_t>(FAddress[0] & ~BurstBit));  // master bit echoed
        Frame.insert(Frame.end(), FAddress + 1, FAddress + 5);
    } else {
        Frame.push_back(SlaveShortFrame);
        Frame.push_back(static_cast<uint8_t>(FAddress[0] & ~BurstBit));
    }
    Frame.push_back(FCommand);
    Frame.push_back(static_cast<uint8_t>(Data.size() + 2));
    Frame.push_back(Status1);
    Frame.push_back(Status2);
    Frame.insert(Frame.end(), Data.begin(), Data.end());
    uint8_t Check = 0;
    for (size_t i = FrameStart; i < Frame.size(); ++i)
        Check ^= Frame[i];
    Frame.push_back(Fault.BadCheckByte ? static_cast<uint8_t>(~Check) : Check);

    // Each byte arrives one character time after the previous one, the first one
    // a character time after the turnaround.
    std::vector<TSimOutByte> Out;
    Out.reserve(Frame.size());
    const int64_t StartUs = EndUs + FPacing.TurnaroundUs;
    for (size_t k = 0; k < Frame.size(); ++k) {
        if (Fault.LostByteIndex >= 0 && k == static_cast<size_t>(Fault.LostByteIndex))
            continue;  // lost on the line: its time passes empty
        TSimOutByte B {Frame[k], StartUs + static_cast<int64_t>(k + 1) * FPacing.CharTimeUs, 0};
        if (Fault.LateByteIndex >= 0 && k >= static_cast<size_t>(Fault.LateByteIndex))
            B.ArrivalUs += Fault.LateByUs;
        if (Fault.LineErrorByteIndex >= 0 && k == static_cast<size_t>(Fault.LineErrorByteIndex))
            B.LineErrors = Fault.LineErrors;
        Out.push_back(B);
    }
    return Out;
}

void TSimTransmitter::Record(const TSimRequest& Request)
{
    if (FRequests.size() >= MaxKeptRequests)
        FRequests.erase(FRequests.begin(), FRequests.begin() + MaxKeptRequests / 2);
    FRequests.push_back(Request);
    ++FRequestCount;
}

uint8_t TSimTransmitter::DeviceStatus(int64_t NowUs)
{
    uint8_t Status = 0;
    if (FColdStart)
        Status |= StColdStart;  // reported once, in the first answer after power-up
    FColdStart = false;
    if (FConfigChanged)
        Status |= StConfigChanged;
    // The last measured value; a status byte takes no new sample of the signal.
    const double PV
        = FFilterStarted ? SimUnits::Convert(FFilteredPa - FZeroOffsetPa, 11, FState.PvUnit) : PrimaryVariable(NowUs);
    const double Current = LoopCurrent(PV);
    if (Current <= 3.8 || Current >= 20.5)
        Status |= StCurrentSaturated;
    const double PvSensor = ToSensorUnit(PV, FState.PvUnit);
    if (PvSensor > FState.UpperLimit || PvSensor < FState.LowerLimit)
        Status |= StPvOutOfLimits;
    return Status;
}

// --- commands ---------------------------------------------------------------------------

TSimTransmitter::TAnswer TSimTransmitter::Execute(uint8_t Command, const std::vector<uint8_t>& Request, int64_t NowUs)
{
    if (FNotImplemented.count(Command))
        return {RcNotImplemented, {}};
    if (IsWriteCommand(Command) && FState.WriteProtected)
        return {RcWriteProtected, {}};
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
        default: return {RcNotImplemented, {}};
    }
    if (A.Code != RcSuccess)
        A.Data.clear();  // an error answer carries the status bytes only
    else if (IsWriteCommand(Command))
        FConfigChanged = true;
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
    Put24(A.Data, FState.DeviceId);
    return A;
}

TSimTransmitter::TAnswer TSimTransmitter::ReadDynamicVariables(int64_t NowUs)
{
    const double PV = PrimaryVariable(NowUs);
    TAnswer A;
    PutFloat(A.Data, static_cast<float>(LoopCurrent(PV)));
    A.Data.push_back(FState.PvUnit);
    PutFloat(A.Data, static_cast<float>(PV));
    A.Data.push_back(TemperatureUnitCelsius);  // secondary variable: sensor temperature
    PutFloat(A.Data, SensorTemperature);
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

// --- the measurement ----------------------------------------------------------------------

double TSimTransmitter::SignalPa(int64_t Us)
{
    const double T = static_cast<double>(Us) / 1e6;
    const double Period = FSignal.PeriodS > 0 ? FSignal.PeriodS : 1.0;
    double Value = FSignal.Level;
    switch (FSignal.Shape) {
        case TSimSignalShape::Constant: break;
        case TSimSignalShape::Ramp: Value += FSignal.Amplitude * (T / Period - std::floor(T / Period)); break;
        case TSimSignalShape::Sine: Value += FSignal.Amplitude * std::sin(2 * std::numbers::pi * T / Period); break;
    }
    if (FSignal.Noise > 0)
        Value += FSignal.Noise * FGauss(FRandom);
    return SimUnits::Convert(Value, FSignal.Unit, 11);
}

double TSimTransmitter::DampedPa(int64_t Us)
{
    const double Raw = SignalPa(Us);
    const double Tau = FState.Damping;
    if (!FFilterStarted || !(Tau > 0)) {
        FFilteredPa = Raw;
    } else {
        const double Dt = static_cast<double>(std::max<int64_t>(0, Us - FFilterUs)) / 1e6;
        FFilteredPa += (Raw - FFilteredPa) * (1.0 - std::exp(-Dt / Tau));
    }
    FFilterStarted = true;
    FFilterUs = std::max(FFilterUs, Us);
    return FFilteredPa;
}

double TSimTransmitter::AppliedPressure(int64_t Us)
{
    return SimUnits::Convert(SignalPa(Us), 11, FState.PvUnit);
}

double TSimTransmitter::PrimaryVariable(int64_t Us)
{
    return SimUnits::Convert(DampedPa(Us) - FZeroOffsetPa, 11, FState.PvUnit);
}

double TSimTransmitter::LoopCurrent(double PV) const
{
    const double InRange = SimUnits::Convert(PV, FState.PvUnit, FState.RangeUnit);
    const double Span = static_cast<double>(FState.UpperRange) - FState.LowerRange;
    if (Span == 0)
        return 3.8;
    const double Current = 4.0 + 16.0 * (InRange - FState.LowerRange) / Span;
    return std::clamp(Current, 3.8, 20.5);
}
