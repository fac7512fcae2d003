// The universal commands a transmitter answers besides the tool's own set:
// 1 and 2 (primary variable; loop current and percent of range), 6 (polling
// address), 11 and 21 (identity by tag or long tag, sent to the broadcast
// address), 12 and 17 (message), 16 and 19 (final assembly number), and the
// long tag of HART 6 and 7 (20, 22). Command 0 grows with the revision.
#include "sim/SimTransmitter.h"

#include "sim/SimTransmitterCodes.h"
#include "sim/SimUnits.h"
#include "sim/SimWire.h"

#include <algorithm>

using namespace simcodes;
using namespace simwire;

namespace {

constexpr size_t LongTagBytes = 32;
constexpr size_t MessageChars = 32, MessageBytes = 24;
constexpr size_t TagBytes = 6;

std::vector<uint8_t> LongTagBytesOf(const std::string& Text)
{
    std::vector<uint8_t> Bytes(Text.begin(), Text.end());
    Bytes.resize(LongTagBytes, 0);  // NUL padded
    return Bytes;
}

}  // namespace

uint16_t TSimTransmitter::ExpandedDeviceType() const
{
    if (FState.UnivCmdRev >= 7 && FState.ExpandedDeviceType != 0)
        return FState.ExpandedDeviceType;
    return static_cast<uint16_t>((FState.Manufacturer << 8) | FState.DeviceType);
}

void TSimTransmitter::AppendIdentityExtension(std::vector<uint8_t>& Data) const
{
    if (FState.UnivCmdRev < 6)
        return;
    Data.push_back(FReplyPreambles);
    Data.push_back(4);  // device variables: pressure, temperature, ...
    Data.push_back(static_cast<uint8_t>(FState.ConfigChangeCounter >> 8));
    Data.push_back(static_cast<uint8_t>(FState.ConfigChangeCounter));
    Data.push_back(0);  // extended field device status
    if (FState.UnivCmdRev < 7)
        return;
    Data.push_back(0);  // manufacturer, two bytes
    Data.push_back(FState.Manufacturer);
    Data.push_back(0);  // private label distributor, two bytes
    Data.push_back(FState.PrivateLabel);
    Data.push_back(1);  // device profile: process automation device
}

// Commands 11 and 21 go to the broadcast address; only the device whose tag
// (long tag) matches takes them.
bool TSimTransmitter::BroadcastForMe() const
{
    const bool Broadcast
        = (FAddress[0] & 0x3F) == 0 && FAddress[1] == 0 && FAddress[2] == 0 && FAddress[3] == 0 && FAddress[4] == 0;
    if (!Broadcast)
        return false;
    if (FCommand == 11 && FData.size() >= TagBytes) {
        std::vector<uint8_t> Mine;
        PutPacked(Mine, FState.Tag, 8);
        return std::equal(Mine.begin(), Mine.end(), FData.begin());
    }
    if (FCommand == 21 && FState.UnivCmdRev >= 6 && FData.size() >= LongTagBytes)
        return std::equal(FData.begin(), FData.begin() + LongTagBytes, LongTagBytesOf(FState.LongTag).begin());
    return false;
}

bool TSimTransmitter::ExecuteUniversal(uint8_t Command, const std::vector<uint8_t>& Request, int64_t NowUs, TAnswer& A)
{
    const bool Hart6 = FState.UnivCmdRev >= 6;
    switch (Command) {
        case 1: {
            A.Data.push_back(FState.PvUnit);
            PutFloat(A.Data, static_cast<float>(PrimaryVariable(NowUs)));
            return true;
        }
        case 2: {
            const double PV = PrimaryVariable(NowUs);
            const double Span = static_cast<double>(FState.UpperRange) - FState.LowerRange;
            const double InRange = SimUnits::Convert(PV, FState.PvUnit, FState.RangeUnit);
            PutFloat(A.Data, static_cast<float>(LoopCurrent(PV)));
            PutFloat(A.Data, static_cast<float>(Span == 0 ? 0.0 : 100.0 * (InRange - FState.LowerRange) / Span));
            return true;
        }
        case 6: {
            if (Request.empty()) {
                A.Code = RcTooFewDataBytes;
                return true;
            }
            const uint8_t Address = Request[0];
            if (Address > (Hart6 ? 63 : 15)) {
                A.Code = RcInvalidSelection;
                return true;
            }
            // A HART 6 master that leaves the mode out gets HART 5's rule.
            const uint8_t Mode = Request.size() >= 2 ? Request[1] : (Address == 0 ? 1 : 0);
            if (Hart6 && Mode > 1) {
                A.Code = RcInvalidModeSelection;
                return true;
            }
            FState.PollingAddress = Address;
            A.Data.push_back(Address);
            if (Hart6) {
                FState.LoopCurrentEnabled = Mode == 1;
                A.Data.push_back(Mode);
            }
            return true;
        }
        case 11:
        case 21:
            if (Command == 21 && !Hart6)
                return false;
            A = ReadUniqueIdentifier();
            return true;
        case 12: PutPacked(A.Data, FState.Message, MessageChars); return true;
        case 16: Put24(A.Data, FState.FinalAssemblyNumber); return true;
        case 17:
            if (Request.size() < MessageBytes) {
                A.Code = RcTooFewDataBytes;
                return true;
            }
            FState.Message = GetPacked(Request.data(), MessageBytes);
            PutPacked(A.Data, FState.Message, MessageChars);
            return true;
        case 19:
            if (Request.size() < 3) {
                A.Code = RcTooFewDataBytes;
                return true;
            }
            FState.FinalAssemblyNumber = (uint32_t {Request[0]} << 16) | (uint32_t {Request[1]} << 8) | Request[2];
            Put24(A.Data, FState.FinalAssemblyNumber);
            return true;
        case 20:
            if (!Hart6)
                return false;
            A.Data = LongTagBytesOf(FState.LongTag);
            return true;
        case 22: {
            if (!Hart6)
                return false;
            if (Request.size() < LongTagBytes) {
                A.Code = RcTooFewDataBytes;
                return true;
            }
            const auto End = std::find(Request.begin(), Request.begin() + LongTagBytes, uint8_t {0});
            FState.LongTag.assign(Request.begin(), End);
            A.Data = LongTagBytesOf(FState.LongTag);
            return true;
        }
        default: return false;
    }
}
