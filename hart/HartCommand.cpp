#include "hart/HartCommand.h"

#include <cstdio>
#include <cstring>

#include "hart/HartEncoding.h"
#include "hart/HartTables.h"
#include "hart/ResponseCodes.h"

namespace {

// Command numbers of the HART commands this layer sends.
enum : uint8_t {
    CmdReadUniqueIdentifier = 0,
    CmdReadDynamicVariables = 3,
    CmdReadTagDescriptorDate = 13,
    CmdReadSensorInfo = 14,
    CmdReadPrVarInfo = 15,
    CmdWriteTagDescriptorDate = 18,
    CmdWriteDamping = 34,
    CmdWriteRangeValues = 35,
    CmdSetUpperRangeValue = 36,
    CmdSetLowerRangeValue = 37,
    CmdSetPVZero = 43,
    CmdWritePVUnit = 44,
    CmdResetConfigurationChanged = 38,
    CmdReadAdditionalStatus = 48,
    CmdFixLoopCurrent = 40,
    CmdTrimLoopCurrentZero = 45,
    CmdTrimLoopCurrentGain = 46,
};

constexpr uint8_t TagBytes = 6, TagChars = 8;
constexpr uint8_t DescriptorBytes = 12, DescriptorChars = 16;
constexpr uint16_t FirstYear = 1900, LastYear = 1900 + 255;

std::string Decimal(unsigned Value)
{
    return std::to_string(Value);
}

std::string SoftwareRevText(uint8_t Rev)
{
    char Text[8];
    std::snprintf(Text, sizeof Text, "%X.%X", Rev >> 4, Rev & 0x0F);
    return Text;
}

// Devices with a software revision of 32 or more carry the serial number as the
// device identification; older ones code number, week and year into its bytes.
std::string SerialNrText(uint8_t SoftwareRev, const uint8_t* Id, int32_t DeviceId)
{
    char Text[32];
    if (SoftwareRev >= 32) {
        std::snprintf(Text, sizeof Text, "%7.7d", static_cast<int>(DeviceId));
        return Text;
    }
    static const char* const Years[16]
        = {"98", "99", "00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12", "13"};
    std::snprintf(Text, sizeof Text, "%2.2d%2.2d %2.2d ", Id[0], Id[1], Id[2] >> 4);
    return std::string(Text) + Years[Id[2] & 0x0F];
}

}  // namespace

THart::THart()
    : THartCom()
{
}

THart::THart(std::unique_ptr<TSerialDevice> Device)
    : THartCom(std::move(Device))
{
}

THart::~THart() = default;

// --- encodings and tables --------------------------------------------------------

void THart::ReverseBytes(const uint8_t* Source, uint8_t* Target, bool Reverse, uint8_t Count)
{
    HartData::ReverseBytes(Source, Target, Reverse, Count);
}

std::string THart::UnpackASCII(const uint8_t* Source, uint8_t ByteCount)
{
    return HartData::UnpackASCII(Source, ByteCount);
}

void THart::PackASCII(const std::string& Text, uint8_t* Target, uint8_t CharCount)
{
    HartData::PackASCII(Text, Target, CharCount);
}

uint8_t THart::GetUnitCode(const std::string& Name)
{
    return HartTables::UnitCode(Name);
}
std::string THart::GetUnitName(uint8_t Code)
{
    return HartTables::UnitName(Code);
}
std::string THart::GetManufacturerName(uint8_t Code)
{
    return HartTables::ManufacturerName(Code);
}
std::string THart::GetDeviceTypeName(uint8_t Code)
{
    return HartTables::DeviceTypeName(Code);
}

// --- the common sequence -----------------------------------------------------------

int32_t THart::Execute(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength)
{
    const int32_t Result = FPatient.Send(Command, RequestData, RequestLength, Response);
    Response.ResponseMessage = HartResponse::Key(Command, Response.Data[0]);
    if (Response.Data[0] != 0)
        throw EHartComError(Response.ResponseMessage);
    return Result;
}

