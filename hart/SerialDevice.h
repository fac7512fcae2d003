#pragma once
// The serial port as the HART link sees it. The link (THartCom) talks only to
// this interface, so the same transaction code runs on a Win32 COM port, a POSIX
// tty or a pseudo-terminal, and on the in-process simulated line used by the
// tests and the demo mode. All waiting of the link (read deadlines, the RTS hold)
// goes through the device, so a simulated device can keep it on a virtual clock.
//
// This header stands alone (no .cpp): the simulator may include it without
// linking anything else of the link layer.

#include <cstddef>
#include <cstdint>
#include <string>

// How opening a port by name ended.
enum class TSerialOpenResult : uint8_t {
    Ok,
    NotFound,  // no such device, or the device is not functioning
    AccessDenied,  // in use by another program (or by us), or no permission
    OtherError,
};

// Read and write time-outs of the port, in milliseconds. A read of n bytes gives
// up after ReadPerByteMs * n + ReadConstantMs and returns what it has; a write of
// n bytes after WritePerByteMs * n + WriteConstantMs.
struct TSerialTimeouts {
    uint32_t ReadIntervalMs = 0;  // gap between two received bytes; 0 = not used
    uint32_t ReadPerByteMs = 10;
    uint32_t ReadConstantMs = 500;
    uint32_t WritePerByteMs = 10;
    uint32_t WriteConstantMs = 1000;
};

// Parity codes as the driver knows them.
enum : uint8_t {
    SerialParityNone = 0,
    SerialParityOdd = 1,
    SerialParityEven = 2,
    SerialParityMark = 3,
    SerialParitySpace = 4,
};

// Stop-bit codes as the driver knows them.
enum : uint8_t {
    SerialStopBits1 = 0,
    SerialStopBits15 = 1,
    SerialStopBits2 = 2,
};

// The line settings the link reads, changes and writes back. A device keeps
// every setting of its driver that is not named here as the driver reported it
// with the last GetLineSettings.
struct TSerialLineSettings {
    uint32_t BaudRate = 1200;
    uint8_t Parity = SerialParityOdd;
    uint8_t StopBits = SerialStopBits1;
    uint8_t DataBits = 8;
    bool Binary = true;
    bool ParityCheck = true;
    bool RtsToggle = false;  // the driver raises RTS only while it transmits
};

// Line-error flags, read and cleared together. The bit values are those of the
// Win32 communications driver, so its flags pass through unchanged; other bits a
// driver may report (such as an output-queue overflow) keep their own values.
enum : uint32_t {
    SerialErrRxOver = 0x0001,  // input queue overflow
    SerialErrOverrun = 0x0002,  // character overrun in the UART
    SerialErrParity = 0x0004,  // parity error
    SerialErrFrame = 0x0008,  // framing error
    SerialErrBreak = 0x0010,  // break detected
};

// Event mask value meaning "no events".
inline constexpr uint32_t SerialEventsNone = 0;

// Outcome of one blocking read or write: Ok is false when the call itself
// failed; Count is the number of bytes moved either way.
struct TSerialIoResult {
    bool Ok = true;
    size_t Count = 0;
};

// Handle value reported while no port is open.
inline constexpr uint32_t SerialInvalidHandle = 0xFFFFFFFFu;

// Platform identifier of the Windows NT family, whose serial driver can switch
// RTS around each transmission by itself.
inline constexpr uint32_t SerialPlatformWinNT = 2;

class TSerialDevice {
public:
    virtual ~TSerialDevice() = default;

    // Opens the port by the name the operating system knows it by, for reading
    // and writing. Fails with AccessDenied when the port is in use.
    virtual TSerialOpenResult Open(const std::string& Name) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The operating-system handle of the open port, SerialInvalidHandle if none.
    virtual uint32_t Handle() const = 0;
    // Platform identifier of the system the device runs on (SerialPlatformWinNT
    // means the driver has an RTS toggle mode).
    virtual uint32_t PlatformId() const = 0;

    virtual bool SetEventMask(uint32_t Mask) = 0;
    virtual bool SetTimeouts(const TSerialTimeouts& Timeouts) = 0;
    virtual bool SetQueueSizes(uint32_t InputBytes, uint32_t OutputBytes) = 0;
    virtual bool GetLineSettings(TSerialLineSettings& Settings) = 0;
    virtual bool SetLineSettings(const TSerialLineSettings& Settings) = 0;

    virtual bool SetRts(bool Raised) = 0;
    virtual bool SetDtr(bool Raised) = 0;

    // Discards pending output and received input of both queues.
    virtual bool Purge() = 0;
    // Returns the line-error flags gathered since the last call and clears them.
    virtual uint32_t TakeLineErrors() = 0;

    // One blocking read of up to Count bytes, bounded by the read time-outs.
    virtual TSerialIoResult Read(uint8_t* Buffer, size_t Count) = 0;
    // One blocking write; returns once the bytes have left the transmitter.
    virtual TSerialIoResult Write(const uint8_t* Data, size_t Count) = 0;

    // Blocks for Ms milliseconds (the RTS hold after a write).
    virtual void Wait(uint32_t Ms) = 0;
    // A monotonic clock in microseconds, the one Read and Wait run on.
    virtual int64_t NowUs() const = 0;
};
