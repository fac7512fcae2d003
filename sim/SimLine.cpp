// Several transmitters on one line, and the answers that ask the master for
// patience: busy, and the delayed-response sequence.
#include "sim/SimTransmitter.h"

#include "sim/SimTransmitterCodes.h"

using namespace simcodes;

// --- the line ----------------------------------------------------------------------------

std::vector<TSimOutByte> TSimTransmitter::Feed(uint8_t Byte, int64_t ArrivalUs)
{
    // Every device on the line hears every byte; at most one is addressed.
    std::vector<TSimOutByte> Out = FeedOwn(Byte, ArrivalUs);
    for (const auto& Device : FLineDevices) {
        std::vector<TSimOutByte> More = Device->Feed(Byte, ArrivalUs);
        Out.insert(Out.end(), More.begin(), More.end());
    }
    return Out;
}

TSimTransmitter& TSimTransmitter::AddLineDevice(const TSimDeviceState& State)
{
    auto Device = std::make_unique<TSimTransmitter>(State, FSignal);
    Device->SetPacing(FPacing);
    Device->SetReplyPreambles(FReplyPreambles);
    Device->SetGapLimitUs(FGapLimitUs);
    FLineDevices.push_back(std::move(Device));
    return *FLineDevices.back();
}

std::vector<TSimTransmitter*> TSimTransmitter::LineDevices() const
{
    std::vector<TSimTransmitter*> Devices;
    for (const auto& Device : FLineDevices)
        Devices.push_back(Device.get());
    return Devices;
}

void TSimTransmitter::SetPacing(const TSimPacing& Pacing)
{
    FPacing = Pacing;
    for (const auto& Device : FLineDevices)
        Device->SetPacing(Pacing);
}

bool TSimTransmitter::LoopCurrentFixed() const
{
    // HART 5 ties the current to the address; HART 6 and 7 keep a mode of its own.
    return FState.UnivCmdRev >= 6 ? !FState.LoopCurrentEnabled : FState.PollingAddress != 0;
}

// --- patience ------------------------------------------------------------------------------

void TSimTransmitter::StartDelayedResponse(int64_t RunUs, bool Dies)
{
    FDelayed = TDelayed {};
    FDelayed.Pending = true;
    FDelayed.RunUs = RunUs;
    FDelayed.Dies = Dies;
}

TSimTransmitter::TAnswer TSimTransmitter::ExecutePatiently(uint8_t Command, const std::vector<uint8_t>& Request,
                                                           int64_t NowUs)
{
    if (FBusyLeft > 0) {
        --FBusyLeft;
        return {RcBusy, {}};
    }
    if (FDelayed.Pending) {
        // The request is taken on and worked on in the background.
        FDelayed.Pending = false;
        FDelayed.Running = true;
        FDelayed.Command = Command;
        FDelayed.Request = Request;
        FDelayed.DoneUs = NowUs + FDelayed.RunUs;
        return {RcDelayedInitiated, {}};
    }
    if (FDelayed.Running) {
        if (Command != FDelayed.Command || Request != FDelayed.Request)
            return {RcBusy, {}};  // still working on another request
        if (NowUs < FDelayed.DoneUs)
            return {RcDelayedRunning, {}};
        FDelayed.Running = false;
        if (FDelayed.Dies)
            return {RcDelayedDead, {}};
    }
    return Execute(Command, Request, NowUs);
}
