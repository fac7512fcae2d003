#include "hart/PosixSerialDevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

// Unix98 pseudo-terminal slaves (/dev/pts/N) use majors 136 to 143.
constexpr unsigned PtySlaveMajorFirst = 136;
constexpr unsigned PtySlaveMajorLast = 143;

TSerialOpenResult OpenResultFromErrno(int Error)
{
    switch (Error) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return TSerialOpenResult::NotFound;
        case EBUSY:
        case EACCES: return TSerialOpenResult::AccessDenied;
        default: return TSerialOpenResult::OtherError;
    }
}

struct TBaudPair {
    uint32_t Rate;
    speed_t Speed;
};
constexpr TBaudPair BaudTable[] = {
    {50, B50},     {75, B75},       {110, B110},     {134, B134},     {150, B150},       {200, B200},
    {300, B300},   {600, B600},     {1200, B1200},   {1800, B1800},   {2400, B2400},     {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

bool SpeedFor(uint32_t Rate, speed_t& Speed)
{
    for (const TBaudPair& P : BaudTable)
        if (P.Rate == Rate) {
            Speed = P.Speed;
            return true;
        }
    return false;
}

uint32_t RateFor(speed_t Speed)
{
    for (const TBaudPair& P : BaudTable)
        if (P.Speed == Speed)
            return P.Rate;
    return 0;
}

bool IsPseudoTerminalFd(int Fd)
{
    struct stat St {};
    if (fstat(Fd, &St) != 0 || !S_ISCHR(St.st_mode))
        return false;
    const unsigned Major = major(St.st_rdev);
    return Major >= PtySlaveMajorFirst && Major <= PtySlaveMajorLast;
}

int64_t SteadyUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int RemainingMs(int64_t DeadlineUs)
{
    const int64_t Left = DeadlineUs - SteadyUs();
    if (Left <= 0)
        return 0;
    return int(std::min<int64_t>((Left + 999) / 1000, 1 << 30));
}

}  // namespace

std::unique_ptr<TSerialDevice> CreatePlatformSerialDevice()
{
    return std::make_unique<TPosixSerialDevice>();
}

std::vector<std::string> SerialDevicePathsOfKinds(const std::vector<std::string>& Kinds)
{
    namespace fs = std::filesystem;
    std::vector<std::vector<std::pair<std::string, unsigned>>> Found(Kinds.size());
    const size_t KindCount = Kinds.size();
    std::error_code Ec;
    for (const fs::directory_entry& Entry : fs::directory_iterator("/dev", Ec)) {
        const std::string Name = Entry.path().filename().string();
        for (size_t K = 0; K < KindCount; ++K) {
            const std::string& P = Kinds[K];
            if (Name.size() <= P.size() || Name.compare(0, P.size(), P) != 0)
                continue;
            const std::string Digits = Name.substr(P.size());
            if (Digits.size() > 9 || !std::all_of(Digits.begin(), Digits.end(), [](char C) {
                    return std::isdigit(static_cast<unsigned char>(C));
                }))
                continue;
            Found[K].emplace_back(Entry.path().string(), unsigned(std::stoul(Digits)));
        }
    }
    // Kind by kind, each in numeric order (ttyS2 before ttyS10).
    std::vector<std::string> Paths;
    for (size_t K = 0; K < KindCount; ++K) {
        std::sort(Found[K].begin(), Found[K].end(), [](const auto& A, const auto& B) { return A.second < B.second; });
        for (auto& F : Found[K])
            Paths.push_back(F.first);
    }
    return Paths;
}

std::vector<std::string> PlatformSerialDeviceNames()
{
    return SerialDevicePathsOfKinds({"ttyACM", "ttyS", "ttyUSB"});
}

// ---------------------------------------------------------------------------

TPosixSerialDevice::~TPosixSerialDevice()
{
    Close();
}

uint32_t TPosixSerialDevice::Handle() const
{
    return FFd >= 0 ? uint32_t(FFd) : SerialInvalidHandle;
}

TSerialOpenResult TPosixSerialDevice::Open(const std::string& Name)
{
    if (FFd >= 0)
        return TSerialOpenResult::AccessDenied;
    // A device path, as the port layer forms it from a port name; a relative
    // name would open a file of the current directory.
    const std::string& Path = Name;
    if (Path.empty() || Path.front() != '/')
        return TSerialOpenResult::NotFound;
    // Non-blocking so that opening never waits for a carrier; every read and
    // write waits in poll() with its own deadline.
    const int Fd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0)
        return OpenResultFromErrno(errno);
    if (!isatty(Fd)) {
        ::close(Fd);
        return TSerialOpenResult::NotFound;
    }
    // A port held by another program, or by this one, is in use. Root passes
    // TIOCEXCL, but not the lock.
    if (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
        const int Error = errno;
        ::close(Fd);
        return Error == EWOULDBLOCK ? TSerialOpenResult::AccessDenied : OpenResultFromErrno(Error);
    }
    if (ioctl(Fd, TIOCEXCL) != 0) {
        const int Error = errno;
        ::close(Fd);
        return OpenResultFromErrno(Error);
    }
    FFd = Fd;
    FIsPty = IsPseudoTerminalFd(Fd);
    FRaw.clear();
    FMarkedErrors = 0;
    FGone = false;
    FUseParityMarks = !ReadCounters(FLastCounters);
    if (!ConfigureRaw()) {
        Close();
        return TSerialOpenResult::OtherError;
    }
    return TSerialOpenResult::Ok;
}

