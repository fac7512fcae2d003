#pragma once
// Serves a TSimTransmitter over HART-IP on the loopback address, on one port
// number for TCP and UDP alike, without line pacing: a token-passing PDU is
// handed to the transmitter as a frame behind two preambles and its answer goes
// back without them at once (or after the configured delay). Sessions open
// with session initiate, stay open with keep-alive messages and end with
// session close or after their inactivity time. Faults make a master's error
// paths testable: late, missing or wrongly numbered replies, NAKs, a connection
// closed in the middle of an exchange, a session refused.
//
// The HART-IP message code here is its own, not the master's.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/SimTransmitter.h"

struct TSimHartIpFaults {
    uint32_t ReplyDelayMs = 0;  // every PDU reply this much later
    // The n-th token-passing request of the server's life (counting from 1):
    int DropReplyAt = 0;  // is not answered
    int CloseAt = 0;  // closes the TCP connection instead of an answer
    int WrongSequenceAt = 0;  // is answered under another sequence number
    int NakAt = 0;  // is answered with a NAK message
    bool RefuseSession = false;  // every session initiate is refused
};

class TSimHartIpServer {
public:
    // Binds TCP and UDP to 127.0.0.1:Port (0: a free port, the same for both);
    // throws std::system_error when that fails.
    TSimHartIpServer(TSimTransmitter& Transmitter, uint16_t Port);
    ~TSimHartIpServer();
    TSimHartIpServer(const TSimHartIpServer&) = delete;
    TSimHartIpServer& operator=(const TSimHartIpServer&) = delete;

    uint16_t Port() const { return FPort; }
    void SetFaults(const TSimHartIpFaults& Faults);

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

    // Sessions opened so far (tests).
    int SessionsOpened() const { return FSessionsOpened.load(); }

private:
    struct TPeer;
    struct TDelayed;

    void AcceptClient();
    void ReceiveStream(TPeer& Peer);
    void ReceiveDatagram();
    void CloseStream(TPeer& Peer);
    // Answers one whole message from Peer; false when the peer is to be dropped.
    bool HandleMessage(TPeer& Peer, const uint8_t* Message, size_t Size);
    std::vector<uint8_t> AnswerPdu(const uint8_t* Frame, size_t Size);
    void SendTo(TPeer& Peer, const std::vector<uint8_t>& Message);
    void SendDueReplies();
    void ExpireSessions();
    int64_t NowMs() const;

    TSimTransmitter& FTransmitter;
    std::mutex FLock;
    uint16_t FPort = 0;
    int FListen = -1;
    int FDatagram = -1;
    int FWake[2] = {-1, -1};
    std::atomic<bool> FStop {false};
    std::atomic<int> FSessionsOpened {0};
    TSimHartIpFaults FFaults;
    int FPduRequests = 0;
    int64_t FOriginMs = 0;
    std::vector<std::unique_ptr<TPeer>> FStreams;
    std::map<std::string, std::unique_ptr<TPeer>> FDatagramPeers;
    std::vector<TDelayed> FDelayed;
};
