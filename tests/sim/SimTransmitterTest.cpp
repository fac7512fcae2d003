// The simulated transmitter as a HART master sees it: frames are built here
// byte by byte (not with the link's code) and the answers taken apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimSerialDevice.h"
#include "sim/SimTransmitter.h"
#include "sim/SimTransmitterPeer.h"

namespace {

using TBytes = std::vector<uint8_t>;

// The long address of the default device: 185 AND 0x3F, type 24, id 1234567.
const TBytes OwnAddress = {0x39, 0x18, 0x12, 0xD6, 0x87};

TBytes Frame(uint8_t Command, const TBytes& Data = {}, const TBytes& Address = OwnAddress, int Preambles = 5)
{
    TBytes F(static_cast<size_t>(Preambles), 0xFF);
    TBytes Body = {uint8_t(Address.size() == 5 ? 0x82 : 0x02)};
    Body.insert(Body.end(), Address.begin(), Address.end());
    Body.push_back(Command);
    Body.push_back(uint8_t(Data.size()));
    Body.insert(Body.end(), Data.begin(), Data.end());
    uint8_t Check = 0;
    for (uint8_t B : Body)
        Check ^= B;
    Body.push_back(Check);
    F.insert(F.end(), Body.begin(), Body.end());
    return F;
}

TBytes Float(float V)
{
    uint32_t Bits;
    std::memcpy(&Bits, &V, 4);
    return {uint8_t(Bits >> 24), uint8_t(Bits >> 16), uint8_t(Bits >> 8), uint8_t(Bits)};
}

float FloatAt(const TBytes& B, size_t i)
{
    const uint32_t Bits = uint32_t(B[i]) << 24 | uint32_t(B[i + 1]) << 16 | uint32_t(B[i + 2]) << 8 | B[i + 3];
    float V;
    std::memcpy(&V, &Bits, 4);
    return V;
}

TBytes Concat(TBytes A, const TBytes& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

// An answer taken apart.
struct TParsed {
    bool Answered = false;
    size_t Leading = 0;  // bytes before the delimiter
    uint8_t Delimiter = 0;
    TBytes Address;
    uint8_t Command = 0, Count = 0, Code = 0, Status = 0;
    TBytes Data;  // after the two status bytes
    bool CheckOk = false;
    std::vector<TSimOutByte> Raw;
};

TParsed Parse(const std::vector<TSimOutByte>& Out)
{
    TParsed P;
    P.Raw = Out;
    if (Out.empty())
        return P;
    P.Answered = true;
    size_t i = 0;
    while (i < Out.size() && Out[i].Byte != 0x06 && Out[i].Byte != 0x86)
        ++i;
    P.Leading = i;
    P.Delimiter = Out[i].Byte;
    uint8_t Check = Out[i++].Byte;
    const size_t AddressLength = P.Delimiter == 0x86 ? 5 : 1;
    for (size_t k = 0; k < AddressLength; ++k, ++i) {
        P.Address.push_back(Out[i].Byte);
        Check ^= Out[i].Byte;
    }
    P.Command = Out[i].Byte;
    Check ^= Out[i++].Byte;
    P.Count = Out[i].Byte;
    Check ^= Out[i++].Byte;
    for (size_t k = 0; k < P.Count; ++k, ++i) {
        Check ^= Out[i].Byte;
        if (k == 0)
            P.Code = Out[i].Byte;
        else if (k == 1)
            P.Status = Out[i].Byte;
        else
            P.Data.push_back(Out[i].Byte);
    }
    P.CheckOk = Out[i].Byte == Check;
    EXPECT_EQ(i + 1, Out.size()) << "bytes after the check byte";
    return P;
}

TParsed Exchange(TSimTransmitter& T, const TBytes& Request, int64_t Us = 0)
{
    std::vector<TSimOutByte> Out;
    for (uint8_t B : Request) {
        auto Part = T.Feed(B, Us);
        EXPECT_TRUE(Out.empty() || Part.empty()) << "answered twice";
        Out.insert(Out.end(), Part.begin(), Part.end());
    }
    return Parse(Out);
}

// --- frames -------------------------------------------------------------------------

TEST(SimTransmitterFrames, AnswersOnlyFramesForItself)
{
    struct TCase {
        const char* Name;
        TBytes Request;
        bool Answered;
    } Cases[] = {
        {"short frame to polling address 0", Frame(0, {}, {0x00}), true},
        {"short frame with the master bit", Frame(0, {}, {0x80}), true},
        {"short frame to polling address 1", Frame(0, {}, {0x01}), false},
        {"long frame to its own address", Frame(0), true},
        {"long frame with master and burst bits", Frame(0, {}, {0xF9, 0x18, 0x12, 0xD6, 0x87}), true},
        {"long frame to another device id", Frame(0, {}, {0x39, 0x18, 0x12, 0xD6, 0x88}), false},
        {"long frame to another device type", Frame(0, {}, {0x39, 0x19, 0x12, 0xD6, 0x87}), false},
        {"long frame to another manufacturer", Frame(0, {}, {0x26, 0x18, 0x12, 0xD6, 0x87}), false},
        {"two preambles are enough", Frame(0, {}, OwnAddress, 2), true},
        {"one preamble is not", Frame(0, {}, OwnAddress, 1), false},
        {"noise before the preambles", Concat({0x00, 0x55, 0x02}, Frame(0)), true},
        {"delimiter of a slave frame", Concat(TBytes(5, 0xFF), {0x06, 0x00, 0x00, 0x00, 0x06}), false},
    };
    for (const TCase& C : Cases) {
        TSimTransmitter T;
        EXPECT_EQ(Exchange(T, C.Request).Answered, C.Answered) << C.Name;
    }
}

TEST(SimTransmitterFrames, WrongCheckByteGetsNoAnswer)
{
    TSimTransmitter T;
    TBytes Bad = Frame(0);
    Bad.back() ^= 0x01;
    EXPECT_FALSE(Exchange(T, Bad).Answered);
    EXPECT_EQ(T.CheckByteErrors(), 1);
    EXPECT_TRUE(Exchange(T, Frame(0)).Answered) << "the receiver must recover for the next frame";
}

TEST(SimTransmitterFrames, AGapInMidFrameStartsOver)
{
    TSimTransmitter T;
    const TBytes F = Frame(3);
    for (size_t i = 0; i < 8; ++i)
        T.Feed(F[i], 0);  // cut off after the address
    const TParsed P = Exchange(T, F, 500000);
    EXPECT_TRUE(P.Answered);
    EXPECT_EQ(P.Command, 3);
}

TEST(SimTransmitterFrames, AnswerLayout)
{
    TSimTransmitter T;
    TParsed P = Exchange(T, Frame(0, {}, {0x00}));
    EXPECT_EQ(P.Leading, 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(P.Raw[i].Byte, 0xFF);
    EXPECT_EQ(P.Delimiter, 0x06);
    EXPECT_EQ(P.Address, TBytes {0x00});
    EXPECT_EQ(P.Count, 14);
    EXPECT_TRUE(P.CheckOk);
    EXPECT_EQ(P.Code, 0);
    EXPECT_EQ(P.Status, 0x20) << "cold start in the first answer";
    EXPECT_EQ(P.Data, (TBytes {254, 185, 24, 5, 5, 3, 0x21, 4 << 3, 0, 0x12, 0xD6, 0x87}));

    // Long frames echo the address with the master bit, without the burst bit.
    T.SetReplyPreambles(8);
    T.SetLeadingFE(true);
    P = Exchange(T, Frame(15, {}, {0xF9, 0x18, 0x12, 0xD6, 0x87}));
    EXPECT_EQ(P.Leading, 8u);
    EXPECT_EQ(P.Raw[0].Byte, 0xFE);
    EXPECT_EQ(P.Raw[1].Byte, 0xFF);
    EXPECT_EQ(P.Delimiter, 0x86);
    EXPECT_EQ(P.Address, (TBytes {0xB9, 0x18, 0x12, 0xD6, 0x87}));
    EXPECT_EQ(P.Status, 0x00);
    EXPECT_TRUE(P.CheckOk);
}

// --- commands and response codes ----------------------------------------------------------

TEST(SimTransmitterCommands, ResponseCodes)
{
    const float NaN = std::nanf("");
    struct TCase {
        const char* Name;
        std::function<void(TSimTransmitter&)> Setup;
        uint8_t Command;
        TBytes Data;
        uint8_t Code;
    } Cases[] = {
        {"read identity", nullptr, 0, {}, 0},
        {"read dynamic variables", nullptr, 3, {}, 0},
        {"read tag", nullptr, 13, {}, 0},
        {"read sensor", nullptr, 14, {}, 0},
        {"read output", nullptr, 15, {}, 0},
        {"not implemented", nullptr, 200, {}, 64},
        {"not implemented 48", nullptr, 48, {}, 64},
        // universal commands; HART 6 and 7 ones only with those revisions
        {"read PV", nullptr, 1, {}, 0},
        {"read current and percent", nullptr, 2, {}, 0},
        {"read message", nullptr, 12, {}, 0},
        {"read final assembly", nullptr, 16, {}, 0},
        {"write message short", nullptr, 17, TBytes(23, 0x20), 5},
        {"write final assembly", nullptr, 19, {1, 2, 3}, 0},
        {"poll address 15", nullptr, 6, {15}, 0},
        {"poll address 16 on HART 5", nullptr, 6, {16}, 2},
        {"poll address missing", nullptr, 6, {}, 5},
        {"protected 6", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 6, {1}, 7},
        {"poll address 63 on HART 6", [](TSimTransmitter& T) { T.MutableState().UnivCmdRev = 6; }, 6, {63, 0}, 0},
        {"loop mode 2 on HART 7", [](TSimTransmitter& T) { T.MutableState().UnivCmdRev = 7; }, 6, {3, 2}, 12},
        {"long tag on HART 5", nullptr, 20, {}, 64},
        {"write long tag on HART 5", nullptr, 22, TBytes(32, 0x41), 64},
        {"long tag on HART 6", [](TSimTransmitter& T) { T.MutableState().UnivCmdRev = 6; }, 20, {}, 0},
        {"write long tag short", [](TSimTransmitter& T) { T.MutableState().UnivCmdRev = 7; }, 22, TBytes(31, 0x41), 5},
        {"busy", [](TSimTransmitter& T) { T.SetBusyFor(1); }, 13, {}, 32},
        {"delayed response", [](TSimTransmitter& T) { T.StartDelayedResponse(1'000'000); }, 13, {}, 33},
        {"switched off", [](TSimTransmitter& T) { T.SetCommandImplemented(3, false); }, 3, {}, 64},
        // write protection
        {"protected 18", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 18, TBytes(21, 0x20), 7},
        {"protected 34", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 34, Float(1), 7},
        {"protected 35", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 35,
         Concat(Concat({7}, Float(10)), Float(0)), 7},
        {"protected 36", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 36, {}, 7},
        {"protected 37", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 37, {}, 7},
        {"protected 43", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 43, {}, 7},
        {"protected 44", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 44, {6}, 7},
        {"protected read", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 15, {}, 0},
        // output stage: fixed current (3.6..21.6 mA) and trims at the fixed ends
        {"fix 12 mA", nullptr, 40, Float(12), 0},
        {"leave fixed mode", nullptr, 40, Float(0), 0},
        {"fix too high", nullptr, 40, Float(22), 3},
        {"fix too low", nullptr, 40, Float(3.5f), 4},
        {"fix NaN", nullptr, 40, Float(NaN), 3},
        {"fix short", nullptr, 40, {0x41}, 5},
        {"fix in multidrop", [](TSimTransmitter& T) { T.MutableState().PollingAddress = 3; }, 40, Float(12), 11},
        {"trim zero not fixed", nullptr, 45, Float(4), 9},
        {"trim zero fixed at 4", [](TSimTransmitter& T) { Exchange(T, Frame(40, Float(4))); }, 45, Float(4.02f), 0},
        {"trim zero far off", [](TSimTransmitter& T) { Exchange(T, Frame(40, Float(4))); }, 45, Float(5.5f), 3},
        {"trim gain fixed at 4", [](TSimTransmitter& T) { Exchange(T, Frame(40, Float(4))); }, 46, Float(20), 9},
        {"trim gain far off", [](TSimTransmitter& T) { Exchange(T, Frame(40, Float(20))); }, 46, Float(18.5f), 4},
        {"protected 46", [](TSimTransmitter& T) { T.SetWriteProtected(true); }, 46, Float(20), 7},
        // damping
        {"damping ok", nullptr, 34, Float(2.5f), 0},
        {"damping zero", nullptr, 34, Float(0), 0},
        {"damping too large", nullptr, 34, Float(33), 3},
        {"damping negative", nullptr, 34, Float(-0.1f), 4},
        {"damping NaN", nullptr, 34, Float(NaN), 4},
        {"damping short", nullptr, 34, {0x40, 0x20}, 5},
        // range values, limits -1..40 bar, minimum span 0.4 bar
        {"range ok", nullptr, 35, Concat(Concat({7}, Float(10)), Float(0)), 0},
        {"range reversed", nullptr, 35, Concat(Concat({7}, Float(0)), Float(10)), 0},
        {"range in kPa", nullptr, 35, Concat(Concat({12}, Float(4000)), Float(-100)), 0},
        {"range unit unknown", nullptr, 35, Concat(Concat({0xFF}, Float(10)), Float(0)), 18},
        {"range both out", nullptr, 35, Concat(Concat({7}, Float(45)), Float(41)), 13},
        {"lower too high", nullptr, 35, Concat(Concat({7}, Float(10)), Float(41)), 9},
        {"lower too low", nullptr, 35, Concat(Concat({7}, Float(10)), Float(-2)), 10},
        {"upper too high", nullptr, 35, Concat(Concat({7}, Float(41)), Float(0)), 11},
        {"upper too low", nullptr, 35, Concat(Concat({7}, Float(-2)), Float(0)), 12},
        {"upper too high in kPa", nullptr, 35, Concat(Concat({12}, Float(4001)), Float(0)), 11},
        {"span too small", nullptr, 35, Concat(Concat({7}, Float(0.3f)), Float(0)), 14},
        {"span zero", nullptr, 35, Concat(Concat({7}, Float(5)), Float(5)), 29},
        {"range short", nullptr, 35, {7, 0x41, 0x20}, 5},
        // unit
        {"unit psi", nullptr, 44, {6}, 0},
        {"unit unknown", nullptr, 44, {200}, 2},
        {"unit temperature", nullptr, 44, {32}, 2},
        {"unit missing", nullptr, 44, {}, 5},
        {"tag short", nullptr, 18, TBytes(20, 0x20), 5},
        // trims against the applied pressure (default 2.5 bar)
        {"set upper", nullptr, 36, {}, 0},
        {"set lower", nullptr, 37, {}, 0},
        {"applied too high 36",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, 41});
         },
         36,
         {},
         9},
        {"applied too low 36",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, -1.5});
         },
         36,
         {},
         10},
        {"applied too high 37",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, 41});
         },
         37,
         {},
         9},
        {"applied too low 37",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, -1.5});
         },
         37,
         {},
         10},
        {"upper too close to lower",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, 0.2});
         },
         36,
         {},
         14},
        {"lower pushes upper beyond limit",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, 35});
         },
         37,
         {},
         14},
        {"zero small offset",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, 0.3});
         },
         43,
         {},
         0},
        {"zero too high",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, 2.5});
         },
         43,
         {},
         9},
        {"zero small negative offset",
         [](TSimTransmitter& T) {
             T.SetSignal({TSimSignalShape::Constant, -0.9});
         },
         43,
         {},
         0},
        {"zero far too low",
         [](TSimTransmitter& T) {
             TSimDeviceState S;
             S.LowerLimit = -10;
             T.SetState(S);
             T.SetSignal({TSimSignalShape::Constant, -3});
         },
         43,
         {},
         10},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimTransmitter T;
        if (C.Setup)
            C.Setup(T);
        const TParsed P = Exchange(T, Frame(C.Command, C.Data));
        ASSERT_TRUE(P.Answered);
        EXPECT_EQ(P.Code, C.Code);
        EXPECT_EQ(P.Command, C.Command);
        if (C.Code != 0) {
            EXPECT_TRUE(P.Data.empty()) << "an error answer carries no data";
        }
    }
}

