#include "transmitter/CalibrationCheck.h"

#include <algorithm>
#include <cmath>

namespace {

struct TSeries {
    double Mean = 0;
    double Spread = 0;
};

TSeries Summarise(const std::vector<double>& Values)
{
    TSeries series;
    if (Values.empty())
        return series;
    double sum = 0;
    for (const double V : Values)
        sum += V;
    series.Mean = sum / static_cast<double>(Values.size());
    const auto [lowest, highest] = std::minmax_element(Values.begin(), Values.end());
    series.Spread = *highest - *lowest;
    return series;
}

}  // namespace

TCalibrationRecord TCalibrationCheck::Begin(bool AsLeft, double Tolerance)
{
    TCalibrationRecord record;
    record.AsLeft = AsLeft;
    record.Tolerance = Tolerance;
    record.Time = QDateTime::currentDateTime();
    record.User = Calibration::UserName();

    FFrontEnd.Log(AsLeft ? QStringLiteral("Start as-left check") : QStringLiteral("Start as-found check"));
    FFrontEnd.StepStarted();
    THartDevInfo info;
    FHart.ReadUniqueIdentifier(info);
    record.Manufacturer = QString::fromStdString(info.Manufacturer);
    record.DeviceType = QString::fromStdString(info.DeviceType);
    record.SerialNr = QString::fromStdString(info.SerialNr).trimmed();

    std::string tag, descriptor;
    uint8_t day = 0, month = 0;
    uint16_t year = 0;
    FHart.ReadTagDescriptorDate(tag, descriptor, day, month, year);
    record.Tag = QString::fromStdString(tag).trimmed();
    record.Descriptor = QString::fromStdString(descriptor).trimmed();

    TPrVarInfo output;
    FHart.ReadPrVarInfo(output);
    record.LowerRange = output.LowerRange;
    record.UpperRange = output.UpperRange;
    record.Unit = QString::fromStdString(output.Unit);
    record.Damping = output.Damping;
    FFrontEnd.StepDone();
    return record;
}

const TCalibrationPoint& TCalibrationCheck::MeasurePoint(TCalibrationRecord& Record, double Percent, double Reference,
                                                         int Samples)
{
    FFrontEnd.Log(QStringLiteral("Check point %1 %: reference %2 %3")
                      .arg(QString::number(Percent), QString::number(Reference), Record.Unit));
    FFrontEnd.StepStarted();
    std::vector<double> pvs, currents;
    for (int i = 0; i < std::max(1, Samples); ++i) {
        float current = 0, pv = 0;
        std::string unit;
        FHart.ReadDynamicVariables(current, unit, pv);
        pvs.push_back(pv);
        currents.push_back(current);
        FFrontEnd.Pending();
    }
    const TSeries pv = Summarise(pvs), current = Summarise(currents);
    TCalibrationPoint point = Calibration::Evaluate(Record, Percent, Reference, pv.Mean, current.Mean);
    point.PVSpread = pv.Spread;
    point.CurrentSpread = current.Spread;
    Record.Points.push_back(point);
    FFrontEnd.Log(QStringLiteral("PV %1 (error %2 %), current %3 mA (error %4 %): %5")
                      .arg(QString::number(point.PV, 'f', 4), QString::number(point.PVError, 'f', 3),
                           QString::number(point.Current, 'f', 4), QString::number(point.CurrentError, 'f', 3),
                           point.Pass ? QStringLiteral("pass") : QStringLiteral("fail")));
    FFrontEnd.StepDone();
    return Record.Points.back();
}
