// Milliseconds per paint of an 800 x 600 chart holding two curves of 10^3,
// 10^5 and 10^6 points (a day of monitoring at one sample per second is
// 86,400), drawn segment by segment and as column envelopes. The chart is
// shown on the offscreen platform and repainted through its paint event, so
// the off-screen buffer and the copy onto the widget are included.
#include "bench/GuiBenchmarkMain.h"
#include "chart/NorvaneChart.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <random>

namespace {

void FillCurves(TNorvaneChart& Chart, int Points, int ThickLine)
{
    Chart.Curves().Clear();
    std::mt19937 Random(7);
    std::normal_distribution<double> Noise(0, 0.05);
    const QColor Colours[] = {QColor(128, 0, 0), QColor(0, 0, 128)};
    for (const QColor& Colour : Colours) {
        TCurve* Curve = Chart.Curves().Add();
        Curve->SetColorGraph(Colour);
        Curve->SetThickLine(ThickLine);
        double Y = 1013.25;
        for (int i = 0; i < Points; ++i) {
            Y += Noise(Random);
            Curve->AddPoint(i, Y);  // one sample per second
        }
    }
}

void PaintChart(benchmark::State& State)
{
    const int Points = int(State.range(0));
    const auto Drawing = State.range(1) ? TCurveDrawing::Envelope : TCurveDrawing::EverySegment;
    const int ThickLine = int(State.range(2));

    TNorvaneChart Chart;
    Chart.resize(800, 600);
    Chart.SetAxisTitle({"P, mbar", "t, s"});
    Chart.SetMaxXValue(0.001);
    Chart.SetMaxYValue(0.001);
    FillCurves(Chart, Points, ThickLine);
    Chart.SetCurveDrawing(Drawing);
    Chart.show();
    QApplication::processEvents();

    for (auto _ : State)
        Chart.repaint();

    State.SetLabel(State.range(1) ? "envelope" : "every segment");
    State.counters["points_per_curve"] = Points;
}

}  // namespace

BENCHMARK(PaintChart)
    ->ArgNames({"points", "envelope", "thick"})
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

int main(int argc, char** argv)
{
    return RunGuiBenchmarks(argc, argv);
}