TEST(SimTransmitterCommands, WritesChangeTheDevice)
{
    TSimTransmitter T;
    // 18 then 13: the device keeps what it was sent (its own packed ASCII).
    const TBytes Tag = {0x41, 0x4B, 0x71, 0xC3, 0x18, 0x20};  // "PT-101  "
    TBytes Desc;
    for (int i = 0; i < 4; ++i)
        Desc = Concat(Desc, {0x04, 0x20, 0xC4});  // "ABCD" x 4
    TParsed P = Exchange(T, Frame(18, Concat(Concat(Tag, Desc), {31, 12, 255})));
    EXPECT_EQ(P.Code, 0);
    EXPECT_EQ(T.State().Tag, "PT-101  ");
    EXPECT_EQ(T.State().Descriptor, "ABCDABCDABCDABCD");
    EXPECT_EQ(T.State().Year, 2155);
    P = Exchange(T, Frame(13));
    EXPECT_EQ(P.Data, Concat(Concat(Tag, Desc), {31, 12, 255}));
    EXPECT_EQ(P.Status & 0x40, 0x40) << "configuration changed";

    P = Exchange(T, Frame(34, Float(1.5f)));
    EXPECT_EQ(P.Data, Float(1.5f));
    EXPECT_EQ(T.State().Damping, 1.5f);

    P = Exchange(T, Frame(35, Concat(Concat({12}, Float(800)), Float(200))));
    EXPECT_EQ(P.Data, Concat(Concat({12}, Float(800)), Float(200)));
    P = Exchange(T, Frame(15));
    EXPECT_EQ(P.Data[2], 12);
    EXPECT_EQ(FloatAt(P.Data, 3), 800.0f);
    EXPECT_EQ(FloatAt(P.Data, 7), 200.0f);
    EXPECT_EQ(FloatAt(P.Data, 11), 1.5f);

    // A new PV unit converts the range values; limits follow in command 14.
    P = Exchange(T, Frame(44, {6}));
    EXPECT_EQ(P.Data, TBytes {6});
    P = Exchange(T, Frame(15));
    EXPECT_EQ(P.Data[2], 6);
    EXPECT_NEAR(FloatAt(P.Data, 3), 116.0302f, 1e-3);
    EXPECT_NEAR(FloatAt(P.Data, 7), 29.00755f, 1e-3);
    P = Exchange(T, Frame(14));
    EXPECT_EQ(P.Data[3], 6);
    EXPECT_NEAR(FloatAt(P.Data, 4), 580.1510f, 1e-2);
    EXPECT_NEAR(FloatAt(P.Data, 8), -14.50377f, 1e-3);
    // Command 3 now reports psi: 2.5 bar applied.
    P = Exchange(T, Frame(3), 10'000'000);
    EXPECT_EQ(P.Data[4], 6);
    EXPECT_NEAR(FloatAt(P.Data, 5), 36.2594f, 1e-3);
}