float THart::ReplyFloat(size_t k) const
{
    return HartData::FloatFromWire(ReplyData(k));
}

void THart::DecodeTagDescriptorDate(std::string& Tag, std::string& Descriptor, uint8_t& Day, uint8_t& Month,
                                    uint16_t& Year) const
{
    Tag = UnpackASCII(ReplyData(0), TagBytes);
    Descriptor = UnpackASCII(ReplyData(TagBytes), DescriptorBytes);
    Day = *ReplyData(18);
    Month = *ReplyData(19);
    Year = static_cast<uint16_t>(FirstYear + *ReplyData(20));
}

// --- identity and description ----------------------------------------------------------

int32_t THart::ReadUniqueIdentifier(THartDevInfo& Info)
{
    ClearLongAddress();
    Info = THartDevInfo {};
    FIdentity = THartIdentity {};
    const int32_t Result = Execute(CmdReadUniqueIdentifier, nullptr, 0);

    FillDevInfo(Info);
    return Result;
}

void THart::FillDevInfo(THartDevInfo& Info)
{
    const uint8_t* R = ReplyData();
    const uint8_t DataBytes = Response.ByteCount >= 2 ? uint8_t(Response.ByteCount - 2) : 0;
    FIdentity = DecodeIdentity(R, DataBytes);
    // The long address carries the manufacturer code (HART 7: the expanded
    // device type) without its master and burst bits.
    SetLongAddress(FIdentity.LongAddress.data());
    SetLongAddressValid(true);

    // HART 7 names the manufacturer with two bytes of its own; the maker's
    // device types are the low byte of the expanded type.
    const THartIdentity& Id = FIdentity;
    Info.Manufacturer = Id.ManufacturerCode <= 0xFF ? GetManufacturerName(uint8_t(Id.ManufacturerCode)) : "unknown";
    Info.DeviceType = GetDeviceTypeName(uint8_t(Id.DeviceTypeCode & 0xFF));
    Info.MinPreambles = R[3];
    Info.UnivCmdRev = Decimal(R[4]);
    Info.DeviceRev = Decimal(R[5]);
    Info.SoftwareRev = SoftwareRevText(R[6]);
    Info.HardwareRev = Decimal(R[7] >> 3);
    Info.DeviceId = HartData::DeviceIdFromWire(&R[9]);
    Info.SerialNr = SerialNrText(R[6], &R[9], Info.DeviceId);
}

int32_t THart::ReadTagDescriptorDate(std::string& Tag, std::string& Descriptor, uint8_t& Day, uint8_t& Month,
                                     uint16_t& Year)
{
    const int32_t Result = Execute(CmdReadTagDescriptorDate, nullptr, 0);
    DecodeTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
    return Result;
}

int32_t THart::ReadSensorInfo(TSensorInfo& Info)
{
    const int32_t Result = Execute(CmdReadSensorInfo, nullptr, 0);
    const uint8_t* R = ReplyData();
    std::memcpy(Info.SensorSerial, R, 3);
    Info.Unit = GetUnitName(R[3]);
    Info.UpperLimit = ReplyFloat(4);
    Info.LowerLimit = ReplyFloat(8);
    Info.MinSpan = ReplyFloat(12);
    return Result;
}

int32_t THart::ReadPrVarInfo(TPrVarInfo& Info)
{
    const int32_t Result = Execute(CmdReadPrVarInfo, nullptr, 0);
    const uint8_t* R = ReplyData();
    Info.AlarmSelect = R[0];
    Info.TransferFunction = R[1];
    Info.Unit = GetUnitName(R[2]);
    Info.UpperRange = ReplyFloat(3);
    Info.LowerRange = ReplyFloat(7);
    Info.Damping = ReplyFloat(11);
    Info.WriteProtect = R[15];
    Info.PrivateLabel = R[16];
    return Result;
}

// --- configuration ---------------------------------------------------------------------

