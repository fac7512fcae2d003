// Read time and CPU per exchange over HART-IP on loopback, next to the same
// exchanges over a serial link: THart against the simulator's HART-IP server
// (TCP, UDP) and against its pseudo-terminal server with the POSIX serial
// device, both servers in a thread of this process and without line pacing, so
// what is measured is our own cost. Real time is the wall time of an
// iteration; CPU is this thread's, that is the master's alone.
//
//   build/bench/hartip_bench
//
// "exchange" runs command 0; "read" the window's read sequence (commands 0,
// 14, 15 and 13). items_per_second counts exchanges.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <thread>

#include "hart/HartCommand.h"
#include "hart/HartIpTransport.h"
#include "hart/PosixSerialDevice.h"
#include "sim/SimHartIpServer.h"
#include "sim/SimPtyServer.h"
#include "sim/SimSerialDevice.h"

namespace {

enum TLinkKind { Tcp, Udp, Serial };

// A server in a thread for as long as the benchmark runs.
struct TServed {
    TSimTransmitter Transmitter;
    std::unique_ptr<TSimHartIpServer> Net;
    std::unique_ptr<TSimPtyServer> Pty;
    std::thread Thread;

    explicit TServed(TLinkKind Kind)
    {
        if (Kind == Serial) {
            Pty = std::make_unique<TSimPtyServer>(Transmitter);
            Thread = std::thread([this] { Pty->Run(); });
        } else {
            Net = std::make_unique<TSimHartIpServer>(Transmitter, 0);
            Thread = std::thread([this] { Net->Run(); });
        }
    }
    ~TServed()
    {
        if (Pty)
            Pty->Stop();
        if (Net)
            Net->Stop();
        Thread.join();
    }
};

std::unique_ptr<THart> OpenHart(TLinkKind Kind, TServed& Served)
{
    if (Kind == Serial) {
        auto Hart = std::make_unique<THart>(std::make_unique<TPosixSerialDevice>());
        Hart->OpenPort(Served.Pty->SlavePath());
        return Hart;
    }
    auto Hart = std::make_unique<THart>(std::make_unique<TSimSerialDevice>());
    const uint16_t Port = Served.Net->Port();
    Hart->SetTransportOpener([=](const std::string&) {
        return std::make_unique<THartIpTransport>(
            THartIpAddress {"127.0.0.1", Port, Kind == Udp ? TNetProtocol::Udp : TNetProtocol::Tcp});
    });
    Hart->OpenPort("hartip");
    return Hart;
}

void Exchanges(benchmark::State& State, TLinkKind Kind, bool ReadSequence)
{
    TServed Served(Kind);
    const std::unique_ptr<THart> Hart = OpenHart(Kind, Served);
    THartDevInfo Info;
    TSensorInfo Sensor;
    TPrVarInfo Output;
    std::string Tag, Descriptor;
    uint8_t Day = 0, Month = 0;
    uint16_t Year = 0;
    try {
        Hart->ReadUniqueIdentifier(Info);
        for (auto _ : State) {
            Hart->ReadUniqueIdentifier(Info);
            if (!ReadSequence)
                continue;
            Hart->ReadSensorInfo(Sensor);
            Hart->ReadPrVarInfo(Output);
            Hart->ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
        }
    } catch (const EHartComError& E) {
        State.SkipWithError(E.what());
        return;
    }
    State.SetItemsProcessed(int64_t(State.iterations()) * (ReadSequence ? 4 : 1));
}

}  // namespace

BENCHMARK_CAPTURE(Exchanges, exchange_hartip_tcp, Tcp, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Exchanges, exchange_hartip_udp, Udp, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Exchanges, exchange_serial_pty, Serial, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Exchanges, read_hartip_tcp, Tcp, true)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Exchanges, read_hartip_udp, Udp, true)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Exchanges, read_serial_pty, Serial, true)->UseRealTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
