// The settings write against the simulated transmitter: what is refused before
// anything is sent, and what a transmitter that refuses a later step holds
// afterwards.
#include <gtest/gtest.h>

#include "services/UnitLangManager.h"
#include "sim/SimTransmitterPeer.h"
#include "transmitter/SettingsWrite.h"

#include <QLocale>

#include <map>

namespace {

// The command byte of a request frame: preambles, delimiter, address (five
// bytes in a long frame, one in a short one), command.
int CommandOf(const uint8_t* Data, size_t Count)
{
    size_t k = 0;
    while (k < Count && Data[k] == 0xFF)
        ++k;
    if (k == Count)
        return -1;
    const size_t at = k + 1 + ((Data[k] & 0x80) ? 5 : 1);
    return at < Count ? Data[at] : -1;
}

// The n-th request of a command and what its answer suffers.
struct TSpoil {
    uint8_t Command;
    int Occurrence;
    TSimFault Fault;
};

// An answer with a response code, or cut after some data bytes.
TSimFault Spoiled(int ResponseCode, int DataBytes = -1)
{
    TSimFault fault;
    fault.ResponseCode = ResponseCode;
    fault.DataBytes = DataBytes;
    return fault;
}

const TSimFault WithoutDamping = Spoiled(-1, 11);  // command 15 before its damping: 0 s

// Stands between the line and the transmitter and spoils the chosen answers.
class TSpoilingPeer : public TSimPeer {
public:
    TSpoilingPeer(TSimTransmitter& Tx, std::vector<TSpoil> Spoils)
        : FInner(Tx)
        , FTx(Tx)
        , FSpoils(std::move(Spoils))
    {
    }
    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) override
    {
        const int command = CommandOf(Data, Count);
        const int seen = ++FSeen[command];
        for (const TSpoil& spoil : FSpoils)
            if (spoil.Command == command && spoil.Occurrence == seen)
                FTx.QueueFault(spoil.Fault);
        FInner.OnMasterBytes(Line, Data, Count, EndUs);
    }

private:
    TSimTransmitterPeer FInner;
    TSimTransmitter& FTx;
    std::vector<TSpoil> FSpoils;
    std::map<int, int> FSeen;
};

// Tag and descriptor compared as the transmitter reports them, padded with blanks.
bool SameSettings(TSimDeviceState A, TSimDeviceState B)
{
    for (TSimDeviceState* state : {&A, &B}) {
        state->Tag.resize(8, ' ');
        state->Descriptor.resize(16, ' ');
    }
    return A.PvUnit == B.PvUnit && A.RangeUnit == B.RangeUnit && A.UpperRange == B.UpperRange
           && A.LowerRange == B.LowerRange && A.Damping == B.Damping && A.Tag == B.Tag && A.Descriptor == B.Descriptor
           && A.Day == B.Day && A.Month == B.Month && A.Year == B.Year;
}

const TDescription NewDescription {"FT-7", "LINE 4", 1, 2, 2025};

TSettingsPlan Plan(std::optional<std::string> Unit, std::optional<TRangeValues> Range, std::optional<float> Damping,
                   std::optional<TDescription> Description = {})
{
    return {Description, Unit, Range, Damping};
}

}  // namespace

TEST(SettingsWriteTest, AWriteIsWholeOrTheTransmitterKeepsItsSettings)
{
    using O = TSettingsWriteOutcome;
    struct TCase {
        const char* Name;
        TSettingsPlan Plan;
        std::vector<TSpoil> Spoils;
        O Outcome;
        const char* Key;  // the failure's
        const char* Message;  // a part of the operator's text
    };
    const std::vector<TCase> cases = {
        {"span below the minimum span, converted to mbar",
         Plan("mbar", TRangeValues {0, 300}, {}),
         {},
         O::RefusedBeforeSending,
         "E17.frmMain",
         "The span 300 mbar is smaller than the minimum span of the sensor, 400 mbar."},
        {"range refused after description and unit: both put back",
         Plan("kPa", TRangeValues {0, 400}, {}, NewDescription),
         {{35, 1, Spoiled(9)}},
         O::RefusedUnchanged,
         "10.LOWERTOOHIGH",
         "Writing the range values failed, so nothing was changed"},
        {"another damping kept: put back",
         Plan({}, {}, 0.7f),
         {{15, 2, WithoutDamping}, {15, 3, WithoutDamping}, {15, 4, WithoutDamping}},
         O::RefusedUnchanged,
         "E7.frmMain",
         "The transmitter kept 0 s instead of the value written (3 attempts)."},
        {"putting the range back refused: what it holds is told",
         Plan("kPa", TRangeValues {0, 400}, 50.0f),
         {{35, 2, Spoiled(7)}},
         O::RefusedChanged,
         "4.TOOLARGEPARAM",
         "putting the previous settings back failed too: The transmitter is write-protected. Remove the write "
         "protection and try again. The transmitter now holds 0 … 4 bar, 0.4 s."},
    };
    QLocale::setDefault(QLocale::c());
    TLangManager lang(QStringLiteral(CALVISTA_SOURCE_LANGUAGE_FILE));
    lang.SetLanguage(0);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSimTransmitter tx;
        const TSimDeviceState before = tx.State();
        TSpoilingPeer peer(tx, c.Spoils);
        auto line = std::make_unique<TSimSerialDevice>();
        line->SetPeer(&peer);
        THart hart(std::move(line));
        ASSERT_TRUE(hart.OpenPort("COM1"));
        THartDevInfo id;
        hart.ReadUniqueIdentifier(id);
        tx.ClearRequests();

        TSettingsWrite writer(hart);
        writer.Translate = [&](const QString& Key) { return lang.Translate(Key); };
        const TSettingsWriteResult result = writer.Write(c.Plan);

        EXPECT_EQ(result.Outcome, c.Outcome);
        EXPECT_EQ(result.Key, QString::fromUtf8(c.Key));
        EXPECT_TRUE(result.Message.contains(QString::fromUtf8(c.Message))) << result.Message.toStdString();
        const TSimDeviceState& after = tx.State();
        switch (c.Outcome) {
            case O::RefusedBeforeSending:
                for (const TSimRequest& request : tx.Requests())
                    EXPECT_TRUE(request.Command == 13 || request.Command == 14 || request.Command == 15)
                        << "sent command " << int(request.Command);
                break;
            case O::RefusedUnchanged: EXPECT_TRUE(SameSettings(after, before)); break;
            case O::RefusedChanged: EXPECT_FALSE(SameSettings(after, before)); break;
            case O::Written: break;
        }
    }
}
