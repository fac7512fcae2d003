#include "cli/CliPorts.h"

#include "hart/HartCom.h"
#include "services/AdapterPorts.h"

#include <QRegularExpression>

#include <algorithm>

TCliSimDevice::TCliSimDevice(TSimTransmitter& Transmitter)
    : FPeer(Transmitter, *this)
{
}

TCliSimDevice::TCliSimDevice(std::unique_ptr<TSimTransmitter> Transmitter)
    : FOwned(std::move(Transmitter))
    , FPeer(*FOwned, *this)
{
}

std::unique_ptr<TSerialDevice> CreateCliDevice(const QString& Port)
{
    if (Port.compare(SimPortName, Qt::CaseInsensitive) != 0)
        return CreatePlatformSerialDevice();
    auto transmitter = std::make_unique<TSimTransmitter>();
    const bool instant = qEnvironmentVariableIntValue("CALVISTA_SIM_INSTANT") == 1;
    if (!instant)
        transmitter->SetPacing(TSimPacing::Baud1200());
    auto device = std::make_unique<TCliSimDevice>(std::move(transmitter));
    if (!instant) {
        device->SetRealTime(true);
        device->SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
    }
    return device;
}

QString CliDevicePath(const QString& Port)
{
#ifdef _WIN32
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+):?$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(Port);
    if (match.hasMatch() && match.captured(1).toInt() >= 10)
        return QStringLiteral("\\\\.\\COM") + match.captured(1);
#endif
    return Port;
}

namespace {

bool CanOpen(const TDeviceFactory& Factory, const QString& Port)
{
    std::unique_ptr<TSerialDevice> device = Factory(Port);
    if (!device || device->Open(CliDevicePath(Port).toStdString()) != TSerialOpenResult::Ok)
        return false;
    device->Close();
    return true;
}

}  // namespace

QStringList CliPortList(const TDeviceFactory& Factory)
{
    QStringList candidates;
    for (int n = 1; n <= 40; ++n)
        candidates << QStringLiteral("COM%1").arg(n);
    candidates << AdapterPortPaths();
    QStringList ports;
    for (const QString& port : candidates)
        if (CanOpen(Factory, port))
            ports << port;
    ports << SimPortName;
    return ports;
}
