#include "cli/CliPorts.h"

#include "ports/PortDevice.h"
#include "ports/PortList.h"
#include "ports/PortNames.h"

std::unique_ptr<TSerialDevice> CreateCliDevice(const QString& Port)
{
    if (ParsePortName(Port.toStdString()).Kind != TPortName::Sim)
        return CreatePortDevice();
    auto device = std::make_unique<TSimTransmitterLine>(std::make_unique<TSimTransmitter>());
    ConfigureSimPort(*device, {.Instant = qEnvironmentVariableIntValue("CALVISTA_SIM_INSTANT") == 1,
                               .Devices = qEnvironmentVariable("CALVISTA_SIM_DEVICES").toStdString()});
    return device;
}

QString CliDevicePath(const QString& Port)
{
#ifdef _WIN32
    const TPortName port = ParsePortName(Port.toStdString());
    if (port.Kind == TPortName::Com && !port.DeviceNamespace && port.Number >= 10)
        return QString::fromStdString(WindowsComName(port.Number));
#endif
    return Port;
}

QStringList CliPortList(const TDeviceFactory& Factory)
{
    const auto canOpen = [&Factory](const std::string& Name) {
        const QString port = QString::fromStdString(Name);
        return PortOpens(Factory(port).get(), CliDevicePath(port).toStdString());
    };
    QStringList ports;
    for (const std::string& port : OpenablePorts(AdapterPortPaths(), canOpen))
        ports << QString::fromStdString(port);
    ports << QString::fromStdString(SimPortName);
    return ports;
}
