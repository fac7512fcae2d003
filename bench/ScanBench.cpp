// Real time of a scan of polling addresses 0 to 15 through the POSIX serial
// device, against hart-sim serving three transmitters on one pseudo-terminal
// at 1200-baud pace (11 bits per character, 20 ms turnaround): thirteen
// addresses where nobody answers, and command 0, 13 (and 20 for HART 6 and 7)
// to each transmitter present.
//
//   build/bench/scan_bench
//
// One iteration is one scan of about eight seconds, so the counts are fixed.

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "hart/PosixSerialDevice.h"
#include "transmitter/TransmitterScan.h"

extern char** environ;

namespace {

// hart-sim with a device description, behind a link in a temporary folder.
struct TSimProcess {
    pid_t Pid = 0;
    std::filesystem::path Dir;
    std::string LinkPath;

    bool Start(const std::string& Devices)
    {
        Dir = std::filesystem::temp_directory_path() / ("scan-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(Dir);
        LinkPath = (Dir / "ttyHART").string();
        const std::string DeviceFile = (Dir / "devices.txt").string();
        std::ofstream(DeviceFile) << Devices;
        std::vector<std::string> Args = {HART_SIM_PATH, "--link", LinkPath, "--devices", DeviceFile};
        std::vector<char*> Argv;
        for (auto& A : Args)
            Argv.push_back(A.data());
        Argv.push_back(nullptr);
        posix_spawn_file_actions_t Actions;
        posix_spawn_file_actions_init(&Actions);
        posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
        const int Err = posix_spawn(&Pid, HART_SIM_PATH, &Actions, nullptr, Argv.data(), environ);
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

void Scan(benchmark::State& State, const std::string& Devices)
{
    TSimProcess Sim;
    if (!Sim.Start(Devices)) {
        State.SkipWithError("cannot start hart-sim");
        return;
    }
    THart Hart(std::make_unique<TPosixSerialDevice>());
    if (!Hart.OpenPort(Sim.LinkPath)) {
        State.SkipWithError("cannot open the simulator's terminal");
        return;
    }
    Hart.SetPrimaryMaster(true);
    size_t Found = 0;
    for (auto _ : State) {
        const auto Begin = std::chrono::steady_clock::now();
        Found = TTransmitterScan(Hart).Scan(0, 15).size();
        const std::chrono::duration<double> Elapsed = std::chrono::steady_clock::now() - Begin;
        State.SetIterationTime(Elapsed.count());
    }
    State.counters["found"] = double(Found);
}

void ScanThreeHart5(benchmark::State& State)
{
    Scan(State, "address=0 tag=PT-100\naddress=5 id=1001 tag=PT-105\naddress=11 id=1002 tag=PT-111\n");
}
BENCHMARK(ScanThreeHart5)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

void ScanHart5And6And7(benchmark::State& State)
{
    Scan(State, "address=0 tag=PT-100\n"
                "address=5 rev=6 id=1001 tag=PT-105 long-tag=\"Feed pump 5 discharge\"\n"
                "address=11 rev=7 id=1002 tag=PT-111 long-tag=\"Boiler drum level 11\"\n");
}
BENCHMARK(ScanHart5And6And7)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
