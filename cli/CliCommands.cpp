// read, write, save-cfg, apply-cfg and trim: the window's workflows through the
// shared read sequence, settings write and configuration-file codec.

#include "cli/CliCommands.h"

#include "transmitter/ConfigFile.h"
#include "services/SettingsText.h"
#include "services/StreamError.h"
#include "transmitter/TransmitterRead.h"
#include "transmitter/VerifiedWrite.h"
#include "transmitter/SettingsWrite.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <vector>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

// A float as JSON shows it: the value with the window's 7 significant digits.
double JsonNumber(float Value)
{
    return QString::number(double(Value), 'g', 7).toDouble();
}

TTransmitterData ReadTransmitter(TCliSession& Session)
{
    Session.Hart().OpenPort(CliDevicePath(Session.Options.Port).toStdString());
    ApplyLineRules(Session.Hart(), Session.Options.Usb, Session.Options.HartSensor);
    TTransmitterData data;
    Session.Reader().ReadAll(data);
    return data;
}

// --- write's values, checked before anything is sent -------------------------------

std::string PackedText(const QString& Option, const QString& Value, int Width)
{
    const QString text = Value.trimmed().toUpper();
    if (text.size() > Width)
        throw ECliUsage(QStringLiteral("%1 holds at most %2 characters.").arg(Option).arg(Width));
    const qsizetype bad = FirstUnstorableChar(text);
    if (bad >= 0)
        throw ECliUsage(QStringLiteral("%1: a transmitter cannot store the character '%2' (it stores A-Z, 0-9, "
                                       "blank and most punctuation).")
                            .arg(Option, text.at(bad)));
    return text.toStdString();
}

// The unit table spells inches of water "inH20"; "inH2O" is the right name.
const QString InchesOfWater = QStringLiteral("inH2O");
const QString InchesOfWaterInTable = QStringLiteral("inH20");

std::string UnitName(const QString& Value)
{
    const QString wanted = Value.compare(InchesOfWater, Qt::CaseInsensitive) == 0 ? InchesOfWaterInTable : Value;
    QStringList known;
    for (int code = 1; code <= 255; ++code) {
        const std::string name = THart::GetUnitName(uint8_t(code));
        if (name == "unknown")
            continue;
        if (wanted.compare(Text(name), Qt::CaseInsensitive) == 0)
            return name;
        known << (Text(name) == InchesOfWaterInTable ? InchesOfWater : Text(name));
    }
    throw ECliUsage(
        QStringLiteral("Unknown unit '%1'; the units are: %2.").arg(Value, known.join(QStringLiteral(", "))));
}

float Number(const QString& Option, const QString& Value)
{
    const std::optional<float> number = SettingNumber(Value);
    if (!number)
        throw ECliUsage(QStringLiteral("%1: '%2' is no number.").arg(Option, Value));
    return *number;
}

float Damping(TCliSession& Session, const QString& Option, const QString& Value)
{
    const float damping = Number(Option, Value);
    if (damping > 100.0f || !(damping >= 0.0f))
        throw ECliUsage(Session.Translate(QStringLiteral("E4.frmMain")));
    return damping;
}

std::pair<float, float> Range(const QString& Value)
{
    // "LRV:URV"; both may carry a sign and either decimal separator.
    const QStringList parts = Value.split(QLatin1Char(':'));
    if (parts.size() != 2)
        throw ECliUsage(QStringLiteral("--range takes LRV:URV, e.g. 0:10."));
    return {Number(QStringLiteral("--range"), parts[0]), Number(QStringLiteral("--range"), parts[1])};
}

// The steps' status texts once every step is written; when one failed, why,
// and what the transmitter holds now. The port is closed after a unit, range
// or damping, as the window's Set closes it.
int WriteSettings(TCliSession& Session, const TSettingsPlan& Plan)
{
    TSettingsWrite writer(Session.Hart());
    writer.Translate = [&Session](const QString& Key) { return Session.Translate(Key); };
    const TSettingsWriteResult result = writer.Write(Plan);
    int status = CliDone;
    if (result.Ok()) {
        QStringList lines;
        for (const TWriteStep step : result.Written)
            lines << Session.Translate(TSettingsWrite::StatusKey(step, true));
        lines.removeDuplicates();
        for (const QString& line : lines)
            Session.Out << line << '\n';
    } else if (result.Key == QLatin1String("E7.frmMain")) {
        status = Session.Report(result.Key, CliUnverified,
                                QStringLiteral("Kept: %1").arg(TVerifiedWrite::ReadBackText(result.Step, result.Kept)));
    } else {
        Session.Err << "calvista-cli: " << result.Reason << " (" << result.Key << ")\n";
        status = CliFailed;
    }
    if (!result.Aftermath.isEmpty())
        Session.Err << "calvista-cli: " << result.Aftermath << '\n';
    if (Plan.Unit || Plan.Range || Plan.Damping)
        Session.Hart().ClosePort();
    return status;
}

}  // namespace

