#include "hart/HartEncoding.h"

#include "hart/RangeError.h"

#include <algorithm>
#include <bit>
#include <cstring>

// Reversing the wire order gives the host order only on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

namespace HartData {

void ReverseBytes(const uint8_t* Source, uint8_t* Target, bool Reverse, uint8_t Count)
{
    if (Count == 0)
        return;
    uint8_t Work[256];
    std::memcpy(Work, Source, Count);  // Source and Target may overlap
    for (unsigned i = 0; i < Count; ++i)
        Target[i] = Reverse ? Work[Count - 1 - i] : Work[i];
}

namespace {
char CodeToChar(uint8_t Code)
{
    // Codes 0x00..0x1F stand for '@'..'_', 0x20..0x3F for ' '..'?'.
    return static_cast<char>((Code & 0x20) ? Code : Code + 0x40);
}
}  // namespace

std::string UnpackASCII(const uint8_t* Source, uint8_t ByteCount)
{
    if (ByteCount > MaxUnpackBytes)
        throw ERangeError("UnpackASCII: more than 64 bytes");
    uint8_t Work[MaxUnpackBytes] = {};
    if (ByteCount)
        std::memcpy(Work, Source, ByteCount);
    std::string Text;
    const unsigned Groups = ByteCount / 3;
    Text.reserve(Groups * 4);
    for (unsigned g = 0; g < Groups; ++g) {
        const uint8_t b0 = Work[3 * g], b1 = Work[3 * g + 1], b2 = Work[3 * g + 2];
        Text += CodeToChar(b0 >> 2);
        Text += CodeToChar(static_cast<uint8_t>(((b0 & 0x03) << 4) | (b1 >> 4)));
        Text += CodeToChar(static_cast<uint8_t>(((b1 & 0x0F) << 2) | (b2 >> 6)));
        Text += CodeToChar(b2 & 0x3F);
    }
    return Text;
}

void PackASCII(const std::string& Text, uint8_t* Target, uint8_t CharCount)
{
    if (CharCount > MaxPackChars)
        throw ERangeError("PackASCII: more than 44 characters");
    char Work[64];
    std::memset(Work, ' ', sizeof Work);
    std::memcpy(Work, Text.data(), std::min<size_t>(Text.size(), CharCount));
    const unsigned Groups = CharCount / 4;
    for (unsigned g = 0; g < Groups; ++g) {
        const uint8_t k0 = static_cast<uint8_t>(Work[4 * g]), k1 = static_cast<uint8_t>(Work[4 * g + 1]);
        const uint8_t k2 = static_cast<uint8_t>(Work[4 * g + 2]), k3 = static_cast<uint8_t>(Work[4 * g + 3]);
        Target[3 * g] = static_cast<uint8_t>(((k0 & 0x3F) << 2) | ((k1 & 0x30) >> 4));
        Target[3 * g + 1] = static_cast<uint8_t>(((k1 & 0x0F) << 4) | ((k2 & 0x3C) >> 2));
        Target[3 * g + 2] = static_cast<uint8_t>(((k2 & 0x03) << 6) | (k3 & 0x3F));
    }
}

float FloatFromWire(const uint8_t* Wire)
{
    uint8_t Host[4];
    ReverseBytes(Wire, Host, true, 4);
    float Value;
    std::memcpy(&Value, Host, 4);
    return Value;
}

void FloatToWire(float Value, uint8_t* Wire)
{
    uint8_t Host[4];
    std::memcpy(Host, &Value, 4);
    ReverseBytes(Host, Wire, true, 4);
}

int32_t DeviceIdFromWire(const uint8_t* Wire)
{
    uint8_t Host[4] = {0, 0, 0, 0};
    ReverseBytes(Wire, Host, true, 3);
    int32_t Id;
    std::memcpy(&Id, Host, 4);
    return Id;
}

}  // namespace HartData
