#include "app/SerialDeviceFactory.h"

#include "hart/HartCom.h"
#include "services/AdapterPorts.h"
#include "sim/SimSerialDevice.h"
#include "sim/SimTransmitter.h"
#include "sim/SimTransmitterPeer.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <chrono>
#include <thread>

// --- the platform's ports -------------------------------------------------------

std::unique_ptr<TSerialDevice> TPlatformSerialDeviceFactory::CreateDevice(const std::string&)
{
    return CreatePlatformSerialDevice();
}

std::vector<std::string> TPlatformSerialDeviceFactory::AdapterPorts()
{
    // Listed by path after the COM ports.
    std::vector<std::string> ports;
    for (const QString& path : AdapterPortPaths())
        ports.push_back(path.toStdString());
    return ports;
}

// --- simulated ports --------------------------------------------------------------

namespace {

// "COM3", "com3:" and "\\.\COM3" all name the port COM3; other names stay as
// they are.
std::string PortKey(const std::string& Name)
{
    static const QRegularExpression comName(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?(COM[0-9]+):?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(QString::fromStdString(Name));
    if (match.hasMatch())
        return match.captured(1).toUpper().toStdString();
    return Name;
}

bool IsComKey(const std::string& Key)
{
    return Key.rfind("COM", 0) == 0 && Key.size() > 3
           && std::all_of(Key.begin() + 3, Key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One opener's use of a simulated line: it holds the line from its Open to its
// Close; while another opener holds it, Open answers that the port is in use.
class TSimPortHandle : public TSerialDevice {
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
    bool IsOpen() const override { return FHolding && FLine.IsOpen(); }
    uint32_t Handle() const override { return FHolding ? FLine.Handle() : SerialInvalidHandle; }
    uint32_t PlatformId() const override { return FLine.PlatformId(); }
    bool SetEventMask(uint32_t Mask) override { return FHolding && FLine.SetEventMask(Mask); }
    bool SetTimeouts(const TSerialTimeouts& Timeouts) override { return FHolding && FLine.SetTimeouts(Timeouts); }
    bool SetQueueSizes(uint32_t In, uint32_t Out) override { return FHolding && FLine.SetQueueSizes(In, Out); }
    bool GetLineSettings(TSerialLineSettings& Settings) override { return FHolding && FLine.GetLineSettings(Settings); }
    bool SetLineSettings(const TSerialLineSettings& Settings) override
    {
        return FHolding && FLine.SetLineSettings(Settings);
    }
    bool SetRts(bool Raised) override { return FHolding && FLine.SetRts(Raised); }
    bool SetDtr(bool Raised) override { return FHolding && FLine.SetDtr(Raised); }
    bool Purge() override { return FHolding && FLine.Purge(); }
    uint32_t TakeLineErrors() override { return FHolding ? FLine.TakeLineErrors() : 0; }
    TSerialIoResult Read(uint8_t* Buffer, size_t Count) override
    {
        return FHolding ? FLine.Read(Buffer, Count) : TSerialIoResult {false, 0};
    }
    TSerialIoResult Write(const uint8_t* Data, size_t Count) override
    {
        return FHolding ? FLine.Write(Data, Count) : TSerialIoResult {false, 0};
    }
    void Wait(uint32_t Ms) override { FLine.Wait(Ms); }
    int64_t NowUs() const override { return FLine.NowUs(); }

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
    std::unique_ptr<TSimSerialDevice> Line;
    std::unique_ptr<TSimTransmitterPeer> Peer;
};

TSimPortFactory::TSimPortFactory(std::unique_ptr<TSerialDeviceFactory> Fallback)
    : FFallback(std::move(Fallback))
{
}

TSimPortFactory::~TSimPortFactory() = default;

TSimSerialDevice& TSimPortFactory::AddPort(const std::string& Name, TSimTransmitter& Transmitter)
{
    auto port = std::make_unique<TPort>();
    port->Name = Name;
    port->Key = PortKey(Name);
    port->Line = std::make_unique<TSimSerialDevice>();
    port->Peer = std::make_unique<TSimTransmitterPeer>(Transmitter, *port->Line);
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
    FTransmitter->SetPacing(TSimPacing::Baud1200());
    // A pressure that drifts slowly around 2.5 bar with a little noise, so that
    // the charts of the demo show a curve.
    TSimSignal signal;
    signal.Shape = TSimSignalShape::Sine;
    signal.Level = 2.5;
    signal.Amplitude = 1.5;
    signal.PeriodS = 60.0;
    signal.Noise = 0.02;
    FTransmitter->SetSignal(signal);
    TSimSerialDevice& line = AddPort(DemoPortName, *FTransmitter);
    line.SetRealTime(true);
    line.SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
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

bool TFactorySerialDevice::IsOpen() const
{
    return FDevice && FDevice->IsOpen();
}

uint32_t TFactorySerialDevice::Handle() const
{
    return FDevice ? FDevice->Handle() : SerialInvalidHandle;
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

bool TFactorySerialDevice::SetEventMask(uint32_t Mask)
{
    return FDevice && FDevice->SetEventMask(Mask);
}

bool TFactorySerialDevice::SetTimeouts(const TSerialTimeouts& Timeouts)
{
    return FDevice && FDevice->SetTimeouts(Timeouts);
}

bool TFactorySerialDevice::SetQueueSizes(uint32_t InputBytes, uint32_t OutputBytes)
{
    return FDevice && FDevice->SetQueueSizes(InputBytes, OutputBytes);
}

bool TFactorySerialDevice::GetLineSettings(TSerialLineSettings& Settings)
{
    return FDevice && FDevice->GetLineSettings(Settings);
}

bool TFactorySerialDevice::SetLineSettings(const TSerialLineSettings& Settings)
{
    return FDevice && FDevice->SetLineSettings(Settings);
}

bool TFactorySerialDevice::SetRts(bool Raised)
{
    return FDevice && FDevice->SetRts(Raised);
}

bool TFactorySerialDevice::SetDtr(bool Raised)
{
    return FDevice && FDevice->SetDtr(Raised);
}

bool TFactorySerialDevice::Purge()
{
    return FDevice && FDevice->Purge();
}

uint32_t TFactorySerialDevice::TakeLineErrors()
{
    return FDevice ? FDevice->TakeLineErrors() : 0;
}

TSerialIoResult TFactorySerialDevice::Read(uint8_t* Buffer, size_t Count)
{
    if (!FDevice)
        return {false, 0};
    return FDevice->Read(Buffer, Count);
}

TSerialIoResult TFactorySerialDevice::Write(const uint8_t* Data, size_t Count)
{
    if (!FDevice)
        return {false, 0};
    return FDevice->Write(Data, Count);
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
