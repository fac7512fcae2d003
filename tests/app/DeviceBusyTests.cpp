// A workflow lets the window handle events between its commands; what the
// operator does then must not start a second exchange with the transmitter
// inside the first, and the window must come back as it was when the workflow
// ends, also when it ends in an error.

#include "MainWindowFixture.h"

#include "app/PortComboBox.h"
#include "sim/SimTransmitterPeer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <stdexcept>

namespace {

// Answers as the transmitter does; once the answer to the request numbered
// At (from 1) is on the line, Action runs at the window's next event round.
class TIntrudingPeer : public TSimPeer {
public:
    TIntrudingPeer(TSimTransmitter& Tx, TSimSerialDevice& Line, std::function<void()> Action, uint64_t At)
        : FInner(Tx)
        , FTx(Tx)
        , FAction(std::move(Action))
        , FAt(Tx.RequestCount() + At)
    {
        Line.SetPeer(this);
    }
    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) override
    {
        FInner.OnMasterBytes(Line, Data, Count, EndUs);
        if (FTx.RequestCount() == FAt)
            QTimer::singleShot(0, FAction);
    }

private:
    TSimTransmitterPeer FInner;
    TSimTransmitter& FTx;
    std::function<void()> FAction;
    uint64_t FAt;
};

std::vector<int> Commands(const TSimTransmitter& Tx)
{
    std::vector<int> commands;
    for (const TSimRequest& request : Tx.Requests())
        commands.push_back(request.Command);
    return commands;
}

// The controls that talk to the device, and whether each is enabled.
std::vector<std::pair<QString, bool>> DeviceControls(const TfrmMain& W)
{
    std::vector<std::pair<QString, bool>> states;
    for (QAction* action :
         {W.Ui().acRead, W.Ui().acSet, W.Ui().acSetUR, W.Ui().acSetLR, W.Ui().acSetZero, W.Ui().acLoad, W.Ui().acSave,
          W.Ui().acStartMonitoring, W.Ui().mmiRead, W.Ui().mmiLoad, W.Ui().mmiSave})
        states.emplace_back(action->objectName(), action->isEnabled());
    for (QWidget* widget :
         std::initializer_list<QWidget*> {W.Ui().cmbPort, W.Ui().chbUseUSB, W.Ui().cmbSensorType, W.Ui().tbtnRead,
                                          W.Ui().tbtnSet, W.Ui().bbtnSetUpperRange, W.Ui().bbtnSetZero})
        states.emplace_back(widget->objectName(), widget->isEnabled());
    return states;
}

struct TIntruder {
    const char* Name;
    std::function<void(TfrmMain&)> Act;
};

}  // namespace

