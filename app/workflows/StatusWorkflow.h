#pragma once
// The device's health in the window. Every exchange of the link comes here
// (THartCom::OnExchange): its text goes to the Frames window, and a complete
// reply's device status to the indicator in the status bar. A reply that says
// "more status available" gets one command 48 at the end of the workflow that
// saw it (while monitoring only when the bit is new, so that the sampling keeps
// its pace). The "Device status" dialog shows everything and can read the
// status again and reset the configuration-changed flag (command 38, asked
// first). The reads are TStatusRead's, shared with calvista-cli.

#include "hart/DeviceStatus.h"
#include "hart/HartCom.h"

#include <QDateTime>
#include <QString>

class TMainView;
class TFrmDeviceStatus;
class TFrmFrames;
class TStatusIndicator;
struct TfrmMainUi;

class TStatusWorkflow {
public:
    // Indicator: the status bar's; the dialog and the Frames window are made
    // here, as children of the window.
    TStatusWorkflow(TMainView& View, TStatusIndicator& Indicator);

    // THartCom::OnExchange of the window's link.
    void Exchange(const THartExchangeTrace& Trace);
    // After each handler of the window has run.
    void AfterHandler();

    void acDeviceStatusExecute();
    void acFramesExecute();
    // The dialog's buttons.
    void ReadStatusAgain();
    void ResetConfigurationChanged();
    // Frames window buttons.
    void CopyFrames();
    void SaveFrames();
    // The texts of the indicator and the dialog in the window's language.
    void Retranslate();

    bool Known() const { return FKnown; }
    const TDeviceHealth& Health() const { return FHealth; }
    // The class shown: the device status with command 48's bytes while the
    // device says it has more status; without them when it says it has none.
    TNe107Class Class() const;
    TFrmDeviceStatus& Dialog() const { return *FDialog; }
    TFrmFrames& Frames() const { return *FFrames; }

private:
    QString Translate(const QString& Key) const;
    void TakeReply(const THartDeviceResponse& Reply);
    void ShowHealth();
    // Opens the port when a read has not left it open, and identifies the
    // transmitter when no read has.
    void OpenLink();
    void Finish(const QString& StatusKey);

    TMainView& FView;
    const TfrmMainUi& FUi;
    TStatusIndicator& FIndicator;
    TFrmDeviceStatus* FDialog;
    TFrmFrames* FFrames;
    TDeviceHealth FHealth;
    bool FKnown = false;
    QDateTime FUpdated;
    bool FMoreStatusPending = false;
    bool FMoreStatusBefore = false;
    bool FReadingMore = false;
};
