// monitor: command 3 at a rate, one line per sample, and the samples saved as
// the window's data log (or CSV) also after a stop signal or a failure.

#include "cli/CliCommands.h"

#include "hart/ErrorKeys.h"
#include "hart/ExchangeTime.h"
#include "services/NumberFormat.h"
#include "services/SettingsText.h"
#include "services/UnitDataloger.h"
#include "transmitter/BurstSession.h"
#include "transmitter/MonitoringSample.h"

#include <QLocale>

#include <algorithm>
#include <climits>
#include <csignal>

namespace {

// The signal that asked the recording to end, 0 while none did.
volatile std::sig_atomic_t StopSignal = 0;

extern "C" void OnStopSignal(int Signal)
{
    StopSignal = Signal;
}

// Ctrl+C (SIGINT), kill and service managers (SIGTERM) and a closed terminal
// or dropped remote session (SIGHUP) set a flag that the loop checks between
// samples and while it waits, so the samples taken are saved.
class TStopSignals {
public:
    TStopSignals()
    {
        StopSignal = 0;
        for (std::size_t i = 0; i < std::size(Signals); ++i)
            FPrevious[i] = std::signal(Signals[i], OnStopSignal);
    }
    ~TStopSignals()
    {
        for (std::size_t i = 0; i < std::size(Signals); ++i)
            std::signal(Signals[i], FPrevious[i]);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

private:
#ifdef SIGHUP
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
#else
    static constexpr int Signals[] = {SIGINT, SIGTERM};
#endif
    void (*FPrevious[std::size(Signals)])(int) = {};
};

QString Fixed4(float Value)
{
    return QLocale().toString(double(Value), 'f', 4);
}

// Waits on the link's clock until DeadlineUs, in short steps so that a stop
// signal is seen soon.
void WaitUntil(TSerialDevice& Device, int64_t DeadlineUs)
{
    while (!StopSignal) {
        const int64_t left = DeadlineUs - Device.NowUs();
        if (left <= 0)
            return;
        Device.Wait(uint32_t(std::min<int64_t>((left + 999) / 1000, 100)));
    }
}

int SampleCount(const QString& Text)
{
    if (Text.isEmpty())
        return INT_MAX;
    bool ok = false;
    const int count = Text.trimmed().toInt(&ok);
    if (!ok || count <= 0)
        throw ECliUsage(QStringLiteral("--count takes a whole number of samples above 0."));
    return count;
}

// The next burst sample; false when none came for a while or a stop signal came.
bool NextBurstSample(TBurstSession& Burst, TMonitoringSample& Sample, int64_t& LinkUs)
{
    constexpr int Tries = 6;  // half a second each: a stop signal is seen soon
    for (int i = 0; i < Tries && !StopSignal; ++i)
        if (Burst.NextSample(Sample, LinkUs, 500))
            return true;
    return false;
}

}  // namespace

int RunMonitor(TCliSession& Session)
{
    const TCliOptions& o = Session.Options;
    const std::optional<double> rate = o.Burst ? std::optional(0.0) : MonitorRateSeconds(o.Rate);
    if (!rate)
        throw ECliUsage(Session.Translate(QStringLiteral("E10.frmMain")));
    // The window's rule and text: one command 3 must fit into the period.
    const THartCom& line = Session.Hart();
    const double shortest = ShortestCommand3Period(BaudrateValue(line.Baudrate()), line.NumPreamble(), line.RTSDelay());
    if (!o.Burst && *rate < shortest)
        throw ECliUsage(Session.Translate(QStringLiteral("E14.frmMain")).arg(FormatGeneral(shortest, 3)));
    const int count = SampleCount(o.Count);
    // A log that cannot be written is found now, not after the whole run.
    if (!o.Log.isEmpty())
        TDataloger::CheckTarget(o.Log);

    const TStopSignals stopSignals;
    Session.Connect();
    TDataloger logger;
    QString unit;
    THart& hart = Session.Hart();
    TSerialDevice& device = hart.Device();
    const int64_t rateUs = int64_t(*rate * 1e6 + 0.5);
    const int64_t startUs = device.NowUs();
    QString failure;  // the key of the link error that ended the run
    std::unique_ptr<TBurstSession> burst;  // burst mode ends when it goes
    int64_t firstUs = -1;
    for (int n = 0; n < count && !StopSignal; ++n) {
        TMonitoringSample sample;
        int64_t sampleUs = startUs + int64_t(n) * rateUs;
        try {
            if (o.Burst && !burst)
                burst = std::make_unique<TBurstSession>(hart, TBurstSession::FoundBursting(hart));
            if (!burst)
                sample = ReadMonitoringSample(hart);
            else if (!NextBurstSample(*burst, sample, sampleUs)) {
                if (!StopSignal)
                    failure = QString::fromLatin1(HartKey::TransmitterTimeout);
                break;
            }
        } catch (const EHartComError& e) {
            failure = QString::fromStdString(e.Message());
            break;
        }
        if (firstUs < 0)
            firstUs = sampleUs;
        unit = sample.Unit;
        logger.AddSample(sample.Time, sample.Pressure, sample.Current);
        Session.Out << FormatGeneral(double(sampleUs - firstUs) / 1e6, 7) << " s  " << Fixed4(sample.Current) << " mA  "
                    << Fixed4(sample.Pressure) << ' ' << unit << '\n';
        Session.Out.flush();
        if (Session.Environment.AfterSample)
            Session.Environment.AfterSample(n + 1);
        if (n + 1 < count && !burst)
            WaitUntil(device, startUs + (n + 1) * rateUs);
    }
    int status = failure.isEmpty() ? CliDone : Session.Report(failure, CliFailed);
    if (burst) {
        try {
            burst->Stop();
        } catch (const EHartComError& e) {
            status = Session.Report(QString::fromStdString(e.Message()), CliFailed);
        }
    }

    // The samples are saved before the port is closed: a port that has gone
    // away may fail to close as well.
    if (!o.Log.isEmpty() && logger.Count() == 0) {
        Session.Note(QStringLiteral("no samples taken; %1 was not written.").arg(o.Log));
    } else if (!o.Log.isEmpty()) {
        try {
            logger.SaveToFile(o.Log, o.Csv ? TDatalogFormat::Csv : TDatalogFormat::Tabs, unit);
            Session.Note(QStringLiteral("%1 samples saved to %2").arg(logger.Count()).arg(o.Log));
        } catch (const EStreamError& e) {
            status = Session.Error(e.Message(), CliFailed);
        }
    }
    try {
        hart.ClosePort();
    } catch (const EHartComError& e) {
        // Said once: a link that failed already fails again at the close.
        const QString key = QString::fromStdString(e.Message());
        if (key != failure)
            status = Session.Report(key, CliFailed);
    }
    // An interrupted run that had a count to reach ends with 128 + the signal.
    if (status == CliDone && StopSignal && count != INT_MAX && logger.Count() < count)
        status = 128 + StopSignal;
    return status;
}