TEST(SimTransmitterCommands, TrimsUseThePresentReading)
{
    TSimDeviceState S;
    S.Damping = 0;
    TSimTransmitter T(S, {TSimSignalShape::Constant, 6.0});
    EXPECT_EQ(Exchange(T, Frame(36)).Code, 0);
    EXPECT_FLOAT_EQ(T.State().UpperRange, 6.0f);
    T.SetSignal({TSimSignalShape::Constant, 2.0});
    EXPECT_EQ(Exchange(T, Frame(37)).Code, 0);
    EXPECT_FLOAT_EQ(T.State().LowerRange, 2.0f);
    EXPECT_FLOAT_EQ(T.State().UpperRange, 8.0f) << "the span is kept";

    T.SetSignal({TSimSignalShape::Constant, 0.5});
    EXPECT_EQ(Exchange(T, Frame(43)).Code, 0);
    EXPECT_NEAR(T.PrimaryVariable(0), 0.0, 1e-9);
    T.SetSignal({TSimSignalShape::Constant, 4.5});
    EXPECT_NEAR(T.PrimaryVariable(0), 4.0, 1e-9);
    // The trims add up: a second zero may not take more than the allowance in all.
    T.SetSignal({TSimSignalShape::Constant, 2.5});
    EXPECT_EQ(Exchange(T, Frame(43)).Code, 9);
    EXPECT_NEAR(T.PrimaryVariable(0), 2.0, 1e-9);
}

