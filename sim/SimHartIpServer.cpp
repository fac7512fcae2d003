#include "sim/SimHartIpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <time.h>
#include <unistd.h>

namespace {

// The server's own reading of a HART-IP header.
constexpr size_t HeaderBytes = 8;
constexpr size_t LargestMessage = 8 + 267;
enum : uint8_t { TypeRequest = 0, TypeResponse = 1, TypeNak = 15 };
enum : uint8_t { IdInitiate = 0, IdClose = 1, IdKeepAlive = 2, IdPdu = 3 };
// Status of a refused session initiate: all sessions in use.
constexpr uint8_t StatusSessionsInUse = 15;
constexpr uint32_t ShortestInactivityMs = 100;

[[noreturn]] void ThrowErrno(const char* What)
{
    throw std::system_error(errno, std::generic_category(), What);
}

uint16_t Word(const uint8_t* P)
{
    return uint16_t(P[0] << 8 | P[1]);
}

std::vector<uint8_t> Message(uint8_t Type, uint8_t Id, uint8_t Status, uint16_t Sequence,
                             const std::vector<uint8_t>& Body)
{
    const size_t Total = HeaderBytes + Body.size();
    std::vector<uint8_t> M(Total);
    const uint8_t Header[HeaderBytes]
        = {1, Type, Id, Status, uint8_t(Sequence >> 8), uint8_t(Sequence), uint8_t(Total >> 8), uint8_t(Total)};
    std::copy(Header, Header + HeaderBytes, M.begin());
    std::copy(Body.begin(), Body.end(), M.begin() + HeaderBytes);
    return M;
}

sockaddr_in Loopback(uint16_t Port)
{
    sockaddr_in A {};
    A.sin_family = AF_INET;
    A.sin_port = htons(Port);
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return A;
}

int BoundSocket(int Type, uint16_t Port)
{
    const int S = socket(AF_INET, Type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (S < 0)
        ThrowErrno("socket");
    const int On = 1;
    setsockopt(S, SOL_SOCKET, SO_REUSEADDR, &On, sizeof On);
    const sockaddr_in A = Loopback(Port);
    if (bind(S, reinterpret_cast<const sockaddr*>(&A), sizeof A) != 0) {
        const int Err = errno;
        close(S);
        errno = Err;
        ThrowErrno("bind");
    }
    return S;
}

}  // namespace

struct TSimHartIpServer::TPeer {
    int Fd = -1;  // a TCP connection; -1 for a UDP peer
    sockaddr_storage Address {};
    socklen_t AddressLength = 0;
    std::string Key;
    std::vector<uint8_t> Input;
    bool Session = false;
    uint32_t InactivityMs = 0;
    int64_t LastMs = 0;
};

struct TSimHartIpServer::TDelayed {
    int64_t DueMs = 0;
    int Fd = -1;
    std::string Key;
    std::vector<uint8_t> Message;
};

TSimHartIpServer::TSimHartIpServer(TSimTransmitter& Transmitter, uint16_t Port)
    : FTransmitter(Transmitter)
{
    FOriginMs = NowMs();
    // A free port for TCP, then the same number for UDP; another program may
    // hold the UDP side of a free TCP port, so a few tries.
    for (int Try = 0; Try < 20 && FDatagram < 0; ++Try) {
        FListen = BoundSocket(SOCK_STREAM, Port);
        sockaddr_in A {};
        socklen_t Length = sizeof A;
        getsockname(FListen, reinterpret_cast<sockaddr*>(&A), &Length);
        FPort = ntohs(A.sin_port);
        try {
            FDatagram = BoundSocket(SOCK_DGRAM, FPort);
        } catch (const std::system_error&) {
            close(FListen);
            FListen = -1;
            if (Port != 0)
                throw;
        }
    }
    if (FDatagram < 0)
        ThrowErrno("bind");
    if (listen(FListen, 8) != 0 || pipe2(FWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(FListen);
        close(FDatagram);
        ThrowErrno("listen");
    }
}

TSimHartIpServer::~TSimHartIpServer()
{
    for (auto& Peer : FStreams)
        close(Peer->Fd);
    close(FListen);
    close(FDatagram);
    close(FWake[0]);
    close(FWake[1]);
}

void TSimHartIpServer::SetFaults(const TSimHartIpFaults& Faults)
{
    std::lock_guard<std::mutex> Lock(FLock);
    FFaults = Faults;
    FPduRequests = 0;
}

int64_t TSimHartIpServer::NowMs() const
{
    timespec Ts;
    clock_gettime(CLOCK_MONOTONIC, &Ts);
    return int64_t(Ts.tv_sec) * 1000 + Ts.tv_nsec / 1000000 - FOriginMs;
}

void TSimHartIpServer::Stop()
{
    FStop.store(true);
    const char Byte = 1;
    [[maybe_unused]] const ssize_t Ignored = write(FWake[1], &Byte, 1);  // async-signal-safe
}

void TSimHartIpServer::Run()
{
    while (!FStop.load()) {
        SendDueReplies();
        ExpireSessions();
        std::vector<pollfd> Fds = {{FWake[0], POLLIN, 0}, {FListen, POLLIN, 0}, {FDatagram, POLLIN, 0}};
        for (const auto& Peer : FStreams)
            Fds.push_back({Peer->Fd, POLLIN, 0});
        int WaitMs = 50;
        for (const TDelayed& D : FDelayed)
            WaitMs = int(std::clamp<int64_t>(D.DueMs - NowMs(), 0, WaitMs));
        if (poll(Fds.data(), Fds.size(), WaitMs) < 0 && errno != EINTR)
            ThrowErrno("poll");
        if (Fds[1].revents & POLLIN)
            AcceptClient();
        if (Fds[2].revents & POLLIN)
            ReceiveDatagram();
        // Streams that ended are dropped after the walk over them.
        for (size_t I = 3; I < Fds.size(); ++I)
            if (Fds[I].revents & (POLLIN | POLLHUP | POLLERR))
                for (auto& Peer : FStreams)
                    if (Peer->Fd == Fds[I].fd)
                        ReceiveStream(*Peer);
        std::erase_if(FStreams, [](const std::unique_ptr<TPeer>& Peer) { return Peer->Fd < 0; });
    }
}

void TSimHartIpServer::AcceptClient()
{
    const int Fd = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (Fd < 0)
        return;
    const int On = 1;
    setsockopt(Fd, IPPROTO_TCP, TCP_NODELAY, &On, sizeof On);
    auto Peer = std::make_unique<TPeer>();
    Peer->Fd = Fd;
    Peer->LastMs = NowMs();
    FStreams.push_back(std::move(Peer));
}

void TSimHartIpServer::ReceiveStream(TPeer& Peer)
{
    uint8_t Buffer[1024];
    const ssize_t N = recv(Peer.Fd, Buffer, sizeof Buffer, 0);
    if (N < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    bool Keep = N > 0;
    if (Keep)
        Peer.Input.insert(Peer.Input.end(), Buffer, Buffer + N);
    while (Keep && Peer.Input.size() >= HeaderBytes) {
        const size_t Size = Word(&Peer.Input[6]);
        if (Peer.Input[0] != 1 || Size < HeaderBytes || Size > LargestMessage) {
            Keep = false;  // no way to find the next message: hang up
            break;
        }
        if (Peer.Input.size() < Size)
            break;
        Keep = HandleMessage(Peer, Peer.Input.data(), Size);
        Peer.Input.erase(Peer.Input.begin(), Peer.Input.begin() + ptrdiff_t(Size));
    }
    if (!Keep)
        CloseStream(Peer);
}

void TSimHartIpServer::CloseStream(TPeer& Peer)
{
    // Replies still on their way to it go nowhere (and never to a later
    // connection that gets the same descriptor).
    std::erase_if(FDelayed, [&](const TDelayed& D) { return D.Fd == Peer.Fd; });
    close(Peer.Fd);
    Peer.Fd = -1;
}

void TSimHartIpServer::ReceiveDatagram()
{
    uint8_t Buffer[LargestMessage + 1];
    sockaddr_storage From {};
    socklen_t FromLength = sizeof From;
    const ssize_t N = recvfrom(FDatagram, Buffer, sizeof Buffer, 0, reinterpret_cast<sockaddr*>(&From), &FromLength);
    if (N < ssize_t(HeaderBytes) || Buffer[0] != 1 || Word(&Buffer[6]) != size_t(N))
        return;  // not a message of ours
    const std::string Key(reinterpret_cast<const char*>(&From), FromLength);
    std::unique_ptr<TPeer>& Peer = FDatagramPeers[Key];
    if (!Peer) {
        Peer = std::make_unique<TPeer>();
        Peer->Address = From;
        Peer->AddressLength = FromLength;
        Peer->Key = Key;
    }
    if (!HandleMessage(*Peer, Buffer, size_t(N)))
        FDatagramPeers.erase(Key);
}

bool TSimHartIpServer::HandleMessage(TPeer& Peer, const uint8_t* M, size_t Size)
{
    const uint8_t Type = M[1], Id = M[2];
    const uint16_t Sequence = Word(&M[4]);
    const uint8_t* Body = M + HeaderBytes;
    const size_t BodySize = Size - HeaderBytes;
    if (Type != TypeRequest)
        return true;  // nothing a server answers
    Peer.LastMs = NowMs();
    std::lock_guard<std::mutex> Lock(FLock);
    if (Id == IdInitiate) {
        if (FFaults.RefuseSession || BodySize < 5) {
            SendTo(Peer, Message(TypeResponse, Id, StatusSessionsInUse, Sequence, {}));
            return true;
        }
        const uint32_t Asked = uint32_t(Body[1]) << 24 | uint32_t(Body[2]) << 16 | uint32_t(Body[3]) << 8 | Body[4];
        Peer.InactivityMs = std::max(Asked, ShortestInactivityMs);
        Peer.Session = true;
        ++FSessionsOpened;
        const uint32_t T = Peer.InactivityMs;
        SendTo(Peer, Message(TypeResponse, Id, 0, Sequence,
                             {Body[0], uint8_t(T >> 24), uint8_t(T >> 16), uint8_t(T >> 8), uint8_t(T)}));
        return true;
    }
    if (!Peer.Session) {
        SendTo(Peer, Message(TypeNak, Id, 0, Sequence, {}));
        return true;
    }
    if (Id == IdClose) {
        SendTo(Peer, Message(TypeResponse, Id, 0, Sequence, {}));
        return false;
    }
    if (Id == IdKeepAlive) {
        SendTo(Peer, Message(TypeResponse, Id, 0, Sequence, {}));
        return true;
    }
    if (Id != IdPdu) {
        SendTo(Peer, Message(TypeNak, Id, 0, Sequence, {}));
        return true;
    }
    const int N = ++FPduRequests;
    if (N == FFaults.CloseAt)
        return false;
    if (N == FFaults.NakAt) {
        SendTo(Peer, Message(TypeNak, Id, 0, Sequence, {}));
        return true;
    }
    const std::vector<uint8_t> Answer = AnswerPdu(Body, BodySize);
    if (Answer.empty() || N == FFaults.DropReplyAt)
        return true;  // the device said nothing, or the reply is lost
    const uint16_t Numbered = N == FFaults.WrongSequenceAt ? uint16_t(Sequence + 1) : Sequence;
    std::vector<uint8_t> Reply = Message(TypeResponse, Id, 0, Numbered, Answer);
    if (FFaults.ReplyDelayMs == 0) {
        SendTo(Peer, Reply);
        return true;
    }
    FDelayed.push_back({NowMs() + FFaults.ReplyDelayMs, Peer.Fd, Peer.Key, std::move(Reply)});
    return true;
}

std::vector<uint8_t> TSimHartIpServer::AnswerPdu(const uint8_t* Frame, size_t Size)
{
    // The transmitter listens as on its line: preambles, then the frame.
    FTransmitter.ResetReceiver();
    const int64_t Now = NowMs() * 1000;
    const uint64_t Before = FTransmitter.RequestCount();
    std::vector<TSimOutByte> Out;
    const uint8_t Preambles[2] = {0xFF, 0xFF};
    for (uint8_t Byte : Preambles)
        FTransmitter.Feed(Byte, Now);
    for (size_t I = 0; I < Size && Out.empty(); ++I)
        Out = FTransmitter.Feed(Frame[I], Now);
    if (OnRequest && FTransmitter.RequestCount() != Before)
        OnRequest(FTransmitter.Requests().back());
    // The answer without its preambles (and without noise before them): the
    // frame starts after the first two preamble bytes in a row.
    size_t Start = 2;
    const auto Preamble = [&](size_t I) { return Out[I].Byte == 0xFF || Out[I].Byte == 0xFE; };
    while (Start < Out.size() && !(Preamble(Start - 2) && Preamble(Start - 1) && Out[Start].Byte != 0xFF))
        ++Start;
    std::vector<uint8_t> Pdu;
    for (size_t I = Start; I < Out.size(); ++I)
        Pdu.push_back(Out[I].Byte);
    return Pdu;
}

void TSimHartIpServer::SendTo(TPeer& Peer, const std::vector<uint8_t>& M)
{
    if (Peer.Fd >= 0)
        send(Peer.Fd, M.data(), M.size(), MSG_NOSIGNAL);
    else
        sendto(FDatagram, M.data(), M.size(), 0, reinterpret_cast<const sockaddr*>(&Peer.Address), Peer.AddressLength);
}

void TSimHartIpServer::SendDueReplies()
{
    const int64_t Now = NowMs();
    for (auto It = FDelayed.begin(); It != FDelayed.end();) {
        if (It->DueMs > Now) {
            ++It;
            continue;
        }
        if (It->Fd >= 0) {
            for (auto& Peer : FStreams)
                if (Peer->Fd == It->Fd)
                    SendTo(*Peer, It->Message);
        } else if (auto Found = FDatagramPeers.find(It->Key); Found != FDatagramPeers.end()) {
            SendTo(*Found->second, It->Message);
        }
        It = FDelayed.erase(It);
    }
}

void TSimHartIpServer::ExpireSessions()
{
    // A session that stayed quiet past its inactivity time is closed.
    const int64_t Now = NowMs();
    const auto Expired
        = [Now](const TPeer& Peer) { return Peer.Session && Now - Peer.LastMs > int64_t(Peer.InactivityMs); };
    for (auto& Peer : FStreams)
        if (Expired(*Peer))
            CloseStream(*Peer);
    std::erase_if(FDatagramPeers, [&](const auto& Entry) { return Expired(*Entry.second); });
}
