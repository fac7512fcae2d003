#include "ports/ForwardingSerialDevice.h"

bool TForwardingSerialDevice::IsOpen() const
{
    const TSerialDevice* device = Target();
    return device && device->IsOpen();
}

uint32_t TForwardingSerialDevice::Handle() const
{
    const TSerialDevice* device = Target();
    return device ? device->Handle() : SerialInvalidHandle;
}

bool TForwardingSerialDevice::SetEventMask(uint32_t Mask)
{
    TSerialDevice* device = Target();
    return device && device->SetEventMask(Mask);
}

bool TForwardingSerialDevice::SetTimeouts(const TSerialTimeouts& Timeouts)
{
    TSerialDevice* device = Target();
    return device && device->SetTimeouts(Timeouts);
}

bool TForwardingSerialDevice::SetQueueSizes(uint32_t InputBytes, uint32_t OutputBytes)
{
    TSerialDevice* device = Target();
    return device && device->SetQueueSizes(InputBytes, OutputBytes);
}

bool TForwardingSerialDevice::GetLineSettings(TSerialLineSettings& Settings)
{
    TSerialDevice* device = Target();
    return device && device->GetLineSettings(Settings);
}

bool TForwardingSerialDevice::SetLineSettings(const TSerialLineSettings& Settings)
{
    TSerialDevice* device = Target();
    return device && device->SetLineSettings(Settings);
}

bool TForwardingSerialDevice::SetRts(bool Raised)
{
    TSerialDevice* device = Target();
    return device && device->SetRts(Raised);
}

bool TForwardingSerialDevice::SetDtr(bool Raised)
{
    TSerialDevice* device = Target();
    return device && device->SetDtr(Raised);
}

bool TForwardingSerialDevice::Purge()
{
    TSerialDevice* device = Target();
    return device && device->Purge();
}

uint32_t TForwardingSerialDevice::TakeLineErrors()
{
    TSerialDevice* device = Target();
    return device ? device->TakeLineErrors() : 0;
}

TSerialIoResult TForwardingSerialDevice::Read(uint8_t* Buffer, size_t Count)
{
    TSerialDevice* device = Target();
    return device ? device->Read(Buffer, Count) : TSerialIoResult {false, 0};
}

TSerialIoResult TForwardingSerialDevice::Write(const uint8_t* Data, size_t Count)
{
    TSerialDevice* device = Target();
    return device ? device->Write(Data, Count) : TSerialIoResult {false, 0};
}
