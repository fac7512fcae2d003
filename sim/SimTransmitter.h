#pragma once
// TSimTransmitter: a simulated HART pressure transmitter, the slave side of the
// protocol. It takes the bytes arriving on its line one at a time, recognises
// request frames as a field device does (preambles, delimiter, its own address,
// check byte) and answers from a device model with the response codes a real
// transmitter would give. It knows nothing about the transport: each answer is
// a list of bytes with the time each one arrives at the master's end, and an
// adapter puts them on the in-process line (TSimTransmitterPeer) or on a
// pseudo-terminal (TSimPtyServer).
//
// It is an independent implementation of the slave side: frame parser, check
// byte, float and packed-ASCII encoders are its own.

#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "sim/SimFaults.h"

// Everything a transmitter reports and keeps. Range values are held in
// RangeUnit, transducer limits and minimum span in SensorUnit (reported in the
// PV unit).
struct TSimDeviceState {
    // identity (command 0)
    uint8_t Manufacturer = 185;  // the maker's own code
    uint8_t DeviceType = 24;  // "Quill 20"
    uint32_t DeviceId = 1234567;  // 24 bits
    uint8_t MinPreambles = 5;
    uint8_t UnivCmdRev = 5;
    uint8_t DeviceRev = 3;
    uint8_t SoftwareRev = 0x21;
    uint8_t HardwareRev = 4;  // 5 bits
    uint8_t PollingAddress = 0;  // 0..15 (HART 5), 0..63 (HART 6 and 7)
    // HART 6 and 7: the loop current follows the measurement (command 6's
    // loop current mode). HART 5 fixes it at 4 mA at any address but 0.
    bool LoopCurrentEnabled = true;
    // HART 7: the expanded device type of command 0; 0 takes manufacturer
    // and device type as its two bytes.
    uint16_t ExpandedDeviceType = 0;
    uint16_t ConfigChangeCounter = 0;  // HART 6 and 7: counts accepted writes
    std::string LongTag;  // HART 6 and 7, ISO Latin-1, commands 20 and 22
    std::string Message = "CALVISTA SIMULATED TRANSMITTER";  // commands 12 and 17, 32 characters
    uint32_t FinalAssemblyNumber = 0x00A1B2;  // commands 16 and 19, 24 bits
    // description (commands 13 and 18)
    std::string Tag = "PT-101";
    std::string Descriptor = "SIMULATED PT";
    uint8_t Day = 15, Month = 6;
    uint16_t Year = 2024;  // 1900..2155
    // transducer (command 14)
    uint32_t SensorSerial = 0x0A1B2C;  // 24 bits
    uint8_t SensorUnit = 7;  // bar
    float UpperLimit = 40.0f;
    float LowerLimit = -1.0f;
    float MinSpan = 0.4f;
    // output (commands 15, 34, 35, 44)
    uint8_t PvUnit = 7;
    uint8_t RangeUnit = 7;
    float UpperRange = 10.0f;
    float LowerRange = 0.0f;
    float Damping = 0.4f;  // seconds
    float MaxDamping = 32.0f;
    uint8_t AlarmSelect = 0;  // high
    uint8_t TransferFunction = 0;  // linear
    bool WriteProtected = false;
    uint8_t PrivateLabel = 185;
    // zero trim (command 43): the largest reading, as a fraction of the sensor's
    // span, that may be trimmed away in all
    double ZeroTrimFraction = 0.05;
    // what the device status and command 48 report, and faults on request
    TSimHealthFaults Health;
    // the output stage's D/A converter: what it drives for a commanded current
    // c is c * (1 + DacGainError) + DacOffsetMa, until commands 45 and 46 trim it
    double DacOffsetMa = 0.0;
    double DacGainError = 0.0;
};

enum class TSimSignalShape : uint8_t { Constant, Ramp, Sine };

// The pressure applied to the transmitter over time.
struct TSimSignal {
    TSimSignalShape Shape = TSimSignalShape::Constant;
    double Level = 2.5;  // constant value, ramp start, sine centre
    double Amplitude = 0.0;  // sine amplitude; a ramp rises by this much per period
    double PeriodS = 30.0;  // sine period, ramp period (saw tooth)
    double Noise = 0.0;  // standard deviation of added white noise
    uint8_t Unit = 7;  // unit of Level, Amplitude and Noise
};

