#pragma once
// How a transmitter sequence reaches the front end that runs it: the English
// log lines of its steps, its progress, and questions to the operator. The
// window shows them in its log file, progress bar and boxes, the command-line
// tool on the terminal; a sequence knows neither. Every call has a silent
// default, so a front end implements only what it shows.

#include <QString>

class TTransmitterFrontEnd {
public:
    virtual ~TTransmitterFrontEnd() = default;

    // An English line for the application log, as it happens.
    virtual void Log(const QString& /*Line*/) {}
    // A step that talks to the transmitter starts, and it has ended (the
    // window grows and advances its progress bar).
    virtual void StepStarted() {}
    virtual void StepDone() {}
    // Between the exchanges of a step: the window lets pending events run.
    virtual void Pending() {}
    // A yes/no question to the operator; true for yes.
    virtual bool Confirm(const QString& /*Question*/) { return false; }

    // A front end that shows nothing and answers no.
    static TTransmitterFrontEnd& Silent();
};
