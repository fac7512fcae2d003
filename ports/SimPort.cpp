#include "ports/SimPort.h"

#include "sim/SimDeviceList.h"

TSimTransmitterLine::TSimTransmitterLine(TSimTransmitter& Transmitter)
    : FPeer(Transmitter, *this)
{
}

TSimTransmitterLine::TSimTransmitterLine(std::unique_ptr<TSimTransmitter> Transmitter)
    : FOwned(std::move(Transmitter))
    , FPeer(*FOwned, *this)
{
}

void ConfigureSimPort(TSimTransmitterLine& Line, const TSimPortOptions& Options)
{
    TSimTransmitter& transmitter = Line.Transmitter();
    if (!Options.Devices.empty())
        PutDevicesOnLine(transmitter, LoadDeviceList(Options.Devices, transmitter.State()));
    if (!Options.Instant) {
        transmitter.SetPacing(TSimPacing::Baud1200());
        Line.SetRealTime(true);
        Line.SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
    }
    if (Options.Drifting) {
        TSimSignal signal;
        signal.Shape = TSimSignalShape::Sine;
        signal.Level = 2.5;
        signal.Amplitude = 1.5;
        signal.PeriodS = 60.0;
        signal.Noise = 0.02;
        transmitter.SetSignal(signal);
    }
}
