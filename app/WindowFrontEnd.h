#pragma once
// The window as the front end of the transmitter sequences: their log lines go
// to the application log, their steps to the progress bar, and pending events
// run between exchanges so the window stays painted.

#include "transmitter/TransmitterFrontEnd.h"

class QProgressBar;
class TCalibLog;

class TWindowFrontEnd : public TTransmitterFrontEnd {
public:
    TWindowFrontEnd(TCalibLog& Log, QProgressBar& Progress)
        : FLog(Log)
        , FProgress(Progress)
    {
    }

    void Log(const QString& Line) override;
    void StepStarted() override;
    void StepDone() override;
    void Pending() override;

private:
    TCalibLog& FLog;
    QProgressBar& FProgress;
};
