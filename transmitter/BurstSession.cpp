#include "transmitter/BurstSession.h"

#include "hart/HartCommand.h"

namespace {

constexpr uint8_t PublishDynamicVariables = 3;

}  // namespace

TBurstSession::TBurstSession(THart& Hart, bool FoundBursting)
    : FHart(Hart)
    , FListener(Hart)
{
    const uint32_t WaitMs = FoundBursting ? GapWaitMs : 0;
    FHart.WriteBurstCommand(PublishDynamicVariables, WaitMs);
    auto Release = [&Hart] { Hart.WriteBurstMode(false, GapWaitMs); };
    try {
        FHart.WriteBurstMode(true, WaitMs);
    } catch (const EHartComError&) {
        // A transmitter that answered with an error did not start bursting; one
        // whose answer was lost may have, and is told to stop as this unwinds.
        if (FHart.Response.ResponseMessage.empty()) {
            const TOutputHold Unsure(THoldKind::Burst, Release);
        }
        throw;
    }
    FHold = std::make_unique<TOutputHold>(THoldKind::Burst, Release);
}

TBurstSession::~TBurstSession() = default;  // the hold releases when still held

bool TBurstSession::NextSample(TMonitoringSample& Sample, int64_t& LinkUs, uint32_t WaitMs)
{
    const int64_t DeadlineUs = FHart.NowUs() + int64_t(WaitMs) * 1000;
    THartBurstFrame Frame;
    for (;;) {
        const int64_t LeftUs = DeadlineUs - FHart.NowUs();
        if (LeftUs <= 0 || !FListener.NextFrame(Frame, uint32_t((LeftUs + 999) / 1000)))
            return false;
        std::string Unit;
        if (!THart::DecodeBurstDynamicVariables(Frame, Sample.Current, Unit, Sample.Pressure))
            continue;
        Sample.Unit = QString::fromStdString(Unit);
        Sample.Time = QDateTime::currentDateTime();
        LinkUs = Frame.EndUs;
        return true;
    }
}

void TBurstSession::Stop()
{
    if (FHold)
        FHold->Release();
}

bool TBurstSession::FoundBursting(THart& Hart, uint32_t WaitMs)
{
    if (Hart.NetworkLink())
        return false;
    THartBurstListener Listener(Hart);
    return Listener.LineBursting(WaitMs);
}
