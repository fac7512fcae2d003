#pragma once
// HART-IP version 1 messages: the 8-byte header, the session-initiate body and
// the decoder that takes one message off the front of what a server sent. The
// decoder bounds everything a server can claim (byte count, message size), so
// no message makes the link read past its buffer or wait for bytes that a
// valid message could never have.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace HartIp {

inline constexpr uint16_t DefaultPort = 5094;
inline constexpr uint8_t Version = 1;
inline constexpr size_t HeaderSize = 8;
// The longest HART frame a token-passing PDU carries: delimiter, long address,
// three expansion bytes, command, byte count, 255 data bytes, check byte.
inline constexpr size_t MaxPduSize = 1 + 5 + 3 + 2 + 255 + 1;
// Nothing longer is a message of ours: the largest PDU behind its header.
inline constexpr size_t MaxMessageSize = HeaderSize + MaxPduSize;

enum TMessageType : uint8_t { Request = 0, Response = 1, Publish = 2, Error = 3, Nak = 15 };
enum TMessageId : uint8_t { SessionInitiate = 0, SessionClose = 1, KeepAlive = 2, TokenPassingPdu = 3 };
// Session-initiate status codes a master accepts; any other refuses the session.
enum TStatus : uint8_t { Success = 0, SetToNearestValue = 8 };
// Master type in the session-initiate body.
inline constexpr uint8_t PrimaryMaster = 1;
inline constexpr size_t SessionInitiateBodySize = 5;

struct THeader {
    uint8_t Version = HartIp::Version;
    uint8_t MessageType = Request;
    uint8_t MessageId = 0;
    uint8_t Status = 0;
    uint16_t Sequence = 0;
    uint16_t ByteCount = 0;  // the whole message, header included
};

// A message as bytes: the header (its byte count set from the body) and Body.
std::vector<uint8_t> EncodeMessage(THeader Header, const uint8_t* Body, size_t BodySize);
// The session-initiate request body: primary master and the inactivity close
// time in milliseconds.
std::vector<uint8_t> SessionInitiateBody(uint32_t InactivityCloseMs);
// The inactivity close time a session-initiate response grants; 0 if the body
// is too short to hold one.
uint32_t GrantedInactivityMs(const uint8_t* Body, size_t BodySize);

enum class TDecode : uint8_t {
    Message,  // one whole message is at the front
    NeedMore,  // a valid beginning: more bytes are needed
    Malformed,  // no message of version 1 can begin like this
};

struct TDecoded {
    TDecode Result = TDecode::NeedMore;
    THeader Header;
    const uint8_t* Body = nullptr;
    size_t BodySize = 0;
    size_t Consumed = 0;  // bytes of the message, to drop from the front
};

// Reads the message at the front of Data. A header with another version, an
// unknown message type, a byte count below the header's size or above
// MaxMessageSize is Malformed at once, before its body is waited for.
TDecoded DecodeMessage(const uint8_t* Data, size_t Size);

}  // namespace HartIp
