// TNetSocket on Winsock: getaddrinfo, a non-blocking connect finished with
// select(), and select() deadlines for every receive. Winsock is started once
// for the life of the program.
#include "hart/NetSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>

namespace {

// WSAStartup before the first socket; WSACleanup when the program ends.
struct TWinsock {
    bool Started = false;
    TWinsock()
    {
        WSADATA Data;
        Started = WSAStartup(MAKEWORD(2, 2), &Data) == 0;
    }
    ~TWinsock()
    {
        if (Started)
            WSACleanup();
    }
};

bool WinsockStarted()
{
    static TWinsock Winsock;
    return Winsock.Started;
}

TNetResult ErrorResult(int Error)
{
    switch (Error) {
        case WSAECONNREFUSED:
        case WSAEHOSTUNREACH:
        case WSAENETUNREACH:
        case WSAETIMEDOUT:
        case WSAEADDRNOTAVAIL: return TNetResult::Refused;
        case WSAECONNRESET:
        case WSAECONNABORTED:
        case WSAENOTCONN:
        case WSAESHUTDOWN:
        case WSAENETRESET: return TNetResult::Closed;
        default: return TNetResult::Failed;
    }
}

// Waits until S can be read (or written); false on time-out.
bool WaitFor(SOCKET S, bool Write, uint32_t TimeoutMs, int& Error)
{
    fd_set Set;
    FD_ZERO(&Set);
    FD_SET(S, &Set);
    fd_set Failed;
    FD_ZERO(&Failed);
    FD_SET(S, &Failed);
    timeval Wait {long(TimeoutMs / 1000), long(TimeoutMs % 1000) * 1000};
    const int Ready = select(0, Write ? nullptr : &Set, Write ? &Set : nullptr, &Failed, &Wait);
    Error = Ready == SOCKET_ERROR ? WSAGetLastError() : 0;
    return Ready > 0;
}

class TWinsockNetSocket : public TNetSocket {
public:
    ~TWinsockNetSocket() override { TWinsockNetSocket::Close(); }

    TNetResult Connect(const std::string& Host, uint16_t Port, TNetProtocol Protocol, uint32_t TimeoutMs) override
    {
        Close();
        if (!WinsockStarted())
            return TNetResult::Failed;
        addrinfo Hints {};
        Hints.ai_family = AF_UNSPEC;
        Hints.ai_socktype = Protocol == TNetProtocol::Tcp ? SOCK_STREAM : SOCK_DGRAM;
        addrinfo* Found = nullptr;
        if (getaddrinfo(Host.c_str(), std::to_string(Port).c_str(), &Hints, &Found) != 0 || !Found)
            return TNetResult::HostUnknown;
        TNetResult Result = TNetResult::Refused;
        for (addrinfo* A = Found; A && Result != TNetResult::Ok; A = A->ai_next)
            Result = ConnectTo(*A, Protocol, TimeoutMs);
        freeaddrinfo(Found);
        return Result;
    }

    void Close() override
    {
        if (FSocket != INVALID_SOCKET)
            closesocket(FSocket);
        FSocket = INVALID_SOCKET;
    }

    bool IsOpen() const override { return FSocket != INVALID_SOCKET; }

    TNetResult Send(const uint8_t* Data, size_t Count) override
    {
        if (FSocket == INVALID_SOCKET)
            return TNetResult::Closed;
        size_t Sent = 0;
        while (Sent < Count) {
            const int N = send(FSocket, reinterpret_cast<const char*>(Data + Sent), int(Count - Sent), 0);
            if (N == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
                int Error = 0;
                WaitFor(FSocket, true, 1000, Error);
                continue;
            }
            if (N == SOCKET_ERROR)
                return ErrorResult(WSAGetLastError());
            Sent += size_t(N);
        }
        return TNetResult::Ok;
    }

    TNetResult Receive(uint8_t* Buffer, size_t Capacity, size_t& Received, uint32_t TimeoutMs) override
    {
        Received = 0;
        if (FSocket == INVALID_SOCKET)
            return TNetResult::Closed;
        const int64_t DeadlineUs = NowUs() + int64_t(TimeoutMs) * 1000;
        for (;;) {
            const int64_t LeftMs = (DeadlineUs - NowUs() + 999) / 1000;
            int Error = 0;
            if (!WaitFor(FSocket, false, uint32_t(LeftMs > 0 ? LeftMs : 0), Error))
                return Error != 0 ? ErrorResult(Error) : TNetResult::Timeout;
            const int N = recv(FSocket, reinterpret_cast<char*>(Buffer), int(Capacity), 0);
            if (N == SOCKET_ERROR) {
                const int Failure = WSAGetLastError();
                if (Failure == WSAEWOULDBLOCK)
                    continue;
                // A datagram longer than the buffer: its start is taken.
                if (Failure == WSAEMSGSIZE) {
                    Received = Capacity;
                    return TNetResult::Ok;
                }
                return ErrorResult(Failure);
            }
            if (N == 0 && FProtocol == TNetProtocol::Tcp)
                return TNetResult::Closed;
            Received = size_t(N);
            return TNetResult::Ok;
        }
    }

    int64_t NowUs() const override
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

private:
    TNetResult ConnectTo(const addrinfo& A, TNetProtocol Protocol, uint32_t TimeoutMs)
    {
        const SOCKET S = socket(A.ai_family, A.ai_socktype, A.ai_protocol);
        if (S == INVALID_SOCKET)
            return ErrorResult(WSAGetLastError());
        u_long NonBlocking = 1;
        ioctlsocket(S, FIONBIO, &NonBlocking);
        int Error = 0;
        if (connect(S, A.ai_addr, int(A.ai_addrlen)) == SOCKET_ERROR) {
            Error = WSAGetLastError();
            if (Error == WSAEWOULDBLOCK) {
                Error = 0;
                if (!WaitFor(S, true, TimeoutMs, Error) && Error == 0)
                    Error = WSAETIMEDOUT;
                // A refused connection shows in the socket's error, not in select.
                int Pending = 0;
                int Length = sizeof Pending;
                if (Error == 0 && getsockopt(S, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&Pending), &Length) == 0)
                    Error = Pending;
            }
        }
        if (Error != 0) {
            closesocket(S);
            return ErrorResult(Error);
        }
        if (Protocol == TNetProtocol::Tcp) {
            // Requests are small and each waits for its reply: send at once.
            const BOOL On = TRUE;
            setsockopt(S, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&On), sizeof On);
        }
        FSocket = S;
        FProtocol = Protocol;
        return TNetResult::Ok;
    }

    SOCKET FSocket = INVALID_SOCKET;
    TNetProtocol FProtocol = TNetProtocol::Tcp;
};

}  // namespace

std::unique_ptr<TNetSocket> CreatePlatformNetSocket()
{
    return std::make_unique<TWinsockNetSocket>();
}
