// THart over HART-IP on Winsock, under Wine, against the HART-IP servers that
// scripts/wine-com-test starts with the Linux hart-sim on loopback: one that
// answers (port in CALVISTA_HARTIP_PORT) and one that closes the connection on
// the second request (CALVISTA_HARTIP_CLOSING_PORT).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "hart/HartCommand.h"
#include "hart/HartIpTransport.h"
#include "hart/Win32SerialDevice.h"

namespace {

std::string KeyOfCall(const std::function<void()>& Call)
{
    try {
        Call();
        return "";
    } catch (const EHartComError& E) {
        return E.what();
    }
}

uint16_t PortFrom(const char* Variable)
{
    const char* Text = std::getenv(Variable);
    return Text ? uint16_t(std::atoi(Text)) : 0;
}

std::unique_ptr<THart> NetworkHart(uint16_t Port, TNetProtocol Protocol)
{
    auto Hart = std::make_unique<THart>(std::make_unique<TWin32SerialDevice>());
    Hart->SetTransportOpener([=](const std::string&) {
        auto Link = std::make_unique<THartIpTransport>(THartIpAddress {"127.0.0.1", Port, Protocol});
        Link->SetGatewayAllowanceMs(0);
        return Link;
    });
    return Hart;
}

TEST(WinsockHartIp, ReadOverTcpAndUdp)
{
    const uint16_t Port = PortFrom("CALVISTA_HARTIP_PORT");
    ASSERT_NE(Port, 0) << "CALVISTA_HARTIP_PORT is not set";
    for (TNetProtocol Protocol : {TNetProtocol::Tcp, TNetProtocol::Udp}) {
        SCOPED_TRACE(Protocol == TNetProtocol::Tcp ? "TCP" : "UDP");
        auto Hart = NetworkHart(Port, Protocol);
        ASSERT_EQ(KeyOfCall([&] { Hart->OpenPort("hartip"); }), "");
        THartDevInfo Info;
        const auto Start = std::chrono::steady_clock::now();
        EXPECT_EQ(KeyOfCall([&] { Hart->ReadUniqueIdentifier(Info); }), "");
        EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::milliseconds(500));
        EXPECT_EQ(Info.DeviceId, 1234567);
        std::string Tag, Descriptor;
        uint8_t Day = 0, Month = 0;
        uint16_t Year = 0;
        EXPECT_EQ(KeyOfCall([&] { Hart->ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year); }), "");
        EXPECT_EQ(Descriptor, "SIMULATED PT    ");
        EXPECT_EQ(Hart->Response.RequestText.substr(0, 2), "82");  // no preambles in front
        EXPECT_TRUE(Hart->ClosePort());
    }
}

TEST(WinsockHartIp, ErrorPaths)
{
    const uint16_t Closing = PortFrom("CALVISTA_HARTIP_CLOSING_PORT");
    ASSERT_NE(Closing, 0) << "CALVISTA_HARTIP_CLOSING_PORT is not set";
    // Nobody listens on port 1 of the loopback address.
    auto Refused = NetworkHart(1, TNetProtocol::Tcp);
    EXPECT_EQ(KeyOfCall([&] { Refused->OpenPort("hartip"); }), "401.NETREFUSED");
    EXPECT_FALSE(Refused->PortOpen());

    auto Hart = NetworkHart(Closing, TNetProtocol::Tcp);
    ASSERT_EQ(KeyOfCall([&] { Hart->OpenPort("hartip"); }), "");
    THartDevInfo Info;
    EXPECT_EQ(KeyOfCall([&] { Hart->ReadUniqueIdentifier(Info); }), "");
    std::string Tag, Descriptor;
    uint8_t Day = 0, Month = 0;
    uint16_t Year = 0;
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_EQ(KeyOfCall([&] { Hart->ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year); }), "403.NETCLOSED");
    // At once, not after a time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::milliseconds(400));
    EXPECT_FALSE(Hart->PortOpen());
}

}  // namespace
