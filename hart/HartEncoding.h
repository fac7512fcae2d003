#pragma once
// Wire encodings of HART data: byte order, IEEE 754 floats, 6-bit packed ASCII.
// Multi-byte values travel most significant byte first.
#include <cstdint>
#include <string>

namespace HartData {

// Largest inputs the packed-ASCII conversions take (11 groups of 4 characters,
// 64 bytes of packed text); larger requests throw ERangeError.
inline constexpr unsigned MaxUnpackBytes = 64;
inline constexpr unsigned MaxPackChars = 44;

// Copies Count bytes from Source to Target, reversed when Reverse is set.
// Source and Target may be the same buffer.
void ReverseBytes(const uint8_t* Source, uint8_t* Target, bool Reverse, uint8_t Count);

// Text of 4 characters for every whole group of 3 bytes; leftover bytes are ignored.
std::string UnpackASCII(const uint8_t* Source, uint8_t ByteCount);

// The first CharCount characters of Text, padded with blanks, packed into 3 bytes
// per whole group of 4 characters.
void PackASCII(const std::string& Text, uint8_t* Target, uint8_t CharCount);

// 4 wire bytes (most significant first) to a float and back, bit for bit.
float FloatFromWire(const uint8_t* Wire);
void FloatToWire(float Value, uint8_t* Wire);

// 3 wire bytes, most significant first, to a 24-bit number.
int32_t DeviceIdFromWire(const uint8_t* Wire);

}  // namespace HartData
