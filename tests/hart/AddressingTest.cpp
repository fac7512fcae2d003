// Addresses on the wire, the HART 5/6/7 identities, the scan's reply wait and
// the repeats of busy and delayed answers, in virtual time.
#include "LinkTestSupport.h"

#include "hart/HartCommand.h"
#include "hart/HartIdentity.h"
#include "sim/SimTransmitter.h"
#include "sim/SimTransmitterPeer.h"

namespace {

TEST(Addressing, RequestFramesCarryPollingAddressMasterBitAndBroadcastAddress)
{
    struct TCase {
        const char* Name;
        bool Primary;
        uint8_t PollingAddress;
        uint8_t Command;
        TBytes Request;
        TBytes Frame;  // after the six preambles, without the check byte
    } Cases[] = {
        {"secondary, address 0", false, 0, 0, {}, {0x02, 0x00, 0x00, 0x00}},
        {"primary, address 5", true, 5, 0, {}, {0x02, 0x85, 0x00, 0x00}},
        {"primary, address 63", true, 63, 0, {}, {0x02, 0xBF, 0x00, 0x00}},
        {"address cut to six bits", false, 64 + 7, 0, {}, {0x02, 0x07, 0x00, 0x00}},
        {"long frame, primary", true, 0, 13, {}, {0x82, 0xA6, 0x06, 0x12, 0x34, 0x56, 13, 0x00}},
        {"broadcast, command 11", true, 9, 11, {1, 2, 3, 4, 5, 6}, {0x82, 0x80, 0, 0, 0, 0, 11, 6, 1, 2, 3, 4, 5, 6}},
        {"broadcast, secondary", false, 0, 21, {7}, {0x82, 0x00, 0, 0, 0, 0, 21, 1, 7}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.Open();
        if (C.Command != 0 && C.Command != 11 && C.Command != 21) {
            L.Com->SetLongAddress(TestAddress.data());
            L.Com->SetLongAddressValid(true);
        }
        L.Com->SetPrimaryMaster(C.Primary);
        L.Com->SetPollingAddress(C.PollingAddress);
        THartDeviceResponse R;
        KeyOf(*L.Com, C.Command, C.Request, R);  // nobody answers
        TBytes Expected = Concat(TBytes(6, 0xFF), C.Frame);
        Expected.push_back(Xor(C.Frame));
        EXPECT_EQ(Hex(TBytes(L.Line->Written().begin(), L.Line->Written().begin() + long(Expected.size()))),
                  Hex(Expected));
    }
}

TEST(Addressing, RepliesToThePrimaryMasterAndToTheBroadcastAddress)
{
    struct TCase {
        const char* Name;
        uint8_t Command;
        TBytes ReplyAddress;
        const char* Key;
    } Cases[] = {
        {"master bit echoed", 3, {0xA6, 0x06, 0x12, 0x34, 0x56}, ""},
        {"master bit missing", 3, {0x26, 0x06, 0x12, 0x34, 0x56}, "142.LONGADDRESS"},
        {"command 11: any device's address", 11, {0xB9, 0x18, 0x00, 0x00, 0x07}, ""},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.OpenAddressed();
        L.Com->SetPrimaryMaster(true);
        L.Peer.AddReply(TSimReply(ReplyFrame(0x86, C.ReplyAddress, C.Command, {0, 0})));
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, C.Command, C.Command == 11 ? TBytes(6, 0) : TBytes {}, R), C.Key);
    }
}

