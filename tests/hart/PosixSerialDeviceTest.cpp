// The POSIX serial device against pseudo-terminals: the link holds the slave
// side, the test plays the transmitter on the master side. No real serial port
// is opened anywhere here.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gmock/gmock.h>

#include "hart/PosixSerialDevice.h"
#include "tests/hart/LinkTestSupport.h"

namespace {

class TPty {
public:
    TPty()
    {
        int Slave = -1;
        char Name[256] = {};
        if (openpty(&FMaster, &Slave, Name, nullptr, nullptr) != 0)
            return;
        FName = Name;
        ::close(Slave);  // the link opens the slave by its name
        termios Tio {};
        tcgetattr(FMaster, &Tio);
        cfmakeraw(&Tio);
        tcsetattr(FMaster, TCSANOW, &Tio);
    }
    ~TPty()
    {
        if (FMaster >= 0)
            ::close(FMaster);
    }
    const std::string& Name() const { return FName; }
    int Master() const { return FMaster; }
    // Hangs the line up, as an adapter pulled out does.
    void CloseMaster()
    {
        ::close(FMaster);
        FMaster = -1;
    }

    // Reads Count bytes from the master side, waiting at most TimeoutMs in all.
    TBytes ReadMaster(size_t Count, int TimeoutMs) const
    {
        TBytes Got;
        const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
        while (Got.size() < Count && std::chrono::steady_clock::now() < Until) {
            pollfd Pfd {FMaster, POLLIN, 0};
            if (::poll(&Pfd, 1, 20) <= 0 || !(Pfd.revents & POLLIN))
                continue;
            uint8_t Chunk[64];
            const ssize_t N = ::read(FMaster, Chunk, std::min(sizeof Chunk, Count - Got.size()));
            if (N > 0)
                Got.insert(Got.end(), Chunk, Chunk + N);
        }
        return Got;
    }

private:
    int FMaster = -1;
    std::string FName;
};

std::unique_ptr<THartCom> MakePosixCom()
{
    return std::make_unique<THartCom>(std::make_unique<TPosixSerialDevice>());
}

TEST(PosixSerialDevice, OpenAndClose)
{
    TPty Pty;
    ASSERT_FALSE(Pty.Name().empty());
    auto Com = MakePosixCom();
    EXPECT_TRUE(Com->OpenPort(Pty.Name()));
    EXPECT_TRUE(Com->PortOpen());
    EXPECT_NE(Com->CommDevice(), THartCom::InvalidHandle);
    EXPECT_NE(Com->PlatformId(), SerialPlatformWinNT);
    auto& Device = static_cast<TPosixSerialDevice&>(Com->Device());
    EXPECT_TRUE(Device.IsPseudoTerminal());
    // Modem lines on a pseudo-terminal are no error.
    Com->SetPhysLayer(BELL202);
    Com->SetRTS();
    Com->ClearRTS();
    EXPECT_TRUE(Com->ClosePort());
    EXPECT_EQ(Com->CommDevice(), THartCom::InvalidHandle);
    EXPECT_FALSE(Com->ClosePort());
    EXPECT_TRUE(Com->OpenPort(Pty.Name()));
}

TEST(PosixSerialDevice, LineSettingsOnAPseudoTerminal)
{
    TPty Pty;
    auto Com = MakePosixCom();
    ASSERT_TRUE(Com->OpenPort(Pty.Name()));
    auto& Device = Com->Device();
    for (int B = br1200; B <= br256000; ++B) {
        SCOPED_TRACE(BaudrateValue(TBaudrate(B)));
        const bool Termios = B != br14400 && B != br56000 && B != br256000;
        EXPECT_EQ(KeyOfCall([&] { Com->SetBaudrate(TBaudrate(B)); }), Termios ? "" : "259.SETCOMMSTATE");
        TSerialLineSettings S;
        ASSERT_TRUE(Device.GetLineSettings(S));
        if (Termios) {
            EXPECT_EQ(S.BaudRate, BaudrateValue(TBaudrate(B)));
        }
    }
    Com->SetBaudrate(br1200);
    // A pseudo-terminal keeps 8 data bits and drops parity, so of the rest only
    // the stop bits can be seen here.
    for (TStopbits Stop : {sb20, sb10}) {
        Com->SetStopBits(Stop);
        TSerialLineSettings S;
        ASSERT_TRUE(Device.GetLineSettings(S));
        EXPECT_EQ(S.StopBits, Stop == sb20 ? SerialStopBits2 : SerialStopBits1);
    }
    // The same settings applied again (the RTS handling changes, nothing of the
    // line does) are no error, although the pseudo-terminal again drops parity.
    for (int Round = 0; Round < 2; ++Round)
        EXPECT_EQ(KeyOfCall([&] { Com->SetUseRTS(!Com->UseRTS()); }), "");
    // A UART has no 4-bit characters.
    EXPECT_EQ(KeyOfCall([&] { Com->SetDataBits(da4); }), "259.SETCOMMSTATE");
}

TEST(PosixSerialDevice, PortInUse)
{
    TPty Pty;
    auto First = MakePosixCom();
    auto Second = MakePosixCom();
    ASSERT_TRUE(First->OpenPort(Pty.Name()));
    EXPECT_EQ(KeyOfCall([&] { Second->OpenPort(Pty.Name()); }), "133.PORTALREADYUSED");
    EXPECT_FALSE(Second->PortOpen());
    First->ClosePort();
    EXPECT_TRUE(Second->OpenPort(Pty.Name()));
}

TEST(PosixSerialDevice, UnknownPorts)
{
    const std::filesystem::path Dir
        = std::filesystem::temp_directory_path() / ("calvista-hart-" + std::to_string(getpid()));
    std::filesystem::create_directories(Dir);
    const std::string PlainFile = (Dir / "not-a-port").string();
    std::ofstream(PlainFile) << "x";
    for (const std::string& Name :
         {std::string("/dev/calvista-no-such-port"), std::string("LPT1"), (Dir / "missing").string(), PlainFile}) {
        auto Com = MakePosixCom();
        EXPECT_EQ(KeyOfCall([&] { Com->OpenPort(Name); }), "134.INVALIDPORT") << Name;
        EXPECT_FALSE(Com->PortOpen());
    }
    std::filesystem::remove_all(Dir);
}

TEST(PosixSerialDevice, OneByteReadTimesOutAfterTheReadLimit)
{
    TPty Pty;
    auto Com = MakePosixCom();
    ASSERT_EQ(Com->TimeOut(), 500u);
    ASSERT_TRUE(Com->OpenPort(Pty.Name()));
    uint8_t Byte = 0;
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_EQ(KeyOfCall([&] { Com->ReadPort(&Byte, 1); }), "141.TRANSMITTERTIMEOUT");
    const auto Ms
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count();
    EXPECT_GE(Ms, 505);
    EXPECT_LE(Ms, 900);
}

TEST(PosixSerialDevice, Command0Exchange)
{
    TPty Pty;
    auto Com = MakePosixCom();
    ASSERT_TRUE(Com->OpenPort(Pty.Name()));
    const TBytes Data = {0x00, 0x00, 0xFE, 0x26, 0x06, 0x05, 0x07, 0x01, 0x08, 0x0C, 0x12, 0x34, 0x56};
    const TBytes Reply = Concat({0x3C, 0x00}, ShortReply(0, Data, 5));  // noise before it
    TBytes Request;
    std::thread Transmitter([&] {
        Request = Pty.ReadMaster(11, 3000);
        if (Request.size() == 11)
            (void)!::write(Pty.Master(), Reply.data(), Reply.size());
    });
    THartDeviceResponse R;
    const std::string Key = KeyOf(*Com, 0, {}, R);
    Transmitter.join();
    EXPECT_EQ(Key, "");
    EXPECT_EQ(Hex(Request), "FFFFFFFFFFFF0200000002");
    EXPECT_EQ(R.PreambleCount, 5);
    EXPECT_EQ(R.Delimiter, 0x06);
    EXPECT_EQ(R.ByteCount, Data.size());
    EXPECT_EQ(TBytes(R.Data, R.Data + Data.size()), Data);
    EXPECT_EQ(R.ReplyText, Hex(ShortReply(0, Data, 5)));
}

int64_t MsSince(std::chrono::steady_clock::time_point Start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count();
}

TEST(PosixSerialDevice, APortThatGoesAwayEndsTheExchangeAtOnce)
{
    const TBytes Reply = ShortReply(0, {0x00, 0x00, 0xFE, 0x26, 0x06, 0x05, 0x07, 0x01, 0x08, 0x0C});
    struct TCase {
        const char* Name;
        size_t BytesBeforeHangUp;
        bool GoneBeforeTheRequest;  // RTS is switched on a port already gone
    } Cases[] = {{"no reply", 0, false}, {"inside the reply", 9, false}, {"before the request", 0, true}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TPty Pty;
        auto Com = MakePosixCom();
        ASSERT_TRUE(Com->OpenPort(Pty.Name()));
        if (C.GoneBeforeTheRequest) {
            Com->SetUseRTS(true);
            Pty.CloseMaster();
        }
        std::thread Transmitter([&] {
            if (C.GoneBeforeTheRequest)
                return;
            if (Pty.ReadMaster(11, 3000).size() == 11 && C.BytesBeforeHangUp > 0)
                (void)!::write(Pty.Master(), Reply.data(), C.BytesBeforeHangUp);
            Pty.CloseMaster();
        });
        THartDeviceResponse R;
        const auto Start = std::chrono::steady_clock::now();
        const std::string Key = KeyOf(*Com, 0, {}, R);
        const int64_t Ms = MsSince(Start);
        Transmitter.join();
        // A port failure, not a silent transmitter, and well before the 2 s a
        // silent line takes: of the read, or of the write when the hang-up comes
        // while the request is still draining.
        EXPECT_THAT(Key, testing::AnyOf("301.FILEREAD", "302.FILEWRITE"));
        EXPECT_LT(Ms, 1000);
        // The dead port is released at once (closing it again is no error), so
        // the operator can choose another, or this one once it is back.
        EXPECT_FALSE(Com->PortOpen());
        EXPECT_EQ(KeyOfCall([&] { Com->ClosePort(); }), "");
    }
}

// A driver whose output never leaves: hardware flow control with CTS low.
class TStuckOutputDevice : public TPosixSerialDevice {
protected:
    int OutputPending() const override { return 5; }
};

TEST(PosixSerialDevice, AWriteThatNeverDrainsEndsAtItsDeadline)
{
    TPty Pty;
    THartCom Com(std::make_unique<TStuckOutputDevice>());
    ASSERT_TRUE(Com.OpenPort(Pty.Name()));
    TSerialTimeouts Short;
    Short.WriteConstantMs = 0;  // 10 ms a byte: 50 ms for five
    ASSERT_TRUE(Com.Device().SetTimeouts(Short));
    const uint8_t Frame[5] = {0xFF, 0xFF, 0x02, 0x00, 0x00};
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_EQ(KeyOfCall([&] { Com.WritePort(Frame, 5); }), "302.FILEWRITE");
    const int64_t Ms = MsSince(Start);
    EXPECT_GE(Ms, 45);
    EXPECT_LT(Ms, 500);
}

// A driver with error counters, as a real UART has (a pseudo-terminal has none).
class TCountingDevice : public TPosixSerialDevice {
protected:
    bool ReadCounters(TCounters& Counters) const override
    {
        Counters = {};
        return true;
    }
};

TEST(PosixSerialDevice, ErrorMarksInTheInput)
{
    struct TCase {
        const char* Name;
        TBytes Raw;
        bool ParityOn, MarkFlags;
        TBytes Bytes;
        uint32_t Errors;
        size_t Left;
    } Cases[] = {
        {"plain bytes", {0x01, 0x02}, false, true, {0x01, 0x02}, 0, 0},
        {"doubled 0xFF", {0xFF, 0xFF, 0x03}, true, true, {0xFF, 0x03}, 0, 0},
        {"framing error without parity", {0xFF, 0x00, 0x41}, false, true, {0x41}, SerialErrFrame, 0},
        {"break without parity", {0xFF, 0x00, 0x00}, false, true, {0x00}, SerialErrBreak, 0},
        // With parity Linux marks parity and framing errors alike.
        {"marked byte with parity", {0xFF, 0x00, 0x41}, true, true, {0x41}, SerialErrParity | SerialErrFrame, 0},
        {"marked zero with parity",
         {0xFF, 0x00, 0x00},
         true,
         true,
         {0x00},
         SerialErrParity | SerialErrFrame | SerialErrBreak,
         0},
        // The driver's counters name the error; the byte still comes as received.
        {"marked byte, counters", {0xFF, 0x00, 0x41, 0x42}, true, false, {0x41, 0x42}, 0, 0},
        {"incomplete mark waits", {0x05, 0xFF, 0x00}, true, true, {0x05}, 0, 2},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        std::deque<uint8_t> Raw(C.Raw.begin(), C.Raw.end());
        uint8_t Out[8] = {};
        uint32_t Errors = 0;
        const size_t Got = DecodeParityMarks(Raw, Out, sizeof Out, C.ParityOn, C.MarkFlags, Errors);
        EXPECT_EQ(TBytes(Out, Out + Got), C.Bytes);
        EXPECT_EQ(Errors, C.Errors);
        EXPECT_EQ(Raw.size(), C.Left);
    }
    // Marks are asked for with and without parity, and also where the driver
    // counts the errors, so that framing errors are seen and a byte received
    // with an error is never replaced by 0x00.
    for (auto [Parity, Counters] : {std::pair {paOdd, false}, {paNone, false}, {paOdd, true}}) {
        TPty Pty;
        auto Com = Counters ? std::make_unique<THartCom>(std::make_unique<TCountingDevice>()) : MakePosixCom();
        Com->SetParity(Parity);
        ASSERT_TRUE(Com->OpenPort(Pty.Name()));
        termios Tio {};
        ASSERT_EQ(tcgetattr(Pty.Master(), &Tio), 0);
        EXPECT_TRUE(Tio.c_iflag & INPCK) << int(Parity) << Counters;
        EXPECT_TRUE(Tio.c_iflag & PARMRK) << int(Parity) << Counters;
    }
}

TEST(PosixSerialDevice, SerialDevicesAreDevicePaths)
{
    THartCom Com(std::make_unique<TPosixSerialDevice>());
    for (const std::string& Path : Com.SerialDevices())
        EXPECT_EQ(Path.rfind("/dev/tty", 0), 0u);
}

}  // namespace
