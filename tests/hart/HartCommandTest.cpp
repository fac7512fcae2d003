// The command layer on the simulated line with a scripted device: the request
// bytes each command puts on the wire, the decoding of the replies, and the
// response code to key table of every command.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "hart/HartCommand.h"
#include "sim/SimScriptedPeer.h"
#include "sim/SimSerialDevice.h"
#include "tests/hart/LinkTestSupport.h"

namespace {

// Offset of the request data in a long request frame with six preambles.
constexpr size_t LongDataOffset = 6 + 1 + 5 + 2;

struct TCmdLink {
    TSimScriptedPeer Peer;
    TSimSerialDevice* Line = nullptr;
    std::unique_ptr<THart> Hart;

    TCmdLink()
    {
        auto Device = std::make_unique<TSimSerialDevice>();
        Line = Device.get();
        Line->SetPeer(&Peer);
        Hart = std::make_unique<THart>(std::move(Device));
        EXPECT_TRUE(Hart->OpenPort("COM1"));
    }
    // As if command 0 had identified the device at TestAddress.
    void Identify()
    {
        Hart->SetLongAddress(TestAddress.data());
        Hart->SetLongAddressValid(true);
    }
    // Reply with response code 0 and Data after the two status bytes.
    void Answer(uint8_t Command, const TBytes& Data, uint8_t Code = 0)
    {
        Peer.AddReply(TSimReply(LongReply(Command, Concat({Code, 0x00}, Data))));
    }
    TBytes LastRequestData() const
    {
        const TBytes& R = Peer.Requests().back();
        return TBytes(R.begin() + LongDataOffset, R.end() - 1);
    }
};

TBytes Float(uint32_t Bits)
{
    return {uint8_t(Bits >> 24), uint8_t(Bits >> 16), uint8_t(Bits >> 8), uint8_t(Bits)};
}

// --- request bytes ----------------------------------------------------------------

TEST(HartCommandRequest, CommandZeroIsAShortFrameToPollingAddressZero)
{
    TCmdLink L;
    L.Peer.AddReply(TSimReply(ShortReply(0, {0, 0, 254, 185, 24, 5, 5, 3, 0x21, 0x20, 0, 0x12, 0xD6, 0x87})));
    THartDevInfo Info;
    L.Hart->ReadUniqueIdentifier(Info);
    ASSERT_EQ(L.Peer.Requests().size(), 1u);
    EXPECT_EQ(Hex(L.Peer.Requests()[0]), "FFFFFFFFFFFF0200000002");
}

TEST(HartCommandRequest, EachCommandSendsItsLayout)
{
    struct TCase {
        const char* Name;
        uint8_t Command;
        std::function<void(THart&)> Call;
        std::string DataHex;
    } Cases[] = {
        {"read dynamic variables", 3,
         [](THart& H) {
             float C, P;
             std::string U;
             H.ReadDynamicVariables(C, U, P);
         },
         ""},
        {"read tag", 13,
         [](THart& H) {
             std::string T, D;
             uint8_t d, m;
             uint16_t y;
             H.ReadTagDescriptorDate(T, D, d, m, y);
         },
         ""},
        {"read sensor", 14,
         [](THart& H) {
             TSensorInfo S;
             H.ReadSensorInfo(S);
         },
         ""},
        {"read output", 15,
         [](THart& H) {
             TPrVarInfo P;
             H.ReadPrVarInfo(P);
         },
         ""},
        {"reset configuration changed", 38, [](THart& H) { H.ResetConfigurationChangedFlag(); }, ""},
        {"read additional status", 48,
         [](THart& H) {
             std::vector<uint8_t> B;
             H.ReadAdditionalDeviceStatus(B);
         },
         ""},
        {"write tag", 18,
         [](THart& H) {
             std::string T = "PT-101", D;
             uint8_t d = 15, m = 6;
             uint16_t y = 2006;
             H.WriteTagDescriptorDate(T, D, d, m, y);
         },
         "414B71C31820"
         "820820820820820820820820"
         "0F066A"},
        {"write tag 2155", 18,
         [](THart& H) {
             std::string T = "PT-101", D = "ABCDEFGHIJKLMNOPQR";
             uint8_t d = 31, m = 12;
             uint16_t y = 2155;
             H.WriteTagDescriptorDate(T, D, d, m, y);
         },
         "414B71C31820"
         "0420C41461C824A2CC34E3D0"
         "1F0CFF"},
        {"write tag 1900", 18,
         [](THart& H) {
             std::string T, D;
             uint8_t d = 1, m = 1;
             uint16_t y = 1900;
             H.WriteTagDescriptorDate(T, D, d, m, y);
         },
         "820820820820"
         "820820820820820820820820"
         "010100"},
        {"fix loop current 12 mA", 40,
         [](THart& H) {
             float C = 12.0f;
             H.FixLoopCurrent(C);
         },
         "41400000"},
        {"leave fixed-current mode", 40,
         [](THart& H) {
             float C = 0.0f;
             H.FixLoopCurrent(C);
         },
         "00000000"},
        {"trim zero with 4.25 mA", 45,
         [](THart& H) {
             float C = 4.25f;
             H.TrimLoopCurrentZero(C);
         },
         "40880000"},
        {"trim gain with 20 mA", 46,
         [](THart& H) {
             float C = 20.0f;
             H.TrimLoopCurrentGain(C);
         },
         "41A00000"},
        {"damping 2.5", 34,
         [](THart& H) {
             float D = 2.5f;
             H.WriteDamping(D);
         },
         "40200000"},
        {"range bar", 35,
         [](THart& H) {
             std::string U = "bar";
             float Up = 10, Lo = 0;
             H.WriteRangeValues(U, Up, Lo);
         },
         "074120000000000000"},
        {"range Bar", 35,
         [](THart& H) {
             std::string U = "Bar";
             float Up = 10, Lo = 0;
             H.WriteRangeValues(U, Up, Lo);
         },
         "FF4120000000000000"},
        {"range kPa negative", 35,
         [](THart& H) {
             std::string U = "kPa";
             float Up = 1, Lo = -2;
             H.WriteRangeValues(U, Up, Lo);
         },
         "0C3F800000C0000000"},
        {"set upper", 36, [](THart& H) { H.SetUpperRangeValue(); }, ""},
        {"set lower", 37, [](THart& H) { H.SetLowerRangeValue(); }, ""},
        {"set zero", 43, [](THart& H) { H.SetPVZero(); }, ""},
        {"unit mH2O", 44,
         [](THart& H) {
             std::string U = "mH2O";
             H.WritePVUnit(U);
         },
         "AB"},
        {"unit psi", 44,
         [](THart& H) {
             std::string U = "psi";
             H.WritePVUnit(U);
         },
         "06"},
        {"unit Bar", 44,
         [](THart& H) {
             std::string U = "Bar";
             H.WritePVUnit(U);
         },
         "FF"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TCmdLink L;
        L.Identify();
        L.Answer(C.Command, {});
        C.Call(*L.Hart);
        ASSERT_EQ(L.Peer.Requests().size(), 1u);
        const TBytes& Frame = L.Peer.Requests()[0];
        const size_t DataLength = C.DataHex.size() / 2;
        // preambles, long delimiter, the learnt address, command, byte count, data, check byte
        TBytes Expected(6, 0xFF);
        Expected = Concat(Expected, Concat({0x82}, TestAddress));
        Expected.push_back(C.Command);
        Expected.push_back(uint8_t(DataLength));
        EXPECT_EQ(Hex(TBytes(Frame.begin(), Frame.begin() + LongDataOffset)), Hex(Expected));
        EXPECT_EQ(Hex(L.LastRequestData()), C.DataHex);
        EXPECT_EQ(Frame.back(), Xor(TBytes(Frame.begin() + 6, Frame.end() - 1)));
    }
}

TEST(HartCommandRequest, YearOutsideTheDateEncodingIsRefusedBeforeSending)
{
    for (uint16_t Year : {uint16_t(1899), uint16_t(2156), uint16_t(0), uint16_t(65535)}) {
        TCmdLink L;
        L.Identify();
        L.Answer(18, {});
        std::string T = "PT", D = "X";
        uint8_t Day = 1, Month = 1;
        uint16_t Y = Year;
        bool RangeError = false;
        try {
            L.Hart->WriteTagDescriptorDate(T, D, Day, Month, Y);
        } catch (const EHartComError&) {
            ADD_FAILURE() << "an EHartComError for year " << Year;
        } catch (const ERangeError&) {
            RangeError = true;
        }
        EXPECT_TRUE(RangeError) << Year;
        EXPECT_TRUE(L.Line->Written().empty()) << Year;
        EXPECT_EQ(Y, Year);
    }
}

// --- decoding -------------------------------------------------------------------------

TEST(HartCommandDecode, ReadUniqueIdentifierFillsTheRecordAndTheLongAddress)
{
    struct TCase {
        TBytes Reply;  // reply data bytes 0..11
        THartDevInfo Info;
        TBytes Address;
    } Cases[] = {
        {{254, 0xB9, 24, 5, 5, 3, 0x1F, 0x21, 0, 0x0C, 0x22, 0x53},
         {"Norvane", "Quill 20", 5, "5", "3", "1.F", "4", 0x0C2253, "1234 05 01"},
         {0x39, 24, 0x0C, 0x22, 0x53}},
        {{254, 185, 0, 8, 7, 12, 0x20, 0x0F, 0, 0x00, 0x04, 0xD2},
         {"Norvane", "Orsa 100", 8, "7", "12", "2.0", "1", 1234, "0001234"},
         {0x39, 0, 0x00, 0x04, 0xD2}},
        {{254, 38, 16, 5, 5, 1, 0x1A, 0xF8, 0, 0xFF, 0x01, 0x0F},
         {"Rosemount", "unknown", 5, "5", "1", "1.A", "31", 0xFF010F, "25501 00 13"},
         {38, 16, 0xFF, 0x01, 0x0F}},
        {{254, 0x40 | 23, 254, 5, 5, 1, 0xAB, 0, 0, 0x98, 0x96, 0x7F},
         {"unknown", "Quill 90 Universal", 5, "5", "1", "A.B", "0", 9999999, "9999999"},
         {23, 254, 0x98, 0x96, 0x7F}},
    };
    for (const TCase& C : Cases) {
        TCmdLink L;
        L.Peer.AddReply(TSimReply(ShortReply(0, Concat({0, 0}, C.Reply))));
        THartDevInfo Info;
        EXPECT_EQ(L.Hart->ReadUniqueIdentifier(Info), 0);
        EXPECT_EQ(Info.Manufacturer, C.Info.Manufacturer);
        EXPECT_EQ(Info.DeviceType, C.Info.DeviceType);
        EXPECT_EQ(Info.MinPreambles, C.Info.MinPreambles);
        EXPECT_EQ(Info.UnivCmdRev, C.Info.UnivCmdRev);
        EXPECT_EQ(Info.DeviceRev, C.Info.DeviceRev);
        EXPECT_EQ(Info.SoftwareRev, C.Info.SoftwareRev);
        EXPECT_EQ(Info.HardwareRev, C.Info.HardwareRev);
        EXPECT_EQ(Info.DeviceId, C.Info.DeviceId);
        EXPECT_EQ(Info.SerialNr, C.Info.SerialNr);
        EXPECT_TRUE(L.Hart->LongAddressValid());
        EXPECT_EQ(Hex(TBytes(L.Hart->LongAddress().begin(), L.Hart->LongAddress().end())), Hex(C.Address));
        EXPECT_EQ(L.Hart->Response.ResponseMessage, "0.NONE");
    }
}

TEST(HartCommandDecode, FailedCommandZeroClearsTheIdentity)
{
    TCmdLink L;
    L.Peer.AddReply(TSimReply(ShortReply(0, {0, 0, 254, 185, 24, 5, 5, 3, 0x21, 0x20, 0, 0x12, 0xD6, 0x87})));
    THartDevInfo Info;
    L.Hart->ReadUniqueIdentifier(Info);
    ASSERT_TRUE(L.Hart->LongAddressValid());
    ASSERT_EQ(Info.Manufacturer, "Norvane");

    // The same device now refuses: the record and the address are gone.
    L.Peer.AddReply(TSimReply(ShortReply(0, {6, 0, 254, 185, 24, 5, 5, 3, 0x21, 0x20, 0, 0x12, 0xD6, 0x87})));
    EXPECT_EQ(KeyOfCall([&] { L.Hart->ReadUniqueIdentifier(Info); }), "7.TRANSSPEC");
    EXPECT_EQ(Info.Manufacturer, "");
    EXPECT_EQ(Info.DeviceType, "");
    EXPECT_EQ(Info.SerialNr, "");
    EXPECT_EQ(Info.DeviceId, 0);
    EXPECT_EQ(Info.MinPreambles, 0);
    EXPECT_FALSE(L.Hart->LongAddressValid());
    EXPECT_EQ(Hex(TBytes(L.Hart->LongAddress().begin(), L.Hart->LongAddress().end())), "0000000000");

    // A link failure (no reply at all) clears it just the same.
    L.Peer.AddReply(TSimReply(ShortReply(0, {0, 0, 254, 185, 24, 5, 5, 3, 0x21, 0x20, 0, 0x12, 0xD6, 0x87})));
    L.Hart->ReadUniqueIdentifier(Info);
    ASSERT_TRUE(L.Hart->LongAddressValid());
    EXPECT_EQ(KeyOfCall([&] { L.Hart->ReadUniqueIdentifier(Info); }), "141.TRANSMITTERTIMEOUT");
    EXPECT_EQ(Info.Manufacturer, "");
    EXPECT_FALSE(L.Hart->LongAddressValid());

    // Every other command is now refused by the link without a transaction.
    const size_t Written = L.Line->Written().size();
    std::string T, D;
    uint8_t Day = 9, Month = 9;
    uint16_t Year = 1999;
    EXPECT_EQ(KeyOfCall([&] { L.Hart->ReadTagDescriptorDate(T, D, Day, Month, Year); }), "139.DEVICENOTIMPLEMENTED");
    EXPECT_EQ(L.Line->Written().size(), Written);
    EXPECT_EQ(Year, 1999);
}

TEST(HartCommandDecode, TagDescriptorDate)
{
    uint8_t Desc[12];
    THart::PackASCII("PRESSURE TANK 7", Desc, 16);
    struct TCase {
        TBytes Date;
        uint8_t Day, Month;
        uint16_t Year;
    } Cases[] = {
        {{0x0F, 0x06, 0x6A}, 15, 6, 2006},
        {{0x1F, 0x0C, 0xFF}, 31, 12, 2155},
        {{0x00, 0x0D, 0x00}, 0, 13, 1900},  // passed on without validation
    };
    for (const TCase& C : Cases) {
        TCmdLink L;
        L.Identify();
        L.Answer(13, Concat(Concat({0x41, 0x4B, 0x71, 0xC3, 0x18, 0x20}, TBytes(Desc, Desc + 12)), C.Date));
        std::string Tag, Descriptor;
        uint8_t Day = 0, Month = 0;
        uint16_t Year = 0;
        L.Hart->ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
        EXPECT_EQ(Tag, "PT-101  ");
        EXPECT_EQ(Descriptor, "PRESSURE TANK 7 ");
        EXPECT_EQ(Day, C.Day);
        EXPECT_EQ(Month, C.Month);
        EXPECT_EQ(Year, C.Year);
    }
}

TEST(HartCommandDecode, WriteTagDescriptorDateTakesTheDevicesEcho)
{
    TCmdLink L;
    L.Identify();
    uint8_t Desc[12];
    THart::PackASCII("FROM DEVICE", Desc, 16);
    L.Answer(18, Concat(Concat({0x41, 0x4B, 0x71, 0xC3, 0x18, 0x20}, TBytes(Desc, Desc + 12)), {0x01, 0x02, 0x7D}));
    std::string Tag = "XX", Descriptor = "SENT";
    uint8_t Day = 9, Month = 9;
    uint16_t Year = 2001;
    L.Hart->WriteTagDescriptorDate(Tag, Descriptor, Day, Month, Year);
    EXPECT_EQ(Tag, "PT-101  ");
    EXPECT_EQ(Descriptor, "FROM DEVICE     ");
    EXPECT_EQ(Day, 1);
    EXPECT_EQ(Month, 2);
    EXPECT_EQ(Year, 2025);
}

TEST(HartCommandDecode, SensorAndOutputInformation)
{
    TCmdLink L;
    L.Identify();
    L.Answer(14,
             Concat(Concat(Concat({0x01, 0x02, 0x03, 7}, Float(0x42200000)), Float(0xBF800000)), Float(0x3F000000)));
    TSensorInfo S;
    L.Hart->ReadSensorInfo(S);
    EXPECT_EQ(Hex(TBytes(S.SensorSerial, S.SensorSerial + 3)), "010203");
    EXPECT_EQ(S.Unit, "bar");
    EXPECT_EQ(S.UpperLimit, 40.0f);
    EXPECT_EQ(S.LowerLimit, -1.0f);
    EXPECT_EQ(S.MinSpan, 0.5f);

    L.Answer(15, Concat(Concat(Concat(Concat({1, 2, 12}, Float(0x42C80000)), Float(0xC1200000)), Float(0x40000000)),
                        {1, 185}));
    TPrVarInfo P;
    L.Hart->ReadPrVarInfo(P);
    EXPECT_EQ(P.AlarmSelect, 1);
    EXPECT_EQ(P.TransferFunction, 2);
    EXPECT_EQ(P.Unit, "kPa");
    EXPECT_EQ(P.UpperRange, 100.0f);
    EXPECT_EQ(P.LowerRange, -10.0f);
    EXPECT_EQ(P.Damping, 2.0f);
    EXPECT_EQ(P.WriteProtect, 1);
    EXPECT_EQ(P.PrivateLabel, 185);

    // A float that is not a number passes bit for bit.
    L.Answer(15, Concat(Concat(Concat(Concat({0, 0, 250}, Float(0x7FC00001)), Float(0xFF800000)), Float(0)), {0, 0}));
    L.Hart->ReadPrVarInfo(P);
    EXPECT_EQ(P.Unit, "unknown");
    EXPECT_TRUE(std::isnan(P.UpperRange));
    EXPECT_TRUE(std::isinf(P.LowerRange) && P.LowerRange < 0);
}

TEST(HartCommandDecode, DynamicVariables)
{
    struct TCase {
        TBytes Data;
        float Current;
        std::string Unit;
        float PV;
    } Cases[] = {
        {{0x41, 0x80, 0x00, 0x00, 0x07, 0x3F, 0x80, 0x00, 0x00}, 16.0f, "bar", 1.0f},
        {{0x41, 0x80, 0x00, 0x00, 171, 0x3F, 0x80, 0x00, 0x00, 32, 0x41, 0xBC, 0, 0}, 16.0f, "mH2O", 1.0f},
        {{0x40, 0x80, 0x00, 0x00, 0, 0xBF, 0x80, 0x00, 0x00}, 4.0f, "unknown", -1.0f},
        {{0x40, 0x80, 0x00, 0x00, 250, 0x00, 0x00, 0x00, 0x00}, 4.0f, "unknown", 0.0f},
        {{0x41, 0x80, 0x00, 0x00}, 16.0f, "unknown", 0.0f},  // only four data bytes
    };
    for (const TCase& C : Cases) {
        TCmdLink L;
        L.Identify();
        L.Answer(3, C.Data);
        float Current = -7, PV = -7;
        std::string Unit = "x";
        EXPECT_EQ(L.Hart->ReadDynamicVariables(Current, Unit, PV), 0);
        EXPECT_EQ(Current, C.Current);
        EXPECT_EQ(Unit, C.Unit);
        EXPECT_EQ(PV, C.PV);
    }
}

// Command 48 takes every byte the reply has, however many the standard's
// revision sends.
TEST(HartCommandDecode, AdditionalStatusOfAnyLength)
{
    for (const size_t Length : {size_t(0), size_t(3), size_t(6), size_t(9), size_t(25)}) {
        SCOPED_TRACE(Length);
        TCmdLink L;
        L.Identify();
        TBytes Data(Length);
        for (size_t i = 0; i < Length; ++i)
            Data[i] = uint8_t(i + 1);
        L.Answer(48, Data);
        std::vector<uint8_t> Bytes(2, 0xEE);
        EXPECT_EQ(L.Hart->ReadAdditionalDeviceStatus(Bytes), 0);
        EXPECT_EQ(Hex(Bytes), Hex(Data));
    }
}

TEST(HartCommandDecode, WritesTakeTheValuesTheDeviceReports)
{
    TCmdLink L;
    L.Identify();
    L.Answer(34, Float(0x40000000));
    float Damping = 2.5f;
    L.Hart->WriteDamping(Damping);
    EXPECT_EQ(Damping, 2.0f);

    L.Answer(35, Concat(Concat({12}, Float(0x42C80000)), Float(0)));
    std::string Unit = "bar";
    float Upper = 1, Lower = 0.5f;
    L.Hart->WriteRangeValues(Unit, Upper, Lower);
    EXPECT_EQ(Unit, "kPa");
    EXPECT_EQ(Upper, 100.0f);
    EXPECT_EQ(Lower, 0.0f);

    L.Answer(35, Concat(Concat({200}, Float(0x41200000)), Float(0)));
    L.Hart->WriteRangeValues(Unit, Upper, Lower);
    EXPECT_EQ(Unit, "unknown");

    struct TUnitCase {
        uint8_t Reply;
        const char* Unit;
    } Units[] = {{200, "unknown"}, {171, "mH2O"}, {1, "inH20"}, {7, "bar"}};
    for (const TUnitCase& C : Units) {
        L.Answer(44, {C.Reply});
        std::string U = "psi";
        L.Hart->WritePVUnit(U);
        EXPECT_EQ(U, C.Unit);
        EXPECT_EQ(Hex(L.LastRequestData()), "06");
    }
}

// --- response codes -------------------------------------------------------------------------

// Runs a command with sentinel arguments; Untouched tells whether they survived.
struct TOutcome {
    std::string Key;
    bool Untouched = true;
};

TOutcome RunCommand(THart& H, uint8_t Command)
{
    TOutcome O;
    switch (Command) {
        case 0: {
            THartDevInfo I;
            O.Key = KeyOfCall([&] { H.ReadUniqueIdentifier(I); });
            break;
        }
        case 3: {
            float C = -9, P = -9;
            std::string U = "x";
            O.Key = KeyOfCall([&] { H.ReadDynamicVariables(C, U, P); });
            O.Untouched = C == -9 && P == -9 && U == "x";
            break;
        }
        case 13:
        case 18: {
            std::string T = "TAG", D = "DESC";
            uint8_t Day = 3, Month = 4;
            uint16_t Year = 2000;
            O.Key = KeyOfCall([&] {
                if (Command == 13)
                    H.ReadTagDescriptorDate(T, D, Day, Month, Year);
                else
                    H.WriteTagDescriptorDate(T, D, Day, Month, Year);
            });
            O.Untouched = T == "TAG" && D == "DESC" && Day == 3 && Month == 4 && Year == 2000;
            break;
        }
        case 14: {
            TSensorInfo S;
            S.Unit = "x";
            S.UpperLimit = -9;
            O.Key = KeyOfCall([&] { H.ReadSensorInfo(S); });
            O.Untouched = S.Unit == "x" && S.UpperLimit == -9 && S.SensorSerial[0] == 0;
            break;
        }
        case 15: {
            TPrVarInfo P;
            P.Unit = "x";
            P.Damping = -9;
            O.Key = KeyOfCall([&] { H.ReadPrVarInfo(P); });
            O.Untouched = P.Unit == "x" && P.Damping == -9 && P.AlarmSelect == 0;
            break;
        }
        case 34: {
            float D = 2.5f;
            O.Key = KeyOfCall([&] { H.WriteDamping(D); });
            O.Untouched = D == 2.5f;
            break;
        }
        case 35: {
            std::string U = "bar";
            float Up = 10, Lo = 0;
            O.Key = KeyOfCall([&] { H.WriteRangeValues(U, Up, Lo); });
            O.Untouched = U == "bar" && Up == 10 && Lo == 0;
            break;
        }
        case 36: O.Key = KeyOfCall([&] { H.SetUpperRangeValue(); }); break;
        case 37: O.Key = KeyOfCall([&] { H.SetLowerRangeValue(); }); break;
        case 43: O.Key = KeyOfCall([&] { H.SetPVZero(); }); break;
        case 40:
        case 45:
        case 46: {
            float C = -9;
            O.Key = KeyOfCall([&] {
                if (Command == 40)
                    H.FixLoopCurrent(C);
                else if (Command == 45)
                    H.TrimLoopCurrentZero(C);
                else
                    H.TrimLoopCurrentGain(C);
            });
            O.Untouched = C == -9;
            break;
        }
        case 44: {
            std::string U = "bar";
            O.Key = KeyOfCall([&] { H.WritePVUnit(U); });
            O.Untouched = U == "bar";
            break;
        }
    }
    return O;
}

TEST(HartCommandResponseCodes, EveryCommandNamesEveryCode)
{
    struct TRow {
        uint8_t Command;
        uint8_t Code;
        const char* Key;
    };
    std::vector<TRow> Rows = {
        // rows of the read commands
        {0, 6, "7.TRANSSPEC"},
        {0, 16, "19.ACCESSRESTRICTED"},
        {0, 7, "23.UNDEFINED"},
        {13, 6, "7.TRANSSPEC"},
        {13, 16, "19.ACCESSRESTRICTED"},
        {13, 7, "23.UNDEFINED"},
        {14, 6, "7.TRANSSPEC"},
        {14, 16, "19.ACCESSRESTRICTED"},
        {14, 8, "23.UNDEFINED"},
        {15, 6, "7.TRANSSPEC"},
        {15, 16, "19.ACCESSRESTRICTED"},
        {15, 5, "23.UNDEFINED"},
        // 3
        {3, 6, "7.TRANSSPEC"},
        {3, 8, "1.UPDATEFAILURE"},
        {3, 16, "19.ACCESSRESTRICTED"},
        {3, 7, "23.UNDEFINED"},
        // 18
        {18, 5, "6.TOOSHORTRESP"},
        {18, 6, "7.TRANSSPEC"},
        {18, 7, "8.WRITEPROTECT"},
        {18, 16, "19.ACCESSRESTRICTED"},
        {18, 8, "23.UNDEFINED"},
        // 34
        {34, 3, "4.TOOLARGEPARAM"},
        {34, 4, "5.TOOSMALLPARAM"},
        {34, 5, "6.TOOSHORTRESP"},
        {34, 6, "7.TRANSSPEC"},
        {34, 7, "8.WRITEPROTECT"},
        {34, 8, "0.TONEAREST"},
        {34, 16, "19.ACCESSRESTRICTED"},
        {34, 9, "23.UNDEFINED"},
        // 35
        {35, 2, "1.INVALIDSELECTION"},
        {35, 5, "6.TOOSHORTRESP"},
        {35, 6, "7.TRANSSPEC"},
        {35, 7, "8.WRITEPROTECT"},
        {35, 8, "0.TONEAREST"},
        {35, 9, "10.LOWERTOOHIGH"},
        {35, 10, "12.LOWERTOOLOW"},
        {35, 11, "14.UPPERTOOHIGH"},
        {35, 12, "15.UPPERTOOLOW"},
        {35, 13, "17.OUTOFLIMITS"},
        {35, 14, "18.SPANTOOSMAL"},
        {35, 16, "19.ACCESSRESTRICTED"},
        {35, 18, "20.INVALIDUNIT"},
        {35, 29, "21.INVALIDSPAN"},
        {35, 3, "23.UNDEFINED"},
        {35, 15, "23.UNDEFINED"},
        // 36 and 37
        {36, 6, "7.TRANSSPEC"},
        {36, 7, "8.WRITEPROTECT"},
        {36, 9, "9.PROCTOOHIGH"},
        {36, 10, "11.PROCTOOLOW"},
        {36, 14, "18.SPANTOOSMALL"},
        {36, 16, "19.ACCESSRESTRICTED"},
        {36, 8, "23.UNDEFINED"},
        {36, 11, "23.UNDEFINED"},
        {37, 6, "7.TRANSSPEC"},
        {37, 7, "8.WRITEPROTECT"},
        {37, 9, "9.PROCTOOHIGH"},
        {37, 10, "11.PROCTOOLOW"},
        {37, 14, "18.SPANTOOSMALL"},
        {37, 16, "19.ACCESSRESTRICTED"},
        {37, 5, "23.UNDEFINED"},
        {37, 15, "23.UNDEFINED"},
        // 43
        {43, 7, "8.WRITEPROTECT"},
        {43, 9, "9.PROCTOOHIGH"},
        {43, 10, "11.PROCTOOLOW"},
        {43, 16, "19.ACCESSRESTRICTED"},
        {43, 6, "23.UNDEFINED"},
        {43, 14, "23.UNDEFINED"},
        // 44
        {44, 2, "1.INVALIDSELECTION"},
        {44, 5, "6.TOOSHORTRESP"},
        {44, 7, "8.WRITEPROTECT"},
        {44, 16, "19.ACCESSRESTRICTED"},
        {44, 6, "23.UNDEFINED"},
        {44, 18, "23.UNDEFINED"},
        // 40
        {40, 3, "30.CURRENTTOOHIGH"},
        {40, 4, "31.CURRENTTOOLOW"},
        {40, 5, "6.TOOSHORTRESP"},
        {40, 6, "7.TRANSSPEC"},
        {40, 7, "8.WRITEPROTECT"},
        {40, 11, "32.MULTIDROPMODE"},
        {40, 16, "19.ACCESSRESTRICTED"},
        {40, 9, "23.UNDEFINED"},
        // 45 and 46
        {45, 3, "33.TRIMTOOLARGE"},
        {45, 4, "34.TRIMTOOSMALL"},
        {45, 9, "35.LOOPCURRENTMODE"},
        {45, 11, "32.MULTIDROPMODE"},
        {45, 7, "8.WRITEPROTECT"},
        {45, 8, "23.UNDEFINED"},
        {46, 3, "33.TRIMTOOLARGE"},
        {46, 4, "34.TRIMTOOSMALL"},
        {46, 5, "6.TOOSHORTRESP"},
        {46, 6, "7.TRANSSPEC"},
        {46, 9, "35.LOOPCURRENTMODE"},
        {46, 16, "19.ACCESSRESTRICTED"},
        {46, 10, "23.UNDEFINED"},
    };
    // The rows every command shares.
    for (uint8_t Command : {0, 3, 13, 14, 15, 18, 34, 35, 36, 37, 40, 43, 44, 45, 46}) {
        Rows.push_back({Command, 0, ""});
        Rows.push_back({Command, 32, "22.BUSY"});
        Rows.push_back({Command, 64, "137.COMMANDNOTIMPLEMENTED"});
        Rows.push_back({Command, 1, "23.UNDEFINED"});
        Rows.push_back({Command, 127, "23.UNDEFINED"});
    }

    for (const TRow& R : Rows) {
        SCOPED_TRACE("command " + std::to_string(R.Command) + ", code " + std::to_string(R.Code));
        TCmdLink L;
        // Data that would change every output if it were decoded.
        const TBytes Data(24, 0x41);
        const TBytes Frame = R.Command == 0 ? ShortReply(0, Concat({R.Code, 0}, Data))
                                            : LongReply(R.Command, Concat({R.Code, 0}, Data));
        L.Peer.AddReply(TSimReply(Frame));
        if (R.Command != 0)
            L.Identify();
        L.Peer.SetDefaultReply(TSimReply(Frame));  // a busy device stays busy through the repeats
        const TOutcome O = RunCommand(*L.Hart, R.Command);
        EXPECT_EQ(O.Key, R.Key);
        EXPECT_EQ(L.Hart->Response.ResponseMessage, R.Code == 0 ? "0.NONE" : R.Key);
        if (R.Code != 0) {
            EXPECT_TRUE(O.Untouched) << "outputs changed by a failed command";
        }
        if (R.Command == 0) {
            EXPECT_EQ(L.Hart->LongAddressValid(), R.Code == 0);
        }
    }
}

TEST(HartCommandResponseCodes, CommunicationErrorsStayTheLinksKeys)
{
    TCmdLink L;
    L.Identify();
    L.Peer.AddReply(TSimReply(LongReply(15, {0x90, 0x00})));
    TPrVarInfo P;
    EXPECT_EQ(KeyOfCall([&] { L.Hart->ReadPrVarInfo(P); }), "130.FRAMING");
    EXPECT_EQ(P.Unit, "");
}

TEST(HartCommand, FormatPropertiesKeepTheirDefaultsAndValues)
{
    THart H(std::make_unique<TSimSerialDevice>());
    EXPECT_EQ(H.FloatFormat(), XEMICS);
    EXPECT_TRUE(H.SwapEepData());
    EXPECT_FALSE(H.SwapRamData());
    EXPECT_FALSE(H.LongAddressValid());
    EXPECT_EQ(H.NumPreamble(), 6);
    EXPECT_EQ(H.CommDevice(), 0u);
}

}  // namespace
