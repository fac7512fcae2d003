#include "cli/CliTool.h"

#include "cli/CliCalibration.h"
#include "cli/CliCommands.h"
#include "cli/CliStatus.h"
#include "transmitter/FrameTrace.h"
#include "transmitter/TransmitterRead.h"
#include "services/StreamError.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QTextStream>

#include <map>

namespace {

const QString Program = QStringLiteral("calvista-cli");

struct TCommandInfo {
    const char* Synopsis;
    const char* Description;
};

const std::map<QString, TCommandInfo> Commands = {
    {QStringLiteral("ports"), {"ports", "List the serial ports that can be opened now, and SIM."}},
    {QStringLiteral("read"), {"read --port P [--json]", "Read the transmitter and print the fields the window shows."}},
    {QStringLiteral("write"),
     {"write --port P [--tag T] [--descriptor D] [--date DD.MM.YYYY] [--unit U] [--range LRV:URV] [--damping S] "
      "[--long-tag TEXT]",
      "Write what is given, in the window's order (tag/descriptor/date, unit, range, damping), each verified by "
      "reading it back. Tag, descriptor and date are written together: what is not given is kept as the "
      "transmitter has it. A range outside the sensor limits or below the minimum span is refused before "
      "anything is sent; when the transmitter refuses a step, the steps written before are put back."}},
    {QStringLiteral("save-cfg"),
     {"save-cfg --port P FILE.cfg",
      "Read the transmitter and save its range, unit and damping as a configuration file the window can load."}},
    {QStringLiteral("apply-cfg"),
     {"apply-cfg --port P FILE.cfg",
      "Write the unit, range and damping of a configuration file, each verified by reading it back, all or "
      "nothing as for write. The "
      "window, after loading a file, writes the unit only when it is chosen in its unit box; this command "
      "always writes the file's unit (an empty unit is left as the transmitter has it)."}},
    {QStringLiteral("trim"),
     {"trim --port P upper|lower|zero --yes",
      "Set the upper or lower range value, or the zero, to the pressure applied to the transmitter now. "
      "Nothing is sent without --yes."}},
    {QStringLiteral("scan"),
     {"scan --port P [--addresses A-B] [--json]",
      "Send command 0 to each polling address from A to B (default 0-15; 0-63 for HART 6 and 7 lines) and list "
      "the transmitters that answer: address, manufacturer, device type, device id, HART revision, tag and long "
      "tag. An address where nobody answers costs a quarter of a second at 1200 baud."}},
    {QStringLiteral("set-address"),
     {"set-address --port P N --yes",
      "Give the transmitter (found by --address or --find-tag) the polling address N (command 6), then find it "
      "there. An address other than 0 fixes its loop current at 4 mA (multidrop). Nothing is sent without "
      "--yes."}},
    {QStringLiteral("monitor"),
     {"monitor --port P --rate S|--burst [--count N] [--log FILE.log] [--csv]",
      "Read current and pressure every S seconds and print one line per sample, until N samples, Ctrl+C, "
      "SIGTERM or SIGHUP. --log saves the samples in the window's data-log format (--csv: comma-separated with "
      "a header); the log is saved also after a stop signal or a failure, and is checked before the first "
      "sample. A run without samples leaves an existing log as it was. A run stopped by a signal before its "
      "--count ends with 128 + the signal: 130 (SIGINT), 143 (SIGTERM), 129 (SIGHUP). --burst puts the transmitter "
      "in burst mode instead of polling and records every frame it publishes; burst mode is turned off again "
      "at the end, on a failure and on a stop signal."}},
    {QStringLiteral("status"),
     {"status --port P [--json] [--fail-on CLASS]",
      "Read the device status (commands 0 and 15, and 48 where the transmitter has it) and print its bits in words, "
      "the additional status bytes, the NE 107 class, the configuration-changed flag and the write protection. "
      "Exit 0 whatever the transmitter reports; with --fail-on 4 when it is in that class or a more severe one."}},
    {QStringLiteral("reset-changed"),
     {"reset-changed --port P --yes [--json] [--fail-on CLASS]",
      "Clear the transmitter's configuration-changed flag (command 38), then read the status back and print it. "
      "Nothing is sent without --yes; exit 3 when the flag is still set afterwards."}},
    {QStringLiteral("loop-test"),
     {"loop-test --port P --current MA [--hold SECONDS] --yes",
      "Fix the loop current at MA (3.8 to 21 mA, HART command 40), hold it for SECONDS or until Enter, then "
      "release it. The control system sees the fixed current: put the loop in manual first; nothing is sent "
      "without --yes. The current is released also after an error, Ctrl+C, SIGTERM or SIGHUP (then exit 128 + "
      "the signal)."}},
    {QStringLiteral("trim-output"),
     {"trim-output --port P [--zero MA --gain MA] --yes",
      "Trim the 4-20 mA output against a reference meter: fix 4 mA and send the meter's reading (command 45), "
      "fix 20 mA and send its reading (command 46). Without --zero and --gain it asks for each reading in turn, "
      "and for the readings at 4 and 20 mA after the trim. The current is released at the end, on an error and "
      "on a stop signal; nothing is sent without --yes."}},
    {QStringLiteral("calibrate"),
     {"calibrate --port P [--points 0,25,50,75,100] [--reference R1,R2,...] [--tolerance 0.25] [--as-left] "
      "[--csv FILE] [--pdf FILE]",
      "Check the transmitter at each point against the reference reading (in the range unit; without "
      "--reference it asks for each in turn): the mean of five readings of PV and loop current, their errors "
      "in percent of span. Saves the points as CSV and the certificate as PDF. Exit 0 when every point passes, "
      "4 when one is out of tolerance, 1 for a link or device failure."}},
};

QString ToolUsage()
{
    QString text = QStringLiteral("Usage: %1 COMMAND [OPTIONS]\n\nCommands:\n").arg(Program);
    for (const auto& [name, info] : Commands)
        text += QStringLiteral("  %1 %2\n").arg(Program, QString::fromLatin1(info.Synopsis));
    text += QStringLiteral(
                "\nCommon options:\n"
                "  --port P          COMn, a device path such as /dev/ttyUSB0, SIM (a simulated transmitter),\n"
                "                    or a HART-IP server: hartip://HOST[:PORT] (TCP) or hartip+udp://HOST[:PORT]\n"
                "  --usb             the transmitter is connected through a USB adapter (as \"Use USB\")\n"
                "  --sensor TYPE     hart (default), orsa or quill: decides the RTS handling\n"
                "  --lang en|de      language of the messages (default: the system's)\n"
                "  --frames          print every request and reply on standard error, decoded\n"
                "  --address N       the transmitter's polling address, 0-63 (default 0)\n"
                "  --find-tag TAG    find the transmitter by its tag (command 11) instead\n"
                "  --secondary       speak as a secondary master (default: primary)\n"
                "  -h, --help        show help; '%1 COMMAND --help' for one command\n"
                "\nExit status: 0 done, 1 the transmitter, the link or a file failed, 2 usage error, 3 a write "
                "did not verify,\n"
                "  4 the transmitter is in the class of status --fail-on or a more severe one, or a calibrate point\n"
                "  is out of tolerance;\n"
                "  monitor stopped by a signal before reaching --count: 128 + the signal, that is 130 (SIGINT, "
                "Ctrl+C),\n"
                "  143 (SIGTERM) or 129 (SIGHUP), after the samples were saved.\n")
                .arg(Program);
    return text;
}

void AddCommonOptions(QCommandLineParser& Parser)
{
    Parser.addOptions({
        {QStringLiteral("port"), QStringLiteral("COMn, a device path, SIM, or hartip[+udp]://HOST[:PORT]."),
         QStringLiteral("P")},
        {QStringLiteral("usb"), QStringLiteral("Connected through a USB adapter (\"Use USB\").")},
        {QStringLiteral("sensor"), QStringLiteral("hart (default), orsa or quill."), QStringLiteral("TYPE")},
        {QStringLiteral("lang"), QStringLiteral("Language of the messages: en or de."), QStringLiteral("LANG")},
        {QStringLiteral("frames"), QStringLiteral("Print every request and reply on standard error.")},
        {QStringLiteral("address"), QStringLiteral("Polling address of the transmitter, 0-63."), QStringLiteral("N")},
        {QStringLiteral("find-tag"), QStringLiteral("Find the transmitter by its tag."), QStringLiteral("TAG")},
        {QStringLiteral("secondary"), QStringLiteral("Speak as a secondary master.")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")},
    });
}

void AddCommandOptions(QCommandLineParser& Parser, const QString& Command)
{
    if (Command == QLatin1String("read")) {
        Parser.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON object.")});
    } else if (Command == QLatin1String("write")) {
        Parser.addOptions({
            {QStringLiteral("tag"), QStringLiteral("Tag, up to 8 characters (upper case)."), QStringLiteral("T")},
            {QStringLiteral("descriptor"), QStringLiteral("Descriptor, up to 16 characters."), QStringLiteral("D")},
            {QStringLiteral("date"), QStringLiteral("Date as DD.MM.YYYY."), QStringLiteral("DATE")},
            {QStringLiteral("unit"), QStringLiteral("Pressure unit, e.g. bar, mbar, kPa, psi."), QStringLiteral("U")},
            {QStringLiteral("range"), QStringLiteral("Lower and upper range value."), QStringLiteral("LRV:URV")},
            {QStringLiteral("damping"), QStringLiteral("Damping in seconds, 0 to 100."), QStringLiteral("S")},
            {QStringLiteral("long-tag"), QStringLiteral("Long tag, up to 32 characters (HART 6 and 7)."),
             QStringLiteral("TEXT")},
        });
    } else if (Command == QLatin1String("scan")) {
        Parser.addOptions({
            {QStringLiteral("addresses"), QStringLiteral("Polling addresses to scan, A-B."), QStringLiteral("A-B")},
            {QStringLiteral("json"), QStringLiteral("Print a JSON list.")},
        });
    } else if (Command == QLatin1String("set-address")) {
        Parser.addPositionalArgument(QStringLiteral("N"), QStringLiteral("The new polling address, 0-63."));
        Parser.addOption({QStringLiteral("yes"), QStringLiteral("Really send it.")});
    } else if (Command == QLatin1String("save-cfg") || Command == QLatin1String("apply-cfg")) {
        Parser.addPositionalArgument(QStringLiteral("FILE.cfg"), QStringLiteral("The configuration file."));
    } else if (Command == QLatin1String("trim")) {
        Parser.addPositionalArgument(QStringLiteral("upper|lower|zero"), QStringLiteral("What to set."));
        Parser.addOption({QStringLiteral("yes"), QStringLiteral("Really send it.")});
    } else if (IsStatusCommand(Command)) {
        AddStatusOptions(Parser, Command);
    } else if (IsCalibrationCommand(Command)) {
        AddCalibrationOptions(Parser, Command);
    } else if (Command == QLatin1String("monitor")) {
        Parser.addOptions({
            {QStringLiteral("rate"), QStringLiteral("Seconds between samples."), QStringLiteral("S")},
            {QStringLiteral("count"), QStringLiteral("Stop after N samples."), QStringLiteral("N")},
            {QStringLiteral("log"), QStringLiteral("Save the samples to this file."), QStringLiteral("FILE.log")},
            {QStringLiteral("csv"), QStringLiteral("The log comma-separated, with a header.")},
            {QStringLiteral("burst"), QStringLiteral("Record the transmitter's burst frames instead of polling.")},
        });
    }
}

QString CommandHelp(const QString& Command, const QCommandLineParser& Parser)
{
    const TCommandInfo& info = Commands.at(Command);
    QString options = Parser.helpText();
    options = options.mid(options.indexOf(QLatin1Char('\n')) + 1).trimmed();
    return QStringLiteral("Usage: %1 %2\n\n%3\n\n%4\n")
        .arg(Program, QString::fromLatin1(info.Synopsis), QString::fromLatin1(info.Description), options);
}

}  // namespace

// Defined in CliScan.cpp.
void TakeAddressOptions(TCliOptions& Options, const QCommandLineParser& Parser);
void TakeScanOptions(TCliOptions& Options, const QCommandLineParser& Parser);
void PrepareLink(TCliSession& Session);

namespace {

std::optional<QString> Value(const QCommandLineParser& Parser, const QString& Name)
{
    if (!Parser.isSet(Name))
        return std::nullopt;
    return Parser.value(Name);
}

// The options of one command; ECliUsage when they do not fit together.
TCliOptions TakeOptions(const QString& Command, const QCommandLineParser& Parser)
{
    TCliOptions options;
    options.Command = Command;
    options.Port = Parser.value(QStringLiteral("port"));
    if (Command != QLatin1String("ports") && options.Port.isEmpty())
        throw ECliUsage(QStringLiteral("--port is missing."));
    options.Usb = Parser.isSet(QStringLiteral("usb"));
    if (Parser.isSet(QStringLiteral("sensor"))) {
        const QString sensor = Parser.value(QStringLiteral("sensor")).toLower();
        if (sensor != QLatin1String("hart") && sensor != QLatin1String("orsa") && sensor != QLatin1String("quill"))
            throw ECliUsage(QStringLiteral("--sensor takes hart, orsa or quill."));
        options.HartSensor = sensor == QLatin1String("hart");
    }
    options.Language = QLocale::system().language() == QLocale::German ? 1 : 0;
    if (Parser.isSet(QStringLiteral("lang"))) {
        const QString lang = Parser.value(QStringLiteral("lang")).toLower();
        if (lang != QLatin1String("en") && lang != QLatin1String("de"))
            throw ECliUsage(QStringLiteral("--lang takes en or de."));
        options.Language = lang == QLatin1String("de") ? 1 : 0;
    }
    options.Frames = Parser.isSet(QStringLiteral("frames"));
    TakeAddressOptions(options, Parser);

    const QStringList positional = Parser.positionalArguments();
    const qsizetype wanted = (Command == QLatin1String("save-cfg") || Command == QLatin1String("apply-cfg")
                              || Command == QLatin1String("trim") || Command == QLatin1String("set-address"))
                                 ? 1
                                 : 0;
    if (positional.size() != wanted)
        throw ECliUsage(wanted ? QStringLiteral("Expected one argument after the options.")
                               : QStringLiteral("Unexpected argument: %1").arg(positional.value(0)));

    if (Command == QLatin1String("read")) {
        options.Json = Parser.isSet(QStringLiteral("json"));
    } else if (Command == QLatin1String("write")) {
        options.Tag = Value(Parser, QStringLiteral("tag"));
        options.Descriptor = Value(Parser, QStringLiteral("descriptor"));
        options.Date = Value(Parser, QStringLiteral("date"));
        options.Unit = Value(Parser, QStringLiteral("unit"));
        options.Range = Value(Parser, QStringLiteral("range"));
        options.Damping = Value(Parser, QStringLiteral("damping"));
        options.LongTag = Value(Parser, QStringLiteral("long-tag"));
        if (!options.Tag && !options.Descriptor && !options.Date && !options.Unit && !options.Range && !options.Damping
            && !options.LongTag)
            throw ECliUsage(QStringLiteral("Nothing to write: give at least one of --tag, --descriptor, --date, "
                                           "--unit, --range, --damping, --long-tag."));
    } else if (Command == QLatin1String("save-cfg") || Command == QLatin1String("apply-cfg")) {
        options.File = positional.first();
    } else if (Command == QLatin1String("trim")) {
        options.Trim = positional.first().toLower();
        if (options.Trim != QLatin1String("upper") && options.Trim != QLatin1String("lower")
            && options.Trim != QLatin1String("zero"))
            throw ECliUsage(QStringLiteral("trim takes upper, lower or zero."));
        options.Yes = Parser.isSet(QStringLiteral("yes"));
    } else if (IsStatusCommand(Command)) {
        TakeStatusOptions(options, Parser);
    } else if (Command == QLatin1String("scan") || Command == QLatin1String("set-address")) {
        TakeScanOptions(options, Parser);
    } else if (IsCalibrationCommand(Command)) {
        TakeCalibrationOptions(options, Parser);
    } else if (Command == QLatin1String("monitor")) {
        options.Rate = Parser.value(QStringLiteral("rate"));
        options.Burst = Parser.isSet(QStringLiteral("burst"));
        if (options.Burst && !options.Rate.isEmpty())
            throw ECliUsage(QStringLiteral("--burst takes no --rate: the transmitter sets the pace."));
        if (options.Rate.isEmpty() && !options.Burst)
            throw ECliUsage(QStringLiteral("--rate is missing."));
        options.Count = Parser.value(QStringLiteral("count"));
        options.Log = Parser.value(QStringLiteral("log"));
        options.Csv = Parser.isSet(QStringLiteral("csv"));
        if (options.Csv && options.Log.isEmpty())
            throw ECliUsage(QStringLiteral("--csv needs --log."));
    }
    return options;
}

int RunPorts(TCliEnvironment& Environment)
{
    for (const QString& port : CliPortList(Environment.CreateDevice))
        *Environment.Out << port << '\n';
    return CliDone;
}

int RunCommand(const TCliOptions& Options, TCliEnvironment& Environment)
{
    if (Options.Command == QLatin1String("ports"))
        return RunPorts(Environment);
    TCliSession session(Options, Environment);
    try {
        if (Options.Command == QLatin1String("read"))
            return RunRead(session);
        if (Options.Command == QLatin1String("write"))
            return RunWrite(session);
        if (Options.Command == QLatin1String("save-cfg"))
            return RunSaveCfg(session);
        if (Options.Command == QLatin1String("apply-cfg"))
            return RunApplyCfg(session);
        if (Options.Command == QLatin1String("trim"))
            return RunTrim(session);
        if (Options.Command == QLatin1String("status"))
            return RunStatus(session);
        if (Options.Command == QLatin1String("reset-changed"))
            return RunResetChanged(session);
        if (Options.Command == QLatin1String("scan"))
            return RunScan(session);
        if (Options.Command == QLatin1String("set-address"))
            return RunSetAddress(session);
        if (Options.Command == QLatin1String("loop-test"))
            return RunLoopTest(session);
        if (Options.Command == QLatin1String("trim-output"))
            return RunTrimOutput(session);
        if (Options.Command == QLatin1String("calibrate"))
            return RunCalibrate(session);
        return RunMonitor(session);
    } catch (const EHartComError& e) {
        return session.Report(QString::fromStdString(e.Message()), CliFailed);
    } catch (const EStreamError& e) {
        return session.Error(e.Message());
    }
}

}  // namespace

// --- the session -----------------------------------------------------------------------

namespace {
TLangManager LoadLanguage(const QString& FileName)
{
    return FileName.isEmpty() ? TLangManager() : TLangManager(FileName);
}
}  // namespace

TCliSession::TCliSession(const TCliOptions& TheOptions, TCliEnvironment& TheEnvironment)
    : Options(TheOptions)
    , Environment(TheEnvironment)
    , Out(*TheEnvironment.Out)
    , Err(*TheEnvironment.Err)
    , Lang(LoadLanguage(TheEnvironment.LanguageFile))
{
    Lang.SetLanguage(Options.Language);
    FHart = std::make_unique<THart>(Environment.CreateDevice(Options.Port));
    FHart->SetTransportOpener(Environment.CreateTransport);
    PrepareLink(*this);
    if (Options.Frames)
        FHart->OnExchange = [this](const THartExchangeTrace& Trace) {
            Err << FormatExchange(Trace);
            Err.flush();
        };
}

TCliSession::~TCliSession() = default;

THartDevInfo TCliSession::Connect()
{
    FHart->OpenPort(CliDevicePath(Options.Port).toStdString());
    ApplyLineRules(*FHart, Options.Usb, Options.HartSensor);
    THartDevInfo info;
    Reader().ReadIdentity(info);
    return info;
}

TTransmitterRead TCliSession::Reader()
{
    TTransmitterRead reader(*FHart);
    reader.SetFindTag(Options.FindTag.toStdString());
    return reader;
}

QString TCliSession::Translate(const QString& Key) const
{
    return Lang.Translate(Key);
}

int TCliSession::Report(const QString& Key, int Status, const QString& Detail)
{
    QString text = Translate(Key) + QStringLiteral(" (") + Key + QLatin1Char(')');
    if (!Detail.isEmpty())
        text += QLatin1Char(' ') + Detail;
    return Error(text, Status);
}

void TCliSession::Note(const QString& Message)
{
    Err << Program << ": " << ShownText(Message) << '\n';
}

int TCliSession::Error(const QString& Message, int Status)
{
    Note(Message);
    return Status;
}

// --- parsing and dispatch ----------------------------------------------------------------

int RunCli(const QStringList& Arguments, TCliEnvironment& Environment)
{
    QTextStream& err = *Environment.Err;
    const auto usage = [&](const QString& Message, const QString& Command) {
        err << Program << ": " << ShownText(Message) << '\n';
        if (Command.isEmpty())
            err << ToolUsage();
        else
            err << "Usage: " << Program << ' ' << Commands.at(Command).Synopsis << "\nTry '" << Program << ' '
                << Command << " --help'.\n";
        return int(CliUsage);
    };

    const QString first = Arguments.value(1);
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        *Environment.Out << ToolUsage();
        return CliDone;
    }
    if (first.isEmpty())
        return usage(QStringLiteral("No command given."), QString());
    if (!Commands.count(first))
        return usage(QStringLiteral("Unknown command: %1").arg(first), QString());

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    AddCommonOptions(parser);
    AddCommandOptions(parser, first);
    QStringList rest = Arguments.mid(2);
    rest.prepend(Program);
    if (!parser.parse(rest))
        return usage(parser.errorText(), first);
    if (parser.isSet(QStringLiteral("help"))) {
        *Environment.Out << CommandHelp(first, parser);
        return CliDone;
    }
    try {
        return RunCommand(TakeOptions(first, parser), Environment);
    } catch (const ECliUsage& e) {
        return usage(e.Message(), first);
    } catch (const std::exception& e) {
        // Anything else (a range error, a system error) ends the command, never the program.
        err << Program << ": " << ShownText(QString::fromLocal8Bit(e.what())) << '\n';
        return CliFailed;
    }
}
