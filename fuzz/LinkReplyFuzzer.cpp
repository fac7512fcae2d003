// The reply side of one transaction: the input scripts what the simulated
// transmitter sends back (bytes, line-error flags, pauses) to one command of
// THart, which then runs its whole exchange and decodes the reply.
//
// Input: byte 0 chooses the command and the line's pace, byte 1 the link's
// checks and TimeOut; the rest is the reply. With bit 7 of byte 0 set the reply
// comes in pairs (byte, control): control bits 0..4 are line-error flags of
// that byte, bits 5..7 a pause before it in steps of 150 ms.
//
// Expected outcomes: the command returns, or raises EHartComError. Anything
// else is a finding, and so is an exchange that outlasts the bound a
// transaction promises (write, four read limits for the first byte, the
// hunt's bound, then the rest's own wire time plus the hunt's bound).

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "hart/HartCommand.h"
#include "sim/SimScriptedPeer.h"
#include "sim/SimSerialDevice.h"

namespace {

constexpr uint8_t Address[5] = {0x26, 0x06, 0x12, 0x34, 0x56};
constexpr uint32_t TimeOuts[4] = {500, 0, 100, 2000};

void RunCommand(THart& Hart, uint8_t Which)
{
    std::string Text, Text2;
    uint8_t Day = 1, Month = 1;
    uint16_t Year = 2000;
    float A = 1.0f, B = 0.0f, C = 0.0f;
    switch (Which % 12) {
        case 0: {
            THartDevInfo Info;
            Hart.ReadUniqueIdentifier(Info);
            break;
        }
        case 1: Hart.ReadTagDescriptorDate(Text, Text2, Day, Month, Year); break;
        case 2: {
            TSensorInfo Info;
            Hart.ReadSensorInfo(Info);
            break;
        }
        case 3: {
            TPrVarInfo Info;
            Hart.ReadPrVarInfo(Info);
            break;
        }
        case 4: Hart.ReadDynamicVariables(A, Text, B); break;
        case 5:
            Text = "TAG";
            Text2 = "DESC";
            Hart.WriteTagDescriptorDate(Text, Text2, Day, Month, Year);
            break;
        case 6: Hart.WriteDamping(A); break;
        case 7:
            Text = "bar";
            Hart.WriteRangeValues(Text, A, C);
            break;
        case 8: Hart.SetUpperRangeValue(); break;
        case 9: Hart.SetLowerRangeValue(); break;
        case 10: Hart.SetPVZero(); break;
        case 11:
            Text = "mbar";
            Hart.WritePVUnit(Text);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 2)
        return 0;
    const uint8_t Mode = Data[0];
    const uint8_t Checks = Data[1];
    const bool Paired = (Mode & 0x80) != 0;
    const bool Paced = (Mode & 0x40) != 0;

    TSimScriptedPeer Peer;
    auto Device = std::make_unique<TSimSerialDevice>();
    TSimSerialDevice& Line = *Device;
    Line.SetPeer(&Peer);
    Line.SetCharTimeUs(Paced ? TSimSerialDevice::CharTimeUs1200 : 0);
    THart Hart(std::move(Device));
    Hart.SetCheckCRC((Checks & 0x01) == 0);
    Hart.SetCheckLongAddress((Checks & 0x02) == 0);
    Hart.SetCheckCommError((Checks & 0x04) == 0);
    Hart.SetTimeOut(TimeOuts[(Checks >> 3) & 3]);
    Hart.OpenPort("COM1");
    if ((Mode & 0x0F) % 12 != 0) {
        Hart.SetLongAddress(Address);
        Hart.SetLongAddressValid(true);
    }

    TSimReply Reply;
    for (size_t I = 2; I < Size;) {
        if (Paired && I + 1 < Size) {
            Reply.Append(Data[I], Data[I + 1] & 0x1F, int64_t(Data[I + 1] >> 5) * 150000);
            I += 2;
        } else {
            Reply.Append(Data[I], 0);
            I += 1;
        }
    }
    Peer.AddReply(Reply);

    const int64_t StartUs = Line.NowUs();
    try {
        RunCommand(Hart, Mode & 0x0F);
    } catch (const EHartComError&) {
        // a declared outcome
    }
    // The longest exchange a transaction allows, worked out here on its own:
    // 1200 baud, 11 bits a character.
    const int64_t CharUs = 9167;
    const int64_t ReadLimitUs = (int64_t(Hart.TimeOut()) + 10) * 1000;
    const int64_t HuntUs = 4 * ReadLimitUs + 32 * CharUs;
    const int64_t WriteUs = Paced ? 40 * CharUs : 0;
    const int64_t BoundUs = WriteUs + 4 * ReadLimitUs + HuntUs + HuntUs + 263 * CharUs;
    if (Line.NowUs() - StartUs > BoundUs)
        std::abort();
    return 0;
}
