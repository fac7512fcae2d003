// The device's health in the window: the indicator and the dialog against the
// failing simulator, command 48 after a read that saw more status, the reset
// of the configuration-changed flag, and the Frames window.

#include "MainWindowFixture.h"

#include "app/DeviceStatusDialog.h"
#include "app/FramesWindow.h"
#include "app/PortComboBox.h"
#include "app/StatusIndicator.h"
#include "app/workflows/StatusWorkflow.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

std::vector<int> Commands(const TSimTransmitter& Transmitter)
{
    std::vector<int> commands;
    for (const TSimRequest& request : Transmitter.Requests())
        commands.push_back(request.Command);
    return commands;
}

TEST_F(TMainWindowTest, IndicatorAndDialogShowTheFailingTransmitter)
{
    struct TCase {
        const char* Name;
        std::function<void(TSimHealthFaults&)> Setup;
        std::vector<int> Commands;
        TNe107Class Class;
        const char* Indicator;
        const char* Additional;  // the dialog's command 48 field
        const char* GermanIndicator;
    };
    const std::vector<TCase> cases = {
        {"sensor failure and a critical power failure",
         [](TSimHealthFaults& H) {
             H.SensorFailure = true;
             H.AdditionalStatus = {0, 0, 0, 0, 0, 0, 0x04};
         },
         {0, 14, 15, 13, 48},
         TNe107Class::Failure,
         "Failure: device malfunction, more status available, primary variable out of limits",
         "00 00 00 00 00 00 04\ncritical power failure",
         "Ausfall: Gerätestörung, weiterer Status verfügbar, Primärvariable außerhalb der Grenzen"},
        {"saturated",
         [](TSimHealthFaults& H) { H.Saturated = true; },
         {0, 14, 15, 13},
         TNe107Class::OutOfSpecification,
         "Out of specification: loop current saturated",
         "not read yet",
         "Außerhalb der Spezifikation: Schleifenstrom in Sättigung"},
        {"maintenance in command 48",
         [](TSimHealthFaults& H) { H.AdditionalStatus = {0, 0, 0, 0, 0, 0, 0x01}; },
         {0, 14, 15, 13, 48},
         TNe107Class::MaintenanceRequired,
         "Maintenance required: more status available",
         "00 00 00 00 00 00 01\nmaintenance required",
         "Wartungsbedarf: weiterer Status verfügbar"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSimDeviceState state;
        c.Setup(state.Health);
        TSimTransmitter& tx = AddTransmitter("COM1", state);
        TfrmMain& w = Start();
        TStatusIndicator& indicator = *w.Ui().stDeviceStatus;
        EXPECT_EQ(indicator.text(), Text(QStringLiteral("DS.UNKNOWN")));
        w.Ui().cmbPort->setCurrentIndex(0);
        w.Ui().acRead->trigger();
        ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join(' ').toStdString();
        EXPECT_EQ(Commands(tx), c.Commands);
        // Command 48 leaves the read's status text, and no progress bar over it.
        EXPECT_FALSE(w.Ui().prbProgress->isVisible());
        EXPECT_EQ(w.StatusText(1), Text(QStringLiteral("infReadAddInfo")));
        EXPECT_EQ(indicator.Class(), c.Class);
        EXPECT_EQ(indicator.text(), QString::fromUtf8(c.Indicator));
        EXPECT_EQ(indicator.palette().color(QPalette::Window), TStatusIndicator::ClassColor(c.Class));

        // A click on the indicator opens the dialog.
        QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&indicator, &click);
        const TFrmDeviceStatus& dialog = w.Health().Dialog();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.isModal());
        EXPECT_EQ(dialog.stStatusClass->text(), Text(QString::fromLatin1(DeviceStatus::Ne107Name(c.Class).Key)));
        EXPECT_EQ(dialog.stStatusAdditional->text(), QString::fromUtf8(c.Additional));
        EXPECT_EQ(dialog.stStatusWriteProtect->text(), QStringLiteral("not write-protected"));
        EXPECT_FALSE(dialog.stStatusUpdated->text().isEmpty());

        w.Ui().acLangGer->trigger();
        EXPECT_EQ(indicator.text(), QString::fromUtf8(c.GermanIndicator));
        EXPECT_EQ(dialog.btnResetChanged->text(), Text(QStringLiteral("btnResetChanged.Caption"), 1));
        Window.reset();
        Transmitters.clear();
        Factory = std::make_shared<TSimPortFactory>();
    }
}

TEST_F(TMainWindowTest, TheDialogResetsTheConfigurationChangedFlagWhenConfirmed)
{
    TSimTransmitter& tx = AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().chbUseUSB->setChecked(true);
    w.Ui().acRead->trigger();
    w.Ui().edDamping->setText(QStringLiteral("2"));
    w.Ui().acSet->trigger();
    ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join(' ').toStdString();
    EXPECT_EQ(w.Ui().stDeviceStatus->text(), QStringLiteral("Good: configuration changed"));

    w.Ui().mmiDeviceStatus->trigger();
    const TFrmDeviceStatus& dialog = w.Health().Dialog();
    tx.ClearRequests();
    Dialogs->QueueAnswer(false);
    dialog.btnResetChanged->click();
    EXPECT_TRUE(tx.Requests().empty()) << "sent without the operator's yes";

    Dialogs->QueueAnswer(true);
    dialog.btnResetChanged->click();
    EXPECT_EQ(Dialogs->Shown().back().Text, Text(QStringLiteral("W.RESETCHANGED")));
    EXPECT_EQ(Commands(tx), (std::vector<int> {38, 0, 15, 48}));
    EXPECT_EQ(w.Ui().stDeviceStatus->text(), QStringLiteral("Good"));
    EXPECT_EQ(dialog.stStatusBits->text(), QStringLiteral("00\nno bit set"));
    EXPECT_EQ(w.StatusText(1), Text(QStringLiteral("infResetChanged")));
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
}

TEST_F(TMainWindowTest, FramesWindowShowsEveryExchangeAndSavesThem)
{
    AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().mmiFrames->trigger();
    TFrmFrames& frames = w.Health().Frames();
    EXPECT_TRUE(frames.isVisible());
    w.Ui().acRead->trigger();

    ASSERT_EQ(frames.Count(), 4);
    EXPECT_EQ(frames.memFrames->blockCount(), 4);
    const QString text = frames.Text();
    qsizetype at = 0;
    for (const char* command : {"command 0,", "command 14,", "command 15,", "command 13,"}) {
        const qsizetype found = text.indexOf(QLatin1String(command), at);
        EXPECT_GT(found, at) << command;
        at = found;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("device status 20 (cold start)")));

    frames.btnCopyFrames->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
    Dialogs->QueueFileName(QStringLiteral("frames.txt"));
    frames.btnSaveFrames->click();
    QFile saved(QStringLiteral("frames.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), text);

    // The newest 10,000 stay, in the list and in the view.
    for (int i = 0; i < TFrmFrames::MaxExchanges; ++i)
        frames.Add(QStringLiteral("exchange %1\nline two\n").arg(i));
    EXPECT_EQ(frames.Count(), TFrmFrames::MaxExchanges);
    EXPECT_EQ(frames.memFrames->blockCount(), TFrmFrames::MaxExchanges);
    EXPECT_TRUE(frames.Text().startsWith(QStringLiteral("exchange 0\nline two\nexchange 1\n")));
}

}  // namespace