// --- the measurement ---------------------------------------------------------------------

TEST(SimTransmitterMeasurement, LoopCurrent)
{
    TSimTransmitter T;  // range 0..10 bar
    struct TCase {
        double PV, Current;
    } Cases[] = {{0, 4}, {10, 20}, {5, 12}, {2.5, 8}, {-0.1, 3.84}, {-1, 3.8}, {10.3, 20.48}, {11, 20.5}};
    for (const TCase& C : Cases)
        EXPECT_NEAR(T.LoopCurrent(C.PV), C.Current, 1e-9) << C.PV;
    TSimDeviceState S;
    S.UpperRange = 0;
    S.LowerRange = 10;  // reversed output
    T.SetState(S);
    EXPECT_NEAR(T.LoopCurrent(2.5), 16.0, 1e-9);
}

TEST(SimTransmitterMeasurement, SignalShapesAndDamping)
{
    TSimDeviceState S;
    S.Damping = 0;
    struct TCase {
        TSimSignal Signal;
        int64_t Us;
        double PV;
    } Cases[] = {
        {{TSimSignalShape::Constant, 3.0}, 7'000'000, 3.0},
        {{TSimSignalShape::Sine, 5.0, 2.0, 4.0}, 1'000'000, 7.0},
        {{TSimSignalShape::Sine, 5.0, 2.0, 4.0}, 3'000'000, 3.0},
        {{TSimSignalShape::Ramp, 1.0, 10.0, 10.0}, 2'500'000, 3.5},
        {{TSimSignalShape::Ramp, 1.0, 10.0, 10.0}, 12'500'000, 3.5},
        {{TSimSignalShape::Constant, 100.0, 0, 1, 0, 12}, 0, 1.0},  // 100 kPa read in bar
    };
    for (const TCase& C : Cases) {
        TSimTransmitter T(S, C.Signal);
        EXPECT_NEAR(T.PrimaryVariable(C.Us), C.PV, 1e-9);
    }

    // A step through a first-order filter of one second reaches 63.2 % after one second.
    S.Damping = 1.0f;
    TSimTransmitter T(S, {TSimSignalShape::Constant, 0.0});
    EXPECT_NEAR(T.PrimaryVariable(0), 0.0, 1e-12);
    T.SetSignal({TSimSignalShape::Constant, 10.0});
    EXPECT_NEAR(T.PrimaryVariable(1'000'000), 6.3212, 1e-3);
    EXPECT_NEAR(T.PrimaryVariable(6'000'000), 9.9752, 1e-3);  // 1 - e^-6
}

