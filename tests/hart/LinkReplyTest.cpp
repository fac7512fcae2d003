// Receiving the reply: the hunt for its start, the address check, the device's
// communication-error summary, the named response codes and the check byte.

#include "tests/hart/LinkTestSupport.h"

namespace {

constexpr int64_t ReadLimitUs = 510'000;  // TimeOut 500 + 10 ms for one byte

struct THuntCase {
    const char* Name;
    TBytes Reply;
    const char* Key;
    uint8_t PreambleCount;  // checked on success
    const char* CountedPrefix;  // counted preamble bytes in ReplyText, checked on success
};

TEST(LinkReply, HuntForTheStartOfTheReply)
{
    const TBytes Body = {0x86, 0x26, 0x06, 0x12, 0x34, 0x56, 0x03, 0x02, 0x00, 0x00};
    const TBytes Good = Concat(Body, {Xor(Body)});
    TBytes Burst = Good;
    Burst.front() = 0x81;
    Burst.back() = Xor(TBytes(Burst.begin(), Burst.end() - 1));
    const THuntCase Cases[] = {
        {"two preambles", Concat({0xFF, 0xFF}, Good), "", 2, "FFFF"},
        {"noise first", Concat({0x12, 0x00, 0x86, 0xFF, 0xFF, 0xFF}, Good), "", 3, "FFFFFF"},
        // The preamble before the noise stays in the text but no longer counts.
        {"noise after one preamble restarts the count", Concat({0xFF, 0x55, 0xFF, 0xFF}, Good), "", 2, "FFFFFF"},
        {"noise after one preamble, one fresh preamble is not enough", Concat({0xFF, 0x55, 0xFF}, Good),
         "141.TRANSMITTERTIMEOUT", 0, ""},
        {"single preamble", Concat({0xFF}, Good), "141.TRANSMITTERTIMEOUT", 0, ""},
        {"0xFE as first preamble", Concat({0xFE, 0xFF}, Good), "", 2, "FEFF"},
        {"0xFE after a preamble is a delimiter", Concat({0xFF, 0xFE, 0xFF}, Good), "142.LONGADDRESS", 0, ""},
        {"0xFE after two preambles is a delimiter", Concat({0xFF, 0xFF, 0xFE}, Good), "142.LONGADDRESS", 0, ""},
        {"unknown delimiter", Concat({0xFF, 0xFF, 0x83}, Good), "142.LONGADDRESS", 0, ""},
        // A bursting device's frame is no reply: the reply after it is taken.
        {"a burst frame first", Concat(Concat({0xFF, 0xFF}, Burst), Concat({0xFF, 0xFF}, Good)), "", 2, "FFFF"},
        {"silence", {}, "141.TRANSMITTERTIMEOUT", 0, ""},
    };
    for (const THuntCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        L.Peer.AddReply(TSimReply(C.Reply));
        THartDeviceResponse Reply;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, Reply), C.Key);
        if (*C.Key == 0) {
            EXPECT_EQ(Reply.PreambleCount, C.PreambleCount);
            EXPECT_EQ(Reply.ReplyText, C.CountedPrefix + Hex(Good));
            EXPECT_EQ(Reply.Delimiter, 0x86);
        }
    }
}

TEST(LinkReply, ReplyRecordFields)
{
    TSimLink L;
    L.Open();
    const TBytes Data = {0x00, 0x00, 0xFE, 0x26, 0x06, 0x05, 0x07, 0x01, 0x08, 0x0C, 0x12, 0x34, 0x56};
    const TBytes Frame = ShortReply(0, Data, 7);
    L.Peer.AddReply(TSimReply(Frame));
    THartDeviceResponse Reply;
    Reply.ResponseMessage = "stale";
    Reply.Data[200] = 0x77;
    ASSERT_EQ(KeyOf(*L.Com, 0, {}, Reply), "");
    EXPECT_EQ(Reply.PreambleCount, 7);
    // Preamble k at position k counting from 1, that is element k - 1.
    for (int I = 0; I < 7; ++I)
        EXPECT_EQ(Reply.Preambles[I], 0xFF);
    EXPECT_EQ(Reply.Preambles[7], 0);
    EXPECT_EQ(Reply.Delimiter, 0x06);
    EXPECT_EQ(Reply.ShortAddress, 0x00);
    EXPECT_EQ(Reply.Command, 0);
    EXPECT_EQ(Reply.ByteCount, Data.size());
    EXPECT_EQ(TBytes(Reply.Data, Reply.Data + Data.size()), Data);
    EXPECT_EQ(Reply.Data[200], 0);
    EXPECT_EQ(Reply.Checksum, Frame.back());
    EXPECT_EQ(Reply.ResponseMessage, "");
    EXPECT_EQ(Reply.ReplyText, Hex(Frame));
    EXPECT_EQ(Reply.RequestText, "FFFFFFFFFFFF0200000002");
}

