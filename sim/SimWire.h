#pragma once
// The simulated transmitter's own wire encoders (defined in
// SimTransmitterCommands.cpp): IEEE floats and 24-bit numbers most
// significant byte first, packed ASCII. The master's encoders are never used.

#include <cstdint>
#include <string>
#include <vector>

namespace simwire {

void PutFloat(std::vector<uint8_t>& Out, float Value);
float GetFloat(const uint8_t* In);
void Put24(std::vector<uint8_t>& Out, uint32_t Value);
// Six bits per character, blank padded to Chars.
void PutPacked(std::vector<uint8_t>& Out, const std::string& Text, size_t Chars);
std::string GetPacked(const uint8_t* In, size_t Bytes);
bool IsWriteCommand(uint8_t Command);

}  // namespace simwire
