// Every fault the simulated line and transmitter can put into one exchange,
// against every workflow that talks to the transmitter: the operator is shown
// the fault's text, nothing is claimed written that was not verified, the
// transmitter keeps its values when it never took the request, the error comes
// within the link's time bound, and the window works again afterwards.
// CALVISTA_PRINT_FAULT_MATRIX=1 prints the outcome of each cell.

#include "MainWindowFixture.h"

#include "app/PortComboBox.h"

#include <QAction>
#include <QCheckBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QComboBox>
#include <QLineEdit>

#include <cstdio>
#include <functional>

namespace {

// The transmitter on the line, with two faults the transmitter itself cannot
// make: one byte of its next answer lost, and the port vanishing under the
// link as the next request is written (the transmitter never sees it).
class TFaultyPeer : public TSimPeer {
public:
    TFaultyPeer(TSimTransmitter& Tx, TSimSerialDevice& Line)
        : FTx(Tx)
    {
        Line.SetPeer(this);
    }
    int DropByte = -1;
    bool Vanish = false;

    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) override
    {
        if (std::exchange(Vanish, false)) {
            Line.Close();
            return;
        }
        for (size_t k = 0; k < Count; ++k) {
            const std::vector<TSimOutByte> answer = FTx.Feed(Data[k], EndUs);
            for (size_t i = 0; i < answer.size(); ++i)
                if (int(i) != DropByte)
                    Line.Deliver(answer[i].Byte, answer[i].ArrivalUs, answer[i].LineErrors);
            if (!answer.empty())
                DropByte = -1;
        }
    }

private:
    TSimTransmitter& FTx;
};

struct TArm {
    TSimTransmitter& Tx;
    TSimSerialDevice& Line;
    TFaultyPeer& Peer;
};

TSimFault Fault(const std::function<void(TSimFault&)>& Set)
{
    TSimFault f;
    Set(f);
    return f;
}

// The first byte of an answer after its five preambles and the delimiter.
constexpr int AfterDelimiter = 6;

std::function<void(TArm&)> Queue(const std::function<void(TSimFault&)>& Set)
{
    return [Set](TArm& A) { A.Tx.QueueFault(Fault(Set)); };
}

std::function<void(TArm&)> LineError(uint32_t Flags)
{
    return Queue([Flags](TSimFault& f) {
        f.LineErrorByteIndex = AfterDelimiter + 2;
        f.LineErrors = Flags;
    });
}

std::function<void(TArm&)> Summary(int Bits)
{
    return Queue([Bits](TSimFault& f) { f.CommErrorSummary = Bits; });
}

struct TFaultRow {
    const char* Name;
    std::function<void(TArm&)> Arm;
    const char* Key;  // expected for every workflow; "" when the exchange succeeds
    bool Executed;  // the transmitter carried the request out
    int64_t MaxUs = 2'100'000;
};

inline void PrintTo(const TFaultRow& Row, std::ostream* Out)
{
    *Out << Row.Name;
}

struct TWorkflow {
    const char* Name;
    std::function<void(TfrmMain&, TScriptedOperatorDialogs&)> Start;
    bool TPendingEdits::*Changed = nullptr;  // Set steps: the step's change flag
    const char* Written = nullptr;  // Set steps: the status keys
    const char* NotWritten = nullptr;
    const char* DoneLine = nullptr;  // logged only when the transmitter took it
};

// What a write or trim changes on the transmitter.
std::tuple<std::string, uint8_t, float, float, float> Settings(const TSimDeviceState& S)
{
    return {S.Tag, S.PvUnit, S.UpperRange, S.LowerRange, S.Damping};
}

