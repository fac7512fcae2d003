// TNetSocket on POSIX sockets: getaddrinfo, a non-blocking connect finished
// with poll(), and poll() deadlines for every receive.
#include "hart/NetSocket.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

TNetResult ErrorResult(int Error)
{
    switch (Error) {
        case ECONNREFUSED:
        case EHOSTUNREACH:
        case ENETUNREACH:
        case ETIMEDOUT:
        case EADDRNOTAVAIL: return TNetResult::Refused;
        case ECONNRESET:
        case EPIPE:
        case ENOTCONN:
        case ECONNABORTED: return TNetResult::Closed;
        default: return TNetResult::Failed;
    }
}

class TPosixNetSocket : public TNetSocket {
public:
    ~TPosixNetSocket() override { TPosixNetSocket::Close(); }

    TNetResult Connect(const std::string& Host, uint16_t Port, TNetProtocol Protocol, uint32_t TimeoutMs) override
    {
        Close();
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
        if (FSocket >= 0)
            ::close(FSocket);
        FSocket = -1;
    }

    bool IsOpen() const override { return FSocket >= 0; }

    TNetResult Send(const uint8_t* Data, size_t Count) override
    {
        if (FSocket < 0)
            return TNetResult::Closed;
        size_t Sent = 0;
        while (Sent < Count) {
            const ssize_t N = ::send(FSocket, Data + Sent, Count - Sent, MSG_NOSIGNAL);
            if (N < 0 && errno == EINTR)
                continue;
            if (N < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd P {FSocket, POLLOUT, 0};
                ::poll(&P, 1, 1000);
                continue;
            }
            if (N < 0)
                return ErrorResult(errno);
            Sent += size_t(N);
        }
        return TNetResult::Ok;
    }

    TNetResult Receive(uint8_t* Buffer, size_t Capacity, size_t& Received, uint32_t TimeoutMs) override
    {
        Received = 0;
        if (FSocket < 0)
            return TNetResult::Closed;
        const int64_t DeadlineUs = NowUs() + int64_t(TimeoutMs) * 1000;
        for (;;) {
            const int64_t LeftMs = (DeadlineUs - NowUs() + 999) / 1000;
            pollfd P {FSocket, POLLIN, 0};
            const int Ready = ::poll(&P, 1, int(LeftMs > 0 ? LeftMs : 0));
            if (Ready < 0 && errno == EINTR)
                continue;
            if (Ready < 0)
                return ErrorResult(errno);
            if (Ready == 0)
                return TNetResult::Timeout;
            const ssize_t N = ::recv(FSocket, Buffer, Capacity, 0);
            if (N < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (N < 0)
                return ErrorResult(errno);
            // End of stream on TCP; an empty datagram on UDP is simply nothing.
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
        const int S = ::socket(A.ai_family, A.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, A.ai_protocol);
        if (S < 0)
            return ErrorResult(errno);
        if (::connect(S, A.ai_addr, A.ai_addrlen) != 0 && errno != EINPROGRESS) {
            const int Error = errno;
            ::close(S);
            return ErrorResult(Error);
        }
        pollfd P {S, POLLOUT, 0};
        int Error = 0;
        socklen_t Length = sizeof Error;
        if (::poll(&P, 1, int(TimeoutMs)) != 1)
            Error = ETIMEDOUT;
        else if (::getsockopt(S, SOL_SOCKET, SO_ERROR, &Error, &Length) != 0)
            Error = errno;
        if (Error != 0) {
            ::close(S);
            return ErrorResult(Error);
        }
        if (Protocol == TNetProtocol::Tcp) {
            // Requests are small and each waits for its reply: send at once.
            const int On = 1;
            ::setsockopt(S, IPPROTO_TCP, TCP_NODELAY, &On, sizeof On);
        }
        FSocket = S;
        FProtocol = Protocol;
        return TNetResult::Ok;
    }

    int FSocket = -1;
    TNetProtocol FProtocol = TNetProtocol::Tcp;
};

}  // namespace

std::unique_ptr<TNetSocket> CreatePlatformNetSocket()
{
    return std::make_unique<TPosixNetSocket>();
}
