// The release of burst mode on every exit path (rows for the table of
// TOutputHold's exit paths): whichever way a burst session ends, the last
// request is command 109 with 0 and the transmitter is out of burst mode; a
// release the link cannot carry goes to the failure handler.

#include <gtest/gtest.h>

#include <stdexcept>

#include "hart/HartCommand.h"
#include "sim/SimSerialDevice.h"
#include "sim/SimTransmitter.h"
#include "sim/SimTransmitterPeer.h"
#include "transmitter/BurstSession.h"

namespace {

enum class TExit { Stop, Exception, ReleaseAll, StartRefused, LinkGone };

TEST(BurstHold, EndsBurstModeOnEveryExitPath)
{
    const struct TRow {
        const char* Name;
        TExit Exit;
        bool BurstAfter;  // the transmitter still bursts
        int Failures;  // releases handed to the failure handler
        int Last109;  // data byte of the last command 109, -1: not looked at
    } Rows[] = {
        {"stop", TExit::Stop, false, 0, 0},
        {"an exception unwinds the recording", TExit::Exception, false, 0, 0},
        {"the front end releases every hold", TExit::ReleaseAll, false, 0, 0},
        {"the transmitter refuses burst mode: nothing to release", TExit::StartRefused, false, 0, 1},
        {"the link is gone at the release", TExit::LinkGone, true, 1, -1},
    };
    for (const TRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TSimTransmitter Transmitter;
        Transmitter.SetPacing(TSimPacing::Baud1200());
        auto Device = std::make_unique<TSimSerialDevice>();
        TSimSerialDevice& Line = *Device;
        Line.SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
        TSimTransmitterPeer Peer(Transmitter, Line);
        THart Hart(std::move(Device));
        ASSERT_TRUE(Hart.OpenPort("COM1"));
        THartDevInfo Identity;
        Hart.ReadUniqueIdentifier(Identity);
        int Failures = 0;
        TOutputHold::SetFailureHandler([&](THoldKind Kind, const std::string&) {
            EXPECT_EQ(Kind, THoldKind::Burst);
            ++Failures;
        });
        if (Row.Exit == TExit::StartRefused)
            Transmitter.SetCommandImplemented(109, false);
        try {
            TBurstSession Burst(Hart);
            TMonitoringSample Sample;
            int64_t LinkUs = 0;
            EXPECT_TRUE(Burst.NextSample(Sample, LinkUs, 2000));
            EXPECT_TRUE(TOutputHold::AnyHeld());
            switch (Row.Exit) {
                case TExit::Stop: Burst.Stop(); break;
                case TExit::Exception: throw std::runtime_error("a failure in the recording");
                case TExit::ReleaseAll: EXPECT_EQ(TOutputHold::ReleaseAllHolds(), 0); break;
                case TExit::LinkGone: Line.Unplug(Line.NowUs()); break;
                case TExit::StartRefused: break;
            }
        } catch (const EHartComError& Error) {
            EXPECT_EQ(Row.Exit, TExit::StartRefused) << Error.what();
        } catch (const std::runtime_error&) {
            EXPECT_EQ(Row.Exit, TExit::Exception);
        }
        EXPECT_FALSE(TOutputHold::AnyHeld());
        EXPECT_EQ(Transmitter.BurstMode(), Row.BurstAfter);
        EXPECT_EQ(Failures, Row.Failures);
        if (Row.Last109 >= 0) {
            EXPECT_EQ(Transmitter.Requests().back().Command, 109);
            EXPECT_EQ(Transmitter.Requests().back().Data, std::vector<uint8_t> {uint8_t(Row.Last109)});
        }
        TOutputHold::SetFailureHandler(nullptr);
    }
}

}  // namespace
