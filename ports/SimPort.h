#pragma once
// The simulated transmitter "SIM" that both front ends offer as a port: a
// simulated line with a transmitter behind it, wired here once.

#include "sim/SimSerialDevice.h"
#include "sim/SimTransmitter.h"
#include "sim/SimTransmitterPeer.h"

#include <memory>
#include <string>

inline const std::string SimPortName = "SIM";

// A simulated line with a transmitter behind it; the transmitter is owned or
// borrowed (tests and the demo look at its state).
class TSimTransmitterLine : public TSimSerialDevice {
public:
    explicit TSimTransmitterLine(TSimTransmitter& Transmitter);
    explicit TSimTransmitterLine(std::unique_ptr<TSimTransmitter> Transmitter);

    TSimTransmitter& Transmitter() { return FPeer.Transmitter(); }

private:
    std::unique_ptr<TSimTransmitter> FOwned;
    TSimTransmitterPeer FPeer;
};

struct TSimPortOptions {
    // Answers at once on a virtual clock, for scripts and tests that should
    // not wait; otherwise at the pace of a 1200-baud line in real time.
    bool Instant = false;
    // A pressure drifting slowly around 2.5 bar with a little noise, so that
    // charts show a curve; otherwise the transmitter's steady default.
    bool Drifting = false;
    // More transmitters on the line: a number or a description file
    // (sim/SimDeviceList.h); empty: the one transmitter at address 0.
    std::string Devices;
};

// Sets Line and its transmitter up as the port "SIM". A device list that
// cannot be used throws std::invalid_argument or std::runtime_error.
void ConfigureSimPort(TSimTransmitterLine& Line, const TSimPortOptions& Options);
