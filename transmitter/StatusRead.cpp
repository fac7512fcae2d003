#include "transmitter/StatusRead.h"

#include <QStringList>

namespace {

QString English(const std::vector<TStatusWord>& Words)
{
    return QString::fromStdString(DeviceStatus::EnglishList(Words));
}

// The key the command layer raises for response code 64.
const std::string NotImplementedKey = "137.COMMANDNOTIMPLEMENTED";

}  // namespace

void TStatusRead::Step(const QString& Line)
{
    FFrontEnd.Log(Line);
    FFrontEnd.StepStarted();
}

void TStatusRead::Done()
{
    FFrontEnd.StepDone();
}

void TStatusRead::TakeDeviceStatus(TDeviceHealth& Health) const
{
    // The newest reply's device status (also a refusal carries it). Cold start
    // is said once, in the first reply after power-up: it stays in what the
    // read reports.
    const uint8_t coldStart = Health.DeviceStatus & ColdStartBit;
    Health.DeviceStatus = FHart.Response.Data[1] | coldStart;
}

TDeviceHealth TStatusRead::Read()
{
    THartDevInfo devInfo;
    return Read(devInfo);
}

TDeviceHealth TStatusRead::Read(THartDevInfo& DevInfo)
{
    TDeviceHealth health;
    health.DeviceStatus = 0;
    Step(QStringLiteral("Read device status"));
    DevInfo = THartDevInfo();
    FHart.ReadUniqueIdentifier(DevInfo);
    TakeDeviceStatus(health);
    Done();

    Step(QStringLiteral("Read write protection"));
    TPrVarInfo output;
    FHart.ReadPrVarInfo(output);
    health.WriteProtectRead = true;
    health.WriteProtect = output.WriteProtect;
    TakeDeviceStatus(health);
    Done();

    ReadAdditional(health);
    FFrontEnd.Log(QStringLiteral("Device status: %1 (%2); %3; %4")
                      .arg(English(DeviceStatus::DeviceStatusWords(health.DeviceStatus)),
                           QString::fromLatin1(DeviceStatus::Ne107Name(DeviceStatus::Classify(health)).Text),
                           health.AdditionalRead ? QStringLiteral("additional status: ")
                                                       + English(DeviceStatus::AdditionalStatusWords(health.Additional))
                                                 : QStringLiteral("no additional status"),
                           QString::fromStdString(DeviceStatus::WriteProtectWord(health.WriteProtect).Text)));
    return health;
}

void TStatusRead::ReadAdditional(TDeviceHealth& Health)
{
    Step(QStringLiteral("Read additional device status"));
    std::vector<uint8_t> bytes;
    try {
        FHart.ReadAdditionalDeviceStatus(bytes);
    } catch (const EHartComError& e) {
        if (e.Message() != NotImplementedKey)
            throw;
        Health.AdditionalNotImplemented = true;
        TakeDeviceStatus(Health);
        Done();
        FFrontEnd.Log(QStringLiteral("The transmitter has no additional device status (command 48)"));
        return;
    }
    Health.AdditionalRead = true;
    Health.AdditionalNotImplemented = false;
    Health.Additional = std::move(bytes);
    TakeDeviceStatus(Health);
    Done();
}

TDeviceHealth TStatusRead::ResetConfigurationChanged()
{
    Step(QStringLiteral("Reset configuration changed flag"));
    FHart.ResetConfigurationChangedFlag();
    Done();
    return Read();
}