// What the operator can do between the commands of a Read: nothing of it runs
// while the Read talks to the transmitter, and all of it works afterwards.
TEST_F(TMainWindowTest, NothingThatTalksToTheDeviceStartsInsideARead)
{
    const TIntruder intruders[] = {
        {"Read action", [](TfrmMain& w) { w.Ui().acRead->trigger(); }},
        {"Read menu item", [](TfrmMain& w) { w.Ui().mmiRead->trigger(); }},
        {"Read button", [](TfrmMain& w) { w.Ui().tbtnRead->click(); }},
        {"Read shortcut", [](TfrmMain& w) { QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier); }},
        {"Set action", [](TfrmMain& w) { w.Ui().acSet->trigger(); }},
        {"Set shortcut", [](TfrmMain& w) { QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier); }},
        {"Upper range button", [](TfrmMain& w) { w.Ui().bbtnSetUpperRange->click(); }},
        {"Zero action", [](TfrmMain& w) { w.Ui().acSetZero->trigger(); }},
        {"Load shortcut", [](TfrmMain& w) { QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier); }},
        {"Port chosen by key", [](TfrmMain& w) { QTest::keyClick(w.Ui().cmbPort, Qt::Key_Down); }},
        {"Port typed", [](TfrmMain& w) { QTest::keyClicks(w.Ui().cmbPort->lineEdit(), "2"); }},
    };
    TSimTransmitter& tx = AddTransmitter("COM1");
    AddTransmitter("COM2");
    TfrmMain& w = Start();
    w.activateWindow();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();  // Set and Save open with it
    ASSERT_TRUE(Dialogs->Errors().isEmpty());
    const auto idle = DeviceControls(w);

    for (const TIntruder& intruder : intruders) {
        SCOPED_TRACE(intruder.Name);
        w.Ui().cmbPort->setCurrentIndex(0);
        w.Ui().cmbPort->setFocus();
        tx.ClearRequests();
        Dialogs->Clear();
        std::vector<std::pair<QString, bool>> during;
        TIntrudingPeer peer(
            tx, Line("COM1"),
            [&] {
                during = DeviceControls(w);
                intruder.Act(w);
            },
            1);

        w.Ui().acRead->trigger();

        // The intruder came between the first and the second command.
        ASSERT_FALSE(during.empty());
        for (const auto& [name, enabled] : during)
            EXPECT_FALSE(enabled) << name.toStdString();
        EXPECT_EQ(Commands(tx), (std::vector<int> {0, 14, 15, 13}));
        EXPECT_TRUE(Dialogs->Shown().isEmpty()) << Dialogs->Shown()[0].Text.toStdString();
        EXPECT_TRUE(ApplicationErrors.isEmpty());
        EXPECT_TRUE(w.Hart().PortOpen());
        EXPECT_EQ(w.Ui().cmbPort->currentText(), "COM1");
        EXPECT_EQ(w.StatusText(1), Text("infReadAddInfo"));
        EXPECT_EQ(w.Ui().edTag->text().trimmed(), "PT-101");
        // The sensor type stays off after a read until the port changes.
        auto expected = idle;
        for (auto& [name, enabled] : expected)
            enabled = enabled && name != "cmbSensorType";
        EXPECT_EQ(DeviceControls(w), expected);
    }

    // Outside a workflow the same input does start its workflow.
    const auto ran = [&] {
        return std::tuple(tx.RequestCount(), Dialogs->Shown().size(), w.Hart().PortOpen(),
                          w.Ui().cmbPort->currentText());
    };
    Line("COM1").SetPeer(nullptr);
    TSimTransmitterPeer plain(tx, Line("COM1"));
    for (const TIntruder& intruder : intruders) {
        SCOPED_TRACE(intruder.Name);
        w.Ui().cmbPort->setCurrentIndex(0);
        w.Ui().acRead->trigger();
        // Something for Set to write.
        w.Ui().edDamping->setText(w.Ui().edDamping->text() == "2" ? "3" : "2");
        w.Ui().cmbPort->setFocus();
        Dialogs->Clear();
        const auto before = ran();
        intruder.Act(w);
        EXPECT_NE(ran(), before);
    }
}

// However a workflow ends, the controls come back as they were before it.
TEST_F(TMainWindowTest, TheDeviceControlsComeBackAfterAFailedOrAbortedWorkflow)
{
    TSimTransmitter& tx = AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    const auto fresh = DeviceControls(w);

    // No transmitter answers: the read fails with its key; Set and Save stay off.
    TSimFault silent;
    silent.NoAnswer = true;
    tx.QueueFault(silent);
    w.Ui().acRead->trigger();
    ASSERT_EQ(Dialogs->Errors(), QStringList {Text("141.TRANSMITTERTIMEOUT")});
    auto expected = fresh;
    for (auto& [name, enabled] : expected)
        enabled = enabled && name != "cmbSensorType";
    EXPECT_EQ(DeviceControls(w), expected);
    EXPECT_FALSE(w.Ui().acSet->isEnabled());

    // An exception of another kind leaves the Set through the application's
    // error display; the controls come back all the same.
    w.Ui().cmbPort->setCurrentIndex(0);
    emit w.Ui().cmbPort->activated(0);
    w.Ui().acRead->trigger();
    ASSERT_TRUE(w.Ui().acSet->isEnabled());
    const auto afterRead = DeviceControls(w);
    struct TThrowingPeer : TSimPeer {
        void OnMasterBytes(TSimSerialDevice&, const uint8_t*, size_t, int64_t) override
        {
            throw std::runtime_error("line broke");
        }
    } throwing;
    Line("COM1").SetPeer(&throwing);
    w.Ui().edDamping->setText("2");
    w.Ui().acSet->trigger();
    EXPECT_EQ(ApplicationErrors, QStringList {"line broke"});
    EXPECT_EQ(DeviceControls(w), afterRead);
    Line("COM1").SetPeer(nullptr);
}