bool TPosixSerialDevice::ConfigureRaw()
{
    termios Tio {};
    if (tcgetattr(FFd, &Tio) != 0)
        return false;
    cfmakeraw(&Tio);
    Tio.c_cflag |= CLOCAL | CREAD;
    Tio.c_cc[VMIN] = 0;
    Tio.c_cc[VTIME] = 0;
    return tcsetattr(FFd, TCSANOW, &Tio) == 0;
}

void TPosixSerialDevice::Close()
{
    if (FFd < 0)
        return;
    ::close(FFd);  // releases the lock as well
    FFd = -1;
    FIsPty = false;
    FRaw.clear();
}

bool TPosixSerialDevice::SetEventMask(uint32_t /*Mask*/)
{
    // No event notification is used on POSIX; reads wait in poll().
    return FFd >= 0;
}

bool TPosixSerialDevice::SetTimeouts(const TSerialTimeouts& Timeouts)
{
    if (FFd < 0)
        return false;
    FTimeouts = Timeouts;
    return true;
}

bool TPosixSerialDevice::SetQueueSizes(uint32_t /*InputBytes*/, uint32_t /*OutputBytes*/)
{
    // The kernel's buffers are larger than any frame and cannot be sized.
    return FFd >= 0;
}

bool TPosixSerialDevice::GetLineSettings(TSerialLineSettings& Settings)
{
    termios Tio {};
    if (FFd < 0 || tcgetattr(FFd, &Tio) != 0)
        return false;
    Settings.BaudRate = RateFor(cfgetospeed(&Tio));
    if (!(Tio.c_cflag & PARENB))
        Settings.Parity = SerialParityNone;
    else if (Tio.c_cflag & CMSPAR)
        Settings.Parity = (Tio.c_cflag & PARODD) ? SerialParityMark : SerialParitySpace;
    else
        Settings.Parity = (Tio.c_cflag & PARODD) ? SerialParityOdd : SerialParityEven;
    Settings.StopBits = (Tio.c_cflag & CSTOPB) ? SerialStopBits2 : SerialStopBits1;
    switch (Tio.c_cflag & CSIZE) {
        case CS5: Settings.DataBits = 5; break;
        case CS6: Settings.DataBits = 6; break;
        case CS7: Settings.DataBits = 7; break;
        default: Settings.DataBits = 8; break;
    }
    Settings.Binary = true;
    Settings.ParityCheck = (Tio.c_iflag & INPCK) != 0;
    Settings.RtsToggle = false;
    return true;
}

