// The release of a fixed loop current on every exit path, against the
// simulated transmitter: the normal end, Cancel, a refusal, an exception, the
// front end releasing every hold, and a link lost while the current is fixed.
#include <gtest/gtest.h>

#include "hart/DeviceStatus.h"
#include "hart/HartComError.h"
#include "sim/SimTransmitterPeer.h"
#include "transmitter/OutputStage.h"

#include <functional>

namespace {

// The line to the transmitter, which a case can cut.
class TCuttablePeer : public TSimPeer {
public:
    explicit TCuttablePeer(TSimTransmitter& Tx)
        : FInner(Tx)
    {
    }
    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) override
    {
        if (!Cut)
            FInner.OnMasterBytes(Line, Data, Count, EndUs);
    }
    bool Cut = false;

private:
    TSimTransmitterPeer FInner;
};

TSimFault Refusal(int Code)
{
    TSimFault fault;
    fault.ResponseCode = Code;
    return fault;
}

struct TLink {
    TSimTransmitter Tx;
    TCuttablePeer Peer {Tx};
    std::unique_ptr<THart> Hart;

    TLink()
    {
        auto line = std::make_unique<TSimSerialDevice>();
        line->SetPeer(&Peer);
        Hart = std::make_unique<THart>(std::move(line));
        Hart->OpenPort("COM1");
        THartDevInfo id;
        Hart->ReadUniqueIdentifier(id);
    }
};

// A meter that reads what the transmitter drives, or cancels at one step.
TOutputTrim::TReadMeter Meter(TSimTransmitter& Tx, std::optional<TTrimStep> CancelAt = {})
{
    return [&Tx, CancelAt](TTrimStep Step, double) -> std::optional<double> {
        if (CancelAt == Step)
            return std::nullopt;
        return Tx.MeterCurrent();
    };
}

}  // namespace

TEST(OutputHoldTest, TheFixedCurrentIsReleasedOnEveryExitPath)
{
    struct TCase {
        const char* Name;
        std::function<void(TLink&)> Run;
        const char* Key;  // of the error the path ends with, "" for none
        bool StillFixed;  // the transmitter holds the current afterwards
        int FailedReleases;  // told to the front end's failure handler
    };
    const std::vector<TCase> cases = {
        {"loop test moved, then released",
         [](TLink& L) {
             TFixedCurrent fixed(*L.Hart);
             fixed.Fix(4);
             fixed.Fix(20);
             EXPECT_DOUBLE_EQ(L.Tx.FixedCurrent(), 20.0);
             fixed.Release();
         },
         "", false, 0},
        {"loop test left by an exception",
         [](TLink& L) {
             TFixedCurrent fixed(*L.Hart);
             fixed.Fix(12);
             throw EHartComError("141.TRANSMITTERTIMEOUT");
         },
         "141.TRANSMITTERTIMEOUT", false, 0},
        {"a value the output cannot drive is refused before sending",
         [](TLink& L) { TFixedCurrent(*L.Hart).Fix(21.5); }, LoopCurrentRangeKey, false, 0},
        {"second value refused by the transmitter",
         [](TLink& L) {
             TFixedCurrent fixed(*L.Hart);
             fixed.Fix(12);
             L.Tx.QueueFault(Refusal(3));
             fixed.Fix(20);
         },
         "30.CURRENTTOOHIGH", false, 0},
        {"front end releases every hold (window closing, stop signal)",
         [](TLink& L) {
             TFixedCurrent fixed(*L.Hart);
             fixed.Fix(12);
             EXPECT_EQ(TOutputHold::ReleaseAllHolds(), 0);
             EXPECT_FALSE(fixed.Held());
             EXPECT_DOUBLE_EQ(L.Tx.FixedCurrent(), 0.0);
         },
         "", false, 0},
        {"output trim cancelled at the gain reading",
         [](TLink& L) { EXPECT_FALSE(TOutputTrim(*L.Hart).Run(Meter(L.Tx, TTrimStep::Gain)).Completed); }, "", false,
         0},
        {"output trim cancelled at a check reading",
         [](TLink& L) { EXPECT_FALSE(TOutputTrim(*L.Hart).Run(Meter(L.Tx, TTrimStep::CheckHigh)).Completed); }, "",
         false, 0},
        {"zero trim refused: wrong loop current mode",
         [](TLink& L) {
             L.Tx.SetCommandImplemented(45, true);
             TOutputTrim(*L.Hart).Run([&](TTrimStep, double) -> std::optional<double> {
                 L.Tx.QueueFault(Refusal(9));
                 return 4.0;
             });
         },
         "35.LOOPCURRENTMODE", false, 0},
        {"gain reading too far off",
         [](TLink& L) {
             TOutputTrim(*L.Hart).Run(
                 [](TTrimStep Step, double At) { return std::optional(Step == TTrimStep::Gain ? At - 1.5 : At); });
         },
         "34.TRIMTOOSMALL", false, 0},
        {"link lost while fixed: the release fails and is told",
         [](TLink& L) {
             TFixedCurrent fixed(*L.Hart);
             fixed.Fix(12);
             L.Peer.Cut = true;
         },
         "", true, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLink link;
        int failed = 0;
        TOutputHold::SetFailureHandler([&](THoldKind Kind, const std::string& Key) {
            EXPECT_EQ(Kind, THoldKind::FixedCurrent);
            EXPECT_FALSE(Key.empty());
            ++failed;
        });
        std::string key;
        try {
            c.Run(link);
        } catch (const EHartComError& e) {
            key = e.Message();
        }
        TOutputHold::SetFailureHandler(nullptr);
        EXPECT_EQ(key, c.Key);
        EXPECT_EQ(link.Tx.FixedCurrent() != 0.0, c.StillFixed);
        EXPECT_EQ(failed, c.FailedReleases);
        EXPECT_FALSE(TOutputHold::AnyHeld());
        // With the link back, the next read sees the current as the device has it.
        link.Peer.Cut = false;
        THartDevInfo id;
        link.Hart->ReadUniqueIdentifier(id);
        EXPECT_EQ((link.Hart->Response.Data[1] & LoopCurrentFixedBit) != 0, c.StillFixed);
    }
}
