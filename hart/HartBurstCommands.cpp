// Commands 108 and 109 of the command layer, and the burst frame of command 3.

#include "hart/HartBurst.h"
#include "hart/HartCommand.h"
#include "hart/HartEncoding.h"

namespace {

constexpr uint8_t CmdWriteBurstCommand = 108;
constexpr uint8_t CmdBurstMode = 109;
constexpr uint8_t CmdReadDynamicVariables = 3;
// Response code, device status, current, unit, PV.
constexpr uint8_t DynamicVariablesBytes = 2 + 4 + 1 + 4;

}  // namespace

void THart::WaitForBurstGap(uint32_t GapWaitMs)
{
    if (GapWaitMs == 0 || NetworkLink())
        return;
    // Whether a frame came or the line stayed quiet, now is the time to send.
    THartBurstListener Listener(*this);
    THartBurstFrame Frame;
    Listener.NextFrame(Frame, GapWaitMs, true);
}

int32_t THart::WriteBurstCommand(uint8_t Command, uint32_t GapWaitMs)
{
    WaitForBurstGap(GapWaitMs);
    return Execute(CmdWriteBurstCommand, &Command, 1);
}

int32_t THart::WriteBurstMode(bool On, uint32_t GapWaitMs)
{
    WaitForBurstGap(GapWaitMs);
    const uint8_t Mode = On ? 1 : 0;
    return Execute(CmdBurstMode, &Mode, 1);
}

bool THart::DecodeBurstDynamicVariables(const THartBurstFrame& Frame, float& Current, std::string& Unit, float& PV)
{
    if (Frame.Command != CmdReadDynamicVariables || Frame.ByteCount < DynamicVariablesBytes || Frame.Data[0] != 0)
        return false;
    Current = HartData::FloatFromWire(&Frame.Data[2]);
    Unit = GetUnitName(Frame.Data[6]);
    PV = HartData::FloatFromWire(&Frame.Data[7]);
    return true;
}
