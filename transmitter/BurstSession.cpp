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
    // The hold comes before command 109: when its reply is lost the device may
    // burst all the same, and turning burst off does no harm when it does not.
    FHold = std::make_unique<TOutputHold>(THoldKind::Burst, [&Hart] { Hart.WriteBurstMode(false, GapWaitMs); });
    FHart.WriteBurstMode(true, WaitMs);
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
