#include "ports/SerialDeviceFactory.h"

#include "ports/PortDevice.h"
#include "ports/PortList.h"
#include "ports/PortNames.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

// --- the platform's ports -------------------------------------------------------

std::unique_ptr<TSerialDevice> TPlatformSerialDeviceFactory::CreateDevice(const std::string&)
{
    return CreatePortDevice();
}

std::vector<std::string> TPlatformSerialDeviceFactory::AdapterPorts()
{
    // Listed by path after the COM ports.
    return AdapterPortPaths();
}

// --- simulated ports --------------------------------------------------------------

namespace {

bool IsComKey(const std::string& Key)
{
    return ParsePortName(Key).Kind == TPortName::Com;
}

// One opener's use of a simulated line: it holds the line from its Open to its
// Close; while another opener holds it, Open answers that the port is in use.
class TSimPortHandle : public TForwardingSerialDevice {
public:
    explicit TSimPortHandle(TSimSerialDevice& Line)
        : FLine(Line)
    {
    }
    ~TSimPortHandle() override { TSimPortHandle::Close(); }

    TSerialOpenResult Open(const std::string& Name) override
    {
        if (FHolding)
            return TSerialOpenResult::Ok;
        const TSerialOpenResult result = FLine.Open(Name);
        FHolding = result == TSerialOpenResult::Ok;
        return result;
    }
    void Close() override
    {
        if (FHolding)
            FLine.Close();
        FHolding = false;
    }
    uint32_t PlatformId() const override { return FLine.PlatformId(); }
    void Wait(uint32_t Ms) override { FLine.Wait(Ms); }
    int64_t NowUs() const override { return FLine.NowUs(); }

protected:
    TSerialDevice* Target() const override { return FHolding ? &FLine : nullptr; }

private:
    TSimSerialDevice& FLine;
    bool FHolding = false;
};

// A port nobody serves: it cannot be opened.
class TMissingPort : public TSimSerialDevice {
public:
    TMissingPort() { SetOpenResult(TSerialOpenResult::NotFound); }
};

}  // namespace

struct TSimPortFactory::TPort {
    std::string Name;
    std::string Key;
    std::unique_ptr<TSimTransmitterLine> Line;
};

TSimPortFactory::TSimPortFactory(std::unique_ptr<TSerialDeviceFactory> Fallback)
    : FFallback(std::move(Fallback))
{
}

TSimPortFactory::~TSimPortFactory() = default;

TSimTransmitterLine& TSimPortFactory::AddPort(const std::string& Name, TSimTransmitter& Transmitter)
{
    auto port = std::make_unique<TPort>();
    port->Name = Name;
    port->Key = PortKey(Name);
    port->Line = std::make_unique<TSimTransmitterLine>(Transmitter);
    FPorts.push_back(std::move(port));
    return *FPorts.back()->Line;
}

TSimPortFactory::TPort* TSimPortFactory::Find(const std::string& Path) const
{
    const std::string key = PortKey(Path);
    for (const auto& port : FPorts)
        if (port->Key == key)
            return port.get();
    return nullptr;
}

TSimSerialDevice* TSimPortFactory::Line(const std::string& Name) const
{
    TPort* port = Find(Name);
    return port ? port->Line.get() : nullptr;
}

std::unique_ptr<TSerialDevice> TSimPortFactory::CreateDevice(const std::string& Path)
{
    if (TPort* port = Find(Path))
        return std::make_unique<TSimPortHandle>(*port->Line);
    if (FFallback)
        return FFallback->CreateDevice(Path);
    return std::make_unique<TMissingPort>();
}

std::vector<std::string> TSimPortFactory::AdapterPorts()
{
    std::vector<std::string> ports;
    if (FFallback)
        ports = FFallback->AdapterPorts();
    for (const auto& port : FPorts)
        if (!IsComKey(port->Key))
            ports.push_back(port->Name);
    return ports;
}

bool TSimPortFactory::IsVirtualPort(const std::string& Name) const
{
    const TPort* port = Find(Name);
    return port && !IsComKey(port->Key);
}

// --- the demo transmitter ------------------------------------------------------

TDemoSerialDeviceFactory::TDemoSerialDeviceFactory()
    : TSimPortFactory(std::make_unique<TPlatformSerialDeviceFactory>())
    , FTransmitter(std::make_unique<TSimTransmitter>())
{
    TSimTransmitterLine& line = AddPort(DemoPortName, *FTransmitter);
    // CALVISTA_SIM_DEVICES puts more transmitters on the demo line; a list
    // that cannot be used leaves the one transmitter and says why.
    const char* devices = std::getenv("CALVISTA_SIM_DEVICES");
    try {
        ConfigureSimPort(line, {.Instant = false, .Drifting = true, .Devices = devices ? devices : ""});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "CALVISTA_SIM_DEVICES: %s\n", e.what());
        ConfigureSimPort(line, {.Instant = false, .Drifting = true, .Devices = {}});
    }
}

TDemoSerialDeviceFactory::~TDemoSerialDeviceFactory() = default;

// --- the link's device ------------------------------------------------------------

TSerialOpenResult TFactorySerialDevice::Open(const std::string& Name)
{
    if (FDevice && FDevice->IsOpen())
        FDevice->Close();
    FDevice = FFactory.CreateDevice(Name);
    if (!FDevice)
        return TSerialOpenResult::NotFound;
    return FDevice->Open(Name);
}

void TFactorySerialDevice::Close()
{
    if (FDevice)
        FDevice->Close();
}

uint32_t TFactorySerialDevice::PlatformId() const
{
    // The link asks once, before any port is open: ask a device of the
    // platform's kind.
    if (FDevice)
        return FDevice->PlatformId();
    const auto probe = FFactory.CreateDevice(std::string());
    return probe ? probe->PlatformId() : 0;
}

void TFactorySerialDevice::Wait(uint32_t Ms)
{
    if (FDevice) {
        FDevice->Wait(Ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(Ms));
}

int64_t TFactorySerialDevice::NowUs() const
{
    if (FDevice)
        return FDevice->NowUs();
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