bool TPosixSerialDevice::SetLineSettings(const TSerialLineSettings& Settings)
{
    termios Tio {};
    if (FFd < 0 || tcgetattr(FFd, &Tio) != 0)
        return false;
    // Rates without a termios constant (14400, 56000, 256000) are refused.
    speed_t Speed {};
    if (!SpeedFor(Settings.BaudRate, Speed))
        return false;
    if (cfsetispeed(&Tio, Speed) != 0 || cfsetospeed(&Tio, Speed) != 0)
        return false;

    Tio.c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR | CSTOPB | CSIZE);
    switch (Settings.DataBits) {
        case 5: Tio.c_cflag |= CS5; break;
        case 6: Tio.c_cflag |= CS6; break;
        case 7: Tio.c_cflag |= CS7; break;
        case 8: Tio.c_cflag |= CS8; break;
        default: return false;  // a UART has no 4-bit characters
    }
    switch (Settings.Parity) {
        case SerialParityNone: break;
        case SerialParityOdd: Tio.c_cflag |= PARENB | PARODD; break;
        case SerialParityEven: Tio.c_cflag |= PARENB; break;
        case SerialParityMark: Tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case SerialParitySpace: Tio.c_cflag |= PARENB | CMSPAR; break;
        default: return false;
    }
    // One and a half stop bits exist only with 5 data bits, where CSTOPB means it.
    if (Settings.StopBits != SerialStopBits1)
        Tio.c_cflag |= CSTOPB;

    FParityOn = Settings.Parity != SerialParityNone;
    Tio.c_iflag &= ~tcflag_t(INPCK | PARMRK | IGNPAR | ISTRIP | IGNBRK | BRKINT);
    // Errors are always marked, never replaced: without PARMRK the line
    // discipline hands a byte received with an error over as 0x00, and without
    // INPCK it does not mark framing errors either (also with parity off).
    if (Settings.ParityCheck)
        Tio.c_iflag |= INPCK;
    Tio.c_iflag |= PARMRK;
    if (tcsetattr(FFd, TCSANOW, &Tio) == 0)
        return true;
    // A pseudo-terminal drops parity and character size. The C library reports
    // EINVAL when the settings read back after the change differ from those
    // asked for and nothing at all changed, which is what the same settings
    // applied a second time look like there: the rate and the stop bits, all a
    // pseudo-terminal keeps, are then checked instead.
    termios Now {};
    return FIsPty && errno == EINVAL && tcgetattr(FFd, &Now) == 0 && cfgetospeed(&Now) == Speed
           && (Now.c_cflag & CSTOPB) == (Tio.c_cflag & CSTOPB);
}

bool TPosixSerialDevice::ModemLine(int Line, bool Raised)
{
    if (FFd < 0)
        return false;
    // A port that has gone away has no lines left to switch; closing it must
    // still succeed.
    if (FGone)
        return true;
    int Bits = Line;
    if (ioctl(FFd, Raised ? TIOCMBIS : TIOCMBIC, &Bits) == 0)
        return true;
    const int Error = errno;
    // A pseudo-terminal has no modem lines; that is not an error there.
    if (FIsPty && (Error == ENOTTY || Error == EINVAL))
        return true;
    // Nor has a port that has just gone away: the read or write that follows
    // reports the port's failure as what it is, not as a line that would not
    // switch.
    NoteFailure(Error);
    return FGone;
}

bool TPosixSerialDevice::SetRts(bool Raised)
{
    return ModemLine(TIOCM_RTS, Raised);
}

bool TPosixSerialDevice::SetDtr(bool Raised)
{
    return ModemLine(TIOCM_DTR, Raised);
}

bool TPosixSerialDevice::Purge()
{
    if (FFd < 0)
        return false;
    FRaw.clear();
    return tcflush(FFd, TCIOFLUSH) == 0;
}

