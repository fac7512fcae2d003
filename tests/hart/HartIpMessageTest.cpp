// The HART-IP header and session codec: bytes built here by hand, read and
// written by the link's codec.

#include <gtest/gtest.h>

#include "hart/HartIpMessage.h"
#include "tests/hart/LinkTestSupport.h"

namespace {

using namespace HartIp;

TEST(HartIpMessage, Encode)
{
    struct TCase {
        const char* Name;
        THeader Header;
        TBytes Body;
        TBytes Expected;
    } Cases[] = {
        {"session initiate",
         {1, Request, SessionInitiate, 0, 0x0102, 0},
         SessionInitiateBody(60000),
         {1, 0, 0, 0, 0x01, 0x02, 0, 13, 1, 0x00, 0x00, 0xEA, 0x60}},
        {"keep-alive, sequence wraps to its high byte",
         {1, Request, KeepAlive, 0, 0xFF00, 0},
         {},
         {1, 0, 2, 0, 0xFF, 0x00, 0, 8}},
        {"token-passing PDU, byte count set from the body",
         {1, Request, TokenPassingPdu, 0, 7, 99},
         {0x02, 0x80, 0, 0, 0x82},
         {1, 0, 3, 0, 0, 7, 0, 13, 0x02, 0x80, 0, 0, 0x82}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        EXPECT_EQ(Hex(EncodeMessage(C.Header, C.Body.data(), C.Body.size())), Hex(C.Expected));
    }
}

TEST(HartIpMessage, Decode)
{
    struct TCase {
        const char* Name;
        TBytes Input;
        TDecode Result;
        size_t Consumed;
        uint16_t Sequence;
        size_t BodySize;
    } Cases[] = {
        {"empty", {}, TDecode::NeedMore, 0, 0, 0},
        {"half a header", {1, 1, 3, 0}, TDecode::NeedMore, 0, 0, 0},
        {"header only", {1, 1, 2, 0, 0x12, 0x34, 0, 8}, TDecode::Message, 8, 0x1234, 0},
        {"body still coming", {1, 1, 3, 0, 0, 5, 0, 12, 0x06, 0x80}, TDecode::NeedMore, 0, 0, 0},
        {"message and the start of the next", {1, 1, 3, 0, 0, 5, 0, 10, 0x06, 0x80, 1, 1}, TDecode::Message, 10, 5, 2},
        {"NAK", {1, 15, 3, 0, 0, 9, 0, 8}, TDecode::Message, 8, 9, 0},
        {"version 2 is refused at its first byte", {2}, TDecode::Malformed, 0, 0, 0},
        {"unknown message type", {1, 7}, TDecode::Malformed, 0, 0, 0},
        {"byte count below the header", {1, 1, 3, 0, 0, 1, 0, 7}, TDecode::Malformed, 0, 0, 0},
        {"byte count of the largest message", Concat({1, 1, 3, 0, 0, 1, 0x01, 0x13}, TBytes(267, 0)), TDecode::Message,
         275, 1, 267},
        {"byte count one beyond, refused before its body", {1, 1, 3, 0, 0, 1, 0x01, 0x14}, TDecode::Malformed, 0, 0, 0},
        {"byte count 65535", {1, 1, 3, 0, 0, 1, 0xFF, 0xFF}, TDecode::Malformed, 0, 0, 0},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        const TDecoded D = DecodeMessage(C.Input.data(), C.Input.size());
        EXPECT_EQ(int(D.Result), int(C.Result));
        if (C.Result != TDecode::Message)
            continue;
        EXPECT_EQ(D.Consumed, C.Consumed);
        EXPECT_EQ(D.Header.Sequence, C.Sequence);
        EXPECT_EQ(D.BodySize, C.BodySize);
        EXPECT_EQ(D.Body, C.Input.data() + HeaderSize);
    }
}

TEST(HartIpMessage, GrantedInactivity)
{
    const TBytes Granted = {1, 0x00, 0x01, 0x86, 0xA0};
    EXPECT_EQ(GrantedInactivityMs(Granted.data(), Granted.size()), 100000u);
    EXPECT_EQ(GrantedInactivityMs(Granted.data(), 4), 0u);
}

}  // namespace
