#include "transmitter/TransmitterRead.h"

#include "services/LocaleDateTime.h"
#include "services/NumberFormat.h"
#include "services/UnitLangManager.h"

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

// The form's unit list, used where the language file names no entry.
const char* const FormUnits[] = {"bar", "mbar", "kPa", "Pa", "mmH2O", "psi", "mmHg", "Torr", "kg/cm2", "g/cm2", "atm"};

}  // namespace

void TTransmitterRead::Log(const QString& Line) const
{
    FFrontEnd->Log(Line);
}

void TTransmitterRead::Pending() const
{
    FFrontEnd->Pending();
}

void TTransmitterRead::ReadIdentity(THartDevInfo& DevInfo)
{
    DevInfo = THartDevInfo();
    if (!FFindTag.empty()) {
        Log(QStringLiteral("Find transmitter by tag ") + Text(FFindTag));
        Pending();
        FHart.FindByTag(FFindTag, DevInfo);
    } else {
        Log(QStringLiteral("Read unique identifier")
            + (FHart.PollingAddress() ? QStringLiteral(" at polling address %1").arg(FHart.PollingAddress())
                                      : QString()));
        Pending();
        FHart.ReadUniqueIdentifier(DevInfo);
    }
    Log(QStringLiteral("Main data:  ") + Text(DevInfo.Manufacturer) + QStringLiteral(";  ") + Text(DevInfo.DeviceType)
        + QStringLiteral("; ") + Text(DevInfo.SerialNr));
    Log(QStringLiteral("Software: ") + RevisionText(DevInfo) + QStringLiteral(";  Univ. Command: ")
        + Text(DevInfo.UnivCmdRev));
}

QStringList IdentityExtensionLines(const THartIdentity& Id)
{
    QStringList lines;
    if (Id.HasHart6Fields)
        lines << QStringLiteral("HART 6: reply preambles %1; device variables %2; configuration changes %3; "
                                "extended status 0x%4")
                     .arg(Id.ReplyPreambles)
                     .arg(Id.MaxDeviceVariables)
                     .arg(Id.ConfigChangeCounter)
                     .arg(Id.ExtendedStatus, 2, 16, QLatin1Char('0'));
    if (Id.HasHart7Fields)
        lines << QStringLiteral("HART 7: expanded device type 0x%1; manufacturer %2; distributor %3; profile %4")
                     .arg(Id.DeviceTypeCode, 4, 16, QLatin1Char('0'))
                     .arg(Id.ManufacturerCode)
                     .arg(Id.DistributorCode)
                     .arg(Id.DeviceProfile);
    return lines;
}

void TTransmitterRead::ReadLimits(TSensorInfo& SensorInfo)
{
    SensorInfo = TSensorInfo();
    Log(QStringLiteral("Read Primary Variable Output Information"));
    Pending();
    FHart.ReadSensorInfo(SensorInfo);
}

void TTransmitterRead::ReadOutput(TPrVarInfo& OutputInfo, const std::string& SensorUnit)
{
    FHart.ReadPrVarInfo(OutputInfo);
    const QString unit = Text(SensorUnit);
    Log(QStringLiteral("Current settings: Lower Range - ") + ReadNumberText(OutputInfo.LowerRange) + QLatin1Char(' ')
        + unit + QStringLiteral("  Upper Range - ") + ReadNumberText(OutputInfo.UpperRange) + QLatin1Char(' ') + unit
        + QStringLiteral("  Damping - ") + ReadNumberText(OutputInfo.Damping) + QStringLiteral(" s"));
}

