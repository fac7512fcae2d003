// monitor: command 3 at a rate, one line per sample, and the samples saved as
// the window's data log (or CSV) also after Ctrl+C or a failure.

#include "cli/CliCommands.h"

#include "hart/ExchangeTime.h"
#include "services/NumberFormat.h"
#include "services/SettingsText.h"
#include "services/UnitDataloger.h"
#include "transmitter/MonitoringSample.h"

#include <QBuffer>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <csignal>

namespace {

volatile std::sig_atomic_t StopRequested = 0;

extern "C" void OnInterrupt(int)
{
    StopRequested = 1;
}

// Ctrl+C sets a flag that the loop checks between samples and while it waits.
class TInterruptGuard {
public:
    TInterruptGuard()
    {
        StopRequested = 0;
        FPrevious = std::signal(SIGINT, OnInterrupt);
    }
    ~TInterruptGuard() { std::signal(SIGINT, FPrevious); }

private:
    void (*FPrevious)(int) = SIG_DFL;
};

QString Fixed4(float Value)
{
    return QLocale().toString(double(Value), 'f', 4);
}

// Waits on the link's clock until DeadlineUs, in short steps so that Ctrl+C
// is seen soon.
void WaitUntil(TSerialDevice& Device, int64_t DeadlineUs)
{
    while (!StopRequested) {
        const int64_t left = DeadlineUs - Device.NowUs();
        if (left <= 0)
            return;
        Device.Wait(uint32_t(std::min<int64_t>((left + 999) / 1000, 100)));
    }
}

QByteArray CsvBytes(const TDataloger& Logger, const QString& Unit)
{
    QByteArray bytes = "time,current_mA,pressure_" + Unit.toUtf8() + "\r\n";
    for (const TLogSample& sample : Logger.Samples())
        bytes += sample.Time.toString(Qt::ISODateWithMs).toUtf8() + ','
                 + QByteArray::number(double(sample.Current), 'g', 7) + ','
                 + QByteArray::number(double(sample.Pressure), 'g', 7) + "\r\n";
    return bytes;
}

// The samples taken so far, through a temporary file renamed over the target.
void SaveLog(const TCliOptions& Options, TDataloger& Logger, const QString& Unit)
{
    QSaveFile file(Options.Log);
    if (!file.open(QIODevice::WriteOnly))
        throw EStreamError(QStringLiteral("Cannot create %1: %2").arg(Options.Log, file.errorString()));
    if (Options.Csv) {
        const QByteArray bytes = CsvBytes(Logger, Unit);
        if (file.write(bytes) != bytes.size())
            throw EStreamError(QStringLiteral("Cannot write %1: %2").arg(Options.Log, file.errorString()));
    } else {
        Logger.SaveToStream(file);
    }
    if (!file.commit())
        throw EStreamError(QStringLiteral("Cannot write %1: %2").arg(Options.Log, file.errorString()));
}

}  // namespace

int RunMonitor(TCliSession& Session)
{
    const TCliOptions& o = Session.Options;
    const std::optional<float> rate = SettingNumber(o.Rate);
    if (!rate || !(*rate > 0))
        throw ECliUsage(Session.Translate(QStringLiteral("E10.frmMain")));
    // The window's rule and text: one command 3 must fit into the period.
    const THartCom& line = Session.Hart();
    const double shortest = ShortestCommand3Period(BaudrateValue(line.Baudrate()), line.NumPreamble(), line.RTSDelay());
    if (*rate < shortest)
        throw ECliUsage(Session.Translate(QStringLiteral("E14.frmMain")).arg(FormatGeneral(shortest, 3)));
    int count = INT_MAX;
    if (!o.Count.isEmpty()) {
        bool ok = false;
        count = o.Count.toInt(&ok);
        if (!ok || count <= 0)
            throw ECliUsage(Session.Translate(QStringLiteral("E5.frmMain")));
    }

    const TInterruptGuard interrupts;
    Session.Connect();
    TDataloger logger;
    QString unit;
    THart& hart = Session.Hart();
    TSerialDevice& device = hart.Device();
    const int64_t rateUs = int64_t(double(*rate) * 1e6 + 0.5);
    const int64_t startUs = device.NowUs();
    int status = CliDone;
    for (int n = 0; n < count && !StopRequested; ++n) {
        TMonitoringSample sample;
        try {
            sample = ReadMonitoringSample(hart);
        } catch (const EHartComError& e) {
            status = Session.Report(QString::fromStdString(e.Message()), CliFailed);
            break;
        }
        unit = sample.Unit;
        logger.AddSample(sample.Time, sample.Pressure, sample.Current);
        Session.Out << FormatGeneral(double(n) * *rate, 7) << " s  " << Fixed4(sample.Current) << " mA  "
                    << Fixed4(sample.Pressure) << ' ' << unit << '\n';
        Session.Out.flush();
        if (Session.Environment.AfterSample)
            Session.Environment.AfterSample(n + 1);
        if (n + 1 < count)
            WaitUntil(device, startUs + (n + 1) * rateUs);
    }
    hart.ClosePort();
    if (!o.Log.isEmpty()) {
        SaveLog(o, logger, unit);
        Session.Err << "calvista-cli: " << logger.Count() << " samples saved to " << o.Log << '\n';
    }
    return status;
}
