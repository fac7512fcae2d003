// THart over HART-IP on loopback against the simulator's HART-IP server (in a
// thread): reads and writes over TCP and UDP, each error path once, and the
// session kept open by keep-alives or opened afresh after its inactivity time.
#include <gtest/gtest.h>

#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "hart/HartCommand.h"
#include "hart/HartIpTransport.h"
#include "sim/SimHartIpServer.h"
#include "sim/SimSerialDevice.h"
#include "tests/hart/LinkTestSupport.h"

namespace {

int64_t ElapsedMs(std::chrono::steady_clock::time_point Since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Since).count();
}

class THartOverIp : public ::testing::Test {
protected:
    void SetUp() override
    {
        Server = std::make_unique<TSimHartIpServer>(Transmitter, 0);
        Thread = std::thread([this] { Server->Run(); });
        Hart = std::make_unique<THart>(std::make_unique<TSimSerialDevice>());
        Hart->SetTimeOut(300);
        Hart->SetTransportOpener([this](const std::string& Name) {
            THartIpAddress Address {"127.0.0.1", Name == "closed" ? ClosedPort : Server->Port(),
                                    Name == "udp" ? TNetProtocol::Udp : TNetProtocol::Tcp};
            auto Link = std::make_unique<THartIpTransport>(Address);
            Link->SetGatewayAllowanceMs(0);
            Link->SetInactivityCloseMs(InactivityMs);
            return Link;
        });
    }
    void TearDown() override
    {
        Hart.reset();
        Server->Stop();
        Thread.join();
    }
    std::string Read()
    {
        return KeyOfCall([&] {
            THartDevInfo Info;
            Hart->ReadUniqueIdentifier(Info);
            EXPECT_EQ(Info.DeviceId, 1234567);
        });
    }

    TSimTransmitter Transmitter;
    std::unique_ptr<TSimHartIpServer> Server;
    std::thread Thread;
    std::unique_ptr<THart> Hart;
    uint16_t ClosedPort = 0;
    uint32_t InactivityMs = 60000;
};

TEST_F(THartOverIp, ReadAndWriteOverTcpAndUdp)
{
    for (const char* Protocol : {"tcp", "udp"}) {
        SCOPED_TRACE(Protocol);
        ASSERT_TRUE(Hart->OpenPort(Protocol));
        EXPECT_TRUE(Hart->NetworkLink());
        const auto Start = std::chrono::steady_clock::now();
        EXPECT_EQ(Read(), "");
        EXPECT_LT(ElapsedMs(Start), 100);
        const std::string Written = Protocol == std::string("tcp") ? "NETW-TCP" : "NETW-UDP";
        std::string Tag = Written, Descriptor = "OVER HART-IP";
        uint8_t Day = 8, Month = 12;
        uint16_t Year = 2026;
        EXPECT_EQ(KeyOfCall([&] { Hart->WriteTagDescriptorDate(Tag, Descriptor, Day, Month, Year); }), "");
        std::string ReadTag, ReadDescriptor;
        EXPECT_EQ(KeyOfCall([&] { Hart->ReadTagDescriptorDate(ReadTag, ReadDescriptor, Day, Month, Year); }), "");
        EXPECT_EQ(ReadTag, Server->WithTransmitter([](TSimTransmitter& T) { return T.State().Tag; }));
        EXPECT_EQ(ReadTag, Written);
        // The trace shows the frame without preambles.
        EXPECT_EQ(Hart->Response.RequestText.substr(0, 2), "82");
        EXPECT_TRUE(Hart->ClosePort());
    }
    EXPECT_EQ(Server->SessionsOpened(), 2);
}

TEST_F(THartOverIp, ErrorPaths)
{
    struct TCase {
        const char* Name;
        const char* Port;
        TSimHartIpFaults Faults;
        const char* OpenKey;
        const char* ReadKey;
        bool OpenAfter;
        int64_t MinMs, MaxMs;  // how long the failing call took
    } Cases[] = {
        {"refused", "closed", {}, "401.NETREFUSED", "", false, 0, 250},
        {"session refused", "tcp", {.RefuseSession = true}, "402.NETSESSIONREFUSED", "", false, 0, 250},
        {"closed mid-exchange", "tcp", {.CloseAt = 1}, "", "403.NETCLOSED", false, 0, 250},
        {"NAK", "tcp", {.NakAt = 1}, "", "405.NETERRORREPLY", true, 0, 250},
        {"wrong sequence number", "tcp", {.WrongSequenceAt = 1}, "", "404.NETTIMEOUT", true, 300, 900},
        {"time-out", "tcp", {.DropReplyAt = 1}, "", "404.NETTIMEOUT", true, 300, 900},
        {"time-out over UDP", "udp", {.DropReplyAt = 1}, "", "404.NETTIMEOUT", true, 300, 900},
        {"late reply", "udp", {.ReplyDelayMs = 600}, "", "404.NETTIMEOUT", true, 300, 900},
    };
    {
        // A port that was free a moment ago and has nobody listening now.
        const int Probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in A {};
        A.sin_family = AF_INET;
        A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t Length = sizeof A;
        bind(Probe, reinterpret_cast<sockaddr*>(&A), sizeof A);
        getsockname(Probe, reinterpret_cast<sockaddr*>(&A), &Length);
        ClosedPort = ntohs(A.sin_port);
        close(Probe);
    }
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        Server->SetFaults(C.Faults);
        auto Start = std::chrono::steady_clock::now();
        EXPECT_EQ(KeyOfCall([&] { Hart->OpenPort(C.Port); }), C.OpenKey);
        if (*C.OpenKey == 0) {
            Start = std::chrono::steady_clock::now();
            EXPECT_EQ(Read(), C.ReadKey);
        }
        const int64_t Ms = ElapsedMs(Start);
        EXPECT_GE(Ms, C.MinMs);
        EXPECT_LT(Ms, C.MaxMs);
        EXPECT_EQ(Hart->PortOpen(), C.OpenAfter);
        if (C.OpenAfter) {
            // The session goes on; a reply that came late is not taken for the next one.
            Server->SetFaults({});
            std::this_thread::sleep_for(std::chrono::milliseconds(C.Faults.ReplyDelayMs));
            EXPECT_EQ(Read(), "");
        }
        Hart->ClosePort();
    }
}

TEST_F(THartOverIp, IdleSessionKeptAliveOrOpenedAfresh)
{
    InactivityMs = 600;
    ASSERT_TRUE(Hart->OpenPort("tcp"));
    for (int I = 0; I < 4; ++I) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Hart->KeepLinkAlive();
    }
    EXPECT_EQ(Read(), "");
    EXPECT_EQ(Server->SessionsOpened(), 1);
    // Without keep-alives the server closes the session; the next exchange opens one.
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(Read(), "");
    EXPECT_EQ(Server->SessionsOpened(), 2);
}

}  // namespace
