#pragma once
// The serial port on POSIX systems (termios), opened by its device path (the
// port layer forms it from a COM name).
// Read and write time-outs are kept as poll() deadlines; a write returns once
// the bytes have left the UART (tcdrain). The port is held exclusively
// (flock and TIOCEXCL). Line errors come from the driver's interrupt counters
// where it has them, else from PARMRK marks in the input stream.

#include <deque>
#include <string>
#include <vector>

#include "hart/SerialDevice.h"

// Undoes PARMRK marking on the raw input: 0xFF 0xFF is a data byte 0xFF;
// 0xFF 0x00 X is byte X received with a parity or framing error, or a break
// (X = 0). Moves up to Wanted decoded bytes from Raw to Out, a marked byte as
// it was received; an incomplete sequence at the end waits in Raw. With
// MarkFlags, Errors collects the line-error flags the marks stand for.
size_t DecodeParityMarks(std::deque<uint8_t>& Raw, uint8_t* Out, size_t Wanted, bool ParityOn, bool MarkFlags,
                         uint32_t& Errors);

class TPosixSerialDevice : public TSerialDevice {
public:
    // Not the Windows NT family: the link switches RTS itself.
    static constexpr uint32_t PosixPlatformId = 0;

    TPosixSerialDevice() = default;
    ~TPosixSerialDevice() override;
    TPosixSerialDevice(const TPosixSerialDevice&) = delete;
    TPosixSerialDevice& operator=(const TPosixSerialDevice&) = delete;

    TSerialOpenResult Open(const std::string& Name) override;
    void Close() override;
    bool IsOpen() const override { return FFd >= 0; }
    uint32_t Handle() const override;
    uint32_t PlatformId() const override { return PosixPlatformId; }
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
    int64_t NowUs() const override;

    // True when the open device is a pseudo-terminal (no modem lines).
    bool IsPseudoTerminal() const { return FIsPty; }
    // True when line errors come from PARMRK marks rather than counters.
    bool UsesParityMarks() const { return FUseParityMarks; }

protected:
    struct TCounters {
        int Frame = 0, Overrun = 0, Parity = 0, Brk = 0, BufOverrun = 0;
    };
    // The driver's error counters; false where it has none.
    virtual bool ReadCounters(TCounters& Counters) const;
    // Bytes still in the driver's output queue, or -1 if it cannot tell.
    virtual int OutputPending() const;

private:
    bool ModemLine(int Line, bool Raised);
    bool ConfigureRaw();
    // Moves decoded bytes from the raw input into Out.
    size_t DecodeInput(uint8_t* Out, size_t Wanted);
    bool FillRaw(int TimeoutMs, bool& Failed);
    // Waits for the output to leave, at most until DeadlineUs.
    bool DrainBefore(int64_t DeadlineUs);
    // Remembers that the port has gone when a call failed with Error.
    void NoteFailure(int Error);

    int FFd = -1;
    bool FIsPty = false;
    bool FUseParityMarks = false;
    bool FGone = false;  // the port failed (hung up, unplugged) since it was opened
    bool FParityOn = false;
    TSerialTimeouts FTimeouts {};
    TCounters FLastCounters {};
    uint32_t FMarkedErrors = 0;
    std::deque<uint8_t> FRaw;  // bytes read from the driver, not yet decoded
};

// Serial device paths present on this machine.
std::vector<std::string> PlatformSerialDeviceNames();
// The paths /dev/<kind><number> present, kind by kind in the order given, each
// kind in numeric order.
std::vector<std::string> SerialDevicePathsOfKinds(const std::vector<std::string>& Kinds);
