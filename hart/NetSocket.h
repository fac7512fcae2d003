#pragma once
// A network connection as the HART-IP link sees it: TCP or UDP to one host and
// port, sends and receives bounded by deadlines kept on the socket's own
// monotonic clock. POSIX sockets and Winsock each implement it in a file of
// their own, as the serial devices do; tests may put a double in its place.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

enum class TNetProtocol : uint8_t { Tcp, Udp };

enum class TNetResult : uint8_t {
    Ok,
    Timeout,  // nothing came before the deadline
    Closed,  // the peer closed the connection, or it broke
    HostUnknown,  // the host name does not resolve
    Refused,  // the host refused or could not be reached
    Failed,  // any other failure of the system call
};

class TNetSocket {
public:
    virtual ~TNetSocket() = default;

    // Connects to Host:Port (UDP: fixes the peer, so only its datagrams come in).
    virtual TNetResult Connect(const std::string& Host, uint16_t Port, TNetProtocol Protocol, uint32_t TimeoutMs) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Sends all Count bytes (UDP: as one datagram).
    virtual TNetResult Send(const uint8_t* Data, size_t Count) = 0;
    // Waits at most TimeoutMs for input, then takes what is there, up to
    // Capacity bytes (UDP: one datagram, its excess cut off). Received is the
    // number of bytes taken.
    virtual TNetResult Receive(uint8_t* Buffer, size_t Capacity, size_t& Received, uint32_t TimeoutMs) = 0;
    // A monotonic clock in microseconds, the one the time-outs run on.
    virtual int64_t NowUs() const = 0;
};

// The socket of the system the program runs on: POSIX sockets or Winsock.
std::unique_ptr<TNetSocket> CreatePlatformNetSocket();
