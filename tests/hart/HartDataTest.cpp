// Encodings and tables of the command layer.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "hart/CommandErrorKeys.h"
#include "hart/HartCommand.h"

namespace {

using TBytes = std::vector<uint8_t>;

TBytes Pack(const std::string& Text, uint8_t Chars)
{
    TBytes Out(Chars / 4 * 3 + 3, 0xEE);  // one spare group to catch overruns
    THart::PackASCII(Text, Out.data(), Chars);
    return Out;
}

TEST(HartPackedAscii, PackGivesTheWireBytes)
{
    struct TCase {
        std::string Text;
        uint8_t Chars;
        TBytes Wire;
    } Cases[] = {
        {"PT-101  ", 8, {0x41, 0x4B, 0x71, 0xC3, 0x18, 0x20}},
        {"PT-101", 8, {0x41, 0x4B, 0x71, 0xC3, 0x18, 0x20}},  // padded with blanks
        {"", 8, {0x82, 0x08, 0x20, 0x82, 0x08, 0x20}},
        {"ABCDEFGHIJ", 8, {0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8}},  // cut after 8
        {"ABCDEFGH", 8, {0x04, 0x20, 0xC4, 0x14, 0x61, 0xC8}},
        {"ABCDEF", 6, {0x04, 0x20, 0xC4}},  // the last incomplete group is not written
    };
    for (const TCase& C : Cases) {
        TBytes Out = Pack(C.Text, C.Chars);
        const size_t Groups = C.Chars / 4;
        EXPECT_EQ(TBytes(Out.begin(), Out.begin() + Groups * 3), C.Wire) << '"' << C.Text << '"';
        for (size_t i = Groups * 3; i < Out.size(); ++i)
            EXPECT_EQ(Out[i], 0xEE) << "wrote beyond its groups for \"" << C.Text << '"';
    }
}

TEST(HartPackedAscii, UnpackGivesTheCharacters)
{
    struct TCase {
        TBytes Wire;
        std::string Text;
    } Cases[] = {
        {{0x41, 0x4B, 0x71, 0xC3, 0x18, 0x20}, "PT-101  "},  // trailing blanks kept
        {{0x41, 0x4B, 0x71, 0xC3, 0x18, 0x20, 0x99}, "PT-101  "},  // 7th byte ignored
        {{0x01, 0xA8, 0x3F}, "@Z ?"},  // codes 00, 1A, 20, 3F
        {{0x82, 0x08}, ""},  // no whole group
        {{}, ""},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(THart::UnpackASCII(C.Wire.data(), static_cast<uint8_t>(C.Wire.size())), C.Text);
}

TEST(HartPackedAscii, RoundTripKeepsOnlyTheSixBitCharacters)
{
    uint8_t Wire[12];
    THart::PackASCII("TANK 7 [LEVEL]_", Wire, 16);
    EXPECT_EQ(THart::UnpackASCII(Wire, 12), "TANK 7 [LEVEL]_ ");
    // A lower-case letter comes back as the character 0x40 below it.
    THart::PackASCII("abc", Wire, 4);
    EXPECT_EQ(THart::UnpackASCII(Wire, 3), "!\"# ");
}

TEST(HartPackedAscii, LimitsAreEnforced)
{
    uint8_t Wire[80] = {};
    EXPECT_NO_THROW(THart::UnpackASCII(Wire, 64));
    EXPECT_THROW(THart::UnpackASCII(Wire, 65), ERangeError);
    EXPECT_NO_THROW(THart::PackASCII(std::string(60, 'A'), Wire, 44));
    EXPECT_THROW(THart::PackASCII("A", Wire, 45), ERangeError);
}

TEST(HartReverseBytes, ReversesCopiesAndWorksInPlace)
{
    const uint8_t Source[3] = {0x12, 0x34, 0x56};
    uint8_t Target[4] = {0, 0, 0, 0xEE};
    THart::ReverseBytes(Source, Target, true, 3);
    EXPECT_EQ(TBytes(Target, Target + 4), (TBytes {0x56, 0x34, 0x12, 0xEE}));
    THart::ReverseBytes(Source, Target, false, 3);
    EXPECT_EQ(TBytes(Target, Target + 4), (TBytes {0x12, 0x34, 0x56, 0xEE}));
    uint8_t Same[4] = {0x3F, 0x80, 0x00, 0x00};
    THart::ReverseBytes(Same, Same, true, 4);
    EXPECT_EQ(TBytes(Same, Same + 4), (TBytes {0x00, 0x00, 0x80, 0x3F}));
    THart::ReverseBytes(Source, Target, true, 0);
    EXPECT_EQ(Target[0], 0x12);
}

TEST(HartTables, UnitNamesAndCodes)
{
    struct TCase {
        const char* Name;
        uint8_t Code;
    } Codes[] = {
        {"inH20", 1},
        {"inHg", 2},
        {"ftH2O", 3},
        {"mmH2O", 4},
        {"mmHg", 5},
        {"psi", 6},
        {"bar", 7},
        {"mbar", 8},
        {"g/cm2", 9},
        {"kg/cm2", 10},
        {"Pa", 11},
        {"kPa", 12},
        {"Torr", 13},
        {"atm", 14},
        {"mH2O", 171},
        // not in the table: exact, case-sensitive comparison of the whole name
        {"BAR", 255},
        {"bar ", 255},
        {"Bar", 255},
        {"unknown", 255},
        {"inH2O", 255},
        {"", 255},
    };
    for (const TCase& C : Codes) {
        EXPECT_EQ(THart::GetUnitCode(C.Name), C.Code) << C.Name;
        if (C.Code != 255) {
            EXPECT_EQ(THart::GetUnitName(C.Code), C.Name);
        }
    }
    for (int Code : {0, 15, 32, 170, 172, 200, 255})
        EXPECT_EQ(THart::GetUnitName(static_cast<uint8_t>(Code)), "unknown") << Code;
}

TEST(HartTables, ManufacturerNames)
{
    struct TCase {
        uint8_t Code;
        const char* Name;
    } Cases[] = {
        {1, "NIVUS GmbH"}, {17, "E & H"},    {20, "Foxboro"},  {21, "Fuji"},      {23, "Honeywell"},
        {38, "Rosemount"}, {55, "Yokogawa"}, {62, "Smar"},     {185, "Norvane"},  {0, "unknown"},
        {2, "unknown"},    {57, "unknown"},  {186, "unknown"}, {0x39, "unknown"},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(THart::GetManufacturerName(C.Code), C.Name) << int(C.Code);
}

TEST(HartTables, DeviceTypesAreTheMakersOwnModels)
{
    std::set<int> Listed;
    for (int c = 0; c <= 15; ++c)
        Listed.insert(c);
    for (int c = 21; c <= 31; ++c)
        Listed.insert(c);
    for (int c = 50; c <= 54; ++c)
        Listed.insert(c);
    Listed.insert(126);
    Listed.insert(254);
    ASSERT_EQ(Listed.size(), 34u);

    std::set<std::string> Names;
    for (int Code = 0; Code <= 255; ++Code) {
        const std::string Name = THart::GetDeviceTypeName(static_cast<uint8_t>(Code));
        if (!Listed.count(Code)) {
            EXPECT_EQ(Name, "unknown") << Code;
            continue;
        }
        EXPECT_TRUE(Name.rfind("Orsa ", 0) == 0 || Name.rfind("Quill ", 0) == 0) << Code << ": " << Name;
        Names.insert(Name);
    }
    EXPECT_EQ(Names.size(), 34u) << "model names must be distinct";
}

TEST(HartTables, CommandErrorKeysAreWellFormedAndUnique)
{
    std::set<std::string> Keys;
    for (const char* Key : CommandErrorKeys) {
        const std::string K = Key;
        const size_t Dot = K.find('.');
        ASSERT_NE(Dot, std::string::npos) << K;
        EXPECT_GT(Dot, 0u) << K;
        for (size_t i = 0; i < Dot; ++i)
            EXPECT_TRUE(isdigit(static_cast<unsigned char>(K[i]))) << K;
        for (size_t i = Dot + 1; i < K.size(); ++i)
            EXPECT_TRUE(isupper(static_cast<unsigned char>(K[i]))) << K;
        EXPECT_TRUE(Keys.insert(K).second) << "duplicate " << K;
    }
    EXPECT_TRUE(Keys.count("18.SPANTOOSMAL") && Keys.count("18.SPANTOOSMALL"));
}

}  // namespace