bool TPosixSerialDevice::ReadCounters(TCounters& Counters) const
{
    serial_icounter_struct Ic {};
    if (FFd < 0 || ioctl(FFd, TIOCGICOUNT, &Ic) != 0)
        return false;
    Counters.Frame = Ic.frame;
    Counters.Overrun = Ic.overrun;
    Counters.Parity = Ic.parity;
    Counters.Brk = Ic.brk;
    Counters.BufOverrun = Ic.buf_overrun;
    return true;
}

uint32_t TPosixSerialDevice::TakeLineErrors()
{
    uint32_t Flags = FMarkedErrors;
    FMarkedErrors = 0;
    TCounters Now;
    if (!FUseParityMarks && ReadCounters(Now)) {
        if (Now.BufOverrun != FLastCounters.BufOverrun)
            Flags |= SerialErrRxOver;
        if (Now.Overrun != FLastCounters.Overrun)
            Flags |= SerialErrOverrun;
        if (Now.Parity != FLastCounters.Parity)
            Flags |= SerialErrParity;
        if (Now.Frame != FLastCounters.Frame)
            Flags |= SerialErrFrame;
        if (Now.Brk != FLastCounters.Brk)
            Flags |= SerialErrBreak;
        FLastCounters = Now;
    }
    return Flags;
}

// Waits up to TimeoutMs for input and appends what is there to FRaw. Returns
// false when nothing came; Failed is set when the descriptor reported an error.
bool TPosixSerialDevice::FillRaw(int TimeoutMs, bool& Failed)
{
    pollfd Pfd {FFd, POLLIN, 0};
    const int Ready = ::poll(&Pfd, 1, TimeoutMs);
    if (Ready < 0) {
        Failed = FGone = errno != EINTR;
        return false;
    }
    if (Ready == 0)
        return false;
    uint8_t Chunk[256];
    const ssize_t N = ::read(FFd, Chunk, sizeof Chunk);
    if (N > 0) {
        FRaw.insert(FRaw.end(), Chunk, Chunk + N);
        return true;
    }
    if (N < 0 && (errno == EAGAIN || errno == EINTR))
        return false;
    // Nothing read although poll() reported input: a hang-up, or a spurious
    // wake-up that the caller's deadline will end.
    if (N == 0 && !(Pfd.revents & (POLLHUP | POLLERR)))
        return false;
    // EIO, ENXIO, ENODEV or a hang-up: the port itself is gone.
    Failed = FGone = true;
    return false;
}

size_t DecodeParityMarks(std::deque<uint8_t>& Raw, uint8_t* Out, size_t Wanted, bool ParityOn, bool MarkFlags,
                         uint32_t& Errors)
{
    size_t Got = 0;
    while (Got < Wanted && !Raw.empty()) {
        if (Raw.front() != 0xFF) {
            Out[Got++] = Raw.front();
            Raw.pop_front();
            continue;
        }
        if (Raw.size() < 2)
            break;
        if (Raw[1] == 0xFF) {
            Out[Got++] = 0xFF;
            Raw.erase(Raw.begin(), Raw.begin() + 2);
            continue;
        }
        if (Raw.size() < 3)
            break;
        const uint8_t Byte = Raw[2];
        Raw.erase(Raw.begin(), Raw.begin() + 3);
        Out[Got++] = Byte;
        if (!MarkFlags)
            continue;
        // Linux marks parity errors, framing errors and breaks alike and says
        // nothing of overruns. Without parity a mark can only be a framing error,
        // or a break when the byte is 0 (a character of nothing but zero bits and
        // no stop bit is what the UART calls a break). With parity a mark is a
        // parity or a framing error (with byte 0 also a break) and Linux cannot
        // tell which: both flags are reported.
        if (!ParityOn)
            Errors |= Byte == 0 ? SerialErrBreak : SerialErrFrame;
        else
            Errors |= SerialErrParity | SerialErrFrame | (Byte == 0 ? SerialErrBreak : 0u);
    }
    return Got;
}

