// Burst mode on the link: frames a transmitter sends unasked are read as burst
// frames and never taken for replies, and a request sent in the gap after a
// burst frame is answered before the next one. Virtual time at 1200 baud.

#include <gtest/gtest.h>

#include "hart/HartBurst.h"
#include "hart/HartCommand.h"
#include "sim/SimTransmitterPeer.h"
#include "tests/hart/LinkTestSupport.h"

namespace {

constexpr int64_t CharUs = TSimSerialDevice::CharTimeUs1200;

TBytes BurstAddress()
{
    TBytes A = TestAddress;
    A[0] |= 0xC0;  // master and burst bits
    return A;
}
const TBytes Status3 = {0, 0, 0x41, 0x40, 0, 0, 7, 0x40, 0x20, 0, 0};

// The listener over byte streams: what it takes as the device's burst frames.
TEST(BurstListener, TakesOnlyWholeBurstFramesOfItsDevice)
{
    const TBytes Good = ReplyFrame(0x81, BurstAddress(), 3, Status3);
    TBytes BadCheck = Good;
    BadCheck.back() ^= 0x5A;
    TBytes Other = BurstAddress();
    Other[4] ^= 1;
    struct TRow {
        const char* Name;
        TBytes Stream;
        int Frames;
        uint64_t Damaged;
    } Rows[] = {
        {"one burst frame", Good, 1, 0},
        {"noise, then a frame", Concat({0x12, 0x00, 0x81}, Good), 1, 0},
        {"a wrong check byte", Concat(BadCheck, Good), 1, 1},
        {"a reply is no burst frame", Concat(LongReply(3, Status3), Good), 1, 0},
        {"another device's frame", Concat(ReplyFrame(0x81, Other, 3, Status3), Good), 1, 0},
        {"cut short", TBytes(Good.begin(), Good.end() - 4), 0, 1},
        {"two frames", Concat(Good, Good), 2, 0},
    };
    for (const TRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TSimLink Link;
        Link.OpenAddressed();
        Link.Line->SetCharTimeUs(CharUs);
        int64_t At = 0;
        for (uint8_t Byte : Row.Stream)
            Link.Line->Deliver(Byte, At += CharUs);
        THartBurstListener Listener(*Link.Com);
        THartBurstFrame Frame;
        int Frames = 0;
        while (Listener.NextFrame(Frame, 2000)) {
            ++Frames;
            EXPECT_EQ(Frame.Command, 3);
            float Current = 0, PV = 0;
            std::string Unit;
            EXPECT_TRUE(THart::DecodeBurstDynamicVariables(Frame, Current, Unit, PV));
            EXPECT_FLOAT_EQ(Current, 12.0f);
        }
        EXPECT_EQ(Frames, Row.Frames);
        EXPECT_EQ(Listener.DamagedFrames(), Row.Damaged);
    }
}

struct TBurstingLine {
    TSimTransmitter Transmitter;
    TSimSerialDevice* Line = nullptr;
    TSimTransmitterPeer Peer {Transmitter};
    std::unique_ptr<THart> Hart;

    TBurstingLine()
    {
        Transmitter.SetPacing(TSimPacing::Baud1200());
        auto Device = std::make_unique<TSimSerialDevice>();
        Line = Device.get();
        Line->SetCharTimeUs(CharUs);
        Line->SetPeer(&Peer);
        Hart = std::make_unique<THart>(std::move(Device));
        EXPECT_TRUE(Hart->OpenPort("COM1"));
        THartDevInfo Identity;
        Hart->ReadUniqueIdentifier(Identity);
        Hart->WriteBurstCommand(3);
        Hart->WriteBurstMode(true);
    }
};

// Every frame the transmitter sends is recorded, at the pace of the line: a
// command 3 frame (preambles, delimiter, address, command, byte count, data,
// check byte) and the gap after it.
TEST(BurstListener, RecordsEveryFrameAtLinePace)
{
    TBurstingLine Bursting;
    THartBurstListener Listener(*Bursting.Hart);
    THartBurstFrame Frame;
    const uint64_t SentBefore = Bursting.Transmitter.BurstFramesSent();
    int64_t FirstUs = 0;
    constexpr int Frames = 50;
    for (int n = 0; n < Frames; ++n) {
        ASSERT_TRUE(Listener.NextFrame(Frame, 2000));
        if (n == 0)
            FirstUs = Frame.EndUs;
    }
    EXPECT_EQ(Bursting.Transmitter.BurstFramesSent() - SentBefore, uint64_t(Frames));
    const int64_t PeriodUs = (Frame.EndUs - FirstUs) / (Frames - 1);
    EXPECT_EQ(PeriodUs, (5 + 1 + 5 + 2 + Frame.ByteCount + 1 + TSimTransmitter::BurstGapChars) * CharUs);
}

// A request while the device bursts: sent in the gap after a frame it is
// answered before the next frame; sent at once it runs into a frame, and the
// link passes that frame over and takes the reply after it. Turning burst mode
// off in the gap leaves the line quiet.
TEST(BurstListener, RequestsWhileBurstingAreAnswered)
{
    for (const uint32_t GapWaitMs : {0u, 1500u}) {
        SCOPED_TRACE(GapWaitMs);
        TBurstingLine Bursting;
        Bursting.Line->Wait(100);  // into the first burst frame
        THartBurstListener Listener(*Bursting.Hart);
        int Seen = 0;
        Listener.OnFrame = [&](const THartBurstFrame&) { ++Seen; };
        THartDeviceResponse Reply;
        Listener.SendInGap(13, nullptr, 0, Reply, GapWaitMs);
        EXPECT_EQ(Reply.Command, 13);
        EXPECT_EQ(Reply.Delimiter, 0x86);
        EXPECT_EQ(Seen, GapWaitMs ? 1 : 0);
        Bursting.Hart->WriteBurstMode(false, GapWaitMs);
        EXPECT_FALSE(Bursting.Transmitter.BurstMode());
        EXPECT_FALSE(Listener.LineBursting(2000));
    }
}

}  // namespace
