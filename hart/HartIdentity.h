#pragma once
// The identity a device sends in its reply to command 0 (and to command 11,
// which answers with the same data), for HART 5, 6 and 7 devices. HART 6
// appends the slave's preamble count, the number of device variables, the
// configuration change counter and the extended device status; HART 7 makes
// bytes 1 and 2 one expanded device type and appends two-byte manufacturer and
// distributor codes and the device profile. Only what the reply holds is
// decoded; the rest stays 0 and its Has... flag false.

#include <array>
#include <cstdint>

struct THartIdentity {
    uint8_t DataBytes = 0;  // reply data bytes that came (status bytes excluded)
    uint8_t UnivCmdRev = 0;  // universal command revision: the HART revision
    uint16_t ManufacturerCode = 0;  // HART 7: bytes 17-18; before: byte 1
    uint16_t DeviceTypeCode = 0;  // HART 7: the expanded device type, bytes 1-2; before: byte 2
    uint32_t DeviceId = 0;
    uint8_t Flags = 0;
    // HART 6 and later
    bool HasHart6Fields = false;
    uint8_t ReplyPreambles = 0;  // preambles the device sends
    uint8_t MaxDeviceVariables = 0;
    uint16_t ConfigChangeCounter = 0;
    uint8_t ExtendedStatus = 0;
    // HART 7 and later
    bool HasHart7Fields = false;
    uint16_t DistributorCode = 0;
    uint8_t DeviceProfile = 0;
    // The device's long address in frame order, master and burst bits clear.
    std::array<uint8_t, 5> LongAddress {};

    // Whether the device keeps a long tag (commands 20 and 22).
    bool HasLongTag() const { return UnivCmdRev >= 6; }
};

// Decodes Count reply data bytes (the bytes after the two status bytes).
THartIdentity DecodeIdentity(const uint8_t* Data, uint8_t Count);
