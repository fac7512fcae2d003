#include "sim/SimPtyServer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <system_error>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void ThrowErrno(const char* What)
{
    throw std::system_error(errno, std::generic_category(), What);
}

int64_t MonotonicNs()
{
    timespec Ts;
    clock_gettime(CLOCK_MONOTONIC, &Ts);
    return static_cast<int64_t>(Ts.tv_sec) * 1000000000 + Ts.tv_nsec;
}

}  // namespace

TSimPtyServer::TSimPtyServer(TSimTransmitter& Transmitter)
    : FTransmitter(Transmitter)
{
    FOriginNs = MonotonicNs();
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0)
        ThrowErrno("posix_openpt");
    char Name[128];
    if (grantpt(FMaster) != 0 || unlockpt(FMaster) != 0 || ptsname_r(FMaster, Name, sizeof Name) != 0) {
        const int Err = errno;
        close(FMaster);
        errno = Err;
        ThrowErrno("pseudo-terminal set-up");
    }
    FSlavePath = Name;
    // The slave side stays open here too, so the terminal does not hang up
    // between two masters.
    FSlave = open(Name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FSlave < 0) {
        const int Err = errno;
        close(FMaster);
        errno = Err;
        ThrowErrno("open pseudo-terminal slave");
    }
    // Raw 8-bit line, so a master that does not set the terminal up itself still
    // sees the bytes unchanged.
    termios Tio;
    if (tcgetattr(FSlave, &Tio) == 0) {
        cfmakeraw(&Tio);
        Tio.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&Tio, B1200);
        cfsetospeed(&Tio, B1200);
        tcsetattr(FSlave, TCSANOW, &Tio);
    }
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
    if (pipe2(FWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(FSlave);
        close(FMaster);
        ThrowErrno("pipe");
    }
}

TSimPtyServer::~TSimPtyServer()
{
    // Only the link made here goes: whatever has taken its place since stays.
    if (!FLinkPath.empty()) {
        char Target[4096];
        const ssize_t N = readlink(FLinkPath.c_str(), Target, sizeof Target);
        if (N >= 0 && std::string(Target, size_t(N)) == FSlavePath)
            unlink(FLinkPath.c_str());
    }
    close(FWake[0]);
    close(FWake[1]);
    close(FSlave);
    close(FMaster);
}

void TSimPtyServer::MakeLink(const std::string& LinkPath)
{
    // A link left behind by an earlier run is replaced; anything else at the
    // path (a file, a folder, a device) is someone's and stays.
    struct stat Status {};
    if (lstat(LinkPath.c_str(), &Status) == 0) {
        if (!S_ISLNK(Status.st_mode))
            throw std::system_error(EEXIST, std::generic_category(),
                                    LinkPath + " exists and is not a symbolic link; it is left as it is");
        unlink(LinkPath.c_str());
    }
    if (symlink(FSlavePath.c_str(), LinkPath.c_str()) != 0)
        ThrowErrno("symlink");
    FLinkPath = LinkPath;
}

int64_t TSimPtyServer::NowUs() const
{
    return (MonotonicNs() - FOriginNs) / 1000;
}

void TSimPtyServer::Stop()
{
    FStop.store(true);
    const char Byte = 1;
    [[maybe_unused]] const ssize_t Ignored = write(FWake[1], &Byte, 1);  // async-signal-safe
}

int64_t TSimPtyServer::NextDueUs()
{
    if (!FPending.empty())
        return FPending.front().ArrivalUs;
    std::lock_guard<std::mutex> Lock(FLock);
    return FTransmitter.NextBurstUs();
}

void TSimPtyServer::Run()
{
    while (!FStop.load()) {
        SendDueBytes();
        // Sleep until the next answer byte is due, or until the master writes.
        timespec Timeout {0, 50 * 1000 * 1000};
        const int64_t Due = NextDueUs();
        if (Due >= 0) {
            const int64_t WaitUs = std::max<int64_t>(0, Due - NowUs());
            Timeout = {static_cast<time_t>(WaitUs / 1000000), static_cast<long>(WaitUs % 1000000) * 1000};
        }
        pollfd Fds[2] = {{FMaster, POLLIN, 0}, {FWake[0], POLLIN, 0}};
        const int Ready = ppoll(Fds, 2, &Timeout, nullptr);
        if (Ready < 0 && errno != EINTR)
            ThrowErrno("ppoll");
        if (Ready > 0 && (Fds[0].revents & POLLIN))
            ReceiveBytes();
        // A master that takes the terminal exclusively (TIOCEXCL) leaves the flag
        // behind when it closes, because the terminal lives on with this server:
        // no one but root could open it again. Lift it; masters that lock the port
        // (flock) still keep each other out while one of them has it open.
        ioctl(FSlave, TIOCNXCL);
    }
}

void TSimPtyServer::ReceiveBytes()
{
    uint8_t Buffer[512];
    const ssize_t Count = read(FMaster, Buffer, sizeof Buffer);
    if (Count <= 0)
        return;
    const int64_t Now = NowUs();
    std::lock_guard<std::mutex> Lock(FLock);
    const int64_t CharUs = FTransmitter.Pacing().CharTimeUs;
    for (ssize_t k = 0; k < Count; ++k) {
        // The byte starts on the wire when the previous one is through.
        const int64_t Arrival = std::max(Now, FLineFreeUs) + CharUs;
        FLineFreeUs = Arrival;
        const uint64_t Before = FTransmitter.RequestCount();
        std::vector<TSimOutByte> Answer = FTransmitter.Feed(Buffer[k], Arrival);
        FPending.insert(FPending.end(), Answer.begin(), Answer.end());
        if (OnRequest && FTransmitter.RequestCount() != Before)
            OnRequest(FTransmitter.Requests().back());
    }
}

void TSimPtyServer::SendDueBytes()
{
    const int64_t Now = NowUs();
    if (FPending.empty()) {
        // A burst frame goes on the line once its start has come.
        std::lock_guard<std::mutex> Lock(FLock);
        const std::vector<TSimOutByte> Burst = FTransmitter.BurstFrames(Now, 1);
        FPending.insert(FPending.end(), Burst.begin(), Burst.end());
    }
    uint8_t Out[512];
    size_t Count = 0;
    while (!FPending.empty() && FPending.front().ArrivalUs <= Now && Count < sizeof Out) {
        Out[Count++] = FPending.front().Byte;
        FPending.pop_front();
    }
    if (Count == 0)
        return;
    // Nobody reading: the bytes are lost, as on a real line.
    [[maybe_unused]] const ssize_t Written = write(FMaster, Out, Count);
}