// Faults applied to the answer of one request.
struct TSimFault {
    bool NoAnswer = false;  // stay silent
    std::vector<uint8_t> Noise;  // bytes sent before the preambles
    bool BadCheckByte = false;  // send a wrong check byte
    int CommErrorSummary = -1;  // first status byte with bit 7 set (e.g. 0x90), no data
    int ResponseCode = -1;  // answer with this response code and no data
    int DataBytes = -1;  // cut the reply data after this many bytes (status excluded)
    int LostByteIndex = -1;  // this byte of the answer (0 = first byte sent) never arrives
    int LateByteIndex = -1;  // this byte of the answer (0 = first byte sent) and
    int64_t LateByUs = 0;  //   all after it arrive later by LateByUs
    int LineErrorByteIndex = -1;  // this byte of the answer carries line-error flags
    uint32_t LineErrors = 0;  //   (SerialErr... values of hart/SerialDevice.h)
};

// How fast the answer travels. CharTimeUs 0 answers at once.
struct TSimPacing {
    int64_t CharTimeUs = 0;
    int64_t TurnaroundUs = 0;  // silence between the end of a request and the first reply byte

    static constexpr int64_t CharTime1200 = 9167;  // 11 bits at 1200 baud
    static TSimPacing Instant() { return {}; }
    static TSimPacing Baud1200(int64_t TurnaroundUs = 20000) { return {CharTime1200, TurnaroundUs}; }
};

// One byte of an answer and the time its last bit arrives at the master.
struct TSimOutByte {
    uint8_t Byte = 0;
    int64_t ArrivalUs = 0;
    uint32_t LineErrors = 0;
};

// A request the transmitter recognised (for logs and tests).
struct TSimRequest {
    uint8_t Command = 0;
    bool LongFrame = false;
    std::vector<uint8_t> Data;
    int64_t EndUs = 0;
    int ResponseCode = -1;  // -1 while not answered, or when the answer was suppressed
};

class TSimTransmitter {
public:
    explicit TSimTransmitter(const TSimDeviceState& State = {}, const TSimSignal& Signal = {});

    // --- the line ---------------------------------------------------------------
    // Takes one byte that finished arriving at ArrivalUs. When it completes a valid
    // request for this device, returns the answer; otherwise nothing.
    std::vector<TSimOutByte> Feed(uint8_t Byte, int64_t ArrivalUs);
    // Forgets a partly received frame.
    void ResetReceiver();

    // --- configuration --------------------------------------------------------------
    const TSimDeviceState& State() const { return FState; }
    TSimDeviceState& MutableState() { return FState; }
    void SetState(const TSimDeviceState& State) { FState = State; }
    void SetWriteProtected(bool Value) { FState.WriteProtected = Value; }

    const TSimSignal& Signal() const { return FSignal; }
    void SetSignal(const TSimSignal& Signal);
    void SetNoiseSeries(uint32_t Series) { FRandom = std::mt19937(Series); }

    const TSimPacing& Pacing() const { return FPacing; }
    void SetPacing(const TSimPacing& Pacing);
    // Preambles in each answer (5 by default); the first one 0xFE if LeadingFE.
    void SetReplyPreambles(uint8_t Count) { FReplyPreambles = Count; }
    void SetLeadingFE(bool Value) { FLeadingFE = Value; }
    // A gap longer than this inside a request makes the receiver start over
    // (100 ms by default; 0 = never).
    void SetGapLimitUs(int64_t Us) { FGapLimitUs = Us; }

    // Commands answered with 64 (not implemented).
    void SetCommandImplemented(uint8_t Command, bool Implemented);
    // Faults for the next answers, one per answered request, in order.
    void QueueFault(const TSimFault& Fault) { FFaults.push_back(Fault); }
    size_t PendingFaults() const { return FFaults.size(); }

    // --- several transmitters on one line (SimLine.cpp) ------------------------------
    // Adds a transmitter to this one's line: every byte fed here reaches it
    // too, and its answers join this one's. It takes this one's pacing.
    TSimTransmitter& AddLineDevice(const TSimDeviceState& State);
    std::vector<TSimTransmitter*> LineDevices() const;

