#pragma once
// Lookup tables of the command layer: pressure units, manufacturers, device types.
#include <cstdint>
#include <string>

namespace HartTables {

// HART unit code of a unit name (exact, case-sensitive); 255 when not in the table.
uint8_t UnitCode(const std::string& Name);
// Unit name of a code; "unknown" when not in the table.
std::string UnitName(uint8_t Code);
// Manufacturer name of a HART manufacturer identification code; "unknown" otherwise.
std::string ManufacturerName(uint8_t Code);
// Model name of a device type code; "unknown" otherwise.
std::string DeviceTypeName(uint8_t Code);

inline constexpr uint8_t UnknownUnitCode = 255;

}  // namespace HartTables
