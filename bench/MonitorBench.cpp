// A long recording as the main window makes it: one sample per second, two
// charts of 800 x 600 (pressure and current, one curve each, lines 2 pixels
// wide) and the data logger.
//
// MonitorTick: CPU time of one tick's chart work, a point added to each
//   chart and both charts repainted through their paint events on the
//   offscreen platform, with 10^3, 10^5 and 10^6 points already in each
//   curve, at the full view and zoomed in to about 2,000 points. Every
//   iteration adds a point, so a curve grows by the iterations run.
// SaveDatalog: SaveToStream of 10^6 samples into a file.
// RecordingMemory: heap bytes per recorded sample (logger plus both curves),
//   from the allocator's own figures.
#include "bench/GuiBenchmarkMain.h"
#include "chart/NorvaneChart.h"
#include "services/UnitDataloger.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

// A pressure and a loop current that wander like a real transmitter's.
struct TSignal {
    std::mt19937 Random {11};
    std::normal_distribution<double> Noise {0, 0.02};
    double Pressure = 1013.25;
    double Current = 12;

    void Next()
    {
        Pressure += Noise(Random);
        Current = 4 + 16 * std::fmod(std::fabs(Pressure - 900) / 300, 1.0);
    }
};

std::unique_ptr<TNorvaneChart> MakeChart(QColor Colour, const QString& Title, double MaxY)
{
    auto Chart = std::make_unique<TNorvaneChart>();
    Chart->resize(800, 600);
    Chart->SetAxisTitle({Title, "t, s"});
    Chart->SetMaxXValue(0.001);
    Chart->SetMaxYValue(MaxY);
    TCurve* Curve = Chart->Curves().Add();
    Curve->SetColorGraph(Colour);
    Curve->SetThickLine(2);
    return Chart;
}

void MonitorTick(benchmark::State& State)
{
    const int Points = int(State.range(0));
    const bool Zoomed = State.range(1) != 0;
    auto Pressure = MakeChart(QColor(128, 0, 0), "P, mbar", 0.001);
    auto Current = MakeChart(QColor(0, 0, 128), "I, mA", 0.1);
    TSignal Signal;
    double Elapsed = 0;
    const auto Tick = [&] {
        Signal.Next();
        Pressure->Curves()[0]->AddPoint(Elapsed, Signal.Pressure);
        Current->Curves()[0]->AddPoint(Elapsed, Signal.Current);
        Elapsed += 1;
    };
    for (int i = 0; i < Points; ++i)
        Tick();
    for (TNorvaneChart* Chart : {Pressure.get(), Current.get()}) {
        Chart->show();
        Chart->RenderImage();  // widens the range and lays the plot out
        if (Zoomed) {  // around the middle, about 2,000 points in view
            Chart->SetZoomPoint(QPoint(-1, 0));
            Chart->SetScale(int(100.0 * Points / 2000));
            Chart->repaint();
        }
    }
    QApplication::processEvents();

    for (auto _ : State) {
        Tick();
        Pressure->repaint();
        Current->repaint();
    }
    State.counters["values_visited"] = double(Pressure->LastPaintCount().Visited);
    State.counters["segments"] = double(Pressure->LastPaintCount().Segments);
    State.SetLabel(Zoomed ? "zoomed to ~2000 points" : "full view");
}

void SaveDatalog(benchmark::State& State)
{
    const int Samples = int(State.range(0));
    TDataloger Logger;
    TSignal Signal;
    const QDateTime Start(QDate(2026, 12, 1), QTime(8, 0));
    for (int i = 0; i < Samples; ++i) {
        Signal.Next();
        Logger.AddSample(Start.addSecs(i), float(Signal.Pressure), float(Signal.Current));
    }
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("bench.log");
    for (auto _ : State) {
        QFile File(Path);
        if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate))
            State.SkipWithError("cannot create the file");
        Logger.SaveToStream(File);
        File.close();
    }
    State.counters["bytes"] = double(QFile(Path).size());
}

std::size_t HeapInUse()
{
    const struct mallinfo2 Info = mallinfo2();
    return Info.uordblks + Info.hblkhd;
}

void RecordingMemory(benchmark::State& State)
{
    const int Samples = int(State.range(0));
    double PerSample = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto Pressure = MakeChart(QColor(128, 0, 0), "P, mbar", 0.001);
        auto Current = MakeChart(QColor(0, 0, 128), "I, mA", 0.1);
        TSignal Signal;
        State.ResumeTiming();
        const std::size_t Before = HeapInUse();
        auto Logger = std::make_unique<TDataloger>();
        for (int i = 0; i < Samples; ++i) {
            Signal.Next();
            Pressure->Curves()[0]->AddPoint(i, Signal.Pressure);
            Current->Curves()[0]->AddPoint(i, Signal.Current);
            Logger->AddSample(float(Signal.Pressure), float(Signal.Current));
        }
        PerSample = double(HeapInUse() - Before) / Samples;
    }
    State.counters["bytes_per_sample"] = PerSample;
}

}  // namespace

BENCHMARK(MonitorTick)
    ->ArgNames({"points", "zoomed"})
    ->Args({1000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(SaveDatalog)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A day, a week (604,800) and a million samples.
BENCHMARK(RecordingMemory)->Arg(86400)->Arg(604800)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    return RunGuiBenchmarks(argc, argv);
}
