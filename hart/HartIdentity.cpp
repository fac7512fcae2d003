#include "hart/HartIdentity.h"

namespace {

uint16_t Word(const uint8_t* Data, uint8_t Index)
{
    return uint16_t((Data[Index] << 8) | Data[Index + 1]);
}

constexpr uint8_t Hart5Bytes = 12, Hart6Bytes = 17, Hart7Bytes = 22;

}  // namespace

THartIdentity DecodeIdentity(const uint8_t* Data, uint8_t Count)
{
    THartIdentity Id;
    Id.DataBytes = Count;
    // Bytes beyond what came read as 0, as the reply record keeps them.
    uint8_t R[Hart7Bytes] = {};
    for (uint8_t I = 0; I < Count && I < Hart7Bytes; ++I)
        R[I] = Data[I];
    Id.UnivCmdRev = R[4];
    Id.ManufacturerCode = R[1];
    Id.DeviceTypeCode = R[2];
    Id.Flags = R[8];
    Id.DeviceId = (uint32_t(R[9]) << 16) | (uint32_t(R[10]) << 8) | R[11];
    // The unique address: the first byte without its master and burst bits
    // (HART 7: the expanded device type's top byte), then the device id.
    Id.LongAddress = {uint8_t(R[1] & 0x3F), R[2], R[9], R[10], R[11]};
    if (Count < Hart5Bytes)
        return Id;
    if (Id.UnivCmdRev >= 6 && Count >= Hart6Bytes) {
        Id.HasHart6Fields = true;
        Id.ReplyPreambles = R[12];
        Id.MaxDeviceVariables = R[13];
        Id.ConfigChangeCounter = Word(R, 14);
        Id.ExtendedStatus = R[16];
    }
    if (Id.UnivCmdRev >= 7 && Count >= Hart7Bytes) {
        Id.HasHart7Fields = true;
        Id.DeviceTypeCode = Word(R, 1);
        Id.ManufacturerCode = Word(R, 17);
        Id.DistributorCode = Word(R, 19);
        Id.DeviceProfile = R[21];
    }
    return Id;
}