int32_t THart::WriteTagDescriptorDate(std::string& Tag, std::string& Descriptor, uint8_t& Day, uint8_t& Month,
                                      uint16_t& Year)
{
    if (Year < FirstYear || Year > LastYear)
        throw ERangeError("Range check error");
    uint8_t Request[21];
    PackASCII(Tag, &Request[0], TagChars);
    PackASCII(Descriptor, &Request[TagBytes], DescriptorChars);
    Request[18] = Day;
    Request[19] = Month;
    Request[20] = static_cast<uint8_t>(Year - FirstYear);
    const int32_t Result = Execute(CmdWriteTagDescriptorDate, Request, sizeof Request);
    DecodeTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
    return Result;
}

int32_t THart::WriteDamping(float& Damping)
{
    uint8_t Request[4];
    HartData::FloatToWire(Damping, Request);
    const int32_t Result = Execute(CmdWriteDamping, Request, sizeof Request);
    Damping = ReplyFloat(0);
    return Result;
}

int32_t THart::WriteRangeValues(std::string& Unit, float& Upper, float& Lower)
{
    uint8_t Request[9];
    Request[0] = GetUnitCode(Unit);
    HartData::FloatToWire(Upper, &Request[1]);
    HartData::FloatToWire(Lower, &Request[5]);
    const int32_t Result = Execute(CmdWriteRangeValues, Request, sizeof Request);
    Unit = GetUnitName(*ReplyData(0));
    Upper = ReplyFloat(1);
    Lower = ReplyFloat(5);
    return Result;
}

int32_t THart::SetUpperRangeValue()
{
    return Execute(CmdSetUpperRangeValue, nullptr, 0);
}

int32_t THart::SetLowerRangeValue()
{
    return Execute(CmdSetLowerRangeValue, nullptr, 0);
}

int32_t THart::SetPVZero()
{
    return Execute(CmdSetPVZero, nullptr, 0);
}

int32_t THart::WritePVUnit(std::string& Unit)
{
    const uint8_t Request[1] = {GetUnitCode(Unit)};
    const int32_t Result = Execute(CmdWritePVUnit, Request, sizeof Request);
    Unit = GetUnitName(*ReplyData(0));
    return Result;
}

// --- measurement -----------------------------------------------------------------------

int32_t THart::ReadDynamicVariables(float& Current, std::string& Unit, float& PV)
{
    const int32_t Result = Execute(CmdReadDynamicVariables, nullptr, 0);
    Current = ReplyFloat(0);
    Unit = GetUnitName(*ReplyData(4));
    PV = ReplyFloat(5);
    return Result;
}

// --- device status ---------------------------------------------------------------------

int32_t THart::ResetConfigurationChangedFlag()
{
    return Execute(CmdResetConfigurationChanged, nullptr, 0);
}

int32_t THart::ReadAdditionalDeviceStatus(std::vector<uint8_t>& Bytes)
{
    const int32_t Result = Execute(CmdReadAdditionalStatus, nullptr, 0);
    // The byte count includes the two status bytes.
    const size_t count = Response.ByteCount >= 2 ? Response.ByteCount - 2u : 0u;
    Bytes.assign(ReplyData(0), ReplyData(0) + count);
    return Result;
}

// --- output stage ----------------------------------------------------------------------

// Commands 40, 45 and 46 send one current in mA and answer with the value taken.
int32_t THart::ExchangeCurrent(uint8_t Command, float& Current)
{
    uint8_t Request[4];
    HartData::FloatToWire(Current, Request);
    const int32_t Result = Execute(Command, Request, sizeof Request);
    Current = ReplyFloat(0);
    return Result;
}

int32_t THart::FixLoopCurrent(float& Current)
{
    return ExchangeCurrent(CmdFixLoopCurrent, Current);
}

int32_t THart::TrimLoopCurrentZero(float& Measured)
{
    return ExchangeCurrent(CmdTrimLoopCurrentZero, Measured);
}

int32_t THart::TrimLoopCurrentGain(float& Measured)
{
    return ExchangeCurrent(CmdTrimLoopCurrentGain, Measured);
}
