// The device status workflow: the indicator, the dialog, the Frames window and
// the automatic command 48.

#include "app/workflows/StatusWorkflow.h"

#include "app/Application.h"
#include "app/DeviceBusy.h"
#include "app/DeviceStatusDialog.h"
#include "app/FramesWindow.h"
#include "app/OperatorDialogs.h"
#include "app/PortComboBox.h"
#include "app/StatusIndicator.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "services/SafeSave.h"
#include "services/StreamError.h"
#include "services/UnitLogger.h"
#include "transmitter/FrameTrace.h"
#include "transmitter/StatusRead.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTime>
#include <QTimer>

namespace {

constexpr uint8_t CmdReadPrVarInfo = 15, CmdResetChanged = 38, CmdReadAdditional = 48;
constexpr uint8_t RcSuccess = 0, RcNotImplemented = 64;
constexpr size_t WriteProtectByte = 15;  // of command 15's reply data

}  // namespace

TStatusWorkflow::TStatusWorkflow(TMainView& View, TStatusIndicator& Indicator)
    : FView(View)
    , FUi(View.Ui())
    , FIndicator(Indicator)
    , FDialog(new TFrmDeviceStatus(View.Window()))
    , FFrames(new TFrmFrames(View.Window()))
{
    FIndicator.OnClick = [this] { acDeviceStatusExecute(); };
    // A button's handler runs as the window's handlers do: an exception goes to
    // the default error display, a file error in the window's language.
    const auto guarded = [this](QPushButton* Button, const std::function<void()>& Handler) {
        QObject::connect(Button, &QPushButton::clicked, Button, [this, Handler] {
            TApplication::Guard([this, &Handler] {
                try {
                    Handler();
                } catch (const EStreamError& e) {
                    TApplication::ShowException(e.Text([this](const QString& Key) { return Translate(Key); }));
                }
            });
        });
    };
    guarded(FDialog->btnReadStatus, [this] { ReadStatusAgain(); });
    guarded(FDialog->btnResetChanged, [this] { ResetConfigurationChanged(); });
    guarded(FFrames->btnCopyFrames, [this] { CopyFrames(); });
    guarded(FFrames->btnSaveFrames, [this] { SaveFrames(); });
    FView.Hart().OnExchange = [this](const THartExchangeTrace& Trace) { Exchange(Trace); };
    ShowHealth();
}

QString TStatusWorkflow::Translate(const QString& Key) const
{
    return FView.Translate(Key);
}

TNe107Class TStatusWorkflow::Class() const
{
    if (FHealth.DeviceStatus & MoreStatusAvailableBit)
        return DeviceStatus::Classify(FHealth);
    return DeviceStatus::Classify(FHealth.DeviceStatus);
}

// --- every exchange --------------------------------------------------------------------

void TStatusWorkflow::Exchange(const THartExchangeTrace& Trace)
{
    FFrames->Add(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + FormatExchange(Trace));
    // Only a reply read whole and checked carries a device status.
    if (!Trace.ErrorKey.empty() || Trace.Reply.ByteCount < 2)
        return;
    TakeReply(Trace.Reply);
    ShowHealth();
}

void TStatusWorkflow::TakeReply(const THartDeviceResponse& Reply)
{
    const uint8_t code = Reply.Data[0];
    FHealth.DeviceStatus = Reply.Data[1];
    if (Reply.Command == CmdReadAdditional && code == RcSuccess) {
        FHealth.AdditionalRead = true;
        FHealth.AdditionalNotImplemented = false;
        FHealth.Additional.assign(&Reply.Data[2], &Reply.Data[2] + (Reply.ByteCount - 2));
    } else if (Reply.Command == CmdReadAdditional && code == RcNotImplemented) {
        FHealth.AdditionalRead = false;
        FHealth.AdditionalNotImplemented = true;
        FHealth.Additional.clear();
    } else if (Reply.Command == CmdReadPrVarInfo && code == RcSuccess && Reply.ByteCount >= 2 + WriteProtectByte + 1) {
        FHealth.WriteProtectRead = true;
        FHealth.WriteProtect = Reply.Data[2 + WriteProtectByte];
    }
    FKnown = true;
    FUpdated = QDateTime::currentDateTime();

    const bool more = FHealth.DeviceStatus & MoreStatusAvailableBit;
    const bool monitoring = FUi.tmrMonitor->isActive();
    // The reply to command 48 itself asks for nothing more.
    if (more && Reply.Command != CmdReadAdditional && (!monitoring || !FMoreStatusBefore))
        FMoreStatusPending = true;
    FMoreStatusBefore = more;
}

void TStatusWorkflow::ShowHealth()
{
    const TTranslate translate = [this](const QString& Key) { return Translate(Key); };
    if (!FKnown) {
        FIndicator.ShowUnknown(Translate(QStringLiteral("DS.UNKNOWN")));
        FDialog->ShowHealth(nullptr, TNe107Class::Good, FUpdated, translate);
        return;
    }
    const TNe107Class now = Class();
    QString text = Translate(QString::fromLatin1(DeviceStatus::Ne107Name(now).Key));
    const std::vector<TStatusWord> words = DeviceStatus::DeviceStatusWords(FHealth.DeviceStatus);
    QStringList bits;
    for (const TStatusWord& word : words)
        bits << StatusWordText(word, translate);
    if (!bits.isEmpty())
        text += QStringLiteral(": ") + bits.join(QStringLiteral(", "));
    FIndicator.ShowClass(now, text);
    FDialog->ShowHealth(&FHealth, now, FUpdated, translate);
}

