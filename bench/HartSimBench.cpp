// Real time of HART exchanges between THart on the POSIX serial device and the
// hart-sim program on a pseudo-terminal at 1200-baud pace, divided by the time
// the exchanged bytes need on a 1200-baud line (11 bits per character) plus the
// simulator's turnaround. A ratio of 1 means the link and the simulator add
// nothing to the line time; the counter "ratio" is that quotient.
//
//   build/bench/hart_sim_bench
//
// Every iteration costs the full line time (about 1.3 s for the read sequence),
// so the iteration counts are fixed and small.

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "hart/HartCommand.h"
#include "hart/PosixSerialDevice.h"

extern char** environ;

namespace {

constexpr double CharSeconds = 11.0 / 1200.0;
constexpr int TurnaroundMs = 20;

std::string LinkPath;

// Seconds the last transaction's bytes need on the wire, with the turnaround.
double LineSeconds(const THart& Hart)
{
    const size_t Bytes = (Hart.Response.RequestText.size() + Hart.Response.ReplyText.size()) / 2;
    return static_cast<double>(Bytes) * CharSeconds + TurnaroundMs / 1000.0;
}

template <class F> void Measure(benchmark::State& State, F&& Exchanges)
{
    THart Hart(std::make_unique<TPosixSerialDevice>());
    if (!Hart.OpenPort(LinkPath)) {
        State.SkipWithError("cannot open the simulator's terminal");
        return;
    }
    THartDevInfo Info;
    Hart.ReadUniqueIdentifier(Info);  // learn the long address once
    double Measured = 0, Line = 0;
    for (auto _ : State) {
        const auto Begin = std::chrono::steady_clock::now();
        double IterationLine = 0;
        Exchanges(Hart, IterationLine);
        const std::chrono::duration<double> Elapsed = std::chrono::steady_clock::now() - Begin;
        State.SetIterationTime(Elapsed.count());
        Measured += Elapsed.count();
        Line += IterationLine;
    }
    State.counters["line_ms"] = Line / static_cast<double>(State.iterations()) * 1000.0;
    State.counters["ratio"] = Measured / Line;
}

void ReadSequence(benchmark::State& State)
{
    Measure(State, [](THart& Hart, double& Line) {
        THartDevInfo Info;
        TSensorInfo Sensor;
        TPrVarInfo Output;
        std::string Tag, Descriptor;
        uint8_t Day, Month;
        uint16_t Year;
        Hart.ReadUniqueIdentifier(Info);
        Line += LineSeconds(Hart);
        Hart.ReadSensorInfo(Sensor);
        Line += LineSeconds(Hart);
        Hart.ReadPrVarInfo(Output);
        Line += LineSeconds(Hart);
        Hart.ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
        Line += LineSeconds(Hart);
    });
}
BENCHMARK(ReadSequence)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void DynamicVariables(benchmark::State& State)
{
    Measure(State, [](THart& Hart, double& Line) {
        float Current, PV;
        std::string Unit;
        Hart.ReadDynamicVariables(Current, Unit, PV);
        Line += LineSeconds(Hart);
    });
}
BENCHMARK(DynamicVariables)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// Starts hart-sim with a link in a temporary folder; stops it on destruction.
struct TSimProcess {
    pid_t Pid = 0;
    std::filesystem::path Dir;

    bool Start()
    {
        Dir = std::filesystem::temp_directory_path() / ("hart-sim-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(Dir);
        LinkPath = (Dir / "ttyHART").string();
        std::string Program = HART_SIM_PATH;
        std::vector<std::string> Args = {Program, "--link", LinkPath, "--turnaround", std::to_string(TurnaroundMs)};
        std::vector<char*> Argv;
        for (auto& A : Args)
            Argv.push_back(A.data());
        Argv.push_back(nullptr);
        posix_spawn_file_actions_t Actions;
        posix_spawn_file_actions_init(&Actions);
        posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
        const int Err = posix_spawn(&Pid, Program.c_str(), &Actions, nullptr, Argv.data(), environ);
        posix_spawn_file_actions_destroy(&Actions);
        if (Err != 0)
            return false;
        for (int i = 0; i < 500 && !std::filesystem::is_symlink(LinkPath); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return std::filesystem::is_symlink(LinkPath);
    }
    ~TSimProcess()
    {
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
        }
        std::error_code Ignored;
        std::filesystem::remove_all(Dir, Ignored);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TSimProcess Sim;
    if (!Sim.Start()) {
        std::fprintf(stderr, "hart_sim_bench: cannot start %s\n", HART_SIM_PATH);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
