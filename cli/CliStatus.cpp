#include "cli/CliStatus.h"

#include "transmitter/StatusRead.h"
#include "transmitter/TransmitterRead.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <optional>

namespace {

const QString Json = QStringLiteral("json");
const QString FailOn = QStringLiteral("fail-on");
const QString Yes = QStringLiteral("yes");

// A class as --fail-on names it: its option word or its name, any case.
std::optional<TNe107Class> ClassOption(const QString& Value)
{
    const QString wanted = Value.trimmed();
    for (const TNe107Name& name : Ne107Names)
        if (wanted.compare(QLatin1String(name.Option), Qt::CaseInsensitive) == 0
            || wanted.compare(QLatin1String(name.Text), Qt::CaseInsensitive) == 0)
            return name.Class;
    return std::nullopt;
}

QString Translated(TCliSession& Session, const TStatusWord& Word)
{
    QString text = Session.Translate(QString::fromStdString(Word.Key));
    for (const int arg : Word.Args)
        text = text.arg(arg);
    return text;
}

QString WordList(TCliSession& Session, const std::vector<TStatusWord>& Words)
{
    QStringList texts;
    for (const TStatusWord& word : Words)
        texts << Translated(Session, word);
    return texts.isEmpty() ? Session.Translate(QStringLiteral("DS.NONE")) : texts.join(QStringLiteral(", "));
}

QJsonArray EnglishArray(const std::vector<TStatusWord>& Words)
{
    QJsonArray array;
    for (const TStatusWord& word : Words)
        array.append(QString::fromStdString(word.Text));
    return array;
}

QString Hex(const std::vector<uint8_t>& Bytes)
{
    QStringList bytes;
    for (const uint8_t byte : Bytes)
        bytes << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return bytes.join(QLatin1Char(' '));
}

bool ConfigurationChanged(const TDeviceHealth& Health)
{
    return Health.DeviceStatus & ConfigurationChangedBit;
}

void PrintJson(TCliSession& Session, const TDeviceHealth& Health)
{
    QJsonArray bytes;
    for (const uint8_t byte : Health.Additional)
        bytes.append(int(byte));
    const QJsonObject object {
        {QStringLiteral("deviceStatus"),
         QJsonObject {{QStringLiteral("value"), int(Health.DeviceStatus)},
                      {QStringLiteral("flags"), EnglishArray(DeviceStatus::DeviceStatusWords(Health.DeviceStatus))}}},
        {QStringLiteral("additionalStatus"),
         QJsonObject {{QStringLiteral("supported"), Health.AdditionalRead},
                      {QStringLiteral("bytes"), bytes},
                      {QStringLiteral("flags"), EnglishArray(DeviceStatus::AdditionalStatusWords(Health.Additional))}}},
        {QStringLiteral("ne107"), QString::fromLatin1(DeviceStatus::Ne107Name(DeviceStatus::Classify(Health)).Text)},
        {QStringLiteral("configurationChanged"), ConfigurationChanged(Health)},
        {QStringLiteral("writeProtected"), DeviceStatus::IsWriteProtected(Health.WriteProtect)},
    };
    Session.Out << QJsonDocument(object).toJson(QJsonDocument::Indented);
}

void PrintText(TCliSession& Session, const TDeviceHealth& Health)
{
    const auto line = [&Session](const char* Label, const QString& Value) {
        Session.Out << QStringLiteral("%1 %2").arg(QString::fromLatin1(Label) + QLatin1Char(':'), -22).arg(Value)
                    << '\n';
    };
    line("Device status",
         QStringLiteral("%1 (%2)").arg(Hex({Health.DeviceStatus}),
                                       WordList(Session, DeviceStatus::DeviceStatusWords(Health.DeviceStatus))));
    line("Additional status",
         Health.AdditionalRead ? QStringLiteral("%1 (%2)").arg(
             Hex(Health.Additional), WordList(Session, DeviceStatus::AdditionalStatusWords(Health.Additional)))
                               : Session.Translate(QStringLiteral("AS.NOTIMPLEMENTED")));
    line("NE 107 class",
         Session.Translate(QString::fromLatin1(DeviceStatus::Ne107Name(DeviceStatus::Classify(Health)).Key)));
    line("Configuration changed",
         Session.Translate(ConfigurationChanged(Health) ? QStringLiteral("DS.YES") : QStringLiteral("DS.NO")));
    line("Write protection", Translated(Session, DeviceStatus::WriteProtectWord(Health.WriteProtect)));
}

int Show(TCliSession& Session, const TDeviceHealth& Health, int Status)
{
    if (Session.Options.Json)
        PrintJson(Session, Health);
    else
        PrintText(Session, Health);
    if (Status != CliDone || Session.Options.FailOn.isEmpty())
        return Status;
    const TNe107Class limit = *ClassOption(Session.Options.FailOn);
    const TNe107Class now = DeviceStatus::Classify(Health);
    if (now < limit)
        return Status;
    Session.Note(QStringLiteral("the transmitter is in the class \"%1\" (--fail-on %2)")
                     .arg(QString::fromLatin1(DeviceStatus::Ne107Name(now).Text), Session.Options.FailOn));
    return CliUnhealthy;
}

}  // namespace

bool IsStatusCommand(const QString& Command)
{
    return Command == QLatin1String("status") || Command == QLatin1String("reset-changed");
}

void AddStatusOptions(QCommandLineParser& Parser, const QString& Command)
{
    Parser.addOption({Json, QStringLiteral("Print one JSON object.")});
    Parser.addOption({FailOn,
                      QStringLiteral("Exit with 4 when the transmitter is in this NE 107 class or a more severe one: "
                                     "maintenance, out-of-spec, function-check or failure."),
                      QStringLiteral("CLASS")});
    if (Command == QLatin1String("reset-changed"))
        Parser.addOption({Yes, QStringLiteral("Really send it.")});
}

void TakeStatusOptions(TCliOptions& Options, const QCommandLineParser& Parser)
{
    Options.Json = Parser.isSet(Json);
    Options.Yes = Options.Command == QLatin1String("reset-changed") && Parser.isSet(Yes);
    if (Parser.isSet(FailOn)) {
        Options.FailOn = Parser.value(FailOn);
        if (!ClassOption(Options.FailOn))
            throw ECliUsage(QStringLiteral("--fail-on takes maintenance, out-of-spec, function-check or failure."));
    }
}

int RunStatus(TCliSession& Session)
{
    // The status read identifies the transmitter itself: its command 0 is the
    // first reply, the one a cold start shows in.
    Session.Hart().OpenPort(CliDevicePath(Session.Options.Port).toStdString());
    ApplyLineRules(Session.Hart(), Session.Options.Usb, Session.Options.HartSensor);
    return Show(Session, TStatusRead(Session.Hart()).Read(), CliDone);
}

int RunResetChanged(TCliSession& Session)
{
    if (!Session.Options.Yes) {
        Session.Err << "calvista-cli: reset-changed would clear the transmitter's configuration-changed flag "
                       "(HART command 38). Nothing was sent: add --yes to do it.\n";
        return CliUsage;
    }
    Session.Connect();
    const TDeviceHealth health = TStatusRead(Session.Hart()).ResetConfigurationChanged();
    if (!ConfigurationChanged(health))
        return Show(Session, health, CliDone);
    Show(Session, health, CliDone);
    Session.Note(QStringLiteral("the transmitter acknowledged the reset but still reports its configuration as "
                                "changed"));
    return CliUnverified;
}