TEST(SimTransmitterMeasurement, NoiseHasTheGivenSpread)
{
    TSimDeviceState S;
    S.Damping = 0;
    TSimTransmitter T(S, {TSimSignalShape::Constant, 5.0, 0, 1, 0.1});
    T.SetNoiseSeries(42);
    double Sum = 0, Squares = 0;
    const int N = 4000;
    for (int i = 0; i < N; ++i) {
        const double V = T.PrimaryVariable(i * 1000);
        Sum += V;
        Squares += V * V;
    }
    const double Mean = Sum / N, Sd = std::sqrt(Squares / N - Mean * Mean);
    EXPECT_NEAR(Mean, 5.0, 0.01);
    EXPECT_NEAR(Sd, 0.1, 0.01);
}

// --- faults -------------------------------------------------------------------------------

// The health faults: the device status of every reply, command 3's values,
// and the configuration-changed flag a write sets and command 38 clears.
TEST(SimTransmitterFaults, HealthFaultsShowInStatusAndValues)
{
    struct TCase {
        const char* Name;
        std::function<void(TSimHealthFaults&)> Setup;
        uint8_t Status;  // of command 3's reply
        float Current;
        bool PvNaN;
    } Cases[] = {
        {"none", [](TSimHealthFaults&) {}, 0x00, 8.0f, false},
        {"sensor failure", [](TSimHealthFaults& H) { H.SensorFailure = true; }, 0x81, 21.0f, true},
        {"saturated", [](TSimHealthFaults& H) { H.Saturated = true; }, 0x04, 20.5f, false},
        {"status bits", [](TSimHealthFaults& H) { H.StatusBits = 0x0A; }, 0x0A, 8.0f, false},
        {"more status",
         [](TSimHealthFaults& H) {
             H.AdditionalStatus = {0, 0, 1};
         },
         0x10, 8.0f, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimDeviceState State;
        State.Health.ColdStart = false;
        C.Setup(State.Health);
        TSimTransmitter T(State);
        const TParsed P = Exchange(T, Frame(3));
        EXPECT_EQ(P.Status, C.Status);
        EXPECT_FLOAT_EQ(FloatAt(P.Data, 0), C.Current);
        EXPECT_EQ(std::isnan(FloatAt(P.Data, 5)), C.PvNaN);
    }

    TSimTransmitter T;
    EXPECT_EQ(Exchange(T, Frame(0, {}, {0x80})).Status, 0x20) << "cold start in the first reply";
    EXPECT_EQ(Exchange(T, Frame(34, Float(1.5f))).Status, 0x40);
    EXPECT_EQ(Exchange(T, Frame(38)).Code, 0);
    EXPECT_EQ(Exchange(T, Frame(15)).Status, 0x00);
    T.MutableState().Health.KeepsOldValues = true;
    const TParsed Echo = Exchange(T, Frame(34, Float(3.0f)));
    EXPECT_EQ(FloatAt(Echo.Data, 0), 3.0f);
    EXPECT_EQ(T.State().Damping, 1.5f) << "acknowledged, but kept";
}

TEST(SimTransmitterFaults, EachFaultSpoilsOneAnswer)
{
    TSimTransmitter T;
    TSimFault Silent;
    Silent.NoAnswer = true;
    T.QueueFault(Silent);
    EXPECT_FALSE(Exchange(T, Frame(0)).Answered);
    EXPECT_TRUE(Exchange(T, Frame(0)).Answered) << "the fault is used up";

    TSimFault Noise;
    Noise.Noise = {0x12, 0xFF, 0x34};
    T.QueueFault(Noise);
    TParsed P = Exchange(T, Frame(0));
    EXPECT_EQ(P.Leading, 8u);
    EXPECT_EQ(P.Raw[0].Byte, 0x12);
    EXPECT_EQ(P.Raw[2].Byte, 0x34);
    EXPECT_TRUE(P.CheckOk);

    TSimFault BadCheck;
    BadCheck.BadCheckByte = true;
    T.QueueFault(BadCheck);
    EXPECT_FALSE(Exchange(T, Frame(0)).CheckOk);

    TSimFault Summary;
    Summary.CommErrorSummary = 0x10;
    T.QueueFault(Summary);
    P = Exchange(T, Frame(44, {6}));
    EXPECT_EQ(P.Code, 0x90);
    EXPECT_EQ(P.Status, 0);
    EXPECT_TRUE(P.Data.empty());
    EXPECT_EQ(T.State().PvUnit, 7) << "a garbled request is not executed";

    for (int Code : {32, 64, 8}) {
        TSimFault Rc;
        Rc.ResponseCode = Code;
        T.QueueFault(Rc);
        P = Exchange(T, Frame(34, Float(9)));
        EXPECT_EQ(P.Code, Code);
        EXPECT_TRUE(P.Data.empty());
        EXPECT_EQ(T.State().Damping, 0.4f);
    }

    TSimFault Short;
    Short.DataBytes = 4;
    T.QueueFault(Short);
    P = Exchange(T, Frame(3));
    EXPECT_EQ(P.Count, 6);
    EXPECT_EQ(P.Data.size(), 4u);
    EXPECT_TRUE(P.CheckOk);

    TSimFault Line;
    Line.LineErrorByteIndex = 6;
    Line.LineErrors = 0x0008;
    T.QueueFault(Line);
    P = Exchange(T, Frame(0));
    for (size_t i = 0; i < P.Raw.size(); ++i)
        EXPECT_EQ(P.Raw[i].LineErrors, i == 6 ? 0x0008u : 0u) << i;
    EXPECT_EQ(T.PendingFaults(), 0u);
}

// --- pacing ---------------------------------------------------------------------------------

TEST(SimTransmitterPacing, EachByteArrivesAtItsOwnTime)
{
    TSimTransmitter T;
    T.SetPacing(TSimPacing::Baud1200(20000));
    TSimFault Late;
    Late.LateByteIndex = 10;
    Late.LateByUs = 600000;
    T.QueueFault(Late);
    const TParsed P = Exchange(T, Frame(0), 1'000'000);
    ASSERT_EQ(P.Raw.size(), 28u);  // 5 preambles, delimiter, 5 address bytes, command, count, 14 data, check
    for (size_t k = 0; k < P.Raw.size(); ++k) {
        const int64_t Expected = 1'000'000 + 20000 + int64_t(k + 1) * 9167 + (k >= 10 ? 600000 : 0);
        EXPECT_EQ(P.Raw[k].ArrivalUs, Expected) << k;
    }

    T.SetPacing(TSimPacing::Instant());
    const TParsed Q = Exchange(T, Frame(0), 5);
    for (const TSimOutByte& B : Q.Raw)
        EXPECT_EQ(B.ArrivalUs, 5);
}

TEST(SimTransmitterPacing, OnTheSimulatedLineAt1200Baud)
{
    TSimSerialDevice Line;
    TSimTransmitter T;
    T.SetPacing(TSimPacing::Baud1200(15000));
    TSimTransmitterPeer Peer(T, Line);
    ASSERT_EQ(Line.Open("SIM"), TSerialOpenResult::Ok);
    Line.SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
    Line.SetTimeouts(TSerialTimeouts {});

    const TBytes Request = Frame(3);
    const int64_t Start = Line.NowUs();
    Line.Write(Request.data(), Request.size());
    const int64_t RequestEnd = Line.NowUs();
    EXPECT_EQ(RequestEnd - Start, int64_t(Request.size()) * 9167);

    TBytes Reply;
    uint8_t B;
    while (Line.Read(&B, 1).Count == 1) {
        Reply.push_back(B);
        if (Reply.size() == 5 + 1 + 5 + 2 + 16 + 1)
            break;
    }
    ASSERT_EQ(Reply.size(), 30u);
    EXPECT_EQ(Line.NowUs() - RequestEnd, 15000 + 30 * 9167);
    EXPECT_EQ(T.Requests().back().Command, 3);
    EXPECT_EQ(T.Requests().back().EndUs, RequestEnd);
}

}  // namespace
