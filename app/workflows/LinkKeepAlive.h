#pragma once
// Keeps a HART-IP session open while the window is idle: a HART-IP server
// closes a session that stays quiet past its inactivity time, so between the
// operator's actions the link is asked every few seconds whether a keep-alive
// is due (it sends one when half that time has passed). Nothing happens on a
// serial port or while a workflow talks to the transmitter.

#include <QTimer>

class TMainView;

class TLinkKeepAlive {
public:
    static constexpr int IntervalMs = 5000;

    explicit TLinkKeepAlive(TMainView& View);

    // One tick of the timer (tests call it).
    void Tick();

private:
    TMainView& FView;
    QTimer FTimer;
};
