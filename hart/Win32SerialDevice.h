#pragma once
// The serial port on Windows: a COM device opened by name with CreateFile and
// driven by the communications functions of the Win32 API. Names are passed
// as they are ("COM5", "COM5:", "\\.\COM12").
//
// A read or write reports Ok=false when the port itself failed (the call
// failed, or the port's status can no longer be read: a USB adapter pulled
// out); a plain time-out is Ok=true with a short count.

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "hart/SerialDevice.h"

class TWin32SerialDevice : public TSerialDevice {
public:
    TWin32SerialDevice() = default;
    ~TWin32SerialDevice() override;
    TWin32SerialDevice(const TWin32SerialDevice&) = delete;
    TWin32SerialDevice& operator=(const TWin32SerialDevice&) = delete;

    TSerialOpenResult Open(const std::string& Name) override;
    void Close() override;
    bool IsOpen() const override { return FHandle != INVALID_HANDLE_VALUE; }
    uint32_t Handle() const override;
    uint32_t PlatformId() const override;
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

private:
    // Reads and clears the driver's error flags into FLineErrors; false when the
    // port no longer answers.
    bool GatherLineErrors();

    HANDLE FHandle = INVALID_HANDLE_VALUE;
    uint32_t FLineErrors = 0;  // flags gathered by a read or write, not yet taken
    DCB FDcb {};  // the driver's settings as last read
    bool FHaveDcb = false;
};

// The COM port names listed under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM.
std::vector<std::string> PlatformSerialDeviceNames();

#endif  // _WIN32