// --- read ---------------------------------------------------------------------------

int RunRead(TCliSession& Session)
{
    const TTransmitterData data = ReadTransmitter(Session);
    const THartDevInfo& id = data.DevInfo;
    const TSensorInfo& sensor = data.SensorInfo;
    const TPrVarInfo& output = data.OutputInfo;
    if (Session.Options.Json) {
        const QJsonObject object {
            {QStringLiteral("manufacturer"), Text(id.Manufacturer)},
            {QStringLiteral("transmitterType"), Text(id.DeviceType)},
            {QStringLiteral("serialNumber"), Text(id.SerialNr)},
            {QStringLiteral("deviceRevision"), Text(id.DeviceRev)},
            {QStringLiteral("softwareRevision"), Text(id.SoftwareRev)},
            {QStringLiteral("universalCommandRevision"), Text(id.UnivCmdRev)},
            {QStringLiteral("upperLimit"), JsonNumber(sensor.UpperLimit)},
            {QStringLiteral("lowerLimit"), JsonNumber(sensor.LowerLimit)},
            {QStringLiteral("minSpan"), JsonNumber(sensor.MinSpan)},
            {QStringLiteral("unit"), Text(sensor.Unit)},
            {QStringLiteral("upperRange"), JsonNumber(output.UpperRange)},
            {QStringLiteral("lowerRange"), JsonNumber(output.LowerRange)},
            {QStringLiteral("damping"), JsonNumber(output.Damping)},
            {QStringLiteral("tag"), Text(data.Tag).trimmed()},
            {QStringLiteral("descriptor"), Text(data.Descriptor).trimmed()},
            {QStringLiteral("date"), DescriptionDateText(data)},
        };
        QJsonObject shown = object;
        const THartIdentity& more = data.Identity;
        if (more.HasLongTag())
            shown.insert(QStringLiteral("longTag"), Text(data.LongTag));
        if (more.HasHart6Fields) {
            shown.insert(QStringLiteral("configChangeCounter"), more.ConfigChangeCounter);
            shown.insert(QStringLiteral("extendedDeviceStatus"), more.ExtendedStatus);
        }
        if (more.HasHart7Fields) {
            shown.insert(QStringLiteral("expandedDeviceType"), more.DeviceTypeCode);
            shown.insert(QStringLiteral("manufacturerCode"), more.ManufacturerCode);
            shown.insert(QStringLiteral("distributorCode"), more.DistributorCode);
        }
        Session.Out << QJsonDocument(shown).toJson(QJsonDocument::Indented);
        return CliDone;
    }
    const std::vector<std::pair<const char*, QString>> fields = {
        {"Manufacturer", Text(id.Manufacturer)},
        {"Transmitter type", Text(id.DeviceType)},
        {"Serial number", Text(id.SerialNr)},
        {"Revision", RevisionText(id)},
        {"Univ. command", Text(id.UnivCmdRev)},
        {"Upper limit", UpperLimitText(sensor)},
        {"Lower limit", LowerLimitText(sensor)},
        {"Min. span", MinSpanText(sensor)},
        {"Upper range", ReadNumberText(output.UpperRange)},
        {"Lower range", ReadNumberText(output.LowerRange)},
        {"Unit", Text(sensor.Unit)},
        {"Damping", ReadNumberText(output.Damping)},
        {"Tag", Text(data.Tag)},
        {"Descriptor", Text(data.Descriptor)},
        {"Date", DescriptionDateText(data)},
    };
    std::vector<std::pair<const char*, QString>> shown = fields;
    if (data.Identity.HasLongTag())
        shown.insert(shown.begin() + 13, {"Long tag", Text(data.LongTag)});
    for (const auto& [label, value] : shown)
        Session.Out
            << QStringLiteral("%1 %2").arg(QString::fromLatin1(label) + QLatin1Char(':'), -17).arg(value).trimmed()
            << '\n';
    for (const QString& line : IdentityExtensionLines(data.Identity))
        Session.Out << line << '\n';
    return CliDone;
}

// --- write ----------------------------------------------------------------------------

