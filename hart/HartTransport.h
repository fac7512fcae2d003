#pragma once
// What the HART link runs its transaction over. THartCom builds and checks
// frames (delimiter, address, command, byte count, data, check byte) and knows
// nothing of the medium; a transport moves them. Two implementations: the
// serial line (TSerialTransport: preambles on the wire, RTS around the
// transmission, the hunt for the reply's start, read limits and line errors)
// and HART-IP (THartIpTransport: a session, sequence numbers, a socket).
// Every failure is raised as EHartComError with a language key.

#include <cstddef>
#include <cstdint>
#include <string>

struct THartDeviceResponse;

class THartTransport {
public:
    virtual ~THartTransport() = default;

    // A network transport opens and closes itself; the serial line is opened
    // by the link's port operations, which carry its line settings.
    virtual void Open() {}
    virtual void Close() {}
    virtual bool IsOpen() const = 0;
    // Whether this is a network link (no line settings, no RTS).
    virtual bool IsNetwork() const { return false; }

    // Preambles in front of the request's delimiter that the medium needs.
    virtual uint8_t RequestPreambles() const = 0;
    // Before the request is built: whatever an earlier exchange left is
    // dropped. TimeOutMs is the link's TimeOut now.
    virtual void PrepareExchange(uint32_t TimeOutMs) = 0;
    // Sends the request: RequestPreambles() preambles, then the frame from its
    // delimiter to its check byte.
    virtual void SendRequest(const uint8_t* Request, size_t Length) = 0;
    // Waits for the reply's start and returns its delimiter; preambles that came
    // before it are counted into Reply (PreambleCount, Preambles, ReplyText).
    virtual uint8_t ReceiveDelimiter(THartDeviceResponse& Reply) = 0;
    // The reply's byte count is known: ByteCount data bytes and the check byte follow.
    virtual void ExpectData(uint8_t ByteCount) = 0;
    // The next byte of the reply after the delimiter.
    virtual uint8_t ReceiveByte() = 0;
    // The exchange is over, whichever way it ended.
    virtual void FinishExchange() = 0;
    // Called while the link is idle: a session that the server would close
    // after a quiet spell is kept open.
    virtual void KeepAlive() {}

    // The clock the transport's waiting runs on, in microseconds.
    virtual int64_t NowUs() const = 0;
};

// Byte as two upper-case hex digits, as the reply and request texts show them.
inline void AppendHexByte(std::string& Text, uint8_t Byte)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    Text += Digits[Byte >> 4];
    Text += Digits[Byte & 0x0F];
}
