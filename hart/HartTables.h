#pragma once
// Lookup tables of the command layer: pressure units, manufacturers, device types.
#include <cstdint>
#include <optional>
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

// Size of one unit of a pressure unit code in pascal; nothing for a code
// outside the unit table.
std::optional<double> PascalPerUnit(uint8_t Code);
// Value in unit From expressed in unit To; nothing when either code is not in
// the unit table.
std::optional<double> ConvertPressure(double Value, uint8_t From, uint8_t To);

}  // namespace HartTables
