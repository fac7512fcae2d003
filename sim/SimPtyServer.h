#pragma once
// Serves a TSimTransmitter on a pseudo-terminal, in real time: a HART master
// opens the slave side like a serial port. The request bytes the master writes
// are taken to arrive at the pace of the transmitter's line (one character time
// each, after the previous one), and each answer byte is written to the
// terminal at its own arrival time, so a master sees the timing of a real
// 1200-baud line. Line-error flags of injected faults cannot travel over a
// pseudo-terminal and are dropped.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "sim/SimTransmitter.h"

class TSimPtyServer {
public:
    // Opens the pseudo-terminal; throws std::system_error when that fails.
    explicit TSimPtyServer(TSimTransmitter& Transmitter);
    ~TSimPtyServer();
    TSimPtyServer(const TSimPtyServer&) = delete;
    TSimPtyServer& operator=(const TSimPtyServer&) = delete;

    // The path a master opens, such as /dev/pts/4.
    const std::string& SlavePath() const { return FSlavePath; }
    // Makes LinkPath a symbolic link to the slave side. An existing symbolic link
    // there is replaced; anything else at the path is refused with
    // std::system_error (EEXIST) and left alone, as are other failures. The link
    // is removed again when the server goes, if it is still this link.
    void MakeLink(const std::string& LinkPath);

    // Serves until Stop() is called.
    void Run();
    // Ends Run(); may be called from another thread or a signal handler.
    void Stop();

    // Runs Fn(Transmitter) while the server does not touch the transmitter.
    template <class F> auto WithTransmitter(F&& Fn)
    {
        std::lock_guard<std::mutex> Lock(FLock);
        return Fn(FTransmitter);
    }

    // Called after each request the transmitter answered or ignored on purpose
    // (under the transmitter lock).
    std::function<void(const TSimRequest&)> OnRequest;

    // The server's clock in microseconds (monotonic, 0 at construction).
    int64_t NowUs() const;

private:
    void ReceiveBytes();
    void SendDueBytes();
    int64_t NextDueUs();

    TSimTransmitter& FTransmitter;
    std::mutex FLock;
    int FMaster = -1;
    int FSlave = -1;  // kept open so the terminal stays up between masters
    int FWake[2] = {-1, -1};
    std::atomic<bool> FStop {false};
    std::string FSlavePath;
    std::string FLinkPath;
    int64_t FOriginNs = 0;
    int64_t FLineFreeUs = 0;  // when the last request byte has finished arriving
    std::deque<TSimOutByte> FPending;
};