TEST(LinkReply, ManyPreamblesAreCountedButOnly31Kept)
{
    TSimLink L;
    L.OpenAddressed();
    L.Peer.AddReply(TSimReply(LongReply(3, {0, 0}, 40)));
    THartDeviceResponse Reply;
    ASSERT_EQ(KeyOf(*L.Com, 3, {}, Reply), "");
    EXPECT_EQ(Reply.PreambleCount, 40);
    EXPECT_EQ(Reply.Preambles[0], 0xFF);
    EXPECT_EQ(Reply.Preambles[30], 0xFF);  // the 31st
    EXPECT_EQ(Reply.Preambles[31], 0);  // the 32nd position stays 0
}

struct TFailureCase {
    const char* Name;
    int Timeouts;  // read time-outs before the reply
    int FailedReads;  // failed read calls before the reply
    uint32_t NoiseErrors;  // line errors on noise bytes before the reply (one byte each flag set)
    int NoiseBytes;
    const char* Key;
};

TEST(LinkReply, HuntToleratesThreeReadFailures)
{
    const TFailureCase Cases[] = {
        {"three time-outs", 3, 0, 0, 0, ""},
        {"four time-outs", 4, 0, 0, 0, "141.TRANSMITTERTIMEOUT"},
        // A failed read is a port that is gone: raised at once, not retried.
        {"two time-outs and a failed read", 2, 1, 0, 0, "301.FILEREAD"},
        {"one failed read", 0, 1, 0, 0, "301.FILEREAD"},
        {"three framing errors", 0, 0, SerialErrFrame, 3, ""},
        {"four framing errors", 0, 0, SerialErrFrame, 4, "4.FRAME"},
        {"one failed read after three framing errors", 0, 1, SerialErrFrame, 3, "301.FILEREAD"},
    };
    for (const TFailureCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        // At 1200 baud, so that a purge after a line error leaves later bytes coming.
        L.Line->SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
        for (int I = 0; I < C.Timeouts; ++I)
            L.Line->AddReadFault(TSimReadFault::Timeout);
        for (int I = 0; I < C.FailedReads; ++I)
            L.Line->AddReadFault(TSimReadFault::Fail);
        TSimReply Reply;
        for (int I = 0; I < C.NoiseBytes; ++I)
            Reply.Append(0x33, C.NoiseErrors);
        Reply.Append(LongReply(3, {0, 0}));
        L.Peer.AddReply(Reply);
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), C.Key);
    }
}

TEST(LinkReply, LateReplyAfterThreeTimeOutsIsAccepted)
{
    // The reply begins in the fourth read window and brings 20 preambles at
    // 1200 baud, so its delimiter arrives more than four read limits after the
    // request: the hunt must still take it.
    TSimLink L;
    L.OpenAddressed();
    L.Line->SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
    TSimReply Reply(LongReply(3, {0, 0}, 20));
    Reply.DelayUs = 3 * ReadLimitUs + 400000;
    L.Peer.AddReply(Reply);
    THartDeviceResponse R;
    const int64_t StartUs = L.Line->NowUs();
    EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "");
    EXPECT_GT(L.Line->NowUs() - StartUs, 4 * ReadLimitUs);
    EXPECT_EQ(R.PreambleCount, 20);
}

