// The simulated line itself: its clock, read deadlines, the pace of a 1200-baud
// line, purging, recording, and the faults it injects.

#include <gtest/gtest.h>

#include <vector>

#include "sim/SimScriptedPeer.h"
#include "sim/SimSerialDevice.h"

namespace {

using TBytes = std::vector<uint8_t>;

TSerialTimeouts Timeouts(uint32_t ConstantMs)
{
    TSerialTimeouts T;
    T.ReadConstantMs = ConstantMs;
    return T;
}

struct TOpenLine {
    TSimSerialDevice Line;
    TSimScriptedPeer Peer;
    TOpenLine()
    {
        Line.SetPeer(&Peer);
        EXPECT_EQ(Line.Open("SIM"), TSerialOpenResult::Ok);
        Line.SetTimeouts(Timeouts(500));
    }
    TBytes Read(size_t Count, bool* Ok = nullptr)
    {
        TBytes Buffer(Count);
        const TSerialIoResult R = Line.Read(Buffer.data(), Count);
        Buffer.resize(R.Count);
        if (Ok != nullptr)
            *Ok = R.Ok;
        return Buffer;
    }
};

TEST(SimSerialDevice, ReadWaitsForArrivalOrDeadline)
{
    struct TCase {
        const char* Name;
        std::vector<std::pair<uint8_t, int64_t>> Arrivals;  // byte, arrival in us
        size_t Count;
        TBytes Expected;
        int64_t ClockAfterUs;
    } Cases[] = {
        {"nothing: one byte's limit", {}, 1, {}, 510'000},
        {"nothing: three bytes' limit", {}, 3, {}, 530'000},
        {"byte already there", {{7, 0}}, 1, {7}, 0},
        {"byte arrives later", {{7, 200'000}}, 1, {7}, 200'000},
        {"byte arrives too late", {{7, 600'000}}, 1, {}, 510'000},
        {"part of the bytes in time", {{1, 100}, {2, 520'000}, {3, 540'000}}, 3, {1, 2}, 530'000},
        {"delivered out of order", {{2, 300}, {1, 100}}, 2, {1, 2}, 300},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TOpenLine L;
        for (auto [Byte, At] : C.Arrivals)
            L.Line.Deliver(Byte, At);
        bool Ok = false;
        EXPECT_EQ(L.Read(C.Count, &Ok), C.Expected);
        EXPECT_TRUE(Ok);
        EXPECT_EQ(L.Line.NowUs(), C.ClockAfterUs);
    }
}

TEST(SimSerialDevice, WriteTakesTheLinesTimeAndReachesThePeer)
{
    TOpenLine L;
    L.Line.SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
    L.Peer.AddReply({0xAA, 0xBB});
    const uint8_t Request[] = {1, 2, 3};
    const TSerialIoResult W = L.Line.Write(Request, 3);
    EXPECT_TRUE(W.Ok);
    EXPECT_EQ(W.Count, 3u);
    EXPECT_EQ(L.Line.NowUs(), 3 * TSimSerialDevice::CharTimeUs1200);
    ASSERT_EQ(L.Peer.Requests().size(), 1u);
    EXPECT_EQ(L.Peer.Requests()[0], (TBytes {1, 2, 3}));
    // The answer follows at one character per character time.
    EXPECT_EQ(L.Read(1), (TBytes {0xAA}));
    EXPECT_EQ(L.Line.NowUs(), 4 * TSimSerialDevice::CharTimeUs1200);
    EXPECT_EQ(L.Read(1), (TBytes {0xBB}));
    EXPECT_EQ(L.Line.NowUs(), 5 * TSimSerialDevice::CharTimeUs1200);
    EXPECT_EQ(L.Line.Written(), (TBytes {1, 2, 3}));
}

TEST(SimSerialDevice, ScriptedReplyDelayAndGaps)
{
    TOpenLine L;
    TSimReply Reply;
    Reply.DelayUs = 1000;
    Reply.Append(1, 0).Append(2, 0, 5000);
    L.Peer.AddReply(Reply);
    L.Peer.SetDefaultReply(TSimReply {9});
    const uint8_t X = 0;
    L.Line.Write(&X, 1);
    EXPECT_EQ(L.Read(1), (TBytes {1}));
    EXPECT_EQ(L.Line.NowUs(), 1000);
    EXPECT_EQ(L.Read(1), (TBytes {2}));
    EXPECT_EQ(L.Line.NowUs(), 6000);
    L.Line.Write(&X, 1);
    L.Line.Write(&X, 1);
    EXPECT_EQ(L.Read(2), (TBytes {9, 9}));
}

TEST(SimSerialDevice, PurgeDropsArrivedBytesOnly)
{
    TOpenLine L;
    L.Line.Deliver(1, 0);
    L.Line.Deliver(2, 1000);
    L.Line.Clock().AdvanceTo(500);
    EXPECT_TRUE(L.Line.Purge());
    EXPECT_EQ(L.Peer.PurgeCount(), 1);
    EXPECT_EQ(L.Read(2), (TBytes {2}));
}

TEST(SimSerialDevice, LineErrorsComeWithTheirByteAndAreClearedWhenTaken)
{
    TOpenLine L;
    L.Line.Deliver(1, 0);
    L.Line.Deliver(2, 10, SerialErrFrame);
    L.Line.Deliver(3, 20, SerialErrParity | SerialErrOverrun);
    EXPECT_EQ(L.Read(1), (TBytes {1}));
    EXPECT_EQ(L.Line.TakeLineErrors(), 0u);
    EXPECT_EQ(L.Read(2), (TBytes {2, 3}));
    EXPECT_EQ(L.Line.TakeLineErrors(), uint32_t(SerialErrFrame | SerialErrParity | SerialErrOverrun));
    EXPECT_EQ(L.Line.TakeLineErrors(), 0u);
}

TEST(SimSerialDevice, ReadFaults)
{
    TOpenLine L;
    L.Line.Deliver(1, 0);
    L.Line.Deliver(2, 0);
    L.Line.AddReadFault(TSimReadFault::Timeout);
    L.Line.AddReadFault(TSimReadFault::Fail);
    bool Ok = true;
    EXPECT_EQ(L.Read(1, &Ok), TBytes {});  // time-out although a byte is there
    EXPECT_TRUE(Ok);
    EXPECT_EQ(L.Line.NowUs(), 510'000);
    EXPECT_EQ(L.Read(1, &Ok), (TBytes {1}));  // failed call, with what had arrived
    EXPECT_FALSE(Ok);
    EXPECT_EQ(L.Read(1, &Ok), (TBytes {2}));
    EXPECT_TRUE(Ok);
}

TEST(SimSerialDevice, PartialWrite)
{
    TOpenLine L;
    L.Line.FailNextWrite(2);
    const uint8_t Data[] = {1, 2, 3, 4};
    const TSerialIoResult W = L.Line.Write(Data, 4);
    EXPECT_FALSE(W.Ok);
    EXPECT_EQ(W.Count, 2u);
    ASSERT_EQ(L.Peer.Requests().size(), 1u);
    EXPECT_EQ(L.Peer.Requests()[0], (TBytes {1, 2}));
    EXPECT_TRUE(L.Line.Write(Data, 4).Ok);
    EXPECT_EQ(L.Line.Written(), (TBytes {1, 2, 1, 2, 3, 4}));
}

TEST(SimSerialDevice, OpenOutcomesAndRefusedOperations)
{
    for (TSerialOpenResult R :
         {TSerialOpenResult::NotFound, TSerialOpenResult::AccessDenied, TSerialOpenResult::OtherError}) {
        TSimSerialDevice Line;
        Line.SetOpenResult(R);
        EXPECT_EQ(Line.Open("X"), R);
        EXPECT_FALSE(Line.IsOpen());
        EXPECT_EQ(Line.Handle(), SerialInvalidHandle);
    }
    TSimSerialDevice Line;
    ASSERT_EQ(Line.Open("X"), TSerialOpenResult::Ok);
    EXPECT_EQ(Line.Open("X"), TSerialOpenResult::AccessDenied);  // already in use
    Line.SetOpFails(TSimOp::SetRts, true);
    EXPECT_FALSE(Line.SetRts(true));
    EXPECT_FALSE(Line.Rts());
    Line.SetOpFails(TSimOp::SetRts, false);
    EXPECT_TRUE(Line.SetRts(true));
    Line.Close();
    EXPECT_FALSE(Line.SetDtr(true));  // nothing works on a closed port
    uint8_t B = 0;
    EXPECT_FALSE(Line.Read(&B, 1).Ok);
}

TEST(SimSerialDevice, RecordsLineLevelsOverTime)
{
    TOpenLine L;
    L.Line.ClearEvents();
    L.Line.SetDtr(true);
    L.Line.SetRts(true);
    L.Line.Wait(20);
    L.Line.SetRts(false);
    L.Line.Purge();
    EXPECT_EQ(L.Line.EventTrace(), "DTR+ RTS+ RTS- PURGE");
    const auto& E = L.Line.Events();
    EXPECT_EQ(E[2].Us - E[1].Us, 20'000);
    EXPECT_FALSE(E[2].Level);
    EXPECT_TRUE(L.Line.Dtr());

    L.Line.SetRecording(false);  // levels are still kept, nothing is recorded
    const uint8_t Byte = 1;
    L.Line.Write(&Byte, 1);
    L.Line.SetRts(true);
    EXPECT_EQ(L.Line.Events().size(), 4u);
    EXPECT_TRUE(L.Line.Written().empty());
    EXPECT_TRUE(L.Line.Rts());
}

}  // namespace
