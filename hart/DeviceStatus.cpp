#include "hart/DeviceStatus.h"

#include <algorithm>

namespace DeviceStatus {

namespace {

// Positions in command 48's reply.
constexpr size_t ExtendedStatusByte = 6;
constexpr size_t StandardizedStatus0Byte = 8;
constexpr size_t ChannelSaturatedByte = 10;
constexpr size_t ChannelFixedByte = 13;

// Device status bits of the NE 107 classes.
constexpr uint8_t Malfunction = 0x80, ColdStart = 0x20, CurrentFixed = 0x08, CurrentSaturated = 0x04,
                  NonPvOutOfLimits = 0x02, PvOutOfLimits = 0x01;
// Extended device status bits of the NE 107 classes.
constexpr uint8_t MaintenanceRequired = 0x01, VariableAlert = 0x02, PowerFailure = 0x04;

// Text with %1 (and %2) replaced by the numbers.
std::string Filled(std::string Text, const std::vector<int>& Args)
{
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string mark = "%" + std::to_string(i + 1);
        const size_t at = Text.find(mark);
        if (at != std::string::npos)
            Text.replace(at, mark.size(), std::to_string(Args[i]));
    }
    return Text;
}

TStatusWord Word(const char* Key, const char* Text, std::vector<int> Args = {})
{
    return {Key, Filled(Text, Args), std::move(Args)};
}

template <size_t N> const TStatusBitName* Named(const TStatusBitName (&Names)[N], uint8_t Mask)
{
    for (const TStatusBitName& name : Names)
        if (name.Mask == Mask)
            return &name;
    return nullptr;
}

// The named bits of a byte from its table; a set bit without a name by its
// byte and bit number.
template <size_t N>
void AddBits(std::vector<TStatusWord>& Words, uint8_t Byte, int Position, const TStatusBitName (&Names)[N])
{
    for (int bit = 0; bit < 8; ++bit) {
        const uint8_t mask = uint8_t(1u << bit);
        if (!(Byte & mask))
            continue;
        if (const TStatusBitName* name = Named(Names, mask))
            Words.push_back(Word(name->Key, name->Text));
        else
            Words.push_back(Word(StatusByteBitKey, StatusByteBitText, {Position, bit}));
    }
}

void AddChannels(std::vector<TStatusWord>& Words, uint8_t Byte, const char* Key, const char* Text)
{
    for (int bit = 0; bit < 8; ++bit)
        if (Byte & (1u << bit))
            Words.push_back(Word(Key, Text, {bit + 1}));
}

constexpr TStatusBitName NoNames[] = {{0, "", ""}};

}  // namespace

std::vector<TStatusWord> DeviceStatusWords(uint8_t Status)
{
    std::vector<TStatusWord> words;
    for (const TStatusBitName& name : DeviceStatusBits)
        if (Status & name.Mask)
            words.push_back(Word(name.Key, name.Text));
    return words;
}

std::vector<TStatusWord> AdditionalStatusWords(const std::vector<uint8_t>& Bytes)
{
    std::vector<TStatusWord> words;
    for (size_t i = 0; i < Bytes.size(); ++i) {
        const int position = int(i);
        switch (i) {
            case ExtendedStatusByte: AddBits(words, Bytes[i], position, ExtendedStatusBits); break;
            case StandardizedStatus0Byte: AddBits(words, Bytes[i], position, StandardizedStatus0Bits); break;
            case ChannelSaturatedByte: AddChannels(words, Bytes[i], ChannelSaturatedKey, ChannelSaturatedText); break;
            case ChannelFixedByte: AddChannels(words, Bytes[i], ChannelFixedKey, ChannelFixedText); break;
            default: AddBits(words, Bytes[i], position, NoNames); break;
        }
    }
    return words;
}

TStatusWord WriteProtectWord(uint8_t Code)
{
    if (const TStatusBitName* name = Named(WriteProtectCodes, Code))
        return Word(name->Key, name->Text);
    return Word(WriteProtectOtherKey, WriteProtectOtherText, {Code});
}

// Which bit goes where:
//   Failure               device malfunction (0x80), critical power failure (byte 6, 0x04)
//   Function check        loop current fixed (0x08), cold start (0x20)
//   Out of specification  primary variable out of limits (0x01), non-primary
//                         variable out of limits (0x02), loop current saturated
//                         (0x04), device variable alert (byte 6, 0x02)
//   Maintenance required  maintenance required (byte 6, 0x01)
// Configuration changed and more status available say nothing about the
// measurement. Several classes at once: the most severe one.
TNe107Class Classify(uint8_t Status, const std::vector<uint8_t>& Additional)
{
    const uint8_t extended = Additional.size() > ExtendedStatusByte ? Additional[ExtendedStatusByte] : 0;
    if ((Status & Malfunction) || (extended & PowerFailure))
        return TNe107Class::Failure;
    if (Status & (CurrentFixed | ColdStart))
        return TNe107Class::FunctionCheck;
    if ((Status & (PvOutOfLimits | NonPvOutOfLimits | CurrentSaturated)) || (extended & VariableAlert))
        return TNe107Class::OutOfSpecification;
    if (extended & MaintenanceRequired)
        return TNe107Class::MaintenanceRequired;
    return TNe107Class::Good;
}

const TNe107Name& Ne107Name(TNe107Class Class)
{
    const auto* found = std::find_if(std::begin(Ne107Names), std::end(Ne107Names),
                                     [Class](const TNe107Name& Name) { return Name.Class == Class; });
    return *found;
}

std::string EnglishList(const std::vector<TStatusWord>& Words)
{
    std::string text;
    for (const TStatusWord& word : Words)
        text += (text.empty() ? "" : ", ") + word.Text;
    return text.empty() ? "none" : text;
}

}  // namespace DeviceStatus
