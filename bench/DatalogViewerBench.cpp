// The data-log viewer with a long log: a file of N lines (10^6 by default, one
// sample a second, as the data logger writes it) is made once, then loaded
// into the two charts as "Open data log…" does. Prints the load time, the
// bytes per sample the charts hold, and the growth of the process's peak
// resident memory during the load.
//
//   build/bench/datalog_viewer_bench [LINES] [FILE]

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

#include "app/workflows/DatalogViewer.h"
#include "chart/NorvaneChart.h"
#include "services/DatalogReader.h"
#include "services/UnitDataloger.h"

namespace {

long PeakKiB()
{
    rusage Usage {};
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    const long Lines = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    const QString File = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath() + "/calvista-bench.log";
    {
        TDataloger Logger;
        const QDateTime Start(QDate(2026, 12, 1), QTime(18, 0, 0));
        for (long i = 0; i < Lines; ++i) {
            const double t = double(i);
            const float Pressure = float(5.0 + 4.0 * std::sin(t / 3600.0) + 0.05 * std::sin(t / 7.0));
            Logger.AddSample(Start.addSecs(i), Pressure, 4.0f + 1.6f * Pressure);
        }
        Logger.SaveToFile(File);
    }
    std::printf("%ld lines, %lld bytes\n", Lines, static_cast<long long>(QFileInfo(File).size()));

    TNorvaneChart Pressure, Current;
    TCurve* P = Pressure.Curves().Add();
    TCurve* C = Current.Curves().Add();
    const long PeakBefore = PeakKiB();
    const auto Begin = std::chrono::steady_clock::now();
    int64_t FirstMs = 0;
    const TDatalogSummary Summary = LoadDatalogCurves(File, *P, *C, FirstMs);
    const double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Begin).count();
    const long PeakAfter = PeakKiB();
    const double Bytes = double(P->MemoryUsed() + C->MemoryUsed());
    std::printf("loaded %lld samples (%lld unreadable lines) in %.3f s\n", static_cast<long long>(Summary.Samples),
                static_cast<long long>(Summary.BadLines), Seconds);
    std::printf("charts hold %.1f bytes per sample; peak resident memory grew by %.1f bytes per sample\n",
                Bytes / double(Summary.Samples), double(PeakAfter - PeakBefore) * 1024.0 / double(Summary.Samples));
    return Summary.Samples == Lines ? 0 : 1;
}
