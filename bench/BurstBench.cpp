// Burst monitoring at the pace of a 1200-baud line: the simulated transmitter
// is served on a pseudo-terminal (the server of hart-sim, in this process, in
// real time) and THart on the POSIX serial device puts it in burst mode and
// records 200 burst frames. Prints frames recorded / frames sent over the
// recording, the samples per second, and the same for polling with command 3.
//
//   build/bench/burst_bench [FRAMES]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "hart/HartCommand.h"
#include "hart/PosixSerialDevice.h"
#include "sim/SimPtyServer.h"
#include "sim/SimTransmitter.h"
#include "transmitter/BurstSession.h"

namespace {

double Seconds(std::chrono::steady_clock::duration D)
{
    return std::chrono::duration<double>(D).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int Frames = argc > 1 ? std::atoi(argv[1]) : 200;
    TSimTransmitter Transmitter;
    Transmitter.SetPacing(TSimPacing::Baud1200());
    TSimPtyServer Server(Transmitter);
    std::thread Serving([&] { Server.Run(); });

    THart Hart(std::make_unique<TPosixSerialDevice>());
    if (!Hart.OpenPort(Server.SlavePath())) {
        std::fprintf(stderr, "cannot open %s\n", Server.SlavePath().c_str());
        Server.Stop();
        Serving.join();
        return 1;
    }
    int Status = 0;
    try {
        THartDevInfo Info;
        Hart.ReadUniqueIdentifier(Info);

        // Polling, for comparison: command 3 back to back.
        constexpr int Polls = 20;
        const auto PollStart = std::chrono::steady_clock::now();
        for (int i = 0; i < Polls; ++i) {
            float Current, PV;
            std::string Unit;
            Hart.ReadDynamicVariables(Current, Unit, PV);
        }
        const double PollSeconds = Seconds(std::chrono::steady_clock::now() - PollStart);

        TBurstSession Burst(Hart);
        TMonitoringSample Sample;
        int64_t LinkUs = 0;
        int Recorded = 0;
        uint64_t SentAtFirst = 0;
        auto First = std::chrono::steady_clock::now();
        while (Recorded < Frames && Burst.NextSample(Sample, LinkUs, 2000)) {
            if (Recorded++ == 0) {
                First = std::chrono::steady_clock::now();
                // The frame just read is the latest one the transmitter has sent.
                SentAtFirst = Server.WithTransmitter([](TSimTransmitter& T) { return T.BurstFramesSent(); });
            }
        }
        const double BurstSeconds = Seconds(std::chrono::steady_clock::now() - First);
        const uint64_t SentAtLast = Server.WithTransmitter([](TSimTransmitter& T) { return T.BurstFramesSent(); });
        Burst.Stop();
        const uint64_t Sent = SentAtLast - SentAtFirst + 1;
        std::printf("polling:  %d samples in %.3f s = %.3f samples/s (%.3f s each)\n", Polls, PollSeconds,
                    Polls / PollSeconds, PollSeconds / Polls);
        std::printf("burst:    %d frames recorded / %llu sent = %.1f %%, %.3f samples/s (%.3f s each)\n", Recorded,
                    static_cast<unsigned long long>(Sent), 100.0 * Recorded / double(Sent),
                    (Recorded - 1) / BurstSeconds, BurstSeconds / (Recorded - 1));
        std::printf("damaged frames: %llu; burst mode after stop: %s\n",
                    static_cast<unsigned long long>(Burst.DamagedFrames()),
                    Server.WithTransmitter([](TSimTransmitter& T) { return T.BurstMode(); }) ? "on" : "off");
    } catch (const EHartComError& Error) {
        std::fprintf(stderr, "link error %s\n", Error.what());
        Status = 1;
    }
    Hart.ClosePort();
    Server.Stop();
    Serving.join();
    return Status;
}
