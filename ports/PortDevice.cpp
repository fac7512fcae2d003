#include "ports/PortDevice.h"

#include "hart/HartCom.h"

#ifndef _WIN32
#include "hart/PosixSerialDevice.h"
#include "ports/PortNames.h"

namespace {

class TPosixPortDevice : public TPosixSerialDevice {
public:
    TSerialOpenResult Open(const std::string& Name) override
    {
        const std::string path = PosixSerialDevicePath(Name);
        if (path.empty())
            return TSerialOpenResult::NotFound;
        return TPosixSerialDevice::Open(path);
    }
};

}  // namespace
#endif

std::unique_ptr<TSerialDevice> CreatePortDevice()
{
#ifdef _WIN32
    return CreatePlatformSerialDevice();
#else
    return std::make_unique<TPosixPortDevice>();
#endif
}
