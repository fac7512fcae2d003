#pragma once
// TStatusRead: the health of a transmitter as both front ends read it, and the
// reset of its configuration-changed flag. A status read is command 0 (the
// identity, and the device status every reply carries), command 15 (the
// write-protect code) and command 48 (the additional device status); a
// transmitter that answers command 48 with "command not implemented" has no
// additional status, which is no failure. Every other failure passes through
// as EHartComError with its key. Progress and the English log lines go to the
// front end.

#include "hart/DeviceStatus.h"
#include "hart/HartCommand.h"
#include "transmitter/TransmitterFrontEnd.h"

class TStatusRead {
public:
    explicit TStatusRead(THart& Hart, TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent())
        : FHart(Hart)
        , FFrontEnd(FrontEnd)
    {
    }

    // Commands 0, 15 and 48; DevInfo gets the identity.
    TDeviceHealth Read(THartDevInfo& DevInfo);
    TDeviceHealth Read();
    // Command 48 alone, for a transmitter already identified; Health keeps
    // what it had when the transmitter does not implement the command.
    void ReadAdditional(TDeviceHealth& Health);
    // Command 38 to a transmitter already identified, then the status read
    // that shows whether the flag went.
    TDeviceHealth ResetConfigurationChanged();

private:
    void Step(const QString& Line);
    void Done();
    void TakeDeviceStatus(TDeviceHealth& Health) const;

    THart& FHart;
    TTransmitterFrontEnd& FFrontEnd;
};
