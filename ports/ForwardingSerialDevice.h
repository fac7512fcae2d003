#pragma once
// A serial device that hands every call to another one, chosen anew for each
// call (Target). Without a target a call fails as on a closed port; the time
// base and the platform come from the subclass. The port handles of the
// factories derive from it, so the list of forwarded calls is written once.

#include "hart/SerialDevice.h"

class TForwardingSerialDevice : public TSerialDevice {
public:
    bool IsOpen() const override;
    uint32_t Handle() const override;
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

protected:
    // The device the calls go to now, or null.
    virtual TSerialDevice* Target() const = 0;
};
