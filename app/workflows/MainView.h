#pragma once
// What a workflow of the main window may ask of the window: its controls, the
// HART component, the log, the modal boxes, texts of the language file, the
// status bar, the port paths and the lock that keeps a second exchange with the
// transmitter from starting inside a first one. A workflow sees nothing else of
// the window, and nothing of another workflow.

#include <QString>

class QWidget;
class TCalibLog;
class TDeviceLock;
class THart;
class TOperatorDialogs;
class TTransmitterFrontEnd;
struct TfrmMainUi;

class TMainView {
public:
    virtual const TfrmMainUi& Ui() const = 0;
    // The window itself: the parent of every box a workflow shows.
    virtual QWidget* Window() = 0;
    virtual THart& Hart() = 0;
    virtual TCalibLog& Log() = 0;
    // The window as the front end of the transmitter sequences: log, progress bar.
    virtual TTransmitterFrontEnd& FrontEnd() = 0;
    virtual TOperatorDialogs& Dialogs() = 0;
    virtual QString Translate(const QString& Key) const = 0;
    // Logged, then shown in an error box.
    virtual void ShowError(const QString& Text) = 0;

    virtual QString StatusText(int Panel) const = 0;
    virtual void SetStatusText(int Panel, const QString& Text) = 0;
    // Panel 1 shows the progress bar while owner-drawn, its text otherwise.
    virtual void SetStatusPanel1OwnerDrawn(bool OwnerDrawn) = 0;

    // Held (TDeviceBusy) while a workflow talks to the transmitter.
    virtual TDeviceLock& DeviceLock() = 0;
    virtual bool DeviceBusy() const = 0;

    // The path that opens the named port, and the line rules of the port
    // controls ("Use USB", sensor type) applied to the open link.
    virtual QString DevicePath(const QString& Name) const = 0;
    virtual void ApplyLineRules() = 0;

protected:
    ~TMainView() = default;
};