const TWorkflow Workflows[] = {
    {"Read", [](TfrmMain& w, TScriptedOperatorDialogs&) { w.Ui().acRead->trigger(); }},
    {"Set description",
     [](TfrmMain& w, TScriptedOperatorDialogs&) {
         w.Ui().edTag->setText("NEW-TAG");
         w.Ui().acSet->trigger();
     },
     &TPendingEdits::DescriptionChanged, "infWrittenTDD", "infNotWrittenTDD"},
    {"Set unit",
     [](TfrmMain& w, TScriptedOperatorDialogs&) {
         const int mbar = w.Ui().cmbUnit->findText("mbar");
         w.Ui().cmbUnit->setCurrentIndex(mbar);
         emit w.Ui().cmbUnit->activated(mbar);
         w.Ui().acSet->trigger();
     },
     &TPendingEdits::UnitChanged, "infWrittenRanges", "infNotWrittenRanges"},
    {"Set range",
     [](TfrmMain& w, TScriptedOperatorDialogs&) {
         w.Ui().edUpperRange->setText("20");
         w.Ui().acSet->trigger();
     },
     &TPendingEdits::RangeChanged, "infWrittenRanges", "infNotWrittenRanges"},
    {"Set damping",
     [](TfrmMain& w, TScriptedOperatorDialogs&) {
         w.Ui().edDamping->setText("2");
         w.Ui().acSet->trigger();
     },
     &TPendingEdits::DampingChanged, "infWrittenDamping", "infNotWrittenDamping"},
    {"Upper range reference",
     [](TfrmMain& w, TScriptedOperatorDialogs& d) {
         d.QueueAnswer(true);
         w.Ui().acSetUR->trigger();
     },
     nullptr, nullptr, nullptr, "Primary variable upper range was set"},
    {"Monitoring tick",
     [](TfrmMain& w, TScriptedOperatorDialogs& d) {
         w.Ui().tbnMain->setCurrentIndex(1);
         if (!w.Ui().chbSaveDatalog->isChecked())
             w.Ui().chbSaveDatalog->click();
         w.Ui().edStorageCap->setText("10");
         w.Ui().edRate->setText("1");
         w.Ui().tbtnStartDatalog->click();
         // The samples are offered before an error is shown, and at the stop
         // of a recording that the fault did not end: not saved here.
         d.QueueCancel();
         w.tmrMonitorTimer();
         if (w.Ui().tmrMonitor->isActive())
             w.Ui().acStopMonitoring->trigger();
     }},
};

class TFaultMatrixTest : public TMainWindowTest, public ::testing::WithParamInterface<TFaultRow> {};

}  // namespace

