#include "sim/SimTransmitter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "sim/SimUnits.h"

#include "sim/SimTransmitterCodes.h"

using namespace simcodes;

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

std::vector<TSimOutByte> TSimTransmitter::FeedOwn(uint8_t Byte, int64_t ArrivalUs)
{
    const bool InFrame = FRx != TRx::Hunt || FPreambles > 0;
    if (InFrame && FGapLimitUs > 0 && ArrivalUs - FLastByteUs > FGapLimitUs)
        ResetReceiver();  // the line went quiet in mid-frame: start over
    FLastByteUs = ArrivalUs;
    HoldBurstFor(ArrivalUs);

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
            return AfterBurst(Answer(ArrivalUs), ArrivalUs);
        }
    }
    return {};
}

bool TSimTransmitter::AddressedToMe() const
{
    if (FDelimiter == MasterShortFrame)
        return (FAddress[0] & 0x3F) == FState.PollingAddress;
    if (BroadcastForMe())
        return true;
    const uint16_t Type = ExpandedDeviceType();
    return (FAddress[0] & 0x3F) == ((Type >> 8) & 0x3F) && FAddress[1] == static_cast<uint8_t>(Type)
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
            A = ExecutePatiently(FCommand, FData, EndUs);
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
    uint8_t Status = HealthStatusBits();
    if (FColdStart && FState.Health.ColdStart)
        Status |= StColdStart;  // reported once, in the first answer after power-up
    FColdStart = false;
    if (FConfigChanged)
        Status |= StConfigChanged;
    // The last measured value; a status byte takes no new sample of the signal.
    const double PV = LastPrimaryVariable(NowUs);
    // A multidrop address holds the current at 4 mA as command 40 holds it at its value.
    const bool Fixed = FFixedMa > 0 || LoopCurrentFixed();
    const double Current = FFixedMa > 0 ? FFixedMa : Fixed ? 4.0 : LoopCurrent(PV);
    if (Fixed)
        Status |= StLoopCurrentFixed;
    if (Current <= 3.8 || Current >= 20.5)
        Status |= StCurrentSaturated;
    const double PvSensor = ToSensorUnit(PV, FState.PvUnit);
    if (PvSensor > FState.UpperLimit || PvSensor < FState.LowerLimit)
        Status |= StPvOutOfLimits;
    return Status;
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

double TSimTransmitter::LastPrimaryVariable(int64_t NowUs)
{
    return FFilterStarted ? SimUnits::Convert(FFilteredPa - FZeroOffsetPa, 11, FState.PvUnit) : PrimaryVariable(NowUs);
}

void TSimTransmitter::SetAppliedPressure(double Value)
{
    TSimSignal Signal;
    Signal.Level = Value;
    Signal.Unit = FState.PvUnit;
    SetSignal(Signal);
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
    if (LoopCurrentFixed())
        return 4.0;  // multidrop: the loop only powers the device
    const double InRange = SimUnits::Convert(PV, FState.PvUnit, FState.RangeUnit);
    const double Span = static_cast<double>(FState.UpperRange) - FState.LowerRange;
    if (Span == 0)
        return 3.8;
    const double Current = 4.0 + 16.0 * (InRange - FState.LowerRange) / Span;
    return std::clamp(Current, 3.8, 20.5);
}