    // --- patience (SimLine.cpp) ---------------------------------------------------------
    // The next Count requests addressed to this transmitter are answered busy (32).
    void SetBusyFor(uint32_t Count) { FBusyLeft = Count; }
    // The next request starts a delayed response: answered 33, the identical
    // request is answered 34 until RunUs have passed, then with its real answer
    // (35 instead if Dies). Other requests meanwhile are answered busy.
    void StartDelayedResponse(int64_t RunUs, bool Dies = false);
    // Whether the loop current is fixed at 4 mA because of multidrop.
    bool LoopCurrentFixed() const;
    // --- burst mode (commands 108 and 109; SimBurst.cpp) ----------------------------
    bool BurstMode() const { return FBurstMode; }
    uint8_t BurstCommand() const { return FBurstCommand; }
    // Puts the transmitter in or out of burst mode as if by command 109; the
    // first frame starts one gap after NowUs.
    void SetBurstMode(bool On, int64_t NowUs);
    // The burst frames that start on the line by UntilUs, byte by byte with their
    // arrival times; each one is followed by a gap in which a master may start a
    // request (line activity from a master pushes it on). At most MaxFrames
    // frames, and never more than MaxBurstBacklog, per call.
    std::vector<TSimOutByte> BurstFrames(int64_t UntilUs, size_t MaxFrames = MaxBurstBacklog);
    // When the next burst frame starts, or -1 when not bursting.
    int64_t NextBurstUs() const { return FBurstMode ? FBurstNextUs : -1; }
    // Burst frames put on the line since construction.
    uint64_t BurstFramesSent() const { return FBurstFramesSent; }
    // The silence after a burst frame (or an answer) before the next burst frame.
    int64_t BurstGapUs() const;
    static constexpr int BurstGapChars = 8;
    static constexpr size_t MaxBurstBacklog = 16;

    // --- the measurement ------------------------------------------------------------
    // The pressure applied at time Us, in the PV unit, without zero trim or damping.
    double AppliedPressure(int64_t Us);
    // The damped, zero-trimmed primary variable in the PV unit at time Us.
    double PrimaryVariable(int64_t Us);
    // Loop current in mA for a primary variable in the PV unit.
    double LoopCurrent(double PV) const;
    // Zero trim in pascal, subtracted from the applied pressure.
    double ZeroOffsetPa() const { return FZeroOffsetPa; }
    // A constant applied pressure in the PV unit (the test's pressure source).
    void SetAppliedPressure(double Value);

    // --- the output stage (SimOutputStage.cpp) ----------------------------------------
    // What a reference meter in the loop reads now: the current the transmitter
    // means to drive (the fixed value, or the one for the last measured PV)
    // through the D/A converter's errors and its trim.
    double MeterCurrent() const;
    // The fixed loop current in mA; 0 while the current follows the PV.
    double FixedCurrent() const { return FFixedMa; }

    // --- what happened ------------------------------------------------------------
    // The latest requests recognised (at most MaxKeptRequests), oldest first.
    const std::vector<TSimRequest>& Requests() const { return FRequests; }
    void ClearRequests() { FRequests.clear(); }
    // Requests recognised since construction.
    uint64_t RequestCount() const { return FRequestCount; }
    static constexpr size_t MaxKeptRequests = 256;
    // Frames dropped for a wrong check byte.
    int CheckByteErrors() const { return FCheckByteErrors; }

private:
    enum class TRx : uint8_t { Hunt, Address, Command, Count, Data, Check };

    struct TAnswer {
        uint8_t Code = 0;
        std::vector<uint8_t> Data;
    };

    std::vector<TSimOutByte> FeedOwn(uint8_t Byte, int64_t ArrivalUs);
    bool AddressedToMe() const;
    bool BroadcastForMe() const;
    uint16_t ExpandedDeviceType() const;
    void AppendIdentityExtension(std::vector<uint8_t>& Data) const;
    bool ExecuteUniversal(uint8_t Command, const std::vector<uint8_t>& Request, int64_t NowUs, TAnswer& A);
    TAnswer ExecutePatiently(uint8_t Command, const std::vector<uint8_t>& Request, int64_t NowUs);
    std::vector<TSimOutByte> Answer(int64_t EndUs);
    TAnswer Execute(uint8_t Command, const std::vector<uint8_t>& Request, int64_t NowUs);
    uint8_t DeviceStatus(int64_t NowUs);

