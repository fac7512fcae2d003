#pragma once
// HART-IP under the HART frame layer: a TCP connection or UDP exchange with a
// gateway, multiplexer or I/O system, one session on it (primary master, an
// inactivity close time), and each HART frame carried in a token-passing PDU
// without preambles. Replies are matched to requests by sequence number; a
// message that does not match is dropped, never taken for the reply.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hart/HartIpMessage.h"
#include "hart/HartTransport.h"
#include "hart/NetSocket.h"

struct THartIpAddress {
    std::string Host;
    uint16_t Port = HartIp::DefaultPort;
    TNetProtocol Protocol = TNetProtocol::Tcp;
};

class THartIpTransport : public THartTransport {
public:
    // The inactivity close time asked for when the session opens.
    static constexpr uint32_t DefaultInactivityCloseMs = 60'000;
    // A gateway passes the request on over its own HART line and waits for the
    // device there: that time comes on top of the link's TimeOut.
    static constexpr uint32_t DefaultGatewayAllowanceMs = 2'000;
    static constexpr uint32_t DefaultConnectTimeoutMs = 3'000;

    explicit THartIpTransport(THartIpAddress Address, std::unique_ptr<TNetSocket> Socket = CreatePlatformNetSocket());
    ~THartIpTransport() override;

    void SetInactivityCloseMs(uint32_t Ms) { FInactivityCloseMs = Ms; }
    void SetGatewayAllowanceMs(uint32_t Ms) { FGatewayAllowanceMs = Ms; }
    void SetConnectTimeoutMs(uint32_t Ms) { FConnectTimeoutMs = Ms; }
    // The inactivity close time the server granted (0 before a session).
    uint32_t GrantedInactivityMs() const { return FGrantedInactivityMs; }
    const THartIpAddress& Address() const { return FAddress; }

    // Connects and opens the session.
    void Open() override;
    // Closes the session (as far as the server still answers) and the connection.
    void Close() override;
    bool IsOpen() const override { return FSessionOpen; }
    bool IsNetwork() const override { return true; }

    uint8_t RequestPreambles() const override { return 0; }
    void PrepareExchange(uint32_t TimeOutMs) override;
    void SendRequest(const uint8_t* Request, size_t Length) override;
    uint8_t ReceiveDelimiter(THartDeviceResponse& Reply) override;
    void ExpectData(uint8_t) override {}
    uint8_t ReceiveByte() override;
    void FinishExchange() override {}
    // Sends a keep-alive when half the granted inactivity time has passed
    // without a message.
    void KeepAlive() override;
    int64_t NowUs() const override { return FSocket->NowUs(); }

private:
    struct TMessage {
        HartIp::THeader Header;
        std::vector<uint8_t> Body;
    };

    void Connect();
    void InitiateSession();
    uint16_t SendMessage(uint8_t MessageId, const std::vector<uint8_t>& Body);
    // The response to Sequence; other messages are dropped on the way.
    TMessage AwaitResponse(uint16_t Sequence, uint8_t MessageId, int64_t DeadlineUs);
    bool TakeMessage(TMessage& Message);
    void ReceiveMore(int64_t DeadlineUs);
    [[noreturn]] void Fail(const char* Key);
    int64_t ReplyDeadlineUs() const;

    THartIpAddress FAddress;
    std::unique_ptr<TNetSocket> FSocket;
    uint32_t FInactivityCloseMs = DefaultInactivityCloseMs;
    uint32_t FGatewayAllowanceMs = DefaultGatewayAllowanceMs;
    uint32_t FConnectTimeoutMs = DefaultConnectTimeoutMs;
    uint32_t FGrantedInactivityMs = 0;
    uint32_t FTimeOutMs = 500;
    bool FSessionOpen = false;
    uint16_t FSequence = 0;
    uint16_t FAwaited = 0;  // sequence number of the request sent last
    int64_t FLastSentUs = 0;
    std::vector<uint8_t> FInput;  // received and not yet taken apart
    std::vector<uint8_t> FPdu;  // the reply frame of the exchange, delimiter first
    size_t FPduAt = 0;
};
