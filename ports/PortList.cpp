#include "ports/PortList.h"

#include "hart/SerialDevice.h"

#ifndef _WIN32
#include "hart/PosixSerialDevice.h"
#endif

namespace {

constexpr int LastListedComPort = 40;

}  // namespace

std::vector<std::string> AdapterPortPaths()
{
#ifdef _WIN32
    return {};
#else
    return SerialDevicePathsOfKinds({"ttyUSB", "ttyACM"});
#endif
}

std::vector<std::string> OpenablePorts(const std::vector<std::string>& Others,
                                       const std::function<bool(const std::string& Name)>& CanOpen)
{
    std::vector<std::string> ports;
    for (int n = 1; n <= LastListedComPort; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (CanOpen(name))
            ports.push_back(name);
    }
    for (const std::string& name : Others)
        if (CanOpen(name))
            ports.push_back(name);
    return ports;
}

bool PortOpens(TSerialDevice* Device, const std::string& Path)
{
    if (!Device || Device->Open(Path) != TSerialOpenResult::Ok)
        return false;
    Device->Close();
    return true;
}
