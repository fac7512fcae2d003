#pragma once
// Puts a TSimTransmitter behind the in-process simulated line: the bytes the
// master writes are fed to it with their arrival times on the line, and its
// answer is delivered byte by byte at the times the transmitter gives.

#include "sim/SimSerialDevice.h"
#include "sim/SimTransmitter.h"

class TSimTransmitterPeer : public TSimPeer {
public:
    explicit TSimTransmitterPeer(TSimTransmitter& Transmitter)
        : FTransmitter(Transmitter)
    {
    }
    // Attaches itself to Line as its peer.
    TSimTransmitterPeer(TSimTransmitter& Transmitter, TSimSerialDevice& Line)
        : FTransmitter(Transmitter)
    {
        Line.SetPeer(this);
    }

    TSimTransmitter& Transmitter() { return FTransmitter; }

    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) override;
    // Burst frames: those due by now, and while the line is quiet the next one
    // if it starts before UntilUs.
    void OnRead(TSimSerialDevice& Line, int64_t UntilUs) override;

private:
    TSimTransmitter& FTransmitter;
};