    TAnswer ReadUniqueIdentifier() const;
    TAnswer ReadDynamicVariables(int64_t NowUs);
    TAnswer ReadTagDescriptorDate() const;
    TAnswer ReadSensorInfo() const;
    TAnswer ReadPrVarInfo() const;
    TAnswer WriteTagDescriptorDate(const std::vector<uint8_t>& Request);
    TAnswer WriteDamping(const std::vector<uint8_t>& Request);
    TAnswer WriteRangeValues(const std::vector<uint8_t>& Request);
    TAnswer SetRangeValueFromApplied(bool Upper, int64_t NowUs);
    TAnswer SetPVZero(int64_t NowUs);
    TAnswer WritePVUnit(const std::vector<uint8_t>& Request);
    // SimFaults.cpp: commands 38 and 48, and the health faults.
    TAnswer ResetConfigurationChanged();
    TAnswer ReadAdditionalStatus() const;
    uint8_t HealthStatusBits() const;
    void ApplyHealthFaults(std::vector<uint8_t>& DynamicVariables) const;
    // SimOutputStage.cpp: commands 40, 45 and 46.
    TAnswer FixLoopCurrent(const std::vector<uint8_t>& Request);
    TAnswer TrimLoopCurrent(bool Gain, const std::vector<uint8_t>& Request);
    double LastPrimaryVariable(int64_t NowUs);

    double SignalPa(int64_t Us);
    double DampedPa(int64_t Us);
    double ToSensorUnit(double Value, uint8_t Unit) const;

    TSimDeviceState FState;
    TSimSignal FSignal;
    std::mt19937 FRandom {1};
    std::normal_distribution<double> FGauss {0.0, 1.0};
    TSimPacing FPacing;
    uint8_t FReplyPreambles = 5;
    bool FLeadingFE = false;
    int64_t FGapLimitUs = 100000;
    std::set<uint8_t> FNotImplemented;
    std::deque<TSimFault> FFaults;

    // receiver
    TRx FRx = TRx::Hunt;
    int FPreambles = 0;
    int64_t FLastByteUs = 0;
    uint8_t FDelimiter = 0;
    uint8_t FAddress[5] = {};
    size_t FAddressLength = 0, FAddressRead = 0;
    uint8_t FCommand = 0;
    uint8_t FByteCount = 0;
    std::vector<uint8_t> FData;
    uint8_t FCheck = 0;

    // measurement
    bool FFilterStarted = false;
    double FFilteredPa = 0;
    int64_t FFilterUs = 0;
    double FZeroOffsetPa = 0;
    // patience and the line
    uint32_t FBusyLeft = 0;
    struct TDelayed {
        bool Pending = false;  // the next request starts it
        bool Running = false;
        uint8_t Command = 0;
        std::vector<uint8_t> Request;
        int64_t RunUs = 0, DoneUs = 0;
        bool Dies = false;
    } FDelayed;
    std::vector<std::unique_ptr<TSimTransmitter>> FLineDevices;
    // device status
    bool FColdStart = true;
    bool FConfigChanged = false;
    // output stage: the fixed current (0: none) and the trim the transmitter
    // applies before its D/A converter, commanded = TrimGain * wanted + TrimOffset
    double FFixedMa = 0;
    double FTrimGain = 1.0;
    double FTrimOffset = 0.0;

    void Record(const TSimRequest& Request);
    // Burst mode: commands 108 and 109, the line activity that holds a burst
    // frame back, an answer that waits for a burst frame on the line to end.
    TAnswer WriteBurstCommand(const std::vector<uint8_t>& Request);
    TAnswer WriteBurstMode(const std::vector<uint8_t>& Request, int64_t NowUs);
    void HoldBurstFor(int64_t ArrivalUs);
    std::vector<TSimOutByte> AfterBurst(std::vector<TSimOutByte> Answer, int64_t RequestEndUs);
    bool FBurstMode = false;
    uint8_t FBurstCommand = 3;
    int64_t FBurstNextUs = 0;
    int64_t FBurstLineBusyUs = 0;  // the last burst frame started here
    int64_t FBurstLineFreeUs = 0;  //   and its last byte arrived here
    uint64_t FBurstFramesSent = 0;

    std::vector<TSimRequest> FRequests;
    uint64_t FRequestCount = 0;
    int FCheckByteErrors = 0;
};