TEST(Addressing, IdentityOfHart5And6And7Replies)
{
    // Command 0 reply data: HART 5 bytes, then what HART 6 and 7 append.
    const TBytes Hart5 = {254, 0xB9, 0x18, 5, 5, 3, 0x21, 0x20, 0x01, 0x12, 0xD6, 0x87};
    const TBytes Hart6 = {5, 4, 0x01, 0x02, 0x08};
    const TBytes Hart7 = {0x00, 0x26, 0x01, 0x2C, 1};
    struct TCase {
        const char* Name;
        uint8_t Rev;
        TBytes Data;
        bool Six, Seven;
        uint16_t Manufacturer, DeviceType, Counter, Distributor;
    } Cases[] = {
        {"HART 5", 5, Hart5, false, false, 0xB9, 0x18, 0, 0},
        {"HART 6", 6, Concat(Hart5, Hart6), true, false, 0xB9, 0x18, 0x0102, 0},
        {"HART 7: expanded type, two-byte codes", 7, Concat(Concat(Hart5, Hart6), Hart7), true, true, 0x26, 0xB918,
         0x0102, 0x012C},
        {"HART 7 claimed, HART 5 length", 7, Hart5, false, false, 0xB9, 0x18, 0, 0},
        {"HART 6 claimed, cut short", 6, Concat(Hart5, {5, 4}), false, false, 0xB9, 0x18, 0, 0},
    };
    for (TCase C : Cases) {
        SCOPED_TRACE(C.Name);
        C.Data[4] = C.Rev;
        const THartIdentity Id = DecodeIdentity(C.Data.data(), uint8_t(C.Data.size()));
        EXPECT_EQ(Id.UnivCmdRev, C.Rev);
        EXPECT_EQ(Id.HasHart6Fields, C.Six);
        EXPECT_EQ(Id.HasHart7Fields, C.Seven);
        EXPECT_EQ(Id.ManufacturerCode, C.Manufacturer);
        EXPECT_EQ(Id.DeviceTypeCode, C.DeviceType);
        EXPECT_EQ(Id.ConfigChangeCounter, C.Counter);
        EXPECT_EQ(Id.DistributorCode, C.Distributor);
        EXPECT_EQ(Id.DeviceId, 0x12D687u);
        EXPECT_EQ(Hex(TBytes(Id.LongAddress.begin(), Id.LongAddress.end())), "391812D687");
        EXPECT_EQ(Id.HasLongTag(), C.Rev >= 6);
    }
}

TEST(Addressing, ReplyWaitBoundsASilentAddressAndTakesAnAnswerInTime)
{
    constexpr int64_t Char = TSimSerialDevice::CharTimeUs1200;
    struct TCase {
        const char* Name;
        uint32_t WaitMs;
        int64_t ReplyDelayUs;  // -1: no answer
        const char* Key;
        int64_t MinUs, MaxUs;  // time the exchange takes, from the start of the write
    } Cases[] = {
        {"no wait set: four read limits", 0, -1, "141.TRANSMITTERTIMEOUT", 2'040'000, 2'200'000},
        {"silent address", 275, -1, "141.TRANSMITTERTIMEOUT", 11 * Char + 275'000, 11 * Char + 285'000},
        {"answer within the wait", 275, 250'000, "", 0, 11 * Char + 290'000 + 20 * Char},
        {"answer after the wait", 275, 300'000, "141.TRANSMITTERTIMEOUT", 0, 11 * Char + 300'000},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.Line->SetCharTimeUs(Char);
        L.Open();
        L.Com->SetReplyWaitMs(C.WaitMs);
        if (C.ReplyDelayUs >= 0) {
            TSimReply Reply(ShortReply(0, {0, 0}));
            Reply.DelayUs = C.ReplyDelayUs;
            L.Peer.AddReply(Reply);
        }
        const int64_t StartUs = L.Line->NowUs();
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 0, {}, R), C.Key);
        const int64_t TookUs = L.Line->NowUs() - StartUs;
        EXPECT_GE(TookUs, C.MinUs);
        EXPECT_LE(TookUs, C.MaxUs);
    }
}

// A transmitter asking for patience, on a simulated 1200-baud line in virtual time.
struct TPatientCase {
    const char* Name;
    uint32_t Busy;
    int64_t DelayedUs;  // -1: none
    bool Dies;
    bool Cancel;
    const char* Key;
    size_t Requests;  // command 3 requests the transmitter saw
    int64_t MinUs, MaxUs;
};

