#pragma once
// A byte-level simulated serial line for the HART master. It records every byte
// the master writes and the RTS and DTR levels over time, hands what the master
// writes to a device model (TSimPeer) behind the line, and returns the bytes the
// model delivers once their arrival time has come. Faults can be injected: open
// failures, refused port settings, partial and failed writes, read time-outs and
// failed reads, and line-error flags attached to delivered bytes.
//
// Only hart/SerialDevice.h of the link is used here: the simulator never shares
// frame code with the master it tests.

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "hart/SerialDevice.h"
#include "sim/SimClock.h"

class TSimSerialDevice;

// A device model behind the line.
class TSimPeer {
public:
    virtual ~TSimPeer() = default;
    // The master wrote Count bytes; the last one finished arriving at the far end
    // at virtual time EndUs. The peer answers by calling Line.Deliver(...) with
    // arrival times >= EndUs.
    virtual void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) = 0;
    virtual void OnPurge(TSimSerialDevice& /*Line*/, int64_t /*NowUs*/) {}
    // The master waits for input until UntilUs: a peer that talks unasked
    // (burst mode) delivers what it sends by then.
    virtual void OnRead(TSimSerialDevice& /*Line*/, int64_t /*UntilUs*/) {}
};

// Device operations whose failure can be injected.
enum class TSimOp : uint8_t {
    SetEventMask,
    SetTimeouts,
    SetQueueSizes,
    GetLineSettings,
    SetLineSettings,
    SetRts,
    SetDtr,
    Purge,
};

// What the recorder saw, in order.
enum class TSimEventKind : uint8_t { Open, Close, Rts, Dtr, Purge, Write, LineSettings };

struct TSimEvent {
    TSimEventKind Kind;
    int64_t Us;  // clock when the event happened (a write: when it ended)
    bool Level = false;  // Rts, Dtr: the new level
    size_t Count = 0;  // Write: bytes written
};

// A scripted fault of one Read call.
enum class TSimReadFault : uint8_t {
    Timeout,  // nothing arrives before the deadline; the queue is left alone
    Fail,  // the read call fails at once, returning only bytes already arrived
};

class TSimSerialDevice : public TSerialDevice {
public:
    static constexpr uint32_t SimHandle = 0x5111;
    // 1200 baud, 11 bits per character (start, 8 data, parity, stop).
    static constexpr int64_t CharTimeUs1200 = 9167;

    TSimSerialDevice() = default;

    // --- the device model -----------------------------------------------------
    void SetPeer(TSimPeer* Peer) { FPeer = Peer; }
    TSimPeer* Peer() const { return FPeer; }
    // Queues one byte for the master, arriving at ArrivalUs with the given
    // line-error flags (SerialErr...), reported when the byte is read.
    void Deliver(uint8_t Byte, int64_t ArrivalUs, uint32_t LineErrors = 0);
    // Bytes still queued for the master (arrived or in flight).
    size_t PendingInput() const { return FInput.size(); }

    // --- the clock --------------------------------------------------------------
    int64_t NowUs() const override { return FClock.NowUs(); }
    TSimClock& Clock() { return FClock; }
    void SetRealTime(bool Value) { FClock.RealTime = Value; }
    // 0 = instant line. Otherwise a write of n bytes takes n * CharTime and a
    // scripted peer spaces its bytes by it.
    void SetCharTimeUs(int64_t Us) { FCharTimeUs = Us; }
    int64_t CharTimeUs() const { return FCharTimeUs; }

    // --- fault injection --------------------------------------------------------
    // The outcome of the next Open calls (Ok by default).
    void SetOpenResult(TSerialOpenResult Result) { FOpenResult = Result; }
    void SetOpFails(TSimOp Op, bool Fails);
    // Platform identifier reported to the link (SerialPlatformWinNT gives the
    // driver's RTS toggle).
    void SetPlatformId(uint32_t Id) { FPlatformId = Id; }
    // The next write moves only Count bytes and reports failure.
    void FailNextWrite(size_t Count);
    // Faults of the next Read calls, one per call, in order.
    void AddReadFault(TSimReadFault Fault) { FReadFaults.push_back(Fault); }
    size_t PendingReadFaults() const { return FReadFaults.size(); }
    // The port goes away at virtual time AtUs (an adapter pulled out, a device
    // that hangs up): from then on every read and write fails at once, and a
    // read waiting at that moment fails then.
    void Unplug(int64_t AtUs) { FGoneUs = AtUs; }

