#pragma once
// Pressure units the simulated transmitter accepts, with their HART codes and
// their size in pascal. The transmitter keeps its own table rather than the
// master's, so a wrong code on one side shows up as a disagreement.
#include <cstdint>
#include <optional>
#include <string>

namespace SimUnits {

// Size of one unit in pascal, or nothing for a code the transmitter does not know.
std::optional<double> PascalPerUnit(uint8_t Code);
bool IsPressureUnit(uint8_t Code);
// Converts a value between two known units.
double Convert(double Value, uint8_t FromUnit, uint8_t ToUnit);
// The code of a unit name ("bar", "kPa", "inH2O", ...) or a decimal code; nothing if unknown.
std::optional<uint8_t> Parse(const std::string& Text);
// The unit's short name, or its code in decimal.
std::string Name(uint8_t Code);

}  // namespace SimUnits
