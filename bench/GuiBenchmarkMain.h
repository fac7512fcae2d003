#pragma once
// main() of a benchmark program that paints widgets: an offscreen Qt
// application around Google Benchmark's own run.

#include <QApplication>
#include <QByteArray>

#include <benchmark/benchmark.h>

inline int RunGuiBenchmarks(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
