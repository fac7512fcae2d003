#include "transmitter/MonitoringSample.h"

#include "hart/HartCommand.h"

#include <string>

TMonitoringSample ReadMonitoringSample(THart& Hart)
{
    TMonitoringSample sample;
    std::string unit;
    Hart.ReadDynamicVariables(sample.Current, unit, sample.Pressure);
    sample.Unit = QString::fromStdString(unit);
    sample.Time = QDateTime::currentDateTime();
    return sample;
}