void TStatusWorkflow::Retranslate()
{
    ShowHealth();
    FFrames->setWindowTitle(Translate(QStringLiteral("frmFrames.Caption")));
}

// --- command 48 after a workflow ----------------------------------------------------------

void TStatusWorkflow::AfterHandler()
{
    if (!FMoreStatusPending || FReadingMore || FView.DeviceBusy())
        return;
    FMoreStatusPending = false;
    THart& hart = FView.Hart();
    // A workflow that closed the port is left alone; the dialog reads on demand.
    if (!hart.PortOpen() || !hart.LongAddressValid())
        return;
    const TDeviceBusy busy(FView.DeviceLock());
    FReadingMore = true;
    try {
        TStatusRead(hart, FView.FrontEnd()).ReadAdditional(FHealth);
    } catch (const EHartComError& e) {
        FReadingMore = false;
        Finish(QString());
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
        return;
    }
    FReadingMore = false;
    // The workflow's status text stays; only the progress bar goes.
    Finish(QString());
    ShowHealth();
}

// --- the dialog ---------------------------------------------------------------------------

void TStatusWorkflow::acDeviceStatusExecute()
{
    ShowHealth();
    FDialog->show();
    FDialog->raise();
    FDialog->activateWindow();
}

void TStatusWorkflow::OpenLink()
{
    THart& hart = FView.Hart();
    if (!hart.PortOpen()) {
        hart.OpenPort(FView.DevicePath(FUi.cmbPort->currentText()).toStdString());
        FView.ApplyLineRules();
    }
}

void TStatusWorkflow::Finish(const QString& StatusKey)
{
    FUi.prbProgress->setVisible(false);
    FView.SetStatusPanel1OwnerDrawn(false);
    if (!StatusKey.isEmpty())
        FView.SetStatusText(1, Translate(StatusKey));
}

void TStatusWorkflow::ReadStatusAgain()
{
    if (FView.DeviceBusy())
        return;
    const TDeviceBusy busy(FView.DeviceLock());
    FView.Log().WriteLine(QStringLiteral("Read the device status"));
    FView.SetStatusPanel1OwnerDrawn(true);
    FUi.prbProgress->setMaximum(0);
    FUi.prbProgress->setValue(0);
    FReadingMore = true;
    try {
        OpenLink();
        FHealth = TStatusRead(FView.Hart(), FView.FrontEnd()).Read();
    } catch (const EHartComError& e) {
        FReadingMore = false;
        Finish(QString());
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
        return;
    }
    FReadingMore = false;
    FMoreStatusPending = false;
    FUpdated = QDateTime::currentDateTime();
    FKnown = true;
    ShowHealth();
    Finish(QStringLiteral("infReadStatus"));
}

void TStatusWorkflow::ResetConfigurationChanged()
{
    if (FView.DeviceBusy())
        return;
    if (!FView.Dialogs().AskYesNo(FDialog, Translate(QStringLiteral("W.RESETCHANGED")), TDialogIcon::Confirmation))
        return;
    const TDeviceBusy busy(FView.DeviceLock());
    FView.Log().WriteLine(QStringLiteral("Reset the configuration changed flag"));
    FView.SetStatusPanel1OwnerDrawn(true);
    FUi.prbProgress->setMaximum(0);
    FUi.prbProgress->setValue(0);
    FReadingMore = true;
    try {
        OpenLink();
        THart& hart = FView.Hart();
        if (!hart.LongAddressValid()) {
            THartDevInfo identity;
            hart.ReadUniqueIdentifier(identity);
        }
        FHealth = TStatusRead(hart, FView.FrontEnd()).ResetConfigurationChanged();
    } catch (const EHartComError& e) {
        FReadingMore = false;
        Finish(QString());
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
        return;
    }
    FReadingMore = false;
    FMoreStatusPending = false;
    FUpdated = QDateTime::currentDateTime();
    FKnown = true;
    ShowHealth();
    const bool stillSet = FHealth.DeviceStatus & ConfigurationChangedBit;
    Finish(stillSet ? QString() : QStringLiteral("infResetChanged"));
    // Acknowledged but not done: said as a failure, not shown as done.
    if (stillSet)
        FView.ShowError(Translate(QStringLiteral("E.RESETCHANGED")));
}

// --- the Frames window ---------------------------------------------------------------------

void TStatusWorkflow::acFramesExecute()
{
    FFrames->setWindowTitle(Translate(QStringLiteral("frmFrames.Caption")));
    FFrames->show();
    FFrames->raise();
    FFrames->activateWindow();
}

void TStatusWorkflow::CopyFrames()
{
    QGuiApplication::clipboard()->setText(FFrames->Text());
}

void TStatusWorkflow::SaveFrames()
{
    TFileDialogOptions options;
    options.Title = Translate(QStringLiteral("btnSaveFrames.Caption"));
    options.Filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
    options.DefaultExt = QStringLiteral("txt");
    const std::optional<QString> name = FView.Dialogs().GetSaveFileName(FFrames, options);
    if (!name)
        return;
    SaveFileBytes(*name, FFrames->Text().toUtf8());
    FView.Log().WriteLine(QStringLiteral("Frames saved to ") + *name);
}
