#include "hart/HartIpMessage.h"

#include <algorithm>

namespace HartIp {

namespace {

void PutU16(uint8_t* Out, uint16_t Value)
{
    Out[0] = uint8_t(Value >> 8);
    Out[1] = uint8_t(Value);
}

uint16_t GetU16(const uint8_t* In)
{
    return uint16_t((In[0] << 8) | In[1]);
}

bool KnownType(uint8_t Type)
{
    return Type == Request || Type == Response || Type == Publish || Type == Error || Type == Nak;
}

}  // namespace

std::vector<uint8_t> EncodeMessage(THeader Header, const uint8_t* Body, size_t BodySize)
{
    Header.ByteCount = uint16_t(HeaderSize + BodySize);
    std::vector<uint8_t> Message(HeaderSize + BodySize);
    Message[0] = Header.Version;
    Message[1] = Header.MessageType;
    Message[2] = Header.MessageId;
    Message[3] = Header.Status;
    PutU16(&Message[4], Header.Sequence);
    PutU16(&Message[6], Header.ByteCount);
    std::copy_n(Body, BodySize, Message.begin() + HeaderSize);
    return Message;
}

std::vector<uint8_t> SessionInitiateBody(uint32_t InactivityCloseMs)
{
    return {PrimaryMaster, uint8_t(InactivityCloseMs >> 24), uint8_t(InactivityCloseMs >> 16),
            uint8_t(InactivityCloseMs >> 8), uint8_t(InactivityCloseMs)};
}

uint32_t GrantedInactivityMs(const uint8_t* Body, size_t BodySize)
{
    if (BodySize < SessionInitiateBodySize)
        return 0;
    return uint32_t(Body[1]) << 24 | uint32_t(Body[2]) << 16 | uint32_t(Body[3]) << 8 | uint32_t(Body[4]);
}

TDecoded DecodeMessage(const uint8_t* Data, size_t Size)
{
    TDecoded Out;
    // The fields are checked as soon as they are in, so a stream that begins
    // wrongly is refused without waiting for the rest of a header.
    if (Size >= 1 && Data[0] != Version)
        Out.Result = TDecode::Malformed;
    else if (Size >= 2 && !KnownType(Data[1]))
        Out.Result = TDecode::Malformed;
    if (Out.Result == TDecode::Malformed || Size < HeaderSize)
        return Out;
    THeader& H = Out.Header;
    H.Version = Data[0];
    H.MessageType = Data[1];
    H.MessageId = Data[2];
    H.Status = Data[3];
    H.Sequence = GetU16(&Data[4]);
    H.ByteCount = GetU16(&Data[6]);
    if (H.ByteCount < HeaderSize || H.ByteCount > MaxMessageSize) {
        Out.Result = TDecode::Malformed;
        return Out;
    }
    if (Size < H.ByteCount)
        return Out;
    Out.Result = TDecode::Message;
    Out.Body = Data + HeaderSize;
    Out.BodySize = H.ByteCount - HeaderSize;
    Out.Consumed = H.ByteCount;
    return Out;
}

}  // namespace HartIp
