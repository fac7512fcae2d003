#pragma once
// Where the window's serial devices come from. One factory is chosen at start
// and serves the link (through TFactorySerialDevice), the probing of the port
// list and the port reset before a read, so that all three see the same ports:
// the platform's serial ports in the program, the simulated transmitter "SIM"
// in the demo mode, simulated lines in the tests.

#include "ports/ForwardingSerialDevice.h"
#include "ports/NetworkPort.h"
#include "ports/SimPort.h"

#include <memory>
#include <string>
#include <vector>

class TSerialDeviceFactory {
public:
    virtual ~TSerialDeviceFactory() = default;

    // A closed device that can open Path (a device path as the window forms it).
    virtual std::unique_ptr<TSerialDevice> CreateDevice(const std::string& Path) = 0;
    // Names the port list offers after COM1 to COM40 (USB and ACM adapters by
    // path on POSIX systems, the demo port), in this order.
    virtual std::vector<std::string> AdapterPorts() { return {}; }
    // Whether Name is opened as it is, without forming a device path from it.
    virtual bool IsVirtualPort(const std::string& /*Name*/) const { return false; }
    // The network link behind a HART-IP port name, or null for a serial port.
    virtual std::unique_ptr<THartTransport> CreateTransport(const std::string& Name)
    {
        return CreateNetworkTransport(Name);
    }
};

// The platform's serial ports.
class TPlatformSerialDeviceFactory : public TSerialDeviceFactory {
public:
    std::unique_ptr<TSerialDevice> CreateDevice(const std::string& Path) override;
    std::vector<std::string> AdapterPorts() override;
};

// Simulated transmitters on named ports, each behind one simulated line that
// lives as long as the factory (so its clock and the transmitter's state go on
// from one opening to the next). A line is used by one opener at a time, as a
// real port is. A COM port is served under each of the names the platform
// accepts for it ("COM3", "COM3:", "\\.\COM3"); other names exactly. Names not
// served go to the fallback factory, or fail to open as unknown ports.
class TSimPortFactory : public TSerialDeviceFactory {
public:
    explicit TSimPortFactory(std::unique_ptr<TSerialDeviceFactory> Fallback = nullptr);
    ~TSimPortFactory() override;

    // Puts Transmitter behind a new line named Name; the line is returned for
    // its settings (clock, pace) and for looking at what went over it.
    TSimTransmitterLine& AddPort(const std::string& Name, TSimTransmitter& Transmitter);
    // The line of a port added, or null.
    TSimSerialDevice* Line(const std::string& Name) const;

    std::unique_ptr<TSerialDevice> CreateDevice(const std::string& Path) override;
    // The fallback's adapter ports, then the simulated ports that are no COM ports.
    std::vector<std::string> AdapterPorts() override;
    bool IsVirtualPort(const std::string& Name) const override;

private:
    struct TPort;
    TPort* Find(const std::string& Path) const;

    std::unique_ptr<TSerialDeviceFactory> FFallback;
    std::vector<std::unique_ptr<TPort>> FPorts;
};

// The demo mode: the platform's ports and, as the last port, "SIM", a simulated
// transmitter in this process answering at the pace of a 1200-baud line in real
// time.
class TDemoSerialDeviceFactory : public TSimPortFactory {
public:
    static inline const std::string DemoPortName = SimPortName;

    TDemoSerialDeviceFactory();
    ~TDemoSerialDeviceFactory() override;

    TSimTransmitter& Transmitter() { return *FTransmitter; }

private:
    std::unique_ptr<TSimTransmitter> FTransmitter;
};

// The link's device: opening a name asks the factory for the device behind it,
// and every later call goes to that device until the next opening.
class TFactorySerialDevice : public TForwardingSerialDevice {
public:
    explicit TFactorySerialDevice(TSerialDeviceFactory& Factory)
        : FFactory(Factory)
    {
    }

    TSerialOpenResult Open(const std::string& Name) override;
    void Close() override;
    uint32_t PlatformId() const override;
    void Wait(uint32_t Ms) override;
    int64_t NowUs() const override;

    // The device behind the port opened last, if any.
    TSerialDevice* Current() const { return FDevice.get(); }

protected:
    TSerialDevice* Target() const override { return FDevice.get(); }

private:
    TSerialDeviceFactory& FFactory;
    std::unique_ptr<TSerialDevice> FDevice;
};
