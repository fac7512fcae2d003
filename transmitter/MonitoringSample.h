#pragma once
// One monitoring sample: a command 3 exchange gives the loop current and the
// pressure in its unit, stamped with the time the answer came. The window's
// monitoring tick and the command-line tool's monitor take their samples
// through it. Failures pass through as EHartComError with its key.

#include <QDateTime>
#include <QString>

class THart;

struct TMonitoringSample {
    float Pressure = 0;
    float Current = 0;
    QString Unit;
    QDateTime Time;
};

TMonitoringSample ReadMonitoringSample(THart& Hart);
