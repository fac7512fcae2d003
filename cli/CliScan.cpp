// scan, set-address, write --long-tag, and the options that choose a
// transmitter on a line (--address, --find-tag) and the master (--secondary).

#include "cli/CliCommands.h"

#include "hart/ErrorKeys.h"
#include "hart/RangeError.h"
#include "transmitter/TransmitterScan.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

uint8_t Address(const QString& Option, const QString& Value)
{
    bool ok = false;
    const int address = Value.trimmed().toInt(&ok);
    if (!ok || address < 0 || address > 63)
        throw ECliUsage(QStringLiteral("%1 takes a polling address from 0 to 63.").arg(Option));
    return uint8_t(address);
}

// The front end of a scan: the log lines go to standard error with --frames.
class TCliScanFrontEnd : public TTransmitterFrontEnd {
public:
    explicit TCliScanFrontEnd(TCliSession& Session)
        : FSession(Session)
    {
    }
    void Log(const QString& Line) override
    {
        if (FSession.Options.Frames)
            FSession.Err << "# " << Line << '\n';
    }

private:
    TCliSession& FSession;
};

QJsonObject EntryObject(const TScanEntry& Entry)
{
    return QJsonObject {
        {QStringLiteral("address"), Entry.Address},
        {QStringLiteral("manufacturer"), ScanManufacturerText(Entry)},
        {QStringLiteral("deviceType"), ScanDeviceTypeText(Entry)},
        {QStringLiteral("deviceId"), Entry.DevInfo.DeviceId},
        {QStringLiteral("revision"), int(Entry.Identity.UnivCmdRev)},
        {QStringLiteral("tag"), Text(Entry.Tag)},
        {QStringLiteral("longTag"), Text(Entry.LongTag)},
    };
}

void PrintEntry(QTextStream& Out, const TScanEntry& Entry)
{
    Out << QStringLiteral("%1  %2  %3  %4  HART %5  %6")
               .arg(Entry.Address, 2)
               .arg(ScanManufacturerText(Entry), -12)
               .arg(ScanDeviceTypeText(Entry), -12)
               .arg(Entry.DevInfo.DeviceId, 8)
               .arg(ScanRevisionText(Entry), Text(Entry.Tag))
        << (Entry.LongTag.empty() ? QString() : QStringLiteral("  ") + Text(Entry.LongTag)) << '\n';
}

}  // namespace

void TakeAddressOptions(TCliOptions& Options, const QCommandLineParser& Parser)
{
    if (Parser.isSet(QStringLiteral("address")))
        Options.Address = Address(QStringLiteral("--address"), Parser.value(QStringLiteral("address")));
    Options.FindTag = Parser.value(QStringLiteral("find-tag")).trimmed().toUpper();
    if (Parser.isSet(QStringLiteral("find-tag")) && Options.FindTag.isEmpty())
        throw ECliUsage(QStringLiteral("--find-tag needs a tag."));
    if (Options.FindTag.size() > 8)
        throw ECliUsage(QStringLiteral("--find-tag: a tag holds at most 8 characters."));
    if (!Options.FindTag.isEmpty() && Parser.isSet(QStringLiteral("address")))
        throw ECliUsage(QStringLiteral("Give either --address or --find-tag."));
    Options.Secondary = Parser.isSet(QStringLiteral("secondary"));
}

void TakeScanOptions(TCliOptions& Options, const QCommandLineParser& Parser)
{
    if (Options.Command == QLatin1String("set-address")) {
        Options.NewAddress = Address(QStringLiteral("set-address"), Parser.positionalArguments().first());
        Options.Yes = Parser.isSet(QStringLiteral("yes"));
        return;
    }
    Options.Json = Parser.isSet(QStringLiteral("json"));
    if (!Parser.isSet(QStringLiteral("addresses")))
        return;
    const QRegularExpressionMatch range
        = QRegularExpression(QStringLiteral("^\\s*(\\d+)\\s*-\\s*(\\d+)\\s*$")).match(Parser.value("addresses"));
    if (!range.hasMatch())
        throw ECliUsage(QStringLiteral("--addresses takes A-B, e.g. 0-15."));
    Options.FirstAddress = Address(QStringLiteral("--addresses"), range.captured(1));
    Options.LastAddress = Address(QStringLiteral("--addresses"), range.captured(2));
    if (Options.FirstAddress > Options.LastAddress)
        throw ECliUsage(QStringLiteral("--addresses: the first address is above the last."));
}