TEST_P(TFaultMatrixTest, EachWorkflowShowsTheFaultClaimsNothingAndRecovers)
{
    const TFaultRow& row = GetParam();
    const bool print = qEnvironmentVariableIsSet("CALVISTA_PRINT_FAULT_MATRIX");
    TSimDeviceState initial;
    initial.UpperLimit = 40;
    TSimTransmitter& tx = AddTransmitter("COM1", initial);
    TSimSignal applied;
    applied.Level = 5;  // bar, a valid upper range
    tx.SetSignal(applied);
    TFaultyPeer peer(tx, Line("COM1"));
    TArm arm {tx, Line("COM1"), peer};
    TfrmMain& w = Start();

    for (const TWorkflow& flow : Workflows) {
        SCOPED_TRACE(flow.Name);
        tx.SetState(initial);
        w.Ui().cmbPort->setCurrentIndex(0);
        emit w.Ui().cmbPort->activated(0);  // a fresh port after a vanished one
        w.Ui().acRead->trigger();
        ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors()[0].toStdString();
        Dialogs->Clear();
        const auto before = Settings(tx.State());
        row.Arm(arm);
        MarkLog();
        const int64_t startUs = Line("COM1").NowUs();

        flow.Start(w, *Dialogs);

        const int64_t elapsedUs = Line("COM1").NowUs() - startUs;
        const QStringList errors = Dialogs->Errors();
        if (print)
            std::printf("MATRIX | %s | %s | %s | %.3f s\n", row.Name, flow.Name,
                        errors.isEmpty() ? "-" : errors.join(" / ").toUtf8().constData(), double(elapsedUs) / 1e6);
        const bool failed = *row.Key != '\0';
        EXPECT_EQ(errors, failed ? QStringList {Text(row.Key)} : QStringList());
        EXPECT_TRUE(ApplicationErrors.isEmpty()) << ApplicationErrors.join("; ").toStdString();
        EXPECT_LE(elapsedUs, row.MaxUs);
        if (!row.Executed) {
            EXPECT_EQ(Settings(tx.State()), before);
        }
        if (flow.DoneLine) {
            EXPECT_EQ(LogSinceMark().contains(flow.DoneLine), !failed);
        }
        if (flow.Changed) {
            EXPECT_EQ(w.Writing().Edits.*flow.Changed, failed);
            EXPECT_EQ(w.StatusText(1), Text(failed ? flow.NotWritten : flow.Written));
        }

        // The window is usable again: a following Read against a healthy
        // transmitter works.
        EXPECT_FALSE(w.DeviceBusy());
        // (The reference actions wait for that read when the fault cost the port or the read.)
        EXPECT_TRUE(w.Ui().acRead->isEnabled() && w.Ui().cmbPort->isEnabled() && w.Ui().acLoad->isEnabled());
        Dialogs->Clear();
        w.Ui().acRead->trigger();
        EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors()[0].toStdString();
        EXPECT_TRUE(w.Ui().acSetUR->isEnabled());
        EXPECT_EQ(w.StatusText(1), Text("infReadAddInfo"));
        EXPECT_EQ(tx.PendingFaults(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TFaultMatrixTest,
    ::testing::Values(
        TFaultRow {"NoiseBeforeTheReply", Queue([](TSimFault& f) {
                       f.Noise = {0x12, 0x00, 0xA5, 0x7E};
                   }),
                   "", true},
        TFaultRow {"LostByte", [](TArm& A) { A.Peer.DropByte = AfterDelimiter + 8; }, "141.TRANSMITTERTIMEOUT", true},
        TFaultRow {"WrongCheckByte", Queue([](TSimFault& f) { f.BadCheckByte = true; }), "140.CRCCHECKING", true},
        TFaultRow {"SummaryBufferOverflow", Summary(0x02), "128.BUFFOVERFLOW", false},
        TFaultRow {"SummaryLongParity", Summary(0x08), "129.LONGPARITY", false},
        TFaultRow {"SummaryFraming", Summary(0x10), "130.FRAMING", false},
        TFaultRow {"SummaryOverrun", Summary(0x20), "131.OVERRUN", false},
        TFaultRow {"SummaryVerticalParity", Summary(0x40), "132.VERTPARITY", false},
        TFaultRow {"SummarySeveralBits", Summary(0x30), "135.COMMERR", false},
        // Busy through the 3 repeats, a second apart.
        TFaultRow {"Busy", [](TArm& A) { A.Tx.SetBusyFor(4); }, "22.BUSY", false, 3'100'000},
        TFaultRow {"NotImplemented", Queue([](TSimFault& f) { f.ResponseCode = 64; }), "137.COMMANDNOTIMPLEMENTED",
                   false},
        TFaultRow {"LineInputOverflow", LineError(SerialErrRxOver), "1.RXOVER", true},
        TFaultRow {"LineOverrun", LineError(SerialErrOverrun), "2.OVERRUN", true},
        TFaultRow {"LineParity", LineError(SerialErrParity), "3.RXPARITY", true},
        TFaultRow {"LineFraming", LineError(SerialErrFrame), "4.FRAME", true},
        TFaultRow {"LineBreak", LineError(SerialErrBreak), "5.BREAK", true},
        TFaultRow {"LineSeveralErrors", LineError(SerialErrParity | SerialErrFrame), "135.COMMERROR", true},
        TFaultRow {"NoAnswer", Queue([](TSimFault& f) { f.NoAnswer = true; }), "141.TRANSMITTERTIMEOUT", false},
        TFaultRow {"WriteFails", [](TArm& A) { A.Line.FailNextWrite(4); }, "302.FILEWRITE", false},
        TFaultRow {"PortVanishes", [](TArm& A) { A.Peer.Vanish = true; }, "301.FILEREAD", false, 1'000'000}),
    [](const auto& Info) { return std::string(Info.param.Name); });