void TTransmitterRead::ReadDescription(TTransmitterData& Data)
{
    Log(QStringLiteral("Read Tag, Descriptor, Date"));
    FHart.ReadTagDescriptorDate(Data.Tag, Data.Descriptor, Data.Day, Data.Month, Data.Year);
    // A device whose date was never set sends bytes that form no calendar date
    // (day 0, month 0): the read goes on, so that the device can still be
    // configured and given a date.
    const QDate date = Data.Date();
    if (!date.isValid())
        Log(QStringLiteral("ReadTDD: the device's date is no valid date (day %1, month %2, year %3)")
                .arg(Data.Day)
                .arg(Data.Month)
                .arg(Data.Year));
    Log(QStringLiteral("ReadTDD: ") + Text(Data.Tag) + QStringLiteral("; ") + Text(Data.Descriptor)
        + QStringLiteral(";  ") + (date.isValid() ? ShortDateText(date) : QString()));
}

void TTransmitterRead::ReadAll(TTransmitterData& Data, const std::function<void(const QString&)>& AfterStep)
{
    const auto step = [&AfterStep](const char* Key) {
        if (AfterStep)
            AfterStep(QString::fromLatin1(Key));
    };
    ReadIdentity(Data.DevInfo);
    Data.Identity = FHart.Identity();
    step("infReadUniqueIdent");
    ReadLimits(Data.SensorInfo);
    ReadOutput(Data.OutputInfo, Data.SensorInfo.Unit);
    step("infReadOutput");
    ReadDescription(Data);
    ReadLongTag(Data);
    step("infReadAddInfo");
}

void TTransmitterRead::ReadLongTag(TTransmitterData& Data)
{
    Data.LongTag.clear();
    if (!Data.Identity.HasLongTag())
        return;
    Log(QStringLiteral("Read long tag"));
    FHart.ReadLongTag(Data.LongTag);
    Log(QStringLiteral("Long tag: ") + Text(Data.LongTag));
}

// --- texts ---------------------------------------------------------------------------

QString ReadNumberText(float Value)
{
    return FormatGeneral(double(Value), 7);
}

QString RevisionText(const THartDevInfo& DevInfo)
{
    return Text(DevInfo.DeviceRev) + QLatin1Char('/') + Text(DevInfo.SoftwareRev);
}

QString UpperLimitText(const TSensorInfo& SensorInfo)
{
    return ReadNumberText(SensorInfo.UpperLimit) + QLatin1Char(' ') + Text(SensorInfo.Unit);
}

QString LowerLimitText(const TSensorInfo& SensorInfo)
{
    return ReadNumberText(SensorInfo.LowerLimit) + QStringLiteral("  ") + Text(SensorInfo.Unit);
}

QString MinSpanText(const TSensorInfo& SensorInfo)
{
    return ReadNumberText(SensorInfo.MinSpan) + QStringLiteral("  ") + Text(SensorInfo.Unit);
}

QString DescriptionDateText(const TTransmitterData& Data)
{
    const QDate date = Data.Date();
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QStringList UnitListNames(const TLangManager& Lang)
{
    QStringList names;
    int index = 0;
    for (const char* formName : FormUnits) {
        const QString text = Lang.Translate(QStringLiteral("cmbUnit.Item%1").arg(index++));
        names << (text == TLangManager::NotDefined ? QString::fromLatin1(formName) : text);
    }
    return names;
}

QString UnitListEntry(const QStringList& Names, const std::string& Unit)
{
    const QString unit = Text(Unit);
    for (const QString& name : Names)
        if (name.compare(unit, Qt::CaseInsensitive) == 0)
            return name;
    return QString();
}

void ApplyLineRules(THartCom& Hart, bool UseUsb, bool HartSensor)
{
    // A network link has no RTS line and no modem to wait for.
    if (Hart.NetworkLink())
        return;
    if (UseUsb && HartSensor) {
        Hart.SetUseRTS(false);
        Hart.SetRTS();
    } else if (UseUsb) {
        Hart.SetUseRTS(false);
        Hart.ClearRTS();
    } else if (HartSensor) {
        Hart.SetUseRTS(true);
        // The modem needs a moment after RTS is handed to the link.
        Hart.Device().Wait(200);
    }
}