void PrepareLink(TCliSession& Session)
{
    THart& hart = Session.Hart();
    hart.SetPollingAddress(Session.Options.Address);
    hart.SetPrimaryMaster(!Session.Options.Secondary);
    // A repeat is news: with --frames it stands between the exchanges, and a
    // delayed response says how long it has been waiting.
    hart.Patient().OnRetry = [&Session](const TRetryNote& Note) {
        const QString what = Note.ResponseCode == 32 ? QStringLiteral("busy") : QStringLiteral("delayed response");
        const QString line = QStringLiteral("%1: command %2 repeated (%3), %4 s")
                                 .arg(what)
                                 .arg(Note.Command)
                                 .arg(Note.Repeat)
                                 .arg(double(Note.ElapsedUs) / 1e6, 0, 'f', 1);
        if (Session.Options.Frames)
            Session.Err << "# " << line << '\n';
        else if (Note.ResponseCode != 32)
            Session.Note(line);
        Session.Err.flush();
    };
}

int RunScan(TCliSession& Session)
{
    THart& hart = Session.Hart();
    hart.OpenPort(CliDevicePath(Session.Options.Port).toStdString());
    ApplyLineRules(hart, Session.Options.Usb, Session.Options.HartSensor);
    TCliScanFrontEnd frontEnd(Session);
    TTransmitterScan scan(hart, frontEnd);
    const std::vector<TScanEntry> found = scan.Scan(Session.Options.FirstAddress, Session.Options.LastAddress);
    if (Session.Options.Json) {
        QJsonArray list;
        for (const TScanEntry& entry : found)
            list.append(EntryObject(entry));
        Session.Out << QJsonDocument(list).toJson(QJsonDocument::Indented);
        return CliDone;
    }
    if (found.empty())
        Session.Out << "No transmitter answered at polling addresses " << Session.Options.FirstAddress << " to "
                    << Session.Options.LastAddress << ".\n";
    for (const TScanEntry& entry : found)
        PrintEntry(Session.Out, entry);
    return CliDone;
}

int RunSetAddress(TCliSession& Session)
{
    const uint8_t address = Session.Options.NewAddress;
    const QString question = Session.Translate(SetAddressQuestionKey(address)).arg(address);
    if (!Session.Options.Yes) {
        Session.Err << "calvista-cli: " << question << "\ncalvista-cli: Nothing was sent: add --yes to do it.\n";
        return CliUsage;
    }
    Session.Connect();
    TCliScanFrontEnd frontEnd(Session);
    const TScanEntry entry = TTransmitterScan(Session.Hart(), frontEnd).SetPollingAddress(Session.Identity(), address);
    Session.Out << "Done: the transmitter answers at polling address " << address << ".\n";
    PrintEntry(Session.Out, entry);
    return CliDone;
}

int WriteLongTag(TCliSession& Session, const QString& LongTag)
{
    if (!Session.Identity().HasLongTag())
        return Session.Error(
            QStringLiteral("This transmitter (HART %1) keeps no long tag.").arg(Session.Identity().UnivCmdRev));
    std::string value = LongTag.toStdString();
    try {
        Session.Hart().WriteLongTag(value);
    } catch (const ERangeError&) {
        throw ECliUsage(QStringLiteral("--long-tag holds at most 32 characters of ISO Latin-1."));
    }
    std::string readBack;
    Session.Hart().ReadLongTag(readBack);
    if (readBack != LongTag.toStdString())
        return Session.Report(QStringLiteral("E7.frmMain"), CliUnverified,
                              QStringLiteral("Kept: %1").arg(Text(readBack)));
    Session.Out << "Long tag written: " << Text(readBack) << '\n';
    return CliDone;
}
