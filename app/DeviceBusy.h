#pragma once
// While a workflow talks to the transmitter the window lets pending events run
// between its commands (repaint, progress bar). In that time the operator must
// not start a second exchange inside the first: TDeviceBusy disables the
// actions that talk to the device and the port controls for its lifetime, and
// they come back as they were when it ends, also by an exception.
//
// The disabling is a layer of its own above each control's enabled state: the
// actions sit in one action group and the port controls in one tool bar, and
// only the group and the bar are switched. Whatever sets a control's own state
// meanwhile (a Read enabling Set and Save at its end, monitoring disabling Read
// while it records) takes effect when the layer goes. Guards nest; the layer
// goes with the last one.

#include <QList>

class QAction;
class QActionGroup;
class QObject;
class QWidget;

class TDeviceLock {
public:
    // The actions join a group of this lock (an action belongs to one group at
    // most); PortControls is the widget holding the port controls.
    TDeviceLock(const QList<QAction*>& Actions, QWidget* PortControls, QObject* Parent);

    bool Busy() const { return FDepth > 0; }

private:
    friend class TDeviceBusy;
    void Enter();
    void Leave();

    QActionGroup* FActions;
    QWidget* FPortControls;
    int FDepth = 0;
};

class TDeviceBusy {
public:
    explicit TDeviceBusy(TDeviceLock& Lock)
        : FLock(Lock)
    {
        FLock.Enter();
    }
    ~TDeviceBusy() { FLock.Leave(); }
    TDeviceBusy(const TDeviceBusy&) = delete;
    TDeviceBusy& operator=(const TDeviceBusy&) = delete;

private:
    TDeviceLock& FLock;
};