TEST(LinkReply, FailureAfterTheDelimiterIsNotRetried)
{
    // A gap of more than one read limit anywhere after the delimiter.
    const TBytes Frame = LongReply(3, {0, 0, 0x41});
    for (size_t GapAt = 6; GapAt < Frame.size(); ++GapAt) {  // 5 is the delimiter
        SCOPED_TRACE(GapAt);
        TSimLink L;
        L.OpenAddressed();
        TSimReply Reply;
        for (size_t I = 0; I < Frame.size(); ++I)
            Reply.Append(Frame[I], 0, I == GapAt ? ReadLimitUs + 1000 : 0);
        L.Peer.AddReply(Reply);
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "141.TRANSMITTERTIMEOUT");
    }
}

TEST(LinkReply, LineErrorAfterTheDelimiterIsRaisedAtOnce)
{
    const TBytes Frame = LongReply(3, {0, 0});
    TSimLink L;
    L.OpenAddressed();
    TSimReply Reply;
    for (size_t I = 0; I < Frame.size(); ++I)
        Reply.Append(Frame[I], I == 8 ? uint32_t(SerialErrOverrun) : 0u);
    L.Peer.AddReply(Reply);
    THartDeviceResponse R;
    EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "2.OVERRUN");
    EXPECT_EQ(L.Line->PendingInput(), 0u);  // purged before raising
}

TEST(LinkReply, EndlessPreamblesEndTheHunt)
{
    struct TCase {
        const char* Name;
        int64_t CharTimeUs;
    } Cases[] = {{"instant line", 0}, {"1200 baud", TSimSerialDevice::CharTimeUs1200}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        L.Line->SetCharTimeUs(C.CharTimeUs);
        L.Peer.AddReply(TSimReply(TBytes(1000, 0xFF)));
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "141.TRANSMITTERTIMEOUT");
        const int64_t HuntUs = L.Line->NowUs() - L.Line->Events().back().Us;
        // From the first byte: four read limits and the wire time of 32 characters
        // at the link's 1200 baud.
        EXPECT_LE(HuntUs, C.CharTimeUs + 4 * ReadLimitUs + 32 * TSimSerialDevice::CharTimeUs1200);
        EXPECT_GE(L.Line->PendingInput(), 1000u - THartCom::MaxHuntBytes);
    }
}

TEST(LinkReply, LongAddressCheck)
{
    struct TCase {
        const char* Name;
        uint8_t Delimiter;
        TBytes Address;
        bool CheckLongAddress;
        const char* Key;
        size_t AddressBytesRead;
    } Cases[] = {
        {"matching address", 0x86, TestAddress, true, "", 5},
        {"third byte differs", 0x86, {0x26, 0x06, 0x13, 0x34, 0x56}, true, "142.LONGADDRESS", 3},
        {"first byte differs", 0x86, {0xA6, 0x06, 0x12, 0x34, 0x56}, true, "142.LONGADDRESS", 1},
        {"last byte differs", 0x86, {0x26, 0x06, 0x12, 0x34, 0x57}, true, "142.LONGADDRESS", 5},
        {"third byte differs, check off", 0x86, {0x26, 0x06, 0x13, 0x34, 0x56}, false, "", 5},
        {"short reply to a long request", 0x06, {0x80}, true, "", 1},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        L.Com->SetCheckLongAddress(C.CheckLongAddress);
        const TBytes Frame = ReplyFrame(C.Delimiter, C.Address, 3, {0, 0, 1, 2});
        L.Peer.AddReply(TSimReply(Frame));
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), C.Key);
        // The reply is read no further than the first wrong address byte.
        const size_t Read = 5 + 1 + C.AddressBytesRead;
        if (*C.Key != 0) {
            EXPECT_EQ(R.ReplyText, Hex(TBytes(Frame.begin(), Frame.begin() + long(Read))));
            EXPECT_EQ(L.Line->PendingInput(), Frame.size() - Read);
        } else {
            EXPECT_EQ(R.Data[2], 1);
        }
    }
}