int RunWrite(TCliSession& Session)
{
    const TCliOptions& o = Session.Options;
    std::optional<std::string> tag, descriptor;
    std::optional<QDate> date;
    if (o.Tag)
        tag = PackedText(QStringLiteral("--tag"), *o.Tag, 8);
    if (o.Descriptor)
        descriptor = PackedText(QStringLiteral("--descriptor"), *o.Descriptor, 16);
    if (o.Date) {
        date = SettingDate(*o.Date);
        if (!date)
            throw ECliUsage(Session.Translate(QStringLiteral("E1.frmMain")));
    }
    TSettingsPlan plan;
    if (o.Unit)
        plan.Unit = UnitName(*o.Unit);
    if (o.Range) {
        const auto [lower, upper] = Range(*o.Range);
        plan.Range = TRangeValues {lower, upper};
    }
    if (o.Damping)
        plan.Damping = Damping(Session, QStringLiteral("--damping"), *o.Damping);

    Session.Connect();
    if (o.LongTag) {
        const int status = WriteLongTag(Session, *o.LongTag);
        if (status != CliDone || (!tag && !descriptor && !date && !plan.Unit && !plan.Range && !plan.Damping))
            return status;
    }
    if (tag || descriptor || date) {
        // Command 18 writes all three: what is not given is kept as it is.
        TDescription values;
        Session.Hart().ReadTagDescriptorDate(values.Tag, values.Descriptor, values.Day, values.Month, values.Year);
        if (tag)
            values.Tag = *tag;
        if (descriptor)
            values.Descriptor = *descriptor;
        if (date) {
            values.Day = uint8_t(date->day());
            values.Month = uint8_t(date->month());
            values.Year = uint16_t(date->year());
        }
        plan.Description = values;
    }
    return WriteSettings(Session, plan);
}

// --- configuration files ------------------------------------------------------------

int RunSaveCfg(TCliSession& Session)
{
    const TTransmitterData data = ReadTransmitter(Session);
    // The texts the window shows after a read, so the file is the one it saves.
    const TConfigItems items {ReadNumberText(data.OutputInfo.UpperRange), ReadNumberText(data.OutputInfo.LowerRange),
                              UnitListEntry(UnitListNames(Session.Lang), data.SensorInfo.Unit),
                              ReadNumberText(data.OutputInfo.Damping)};
    TConfigFile::Save(Session.Options.File, items);
    Session.Out << items.LowerRange << " ... " << items.UpperRange << ' ' << items.Unit << ", " << items.Damping
                << " s -> " << Session.Options.File << '\n';
    return CliDone;
}

int RunApplyCfg(TCliSession& Session)
{
    const QString& file = Session.Options.File;
    TConfigItems items;
    try {
        items = TConfigFile::Load(file);
    } catch (const EStreamError& e) {
        // What is wrong inside a damaged file, said with the file's name.
        if (e.Message().contains(file))
            throw;
        throw EStreamError(QStringLiteral("%1: %2").arg(file, e.Message()));
    }
    TSettingsPlan plan;
    // A value in the file that cannot be used is the file's fault, not the
    // command line's: exit 1 with the file's name, before anything is sent.
    try {
        if (!items.Unit.trimmed().isEmpty())
            plan.Unit = UnitName(items.Unit.trimmed());
        plan.Range = TRangeValues {Number(QStringLiteral("lower range"), items.LowerRange),
                                   Number(QStringLiteral("upper range"), items.UpperRange)};
        plan.Damping = Damping(Session, QStringLiteral("damping"), items.Damping);
    } catch (const ECliUsage& e) {
        return Session.Error(QStringLiteral("%1: %2").arg(file, e.Message()));
    }
    Session.Connect();
    return WriteSettings(Session, plan);
}

// --- trim -------------------------------------------------------------------------------

int RunTrim(TCliSession& Session)
{
    const QString& what = Session.Options.Trim;
    const QString action
        = what == QLatin1String("zero")
              ? QStringLiteral("set the zero to the pressure applied to the transmitter now "
                               "(HART command 43)")
              : QStringLiteral("set the %1 range value to the pressure applied to the "
                               "transmitter now (HART command %2)")
                    .arg(what, what == QLatin1String("upper") ? QStringLiteral("36") : QStringLiteral("37"));
    if (!Session.Options.Yes) {
        Session.Err << "calvista-cli: trim would " << action << ". Nothing was sent: add --yes to do it.\n";
        return CliUsage;
    }
    Session.Connect();
    THart& hart = Session.Hart();
    if (what == QLatin1String("upper"))
        hart.SetUpperRangeValue();
    else if (what == QLatin1String("lower"))
        hart.SetLowerRangeValue();
    else
        hart.SetPVZero();
    TPrVarInfo output;
    hart.ReadPrVarInfo(output);
    Session.Out << "Done: " << action << ".\nRange: " << ReadNumberText(output.LowerRange) << " ... "
                << ReadNumberText(output.UpperRange) << ' ' << Text(output.Unit) << '\n';
    return CliDone;
}