    // --- recording ------------------------------------------------------------
    // On by default. A long-running line (the demo mode) switches it off so that
    // the record of written bytes and events does not grow without end.
    void SetRecording(bool Value) { FRecording = Value; }
    bool Recording() const { return FRecording; }
    const std::vector<uint8_t>& Written() const { return FWritten; }
    void ClearWritten() { FWritten.clear(); }
    const std::vector<TSimEvent>& Events() const { return FEvents; }
    void ClearEvents() { FEvents.clear(); }
    // The events as text, e.g. "OPEN DTR+ RTS- PURGE W11 RTS-"; Open, Close and
    // LineSettings are left out unless All is true.
    std::string EventTrace(bool All = false) const;
    bool Rts() const { return FRts; }
    bool Dtr() const { return FDtr; }
    std::string OpenedName() const { return FName; }
    const TSerialTimeouts& Timeouts() const { return FTimeouts; }
    const TSerialLineSettings& LineSettings() const { return FLine; }
    uint32_t InputQueueSize() const { return FInQueue; }
    uint32_t OutputQueueSize() const { return FOutQueue; }
    uint32_t EventMask() const { return FEventMask; }
    int OpenCount() const { return FOpenCount; }

    // --- TSerialDevice ----------------------------------------------------------
    TSerialOpenResult Open(const std::string& Name) override;
    void Close() override;
    bool IsOpen() const override { return FOpen; }
    uint32_t Handle() const override { return FOpen ? SimHandle : SerialInvalidHandle; }
    uint32_t PlatformId() const override { return FPlatformId; }
    bool SetEventMask(uint32_t Mask) override;
    bool SetTimeouts(const TSerialTimeouts& Timeouts) override;
    bool SetQueueSizes(uint32_t InputBytes, uint32_t OutputBytes) override;
    bool GetLineSettings(TSerialLineSettings& Settings) override;
    bool SetLineSettings(const TSerialLineSettings& Settings) override;
    bool SetRts(bool Raised) override;
    bool SetDtr(bool Raised) override;
    bool Purge() override;
    uint32_t TakeLineErrors() override;
    TSerialIoResult Read(uint8_t* Buffer, size_t Count) override;
    TSerialIoResult Write(const uint8_t* Data, size_t Count) override;
    void Wait(uint32_t Ms) override;

private:
    struct TInByte {
        uint8_t Byte;
        int64_t ArrivalUs;
        uint32_t LineErrors;
    };
    bool Fails(TSimOp Op) const { return FFailingOps.count(Op) != 0; }
    void Record(TSimEventKind Kind, bool Level = false, size_t Count = 0);
    int64_t ReadDeadlineUs(size_t Count) const;

    TSimClock FClock;
    int64_t FCharTimeUs = 0;
    TSimPeer* FPeer = nullptr;
    std::deque<TInByte> FInput;
    uint32_t FLineErrors = 0;

    bool FOpen = false;
    std::string FName;
    int FOpenCount = 0;
    TSerialOpenResult FOpenResult = TSerialOpenResult::Ok;
    std::set<TSimOp> FFailingOps;
    uint32_t FPlatformId = 0;
    bool FFailNextWrite = false;
    size_t FFailedWriteCount = 0;
    std::deque<TSimReadFault> FReadFaults;
    int64_t FGoneUs = INT64_MAX;

    uint32_t FEventMask = 0xFFFFFFFFu;
    TSerialTimeouts FTimeouts {};
    TSerialLineSettings FLine {9600, SerialParityNone, SerialStopBits1, 8, true, false, false};
    uint32_t FInQueue = 4096;
    uint32_t FOutQueue = 4096;
    bool FRts = false;
    bool FDtr = false;

    bool FRecording = true;
    std::vector<uint8_t> FWritten;
    std::vector<TSimEvent> FEvents;
};
