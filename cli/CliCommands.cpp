// read, write, save-cfg, apply-cfg and trim: the window's workflows through the
// shared read sequence, verified write and configuration-file codec.

#include "cli/CliCommands.h"

#include "transmitter/ConfigFile.h"
#include "services/SettingsText.h"
#include "transmitter/TransmitterRead.h"
#include "transmitter/VerifiedWrite.h"

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
    TTransmitterRead(Session.Hart()).ReadAll(data);
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

std::string UnitName(const QString& Value)
{
    QStringList known;
    for (int code = 1; code <= 255; ++code) {
        const std::string name = THart::GetUnitName(uint8_t(code));
        if (name == "unknown")
            continue;
        if (Value.compare(Text(name), Qt::CaseInsensitive) == 0)
            return name;
        known << Text(name);
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

// One verified step's outcome: the status text when it matched, else the
// window's message with what the transmitter kept.
int Outcome(TCliSession& Session, TWriteStep Step, const TWriteResult& Result, const char* StatusKey)
{
    if (Result.Verified) {
        Session.Out << Session.Translate(QString::fromLatin1(StatusKey)) << '\n';
        return CliDone;
    }
    return Session.Report(QStringLiteral("E7.frmMain"), CliUnverified,
                          QStringLiteral("Kept: %1").arg(TVerifiedWrite::ReadBackText(Step, Result)));
}

struct TSettings {
    std::string Unit;  // empty: not written
    std::optional<std::pair<float, float>> Range;
    std::optional<float> Damping;
};

// Unit, range and damping in the window's order. The range goes in the unit
// given, else in the unit the transmitter's range has now.
int WriteSettings(TCliSession& Session, const TSettings& Settings)
{
    TVerifiedWrite writer(Session.Hart());
    int status = CliDone;
    if (!Settings.Unit.empty())
        status
            = std::max(status, Outcome(Session, TWriteStep::Unit, writer.WriteUnit(Settings.Unit), "infWrittenRanges"));
    if (Settings.Range) {
        std::string unit = Settings.Unit;
        if (unit.empty()) {
            TPrVarInfo output;
            Session.Hart().ReadPrVarInfo(output);
            unit = output.Unit;
        }
        const auto [lower, upper] = *Settings.Range;
        status = std::max(
            status, Outcome(Session, TWriteStep::Range, writer.WriteRange(unit, upper, lower), "infWrittenRanges"));
    }
    if (Settings.Damping)
        status = std::max(
            status, Outcome(Session, TWriteStep::Damping, writer.WriteDamping(*Settings.Damping), "infWrittenDamping"));
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
        Session.Out << QJsonDocument(object).toJson(QJsonDocument::Indented);
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
    for (const auto& [label, value] : fields)
        Session.Out
            << QStringLiteral("%1 %2").arg(QString::fromLatin1(label) + QLatin1Char(':'), -17).arg(value).trimmed()
            << '\n';
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
    TSettings settings;
    if (o.Unit)
        settings.Unit = UnitName(*o.Unit);
    if (o.Range)
        settings.Range = Range(*o.Range);
    if (o.Damping)
        settings.Damping = Damping(Session, QStringLiteral("--damping"), *o.Damping);

    Session.Connect();
    int status = CliDone;
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
        TVerifiedWrite writer(Session.Hart());
        status = Outcome(Session, TWriteStep::Description, writer.WriteDescription(values), "infWrittenTDD");
    }
    if (!settings.Unit.empty() || settings.Range || settings.Damping)
        status = std::max(status, WriteSettings(Session, settings));
    return status;
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
    const TConfigItems items = TConfigFile::Load(Session.Options.File);
    const QString file = Session.Options.File + QStringLiteral(": ");
    TSettings settings;
    if (!items.Unit.trimmed().isEmpty())
        settings.Unit = UnitName(items.Unit.trimmed());
    settings.Range = std::pair {Number(file + QStringLiteral("lower range"), items.LowerRange),
                                Number(file + QStringLiteral("upper range"), items.UpperRange)};
    settings.Damping = Damping(Session, file + QStringLiteral("damping"), items.Damping);
    Session.Connect();
    return WriteSettings(Session, settings);
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
