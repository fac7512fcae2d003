#include "hart/HartTables.h"

#include <iterator>

namespace HartTables {

namespace {

struct TCodeName {
    uint8_t Code;
    const char* Name;
};

// Codes 1..14 are searched in order first, then 171; the name of code 1 ends in
// the digit zero, exactly as devices of this tool's users have always shown it.
constexpr TCodeName Units[] = {
    {1, "inH20"}, {2, "inHg"},    {3, "ftH2O"}, {4, "mmH2O"}, {5, "mmHg"},  {6, "psi"},  {7, "bar"},    {8, "mbar"},
    {9, "g/cm2"}, {10, "kg/cm2"}, {11, "Pa"},   {12, "kPa"},  {13, "Torr"}, {14, "atm"}, {171, "mH2O"},
};

// Size of each unit in pascal. Water columns at 68 degrees Fahrenheit as the
// HART unit codes define them, mercury columns at 0 degrees Celsius; mH2O is
// the conventional metre of water.
struct TUnitSize {
    uint8_t Code;
    double Pascal;
};
constexpr TUnitSize UnitSizes[] = {
    {1, 248.84},  {2, 3386.38},  {3, 2986.08}, {4, 9.78903}, {5, 133.322},   {6, 6894.757},  {7, 100000.0},  {8, 100.0},
    {9, 98.0665}, {10, 98066.5}, {11, 1.0},    {12, 1000.0}, {13, 133.3224}, {14, 101325.0}, {171, 9806.65},
};
static_assert(std::size(UnitSizes) == std::size(Units));

constexpr TCodeName Manufacturers[] = {
    {1, "NIVUS GmbH"}, {17, "E & H"},    {20, "Foxboro"}, {21, "Fuji"},     {23, "Honeywell"},
    {38, "Rosemount"}, {55, "Yokogawa"}, {62, "Smar"},    {185, "Norvane"},
};

// The maker's own transmitter families. Series numbers grow with the housing;
// G, A and D are gauge, absolute and differential cells.
constexpr TCodeName DeviceTypes[] = {
    {0, "Orsa 100"},        {1, "Orsa 100 G"},           {2, "Orsa 100 A"},       {3, "Orsa 100 D"},
    {4, "Orsa 200"},        {5, "Orsa 200 G"},           {6, "Orsa 200 A"},       {7, "Orsa 200 D"},
    {8, "Orsa 300 Ex"},     {9, "Orsa 300 Ex G"},        {10, "Orsa 300 Ex A"},   {11, "Orsa 300 Ex D"},
    {12, "Orsa 400 Level"}, {13, "Orsa 400 Level H"},    {14, "Orsa 500 Flange"}, {15, "Orsa 500 Flange S"},
    {21, "Quill 10"},       {22, "Quill 10 G"},          {23, "Quill 10 A"},      {24, "Quill 20"},
    {25, "Quill 20 G"},     {26, "Quill 20 A"},          {27, "Quill 20 D"},      {28, "Quill 30 Hyg"},
    {29, "Quill 30 Hyg A"}, {30, "Quill 40 HT"},         {31, "Quill 40 HT A"},   {50, "Quill i50"},
    {51, "Quill i51 G"},    {52, "Quill i52 D"},         {53, "Orsa i53"},        {54, "Orsa i54 D"},
    {126, "Orsa Compact"},  {254, "Quill 90 Universal"},
};
static_assert(std::size(DeviceTypes) == 34);

template <size_t N> std::string Lookup(const TCodeName (&Table)[N], uint8_t Code)
{
    for (const auto& Entry : Table)
        if (Entry.Code == Code)
            return Entry.Name;
    return "unknown";
}

}  // namespace

uint8_t UnitCode(const std::string& Name)
{
    for (const auto& Entry : Units)
        if (Name == Entry.Name)
            return Entry.Code;
    return UnknownUnitCode;
}

std::string UnitName(uint8_t Code)
{
    return Lookup(Units, Code);
}
std::optional<double> PascalPerUnit(uint8_t Code)
{
    for (const auto& Entry : UnitSizes)
        if (Entry.Code == Code)
            return Entry.Pascal;
    return std::nullopt;
}

std::optional<double> ConvertPressure(double Value, uint8_t From, uint8_t To)
{
    const std::optional<double> from = PascalPerUnit(From), to = PascalPerUnit(To);
    if (!from || !to)
        return std::nullopt;
    return From == To ? Value : Value * *from / *to;
}

std::string ManufacturerName(uint8_t Code)
{
    return Lookup(Manufacturers, Code);
}
std::string DeviceTypeName(uint8_t Code)
{
    return Lookup(DeviceTypes, Code);
}

}  // namespace HartTables