size_t TPosixSerialDevice::DecodeInput(uint8_t* Out, size_t Wanted)
{
    // With the driver's counters the marks only give back the bytes as they
    // were received; the counters name the errors.
    return DecodeParityMarks(FRaw, Out, Wanted, FParityOn, FUseParityMarks, FMarkedErrors);
}

TSerialIoResult TPosixSerialDevice::Read(uint8_t* Buffer, size_t Count)
{
    if (FFd < 0)
        return TSerialIoResult {false, 0};
    const int64_t LimitMs = int64_t(FTimeouts.ReadPerByteMs) * int64_t(Count) + int64_t(FTimeouts.ReadConstantMs);
    const int64_t DeadlineUs = SteadyUs() + LimitMs * 1000;
    size_t Got = DecodeInput(Buffer, Count);
    while (Got < Count) {
        bool Failed = false;
        const int Left = RemainingMs(DeadlineUs);
        if (!FillRaw(Left, Failed)) {
            if (Failed)
                return TSerialIoResult {false, Got};
            if (Left == 0)
                break;
            continue;
        }
        Got += DecodeInput(Buffer + Got, Count - Got);
    }
    return TSerialIoResult {true, Got};
}

TSerialIoResult TPosixSerialDevice::Write(const uint8_t* Data, size_t Count)
{
    if (FFd < 0)
        return TSerialIoResult {false, 0};
    const int64_t LimitMs = int64_t(FTimeouts.WritePerByteMs) * int64_t(Count) + int64_t(FTimeouts.WriteConstantMs);
    const int64_t DeadlineUs = SteadyUs() + LimitMs * 1000;
    size_t Done = 0;
    while (Done < Count) {
        const ssize_t N = ::write(FFd, Data + Done, Count - Done);
        if (N > 0) {
            Done += size_t(N);
            continue;
        }
        if (N < 0 && errno != EAGAIN && errno != EINTR) {
            NoteFailure(errno);
            return TSerialIoResult {false, Done};
        }
        const int Left = RemainingMs(DeadlineUs);
        if (Left == 0)
            break;
        pollfd Pfd {FFd, POLLOUT, 0};
        if (::poll(&Pfd, 1, Left) < 0 && errno != EINTR)
            return TSerialIoResult {false, Done};
    }
    // Return only once the bytes have left, so RTS is never dropped mid-frame;
    // but never wait past the write's deadline (a line held by flow control
    // never drains). What is left is thrown away, not sent later.
    if (Done < Count || !DrainBefore(DeadlineUs)) {
        tcflush(FFd, TCOFLUSH);
        return TSerialIoResult {false, Done};
    }
    return TSerialIoResult {true, Done};
}

int TPosixSerialDevice::OutputPending() const
{
    int Pending = 0;
    if (ioctl(FFd, TIOCOUTQ, &Pending) != 0)
        return -1;
    return Pending;
}

bool TPosixSerialDevice::DrainBefore(int64_t DeadlineUs)
{
    for (;;) {
        const int Pending = OutputPending();
        if (Pending < 0)
            break;  // no queue to watch: leave it to tcdrain
        if (Pending == 0)
            break;
        const int Left = RemainingMs(DeadlineUs);
        if (Left == 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(Left, 2)));
    }
    // Only the UART's own buffer is left, whose wait the driver bounds itself.
    if (tcdrain(FFd) == 0 || errno == EINTR)
        return true;
    NoteFailure(errno);
    return false;
}

void TPosixSerialDevice::NoteFailure(int Error)
{
    if (Error == EIO || Error == ENXIO || Error == ENODEV)
        FGone = true;
}

void TPosixSerialDevice::Wait(uint32_t Ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(Ms));
}

int64_t TPosixSerialDevice::NowUs() const
{
    return SteadyUs();
}
