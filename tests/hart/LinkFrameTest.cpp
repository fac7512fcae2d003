// The request frame on the wire, and the requests the link refuses to send.

#include "tests/hart/LinkTestSupport.h"

#include "hart/ErrorKeys.h"

namespace {

struct TFrameCase {
    const char* Name;
    uint8_t NumPreamble;
    uint8_t Preamble;
    uint8_t Command;
    TBytes Data;
    TBytes Expected;
};

TEST(LinkFrame, RequestBytesOnTheWire)
{
    const TBytes Ff6(6, 0xFF);
    const TFrameCase Cases[] = {
        {"command 0, initial settings",
         6,
         0xFF,
         0,
         {},
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 0x02}},
        {"command 0 with data", 6, 0xFF, 0, {0xAB, 0xCD}, Concat(Ff6, {0x02, 0x00, 0x00, 0x02, 0xAB, 0xCD, 0x66})},
        {"long frame, no data", 6, 0xFF, 3, {}, Concat(Ff6, {0x82, 0x26, 0x06, 0x12, 0x34, 0x56, 0x03, 0x00, 0xD1})},
        {"long frame with data",
         6,
         0xFF,
         35,
         {0x0C, 0x42, 0xC8, 0, 0, 0x41, 0x20, 0, 0},
         Concat(Ff6, {0x82, 0x26, 0x06, 0x12, 0x34, 0x56, 35, 9, 0x0C, 0x42, 0xC8, 0, 0, 0x41, 0x20, 0, 0, 0x1F})},
        {"preamble count and value", 3, 0xAA, 0, {}, {0xAA, 0xAA, 0xAA, 0x02, 0x00, 0x00, 0x00, 0x02}},
        {"no preambles", 0, 0xFF, 3, {}, {0x82, 0x26, 0x06, 0x12, 0x34, 0x56, 0x03, 0x00, 0xD1}},
    };
    for (const TFrameCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        L.Com->SetNumPreamble(C.NumPreamble);
        L.Com->SetPreamble(C.Preamble);
        THartDeviceResponse Reply;
        KeyOf(*L.Com, C.Command, C.Data, Reply);  // nobody answers
        EXPECT_EQ(L.Line->Written(), C.Expected);
        EXPECT_EQ(Reply.RequestText, Hex(C.Expected));
    }
}

TEST(LinkFrame, Command0UsesPollingAddressZero)
{
    // Command 0 goes to polling address 0 even when a long address is known.
    TSimLink L;
    L.OpenAddressed();
    THartDeviceResponse Reply;
    KeyOf(*L.Com, 0, {}, Reply);
    EXPECT_EQ(Hex(L.Line->Written()), "FFFFFFFFFFFF0200000002");
}

struct TRefusal {
    const char* Name;
    bool Open;
    bool AddressValid;
    uint8_t Command;
    uint8_t NumPreamble;
    size_t DataLength;
    const char* Key;
};

TEST(LinkFrame, RefusedBeforeAnythingIsSent)
{
    const TRefusal Cases[] = {
        {"command 3 before command 0", true, false, 3, 6, 0, "139.DEVICENOTIMPLEMENTED"},
        {"closed port", false, true, 3, 6, 0, "143.PORTNOTOPEN"},
        {"closed port, command 0", false, false, 0, 6, 0, "143.PORTNOTOPEN"},
        {"long frame one byte too long", true, true, 3, 6, 241, "144.REQUESTTOOLONG"},
        {"many preambles", true, true, 3, 250, 0, "144.REQUESTTOOLONG"},
        {"short frame one byte too long", true, false, 0, 6, 245, "144.REQUESTTOOLONG"},
    };
    for (const TRefusal& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L(0);
        L.Com->SetUseRTS(true);  // manual RTS: a refused request must not touch it
        if (C.Open)
            L.Open();
        L.Com->SetLongAddress(TestAddress.data());
        L.Com->SetLongAddressValid(C.AddressValid);
        L.Com->SetNumPreamble(C.NumPreamble);
        L.Line->ClearEvents();
        const int64_t Before = L.Line->NowUs();
        THartDeviceResponse Reply;
        EXPECT_EQ(KeyOf(*L.Com, C.Command, TBytes(C.DataLength, 0x11), Reply), C.Key);
        EXPECT_TRUE(L.Line->Written().empty());
        EXPECT_EQ(L.Line->EventTrace(), "");
        EXPECT_EQ(L.Line->NowUs(), Before);  // at once, no waiting for a time-out
    }
}

TEST(LinkFrame, MissingRequestDataIsNotSent)
{
    TSimLink L;
    L.Open();
    THartDeviceResponse Reply;
    EXPECT_THROW(L.Com->SendCommand(0, nullptr, 3, Reply), std::invalid_argument);
    EXPECT_TRUE(L.Line->Written().empty());
}

TEST(LinkFrame, LargestFramesFit)
{
    // Long frame: 6 preambles + 9 + 240 data bytes = 255; short: 6 + 5 + 244.
    for (auto [Command, Length] : {std::pair<uint8_t, size_t> {3, 240}, {0, 244}}) {
        TSimLink L;
        L.OpenAddressed();
        THartDeviceResponse Reply;
        EXPECT_EQ(KeyOf(*L.Com, Command, TBytes(Length, 0x11), Reply), "141.TRANSMITTERTIMEOUT");
        EXPECT_EQ(L.Line->Written().size(), 255u);
    }
}

TEST(LinkFrame, EveryKeyIsWellFormed)
{
    // "number.NAME": decimal without leading zeros, a point, upper-case name.
    for (const char* Key : LinkErrorKeys) {
        const std::string K = Key;
        const size_t Dot = K.find('.');
        ASSERT_NE(Dot, std::string::npos) << K;
        EXPECT_TRUE(Dot > 0 && (K[0] != '0' || Dot == 1)) << K;
        for (size_t I = 0; I < Dot; ++I)
            EXPECT_TRUE(isdigit(K[I])) << K;
        for (size_t I = Dot + 1; I < K.size(); ++I)
            EXPECT_TRUE(isupper(K[I])) << K;
    }
}

}  // namespace
