// loop-test, trim-output and calibrate. The sequences are transmitter/'s; this
// file adds the options, the terminal prompts and the exit statuses. Every
// fixed current is under a TOutputHold, so it is released on the normal end,
// on an error and after SIGINT, SIGTERM or SIGHUP.

#include "cli/CliCalibration.h"

#include "cli/CliStopSignals.h"
#include "hart/HartComError.h"
#include "services/SafeSave.h"
#include "transmitter/CalibrationCheck.h"
#include "transmitter/CertificatePdf.h"
#include "transmitter/OutputStage.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#ifndef _WIN32
#include <poll.h>
#endif

namespace {

volatile std::sig_atomic_t StopSignal = 0;

extern "C" void OnCalibrationStop(int Signal)
{
    StopSignal = Signal;
}

// A number as the operator types it: "." or "," as the decimal separator.
std::optional<double> ParseNumber(QString Text)
{
    Text = Text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = Text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double NumberOption(const QCommandLineParser& Parser, const QString& Name)
{
    const std::optional<double> value = ParseNumber(Parser.value(Name));
    if (!value)
        throw ECliUsage(QStringLiteral("--%1 takes a number, not \"%2\".").arg(Name, Parser.value(Name)));
    return *value;
}

std::vector<double> NumberList(const QCommandLineParser& Parser, const QString& Name)
{
    std::vector<double> values;
    for (const QString& Item : Parser.value(Name).split(QLatin1Char(','))) {
        const std::optional<double> value = ParseNumber(Item);
        if (!value)
            throw ECliUsage(QStringLiteral("--%1 takes numbers separated by commas.").arg(Name));
        values.push_back(*value);
    }
    return values;
}

// One line from the terminal (or the test's stream); nothing at its end.
std::optional<QString> ReadLine(TCliSession& Session)
{
    if (Session.Environment.In) {
        if (Session.Environment.In->atEnd())
            return std::nullopt;
        return Session.Environment.In->readLine();
    }
#ifndef _WIN32
    // Waits in short steps, so that a stop signal ends the wait.
    while (!StopSignal) {
        pollfd input {0, POLLIN, 0};
        if (poll(&input, 1, 100) > 0)
            break;
    }
    if (StopSignal)
        return std::nullopt;
#endif
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    return QString::fromLocal8Bit(line.c_str());
}

// Asks until a number comes; nothing when the input ends or a signal came.
std::optional<double> AskNumber(TCliSession& Session, const QString& Prompt)
{
    for (;;) {
        Session.Err << Prompt << ' ';
        Session.Err.flush();
        const std::optional<QString> line = ReadLine(Session);
        if (!line || StopSignal)
            return std::nullopt;
        if (const std::optional<double> value = ParseNumber(*line))
            return value;
        Session.Err << "Please enter a number.\n";
    }
}

QString Ma(double Value)
{
    return QString::number(Value, 'f', 3) + QStringLiteral(" mA");
}

// Failed releases of a hold ended by an exception: the operator must know that
// the loop may still be fixed.
class TReleaseFailureNote {
public:
    explicit TReleaseFailureNote(TCliSession& Session)
    {
        TOutputHold::SetFailureHandler([&Session](THoldKind, const std::string& Key) {
            Session.Note(Session.Translate(QStringLiteral("CAL.STILLFIXED")) + QStringLiteral(" (")
                         + QString::fromStdString(Key) + QLatin1Char(')'));
        });
    }
    ~TReleaseFailureNote() { TOutputHold::SetFailureHandler(nullptr); }
    TReleaseFailureNote(const TReleaseFailureNote&) = delete;
    TReleaseFailureNote& operator=(const TReleaseFailureNote&) = delete;
};

int Refuse(TCliSession& Session, const QString& What)
{
    Session.Err << "calvista-cli: " << Session.Options.Command << " would " << What
                << ". The control system sees this current: put the loop in manual first. Nothing was sent: add "
                   "--yes to do it.\n";
    return CliUsage;
}

int Stopped()
{
    return 128 + StopSignal;
}

// Waits on the link's clock for Seconds, in short steps so that a stop signal
// is seen soon; the test hook runs at each step.
void Hold(TCliSession& Session, double Seconds)
{
    TSerialDevice& device = Session.Hart().Device();
    const int64_t deadline = device.NowUs() + static_cast<int64_t>(Seconds * 1e6);
    while (!StopSignal) {
        if (Session.Environment.WhileHeld)
            Session.Environment.WhileHeld();
        const int64_t left = deadline - device.NowUs();
        if (left <= 0 || StopSignal)
            return;
        device.Wait(uint32_t(std::min<int64_t>((left + 999) / 1000, 100)));
    }
}

}  // namespace

// --- stop signals ---------------------------------------------------------------------

TCliStopSignals::TCliStopSignals()
{
    StopSignal = 0;
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        FPrevious[i] = std::signal(Signals[i], OnCalibrationStop);
}

TCliStopSignals::~TCliStopSignals()
{
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        std::signal(Signals[i], FPrevious[i]);
}

int TCliStopSignals::Caught()
{
    return StopSignal;
}

// --- options -----------------------------------------------------------------------------

bool IsCalibrationCommand(const QString& Command)
{
    return Command == QLatin1String("loop-test") || Command == QLatin1String("trim-output")
           || Command == QLatin1String("calibrate");
}

void AddCalibrationOptions(QCommandLineParser& Parser, const QString& Command)
{
    if (Command == QLatin1String("loop-test")) {
        Parser.addOptions({
            {QStringLiteral("current"), QStringLiteral("Loop current in mA, 3.8 to 21."), QStringLiteral("MA")},
            {QStringLiteral("hold"), QStringLiteral("Seconds to hold it (default: until Enter)."),
             QStringLiteral("SECONDS")},
            {QStringLiteral("yes"), QStringLiteral("The loop is in manual: really fix the current.")},
        });
    } else if (Command == QLatin1String("trim-output")) {
        Parser.addOptions({
            {QStringLiteral("zero"), QStringLiteral("The meter's reading at 4 mA."), QStringLiteral("MA")},
            {QStringLiteral("gain"), QStringLiteral("The meter's reading at 20 mA."), QStringLiteral("MA")},
            {QStringLiteral("yes"), QStringLiteral("The loop is in manual: really trim.")},
        });
    } else {
        Parser.addOptions({
            {QStringLiteral("points"), QStringLiteral("Test points in percent of span (default 0,25,50,75,100)."),
             QStringLiteral("P1,P2,...")},
            {QStringLiteral("reference"), QStringLiteral("The reference reading at each point, in the range unit."),
             QStringLiteral("R1,R2,...")},
            {QStringLiteral("tolerance"), QStringLiteral("Percent of span (default 0.25)."), QStringLiteral("T")},
            {QStringLiteral("as-left"), QStringLiteral("The check after adjusting (default: as found).")},
            {QStringLiteral("csv"), QStringLiteral("Save the points as CSV."), QStringLiteral("FILE")},
            {QStringLiteral("pdf"), QStringLiteral("Save the certificate as PDF."), QStringLiteral("FILE")},
        });
    }
}

void TakeCalibrationOptions(TCliOptions& Options, const QCommandLineParser& Parser)
{
    const QString& command = Options.Command;
    if (command != QLatin1String("calibrate"))
        Options.Yes = Parser.isSet(QStringLiteral("yes"));
    if (command == QLatin1String("loop-test")) {
        if (!Parser.isSet(QStringLiteral("current")))
            throw ECliUsage(QStringLiteral("--current is missing."));
        Options.CurrentMa = NumberOption(Parser, QStringLiteral("current"));
        if (!(*Options.CurrentMa >= LowestLoopTestMa && *Options.CurrentMa <= HighestLoopTestMa))
            throw ECliUsage(QStringLiteral("--current takes 3.8 to 21 mA."));
        if (Parser.isSet(QStringLiteral("hold"))) {
            Options.HoldS = NumberOption(Parser, QStringLiteral("hold"));
            if (*Options.HoldS < 0)
                throw ECliUsage(QStringLiteral("--hold takes seconds, 0 or more."));
        }
    } else if (command == QLatin1String("trim-output")) {
        if (Parser.isSet(QStringLiteral("zero")) != Parser.isSet(QStringLiteral("gain")))
            throw ECliUsage(QStringLiteral("Give both --zero and --gain, or neither to be asked for them."));
        if (Parser.isSet(QStringLiteral("zero"))) {
            Options.ZeroMa = NumberOption(Parser, QStringLiteral("zero"));
            Options.GainMa = NumberOption(Parser, QStringLiteral("gain"));
        }
    } else {
        Options.Points = Parser.isSet(QStringLiteral("points")) ? NumberList(Parser, QStringLiteral("points"))
                                                                : Calibration::DefaultPoints();
        if (Parser.isSet(QStringLiteral("reference"))) {
            Options.References = NumberList(Parser, QStringLiteral("reference"));
            if (Options.References.size() != Options.Points.size())
                throw ECliUsage(
                    QStringLiteral("--reference needs one value per point (%1).").arg(Options.Points.size()));
        }
        if (Parser.isSet(QStringLiteral("tolerance"))) {
            Options.Tolerance = NumberOption(Parser, QStringLiteral("tolerance"));
            if (!(Options.Tolerance > 0))
                throw ECliUsage(QStringLiteral("--tolerance takes a percentage above 0."));
        }
        Options.AsLeft = Parser.isSet(QStringLiteral("as-left"));
        Options.CsvFile = Parser.value(QStringLiteral("csv"));
        Options.PdfFile = Parser.value(QStringLiteral("pdf"));
    }
}

// --- loop-test ---------------------------------------------------------------------------

int RunLoopTest(TCliSession& Session)
{
    const double wanted = *Session.Options.CurrentMa;
    if (!Session.Options.Yes)
        return Refuse(Session,
                      QStringLiteral("fix the loop current at ") + Ma(wanted) + QStringLiteral(" (HART command 40)"));
    const TCliStopSignals stopSignals;
    const TReleaseFailureNote note(Session);
    Session.Connect();
    TFixedCurrent fixed(Session.Hart());
    const float reported = fixed.Fix(wanted);
    Session.Out << "Loop current fixed at " << Ma(reported) << ".\n";
    Session.Out.flush();
    if (Session.Options.HoldS) {
        Hold(Session, *Session.Options.HoldS);
    } else {
        Session.Err << "Press Enter to release it.\n";
        Session.Err.flush();
        if (Session.Environment.WhileHeld)
            Session.Environment.WhileHeld();
        if (!StopSignal)
            ReadLine(Session);
    }
    fixed.Release();
    Session.Out << "Loop current released.\n";
    return StopSignal ? Stopped() : int(CliDone);
}

// --- trim-output -------------------------------------------------------------------------

int RunTrimOutput(TCliSession& Session)
{
    const TCliOptions& options = Session.Options;
    if (!options.Yes)
        return Refuse(Session, QStringLiteral("fix the loop current at 4 and 20 mA and trim the output against the "
                                              "meter's readings (HART commands 40, 45 and 46)"));
    const TCliStopSignals stopSignals;
    const TReleaseFailureNote note(Session);
    Session.Connect();
    const bool given = options.ZeroMa.has_value();
    const auto readMeter = [&](TTrimStep Step, double FixedMa) -> std::optional<double> {
        Session.Out << "Loop current fixed at " << Ma(FixedMa) << ".\n";
        Session.Out.flush();
        if (Session.Environment.WhileHeld)
            Session.Environment.WhileHeld();
        if (StopSignal)
            return std::nullopt;
        if (given && Step == TTrimStep::Zero)
            return options.ZeroMa;
        if (given && Step == TTrimStep::Gain)
            return options.GainMa;
        const bool check = Step == TTrimStep::CheckLow || Step == TTrimStep::CheckHigh;
        return AskNumber(Session, QStringLiteral("%1 the reference meter's reading in mA:")
                                      .arg(check ? QStringLiteral("After the trim,") : QStringLiteral("Enter")));
    };
    const TOutputTrimResult result = TOutputTrim(Session.Hart()).Run(readMeter, !given);
    if (StopSignal)
        return Stopped();
    if (!result.Completed) {
        Session.Note(QStringLiteral("Output trim cancelled; the loop current was released."));
        return CliFailed;
    }
    Session.Out << "Trimmed: zero with " << Ma(result.Zero) << ", gain with " << Ma(result.Gain) << ".\n";
    if (!given)
        Session.Out << "After the trim the meter reads " << Ma(result.CheckLow) << " at 4 mA and "
                    << Ma(result.CheckHigh) << " at 20 mA.\n";
    Session.Out << "Loop current released.\n";
    return CliDone;
}

// --- calibrate ---------------------------------------------------------------------------

namespace {

void PrintPoint(QTextStream& Out, const TCalibrationPoint& P)
{
    Out << QString::number(P.Percent, 'f', 1).rightJustified(6) << " %  ref " << QString::number(P.Reference, 'f', 4)
        << "  pv " << QString::number(P.PV, 'f', 4) << " (spread " << QString::number(P.PVSpread, 'g', 3) << ", error "
        << QString::number(P.PVError, 'f', 3) << " %)  " << QString::number(P.Current, 'f', 4) << " mA (expected "
        << QString::number(P.ExpectedCurrent, 'f', 4) << ", error " << QString::number(P.CurrentError, 'f', 3)
        << " %)  " << (P.Pass ? "pass" : "FAIL") << '\n';
}

}  // namespace

int RunCalibrate(TCliSession& Session)
{
    const TCliOptions& options = Session.Options;
    const TCliStopSignals stopSignals;  // a signal at a prompt ends the check
    // Check the files before the first point, so a long check is not lost at its end.
    for (const QString& File : {options.CsvFile, options.PdfFile})
        if (!File.isEmpty() && QFileInfo(File).isDir())
            throw ECliUsage(QStringLiteral("%1 is a directory.").arg(File));
    Session.Connect();
    TCalibrationCheck check(Session.Hart());
    TCalibrationRecord record = check.Begin(options.AsLeft, options.Tolerance);
    Session.Out << (record.AsLeft ? "As-left" : "As-found") << " check of " << record.Tag << ", range "
                << record.LowerRange << " ... " << record.UpperRange << ' ' << record.Unit << ", tolerance "
                << record.Tolerance << " % of span\n";
    for (size_t i = 0; i < options.Points.size(); ++i) {
        const double percent = options.Points[i];
        std::optional<double> reference;
        if (i < options.References.size()) {
            reference = options.References[i];
        } else {
            reference = AskNumber(Session, QStringLiteral("Apply %1 %2 (%3 % of span) and enter the reference "
                                                          "reading in %2:")
                                               .arg(QString::number(Calibration::PointPressure(record, percent)),
                                                    record.Unit, QString::number(percent)));
            if (!reference) {
                Session.Note(QStringLiteral("Check cancelled."));
                return CliFailed;
            }
        }
        PrintPoint(Session.Out, check.MeasurePoint(record, percent, *reference));
    }
    Session.Out << "Result: " << (record.Passed() ? "pass" : "FAIL") << '\n';
    if (!options.CsvFile.isEmpty())
        SaveFileBytes(options.CsvFile, Calibration::Csv(record));
    if (!options.PdfFile.isEmpty())
        SaveFileBytes(options.PdfFile, Calibration::CertificatePdf(record));
    return record.Passed() ? int(CliDone) : int(CliUnhealthy);
}