TEST(Addressing, BusyAndDelayedAnswersAreRepeatedWithinTheirBounds)
{
    const TPatientCase Cases[] = {
        // Each exchange of command 3 takes about 0.3 s (an error answer) to 0.45 s
        // on the line; the pauses are a second.
        {"busy once", 1, -1, false, false, "", 2, 1'000'000, 2'000'000},
        {"busy three times", 3, -1, false, false, "", 4, 3'000'000, 4'500'000},
        {"busy four times: reported", 4, -1, false, false, "22.BUSY", 4, 3'000'000, 4'500'000},
        {"delayed 5 s", 0, 5'000'000, false, false, "", 5, 5'000'000, 7'000'000},
        {"delayed, dies", 0, 2'000'000, true, false, "24.DELAYEDDEAD", 3, 2'000'000, 4'000'000},
        {"delayed 100 s: bounded", 0, 100'000'000, false, false, "25.DELAYEDTIMEOUT", 48, 60'000'000, 62'000'000},
        {"delayed, cancelled", 0, 5'000'000, false, true, "145.CANCELLED", 1, 0, 400'000},
    };
    for (const TPatientCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimTransmitter Transmitter;
        Transmitter.SetPacing(TSimPacing::Baud1200());
        auto Device = std::make_unique<TSimSerialDevice>();
        Device->SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
        TSimSerialDevice& Line = *Device;
        TSimTransmitterPeer Peer(Transmitter, Line);
        THart Hart(std::move(Device));
        ASSERT_TRUE(Hart.OpenPort("COM1"));
        THartDevInfo Info;
        Hart.ReadUniqueIdentifier(Info);
        Transmitter.ClearRequests();
        Transmitter.SetBusyFor(C.Busy);
        if (C.DelayedUs >= 0)
            Transmitter.StartDelayedResponse(C.DelayedUs, C.Dies);
        std::vector<uint32_t> Repeats;
        Hart.Patient().OnRetry = [&](const TRetryNote& Note) { Repeats.push_back(Note.Repeat); };
        Hart.Patient().CancelRequested = [&] { return C.Cancel; };
        const int64_t StartUs = Line.NowUs();
        const std::string Key = KeyOfCall([&] {
            float Current = 0, PV = 0;
            std::string Unit;
            Hart.ReadDynamicVariables(Current, Unit, PV);
        });
        const int64_t TookUs = Line.NowUs() - StartUs;
        EXPECT_EQ(Key, C.Key);
        EXPECT_EQ(Transmitter.Requests().size(), C.Requests);
        EXPECT_EQ(Repeats.size(), C.Requests - 1) << "every repeat is announced";
        EXPECT_GE(TookUs, C.MinUs);
        EXPECT_LE(TookUs, C.MaxUs);
    }
}

TEST(Addressing, LongTagTravelsAsLatin1AndIsCheckedBeforeSending)
{
    // Through the command layer on a scripted line.
    TSimScriptedPeer Peer;
    auto Device = std::make_unique<TSimSerialDevice>();
    TSimSerialDevice& Line = *Device;
    Line.SetPeer(&Peer);
    THart H(std::move(Device));
    ASSERT_TRUE(H.OpenPort("COM1"));
    H.SetLongAddress(TestAddress.data());
    H.SetLongAddressValid(true);
    TBytes Echo = {0, 0, 'K', 0xFC, 'h', 'l'};
    Echo.resize(2 + 32, 0);
    Peer.AddReply(TSimReply(LongReply(22, Echo)));
    std::string Tag = "K\xC3\xBChl";  // "Kühl" in UTF-8
    H.WriteLongTag(Tag);
    const TBytes& Written = Line.Written();
    // Request data: 32 bytes of Latin-1, NUL padded, after the 6 + 1 + 5 + 2 frame bytes.
    EXPECT_EQ(Hex(TBytes(Written.begin() + 14, Written.begin() + 19)), "4BFC686C00");
    EXPECT_EQ(Tag, "K\xC3\xBChl");
    const size_t Sent = Written.size();
    for (const std::string& Bad : {std::string(33, 'A'), std::string("\xE2\x82\xAC")}) {  // too long; the euro sign
        std::string Value = Bad;
        EXPECT_THROW(H.WriteLongTag(Value), ERangeError);
    }
    EXPECT_EQ(Line.Written().size(), Sent) << "nothing sent for a long tag Latin-1 cannot hold";
}

}  // namespace