TEST(LinkReply, CommunicationErrorSummary)
{
    struct TCase {
        uint8_t Status;
        bool GoodCheckByte;
        bool CheckCommError;
        const char* Key;
    } Cases[] = {
        {0x82, true, true, "128.BUFFOVERFLOW"}, {0x88, true, true, "129.LONGPARITY"},
        {0x90, true, true, "130.FRAMING"},      {0xA0, true, true, "131.OVERRUN"},
        {0xC0, true, true, "132.VERTPARITY"},   {0xB0, true, true, "135.COMMERR"},
        {0x80, true, true, "135.COMMERR"},      {0x81, true, true, "135.COMMERR"},
        {0x84, true, true, "135.COMMERR"},      {0x90, false, true, "130.FRAMING"},
        {0xB0, false, true, "135.COMMERR"},     {0x90, true, false, "130.FRAMING"},
        {0x10, false, true, "140.CRCCHECKING"}, {0x10, true, true, ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(C.Status) << " good check " << C.GoodCheckByte);
        TSimLink L;
        L.OpenAddressed();
        L.Com->SetCheckCommError(C.CheckCommError);
        TBytes Frame = LongReply(3, {C.Status, 0x00});
        if (!C.GoodCheckByte)
            Frame.back() ^= 0x5A;
        L.Peer.AddReply(TSimReply(Frame));
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), C.Key);
        if (C.Status & 0x80) {
            EXPECT_EQ(R.ResponseMessage, C.Key);
        }
    }
}

TEST(LinkReply, ResponseCodesNamedByTheLink)
{
    struct TCase {
        TBytes Data;
        const char* Message;
    } Cases[] = {
        {{32, 0x00}, "22.BUSY"},
        {{64, 0x00}, "137.COMMANDNOTIMPLEMENTED"},
        {{33, 0x00}, ""},
        {{0, 0x00, 1, 2}, ""},
        {{}, ""},  // byte count 0: Data reads all zero
    };
    for (const auto& C : Cases) {
        TSimLink L;
        L.OpenAddressed();
        L.Peer.AddReply(TSimReply(LongReply(3, C.Data)));
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "");
        EXPECT_EQ(R.ResponseMessage, C.Message);
        EXPECT_EQ(R.ByteCount, C.Data.size());
        for (size_t I = C.Data.size(); I < sizeof R.Data; ++I)
            ASSERT_EQ(R.Data[I], 0);
    }
}

TEST(LinkReply, CheckByte)
{
    struct TCase {
        const char* Name;
        bool CheckCRC;
        uint8_t Flip;
        const char* Key;
    } Cases[] = {
        {"good", true, 0x00, ""},
        {"wrong", true, 0x01, "140.CRCCHECKING"},
        {"wrong, check off", false, 0x01, ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        L.Com->SetCheckCRC(C.CheckCRC);
        TBytes Frame = LongReply(3, {0, 0, 9, 8, 7});
        Frame.back() ^= C.Flip;
        L.Peer.AddReply(TSimReply(Frame));
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), C.Key);
        EXPECT_EQ(R.Checksum, Frame.back());
    }
}

TEST(LinkReply, EachTransactionStartsWithAPurge)
{
    // A late answer to the previous request is thrown away, not taken as the reply.
    TSimLink L;
    L.OpenAddressed();
    L.Peer.AddReply(TSimReply());  // first request: no answer in time...
    THartDeviceResponse R;
    EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "141.TRANSMITTERTIMEOUT");
    for (uint8_t B : LongReply(1, {0, 0, 0xEE}))
        L.Line->Deliver(B, L.Line->NowUs());  // ...late
    L.Peer.AddReply(TSimReply(LongReply(3, {0, 0, 0x01})));
    EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "");
    EXPECT_EQ(R.Command, 3);
    EXPECT_EQ(R.Data[2], 0x01);
    EXPECT_EQ(L.Line->EventTrace(), "RTS- DTR+ PURGE W15 PURGE W15");
}

TEST(LinkReply, FailedWrite)
{
    struct TCase {
        const char* Name;
        size_t Written;
        const char* Key;
    } Cases[] = {
        {"nothing written: ends in the hunt", 0, "141.TRANSMITTERTIMEOUT"},
        {"part written", 4, "302.FILEWRITE"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        L.Line->FailNextWrite(C.Written);
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), C.Key);
        EXPECT_EQ(L.Line->Written().size(), C.Written);
    }
}

TEST(LinkReply, TheCommandLayersRecordCanBeTheReply)
{
    TSimLink L;
    L.OpenAddressed();
    L.Peer.AddReply(TSimReply(LongReply(13, {0, 0, 0x55})));
    EXPECT_EQ(L.Com->SendCommand(13, nullptr, 0, L.Com->Response), 0);
    EXPECT_EQ(L.Com->Response.Data[2], 0x55);
}

}  // namespace
