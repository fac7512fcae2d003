// Monitoring and data logging: what a start refuses, what each tick puts into
// the charts and the logger, the save question and the file on disk, the link
// lost during a recording, closing with unsaved samples, the labelling and the
// chart panels, and printing a chart to PDF. Ticks are calls made by the test.

#include "MainWindowFixture.h"

#include "app/Application.h"
#include "app/PortComboBox.h"
#include "chart/NorvaneChart.h"
#include "services/UnitDataloger.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace {

TSimSignal Constant(double Bar)
{
    TSimSignal signal;
    signal.Level = Bar;
    return signal;
}

// The loop current of the default device (range 0 to 10 bar) at Bar.
float CurrentAt(double Bar)
{
    return float(4 + 16 * Bar / 10);
}

// The lines of a data-log file, split at CR LF.
QStringList FileLines(const QString& Name)
{
    QFile file(Name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

class TMonitorTest : public TMainWindowTest {
protected:
    // A window that has read the transmitter on COM1 and shows the "Datalog"
    // page with "Save datalog" ticked and the given capacity and rate.
    TfrmMain& ReadyToRecord(const QString& Capacity, const QString& Rate)
    {
        TSimDeviceState state;
        state.Damping = 0;  // each tick reads the pressure applied for it
        Tx = &AddTransmitter("COM1", state);
        TfrmMain& w = Start();
        w.Ui().cmbPort->setCurrentIndex(0);
        w.Ui().chbUseUSB->setChecked(true);
        w.Ui().acRead->trigger();
        w.Ui().tbnMain->setCurrentIndex(1);
        w.Ui().chbSaveDatalog->click();
        w.Ui().edStorageCap->setText(Capacity);
        w.Ui().edRate->setText(Rate);
        Dialogs->Clear();
        return w;
    }

    // One tick of the monitoring timer with Bar applied to the transmitter, one
    // interval after the previous tick, or LateUs later.
    void Tick(double Bar, int64_t LateUs = 0)
    {
        Tx->SetSignal(Constant(Bar));
        TSimClock& clock = Line("COM1").Clock();
        clock.AdvanceTo(std::max(LastTickUs, clock.NowUs()) + Window->Ui().tmrMonitor->interval() * 1000 + LateUs);
        LastTickUs = clock.NowUs();
        TApplication::Guard([this] { Window->tmrMonitorTimer(); });
    }

    QString File(const QString& Name) const { return QDir::current().filePath(Name); }

    TSimTransmitter* Tx = nullptr;
    int64_t LastTickUs = 0;
};

// --- a start that is refused ------------------------------------------------------------

struct TRefusedStartCase {
    const char* Name;
    QString Capacity;
    QString Rate;
    QString Expected;  // the text shown: a key, or a key with its argument
    QString Argument;
};

class TRefusedStartTest : public TMonitorTest, public ::testing::WithParamInterface<TRefusedStartCase> {};

TEST_P(TRefusedStartTest, ShowsItsTextAndLeavesEverythingAsItWas)
{
    const TRefusedStartCase& c = GetParam();
    TfrmMain& w = ReadyToRecord(c.Capacity, c.Rate);
    const QString status = w.StatusText(1);
    w.Ui().tbtnStartDatalog->click();

    QString expected = Text(c.Expected);
    if (!c.Argument.isEmpty())
        expected = expected.arg(c.Argument);
    EXPECT_EQ(Dialogs->Errors(), QStringList {expected});
    EXPECT_FALSE(w.Ui().tmrMonitor->isActive());
    EXPECT_EQ(w.Monitoring().Dataloger, nullptr);
    EXPECT_TRUE(w.Ui().pnlDataMain->isEnabled());
    EXPECT_EQ(w.StatusText(1), status);
    EXPECT_EQ(w.Monitoring().PressureCurve, nullptr);  // the charts untouched
}

INSTANTIATE_TEST_SUITE_P(Inputs, TRefusedStartTest,
                         ::testing::Values(TRefusedStartCase {"CapacityZero", "0", "1", "E5.frmMain", {}},
                                           TRefusedStartCase {"CapacityNegative", "-1", "1", "E5.frmMain", {}},
                                           TRefusedStartCase {"CapacityNoNumber", "abc", "1", "E5.frmMain", {}},
                                           TRefusedStartCase {"RateEmpty", "3", "", "E10.frmMain", {}},
                                           TRefusedStartCase {"RateZero", "3", "0", "E10.frmMain", {}},
                                           TRefusedStartCase {"RateNoNumber", "3", "x", "E10.frmMain", {}},
                                           TRefusedStartCase {"RateBeyondTheTimer", "3", "1e10", "E10.frmMain", {}},
                                           TRefusedStartCase {"RateWithGrouping", "3", "1,000.5", "E10.frmMain", {}},
                                           // One command 3 at 1200 baud takes 0.52 s.
                                           TRefusedStartCase {"RateShorterThanOneExchange", "3", "0.5", "E14.frmMain",
                                                              "0.53"}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// --- a recording to its capacity -----------------------------------------------------------

struct TCompleteCase {
    const char* Name;
    bool AnswerYes;  // to "save the full datalog?"
    bool FirstSaveFails;  // the chosen file cannot be written
};

class TCompleteTest : public TMonitorTest, public ::testing::WithParamInterface<TCompleteCase> {};

TEST_P(TCompleteTest, ThirdTickOfCapacityThreeStopsAsksAndTheSamplesReachTheFile)
{
    const TCompleteCase& c = GetParam();
    TfrmMain& w = ReadyToRecord("3", "0.75");
    const bool setWasEnabled = w.Ui().acSet->isEnabled();
    w.Ui().tbtnStartDatalog->click();
    ASSERT_TRUE(Dialogs->Shown().isEmpty()) << Dialogs->Errors().join("; ").toStdString();
    ASSERT_TRUE(w.Ui().tmrMonitor->isActive());
    EXPECT_EQ(w.Ui().tmrMonitor->interval(), 750);

    // While recording nothing may reset or close the port under the timer.
    const std::vector<QObject*> locked
        = {w.Ui().acRead,    w.Ui().acSet,   w.Ui().acLoad,    w.Ui().acSetUR,      w.Ui().acSetLR,
           w.Ui().acSetZero, w.Ui().cmbPort, w.Ui().chbUseUSB, w.Ui().cmbSensorType};
    Tick(1.5);
    for (QObject* object : locked)
        EXPECT_FALSE(object->property("enabled").toBool()) << object->objectName().toStdString();
    const size_t requests = Tx->Requests().size();
    w.Ui().acRead->trigger();
    EXPECT_EQ(Tx->Requests().size(), requests);
    // A rate field emptied meanwhile changes nothing: the rate is fixed at the start.
    w.Ui().edRate->clear();
    Tick(2.25);
    EXPECT_TRUE(Dialogs->Shown().isEmpty());
    EXPECT_TRUE(ApplicationErrors.isEmpty());

    if (c.AnswerYes)
        Dialogs->QueueAnswer(true);
    const QString target = c.FirstSaveFails ? File("missing/run.log") : File("run.log");
    if (c.AnswerYes)
        Dialogs->QueueFileName(target);
    Tick(3.0);

    EXPECT_FALSE(w.Ui().tmrMonitor->isActive());
    ASSERT_GE(Dialogs->Shown().size(), 1);
    EXPECT_EQ(Dialogs->Shown()[0].Kind, TScriptedOperatorDialogs::TKind::Question);
    EXPECT_EQ(Dialogs->Shown()[0].Text, Text("W4.frmMain"));
    EXPECT_TRUE(w.Ui().pnlDataMain->isEnabled());
    EXPECT_EQ(w.StatusText(1), Text("infAllowEdit"));
    EXPECT_TRUE(w.Ui().acRead->isEnabled());
    EXPECT_TRUE(w.Ui().cmbPort->isEnabled());
    EXPECT_FALSE(w.Ui().cmbSensorType->isEnabled());  // as the read left it
    EXPECT_EQ(w.Ui().acSet->isEnabled(), setWasEnabled);

    // The n-th point lies at (n - 1) times the rate.
    EXPECT_EQ(w.Monitoring().PressureCurve->XValues(), (std::vector<double> {0, 0.75, 1.5}));
    EXPECT_EQ(w.Monitoring().PressureCurve->YValues(), (std::vector<double> {1.5, 2.25, 3.0}));
    ASSERT_EQ(w.Monitoring().CurrentCurve->PointCount(), 3u);
    EXPECT_FLOAT_EQ(float(w.Monitoring().CurrentCurve->YValues()[2]), CurrentAt(3.0));
    EXPECT_EQ(w.Ui().stCurrentPressureValue->text(), "3.0000");
    EXPECT_EQ(w.Ui().stCurrentCurrentValue->text(), "8.8000");

    if (c.FirstSaveFails) {
        EXPECT_EQ(ApplicationErrors.size(), 1);
        ASSERT_NE(w.Monitoring().Dataloger, nullptr);
        EXPECT_EQ(w.Monitoring().Dataloger->Count(), 3);
    }
    if (!c.AnswerYes || c.FirstSaveFails) {
        // The samples wait; the stop offers the save again.
        ASSERT_NE(w.Monitoring().Dataloger, nullptr);
        EXPECT_TRUE(w.Monitoring().Dataloger->Complete());
        Dialogs->QueueFileName(File("run.log"));
        w.Ui().tbtnStopDatalog->click();
    }
    EXPECT_EQ(w.Monitoring().Dataloger, nullptr);
    EXPECT_EQ(w.Monitoring().DatalogDir, QDir::currentPath());
    const QStringList lines = FileLines(File("run.log"));
    ASSERT_EQ(lines.size(), 3);
    const QStringList expected[] = {{"6.4", "", "1.5"}, {"7.6", "", "2.25"}, {"8.8", "", "3"}};
    for (int i = 0; i < 3; ++i) {
        // Date and time with their blanks as TABs, then current, two TABs, pressure.
        const QStringList fields = lines[i].split('\t');
        ASSERT_GE(fields.size(), 5) << lines[i].toStdString();
        EXPECT_EQ(fields.mid(fields.size() - 3), expected[i]) << lines[i].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, TCompleteTest,
                         ::testing::Values(TCompleteCase {"YesSaves", true, false},
                                           TCompleteCase {"NoKeepsTheSamplesForTheStop", false, false},
                                           TCompleteCase {"AFailedSaveKeepsTheSamples", true, true}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TMonitorTest, WithoutCapacityTheRecordingNeverCompletesAndAStopBeforeAnyStartChangesNothing)
{
    TfrmMain& w = ReadyToRecord("", "1");
    w.Ui().tbtnStopDatalog->click();
    EXPECT_TRUE(Dialogs->Shown().isEmpty());
    EXPECT_TRUE(w.Ui().pnlDataMain->isEnabled());

    w.Ui().tbtnStartDatalog->click();
    EXPECT_EQ(w.Monitoring().Capacity, std::numeric_limits<int32_t>::max());
    for (int i = 0; i < 5; ++i)
        Tick(1.0, i == 4 ? 12000000 : 0);  // the last one held back 12 s
    EXPECT_TRUE(w.Ui().tmrMonitor->isActive());
    EXPECT_TRUE(Dialogs->Shown().isEmpty());
    ASSERT_NE(w.Monitoring().Dataloger, nullptr);
    EXPECT_EQ(w.Monitoring().Dataloger->Count(), 5);
    EXPECT_EQ(w.Monitoring().PressureCurve->XValues().back(), 16.0);

    // A stop with samples offers them; a cancelled dialog keeps them for "Save
    // data log…", and closing asks.
    Dialogs->QueueCancel();
    w.Ui().tbtnStopDatalog->click();
    EXPECT_FALSE(w.Ui().tmrMonitor->isActive());
    EXPECT_TRUE(w.Ui().acRead->isEnabled());
    EXPECT_EQ(w.StatusText(1), "");  // no longer "recording"
    Dialogs->QueueChoice(TDialogAnswer::Cancel);
    EXPECT_FALSE(w.close());
    // So does a new recording, which then does not start.
    Dialogs->QueueChoice(TDialogAnswer::Cancel);
    w.Ui().tbtnStartDatalog->click();
    EXPECT_FALSE(w.Ui().tmrMonitor->isActive());
    EXPECT_EQ(Dialogs->Shown().back().Text, Text("W6.frmMain"));
    ASSERT_TRUE(w.Ui().mmiSaveDatalog->isEnabled());
    Dialogs->QueueFileName(File("later.log"));
    w.Ui().mmiSaveDatalog->trigger();
    EXPECT_EQ(FileLines(File("later.log")).size(), 5);
    EXPECT_FALSE(w.Ui().tbtnSaveDatalog->isEnabled());

    // A new recording starts unzoomed.
    w.Ui().bdcPressure->SetScale(400);
    w.Ui().bdcCurrent->SetScale(400);
    w.Ui().tbtnStartDatalog->click();
    EXPECT_EQ(w.Ui().bdcPressure->Scale() + w.Ui().bdcCurrent->Scale(), 200);
}

// --- the link lost during a recording -----------------------------------------------------

struct TLinkLostCase {
    const char* Name;
    void (*Break)(TSimTransmitter& Tx, TSimSerialDevice& Line);
};

class TLinkLostTest : public TMonitorTest, public ::testing::WithParamInterface<TLinkLostCase> {};

TEST_P(TLinkLostTest, OffersTheSamplesThenShowsOneErrorAndNoFurtherTickRuns)
{
    TfrmMain& w = ReadyToRecord("10", "1");
    w.Ui().tbtnStartDatalog->click();
    Tick(1.0);
    Tick(2.0);
    GetParam().Break(*Tx, Line("COM1"));
    Dialogs->QueueFileName(File("partial.log"));
    MarkLog();
    Tick(3.0);

    const auto& shown = Dialogs->Shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].Kind, TScriptedOperatorDialogs::TKind::SaveFile);
    EXPECT_EQ(shown[1].Kind, TScriptedOperatorDialogs::TKind::Message);
    EXPECT_EQ(shown[1].Icon, TDialogIcon::Error);
    EXPECT_NE(shown[1].Text, TLangManager::NotDefined);
    EXPECT_FALSE(LogSinceMark().contains(shown[1].Text));
    EXPECT_TRUE(ApplicationErrors.isEmpty()) << ApplicationErrors.join("; ").toStdString();
    EXPECT_FALSE(w.Ui().tmrMonitor->isActive());
    EXPECT_EQ(w.Monitoring().Dataloger, nullptr);
    EXPECT_EQ(FileLines(File("partial.log")).size(), 2);
    EXPECT_TRUE(w.Ui().acRead->isEnabled());
    EXPECT_TRUE(w.Ui().pnlDataMain->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Faults, TLinkLostTest,
                         ::testing::Values(TLinkLostCase {"TransmitterSilent",
                                                          [](TSimTransmitter& Tx, TSimSerialDevice&) {
                                                              TSimFault silent;
                                                              silent.NoAnswer = true;
                                                              for (int i = 0; i < 8; ++i)
                                                                  Tx.QueueFault(silent);
                                                          }},
                                           TLinkLostCase {
                                               "AdapterPulled",
                                               [](TSimTransmitter&, TSimSerialDevice& Line) {
                                                   for (TSimOp op : {TSimOp::SetRts, TSimOp::SetDtr, TSimOp::Purge})
                                                       Line.SetOpFails(op, true);
                                                   Line.FailNextWrite(0);
                                                   for (int i = 0; i < 8; ++i)
                                                       Line.AddReadFault(TSimReadFault::Fail);
                                               }}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// --- closing with samples not saved ---------------------------------------------------------

struct TCloseCase {
    const char* Name;
    TDialogAnswer Answer;
    bool CancelSaveDialog;
    bool Closes;
    bool FileWritten;
};

class TCloseTest : public TMonitorTest, public ::testing::WithParamInterface<TCloseCase> {};

TEST_P(TCloseTest, AsksBeforeTheSamplesAreLost)
{
    const TCloseCase& c = GetParam();
    TfrmMain& w = ReadyToRecord("", "1");
    w.Ui().tbtnStartDatalog->click();
    Tick(1.0);
    Dialogs->RunWhileNextQuestionIsOpen([this] {
        EXPECT_TRUE(Window->Ui().tmrMonitor->isActive());  // the recording goes on
        Tick(2.0);
    });
    Dialogs->QueueChoice(c.Answer);
    if (c.CancelSaveDialog)
        Dialogs->QueueCancel();
    else
        Dialogs->QueueFileName(File("closing.log"));

    EXPECT_EQ(w.close(), c.Closes);
    ASSERT_GE(Dialogs->Shown().size(), 1);
    EXPECT_EQ(Dialogs->Shown()[0].Text, Text("W5.frmMain"));
    EXPECT_EQ(QFile::exists(File("closing.log")), c.FileWritten);
    if (c.FileWritten) {
        EXPECT_EQ(FileLines(File("closing.log")).size(), 2);
    }
    if (!c.Closes) {
        ASSERT_NE(w.Monitoring().Dataloger, nullptr);
        EXPECT_EQ(w.Monitoring().Dataloger->Count(), 2);
        // Cancelled, the recording goes on; a failed save ended it.
        EXPECT_EQ(w.Ui().tmrMonitor->isActive(), c.Answer == TDialogAnswer::Cancel);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, TCloseTest,
    ::testing::Values(TCloseCase {"CancelKeepsTheWindow", TDialogAnswer::Cancel, false, false, false},
                      TCloseCase {"NoDropsTheSamples", TDialogAnswer::No, false, true, false},
                      TCloseCase {"YesSavesAndCloses", TDialogAnswer::Yes, false, true, true},
                      TCloseCase {"YesButNoFileKeepsTheWindow", TDialogAnswer::Yes, true, false, false}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// --- labelling and the chart panels ---------------------------------------------------------

TEST_F(TMonitorTest, VoltageLabellingChangesTitlesAndUnitsNotValuesAndKeepsOneRadioItemChecked)
{
    TfrmMain& w = ReadyToRecord("", "1");
    w.Ui().tbtnStartDatalog->click();
    Tick(2.5);
    EXPECT_EQ(w.Ui().bdcCurrent->AxisTitle().value(0), "I, mA");

    w.Ui().mmiVoltLine->trigger();
    Tick(2.5);
    EXPECT_EQ(w.Ui().bdcCurrent->AxisTitle().value(0), "U, V");
    EXPECT_EQ(w.Ui().lblCurrentUnit->text(), "V");
    EXPECT_EQ(w.Ui().stCurrentCurrentValue->text(), "8.0000");
    EXPECT_EQ(w.Monitoring().CurrentCurve->YValues(), (std::vector<double> {8.0, 8.0}));
    for (TNorvaneChart* chart : {w.Ui().bdcPressure, w.Ui().bdcCurrent}) {
        chart->grab();  // a steady signal below the top border, the zoom text above the plot
        EXPECT_GT(chart->ViewMaxY(), chart->Curves()[0]->YValues().back());
        EXPECT_TRUE(chart->TextScaleAbovePlot());
    }
    w.Ui().bdcPressure->SetMaxYValue(1000);  // Y labels wider than the current chart's
    w.Ui().bdcPressure->grab();
    w.Ui().bdcCurrent->grab();
    EXPECT_EQ(w.Ui().bdcPressure->PlotLeft(), w.Ui().bdcCurrent->PlotLeft());  // one time axis
    EXPECT_TRUE(w.Ui().mmiVoltLine->isChecked());
    EXPECT_FALSE(w.Ui().mmiCurrLine->isChecked());

    // A second click on the checked item keeps it checked.
    w.Ui().mmiVoltLine->trigger();
    EXPECT_TRUE(w.Ui().mmiVoltLine->isChecked());
    w.Ui().mmiCurrLine->trigger();
    EXPECT_TRUE(w.Ui().mmiCurrLine->isChecked());
    EXPECT_FALSE(w.Ui().mmiVoltLine->isChecked());
    EXPECT_EQ(w.Ui().bdcCurrent->AxisTitle().value(0), "I, mA");

    // The next read labels the current as the menu says.
    Dialogs->QueueCancel();
    w.Ui().tbtnStopDatalog->click();
    w.Ui().acRead->trigger();
    EXPECT_EQ(w.Ui().lblCurrentUnit->text(), "mA");
}

TEST_F(TMonitorTest, ChartPanelsFollowTheirCheckBoxesAndTheCurrentChartKeepsTheSplitterHeight)
{
    RemovePreferences();  // no stored splitter position
    TfrmMain& w = ReadyToRecord("", "1");
    w.resize(700, 540);
    QApplication::processEvents();
    auto currentHeight = [&w] { return w.Ui().splCharts->sizes().value(1); };

    // Half of the chart area (given at the first size; a resize goes to the
    // pressure chart), also after hiding before the splitter was moved.
    const int initial = currentHeight();
    EXPECT_NEAR(initial, w.Ui().splCharts->height() / 2, w.Ui().splCharts->height() / 20);
    w.Ui().chbCurrentLine->click();
    EXPECT_TRUE(w.Ui().pnlCurrentLine->isHidden());
    w.Ui().chbCurrentLine->click();
    EXPECT_FALSE(w.Ui().pnlCurrentLine->isHidden());
    QApplication::processEvents();
    EXPECT_EQ(currentHeight(), initial);

    // Moved by the operator, the height comes back after hiding.
    w.Ui().splCharts->setSizes({w.Ui().splCharts->height() - 120, 120});
    w.Splitter2Moved();
    EXPECT_EQ(w.ChartPanels().CurrentLineHeight, currentHeight());
    const int moved = w.ChartPanels().CurrentLineHeight;
    EXPECT_GT(moved, 0);
    w.Ui().chbCurrentLine->click();
    w.Ui().chbCurrentLine->click();
    QApplication::processEvents();
    EXPECT_EQ(currentHeight(), moved);

    // The pressure chart hidden: the current chart fills the page.
    w.Ui().chbPressureLine->click();
    QApplication::processEvents();
    EXPECT_TRUE(w.Ui().pnlPressureLine->isHidden());
    EXPECT_GT(w.Ui().pnlCurrentLine->height(), moved);
    w.Ui().chbPressureLine->click();
    QApplication::processEvents();
    EXPECT_EQ(currentHeight(), moved);
}

// --- printing ------------------------------------------------------------------------------

struct TPrintCase {
    const char* Name;
    bool Pressure;  // which chart
    bool PageSetupConfirmed;  // with an A4 landscape layout
    bool PrintConfirmed;
    const char* MediaBox;  // start of the PDF page's box (A4), or null when nothing is printed
};

class TPrintTest : public TMonitorTest, public ::testing::WithParamInterface<TPrintCase> {};

TEST_P(TPrintTest, PrintsTheChartOntoAPdfPage)
{
    const TPrintCase& c = GetParam();
    TfrmMain& w = ReadyToRecord("", "1");
    w.Ui().tbtnStartDatalog->click();
    for (double bar : {1.0, 2.0, 1.5, 3.0})
        Tick(bar);
    Dialogs->Clear();
    Dialogs->QueuePrintAnswer(c.PageSetupConfirmed);
    Dialogs->QueuePrintAnswer(c.PrintConfirmed);
    Dialogs->SetPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(20, 15, 20, 15),
                                       QPageLayout::Millimeter));
    Dialogs->SetPrintFile(File("chart.pdf"));
    (c.Pressure ? w.Ui().acPrintPresChart : w.Ui().acPrintCurrChart)->trigger();

    EXPECT_TRUE(ApplicationErrors.isEmpty()) << ApplicationErrors.join("; ").toStdString();
    ASSERT_EQ(Dialogs->Shown().size(), 2);
    EXPECT_EQ(Dialogs->Shown()[0].Kind, TScriptedOperatorDialogs::TKind::PageSetup);
    EXPECT_EQ(Dialogs->Shown()[1].Kind, TScriptedOperatorDialogs::TKind::Print);
    QFile pdf(File("chart.pdf"));
    if (!c.MediaBox) {
        EXPECT_FALSE(pdf.exists());
        return;
    }
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.size(), 4000);  // a chart, not an empty page
    EXPECT_TRUE(bytes.contains(c.MediaBox)) << c.MediaBox;
    EXPECT_TRUE(w.Ui().tmrMonitor->isActive());  // printing does not disturb the recording
}

INSTANTIATE_TEST_SUITE_P(
    Charts, TPrintTest,
    ::testing::Values(TPrintCase {"PressurePortraitWithDefaultMargins", true, false, true, "/MediaBox [0 0 595"},
                      TPrintCase {"CurrentLandscapeFromThePageSetup", false, true, true, "/MediaBox [0 0 842"},
                      TPrintCase {"CancelledPrintWritesNothing", true, true, false, nullptr}),
    [](const auto& Info) { return std::string(Info.param.Name); });
