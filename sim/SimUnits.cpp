#include "sim/SimUnits.h"

#include <cstdlib>

namespace SimUnits {

namespace {

struct TUnit {
    uint8_t Code;
    const char* Name;
    double Pascal;
};

// Water columns at 4 degrees Celsius, mercury at 0 degrees Celsius.
constexpr TUnit Units[] = {
    {1, "inH2O", 249.08891},  {2, "inHg", 3386.389},   {3, "ftH2O", 2989.0669}, {4, "mmH2O", 9.80665},
    {5, "mmHg", 133.322387},  {6, "psi", 6894.757293}, {7, "bar", 100000.0},    {8, "mbar", 100.0},
    {9, "g/cm2", 98.0665},    {10, "kg/cm2", 98066.5}, {11, "Pa", 1.0},         {12, "kPa", 1000.0},
    {13, "Torr", 133.322368}, {14, "atm", 101325.0},   {171, "mH2O", 9806.65},
};

const TUnit* Find(uint8_t Code)
{
    for (const TUnit& Unit : Units)
        if (Unit.Code == Code)
            return &Unit;
    return nullptr;
}

}  // namespace

std::optional<double> PascalPerUnit(uint8_t Code)
{
    if (const TUnit* Unit = Find(Code))
        return Unit->Pascal;
    return std::nullopt;
}

bool IsPressureUnit(uint8_t Code)
{
    return Find(Code) != nullptr;
}

double Convert(double Value, uint8_t FromUnit, uint8_t ToUnit)
{
    if (FromUnit == ToUnit)
        return Value;
    return Value * Find(FromUnit)->Pascal / Find(ToUnit)->Pascal;
}

std::optional<uint8_t> Parse(const std::string& Text)
{
    for (const TUnit& Unit : Units)
        if (Text == Unit.Name)
            return Unit.Code;
    if (Text == "inH20")  // as the master's unit list spells it
        return 1;
    char* End = nullptr;
    const long Code = std::strtol(Text.c_str(), &End, 10);
    if (!Text.empty() && *End == '\0' && Code >= 0 && Code <= 255 && IsPressureUnit(static_cast<uint8_t>(Code)))
        return static_cast<uint8_t>(Code);
    return std::nullopt;
}

std::string Name(uint8_t Code)
{
    if (const TUnit* Unit = Find(Code))
        return Unit->Name;
    return std::to_string(Code);
}

}  // namespace SimUnits
