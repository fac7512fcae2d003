#include "transmitter/CalibrationRecord.h"

#include <QtGlobal>

#include <cmath>

bool TCalibrationRecord::Passed() const
{
    if (Points.empty())
        return false;
    for (const TCalibrationPoint& Point : Points)
        if (!Point.Pass)
            return false;
    return true;
}

namespace Calibration {

std::vector<double> DefaultPoints()
{
    return {0, 25, 50, 75, 100};
}

std::vector<double> WithFallingPoints(const std::vector<double>& Rising)
{
    std::vector<double> all = Rising;
    for (auto It = Rising.rbegin() + (Rising.empty() ? 0 : 1); It != Rising.rend(); ++It)
        all.push_back(*It);
    return all;
}

double PointPressure(const TCalibrationRecord& Record, double Percent)
{
    return Record.LowerRange + Percent / 100.0 * Record.Span();
}

double ExpectedCurrent(double Reference, double LowerRange, double UpperRange)
{
    return 4.0 + 16.0 * (Reference - LowerRange) / (UpperRange - LowerRange);
}

TCalibrationPoint Evaluate(const TCalibrationRecord& Record, double Percent, double Reference, double PV,
                           double Current)
{
    TCalibrationPoint point;
    point.Percent = Percent;
    point.Reference = Reference;
    point.PV = PV;
    point.Current = Current;
    const double span = Record.Span();
    point.ExpectedCurrent = ExpectedCurrent(Reference, Record.LowerRange, Record.UpperRange);
    point.PVError = (PV - Reference) / span * 100.0;
    point.CurrentError = (Current - point.ExpectedCurrent) / 16.0 * 100.0;
    // A reading that is not a number (a failed sensor) never passes.
    const auto within = [&](double Error) { return std::fabs(Error) <= Record.Tolerance; };
    point.Pass = within(point.PVError) && within(point.CurrentError);
    return point;
}

namespace {

QByteArray Number(double Value, int Decimals)
{
    return QByteArray::number(Value, 'f', Decimals);
}

}  // namespace

QByteArray Csv(const TCalibrationRecord& Record)
{
    QByteArray text = "point_percent,reference,pv,pv_error_percent_span,current_ma,current_expected_ma,"
                      "current_error_percent_span,result\n";
    for (const TCalibrationPoint& P : Record.Points) {
        text += Number(P.Percent, 2) + ',' + Number(P.Reference, 5) + ',' + Number(P.PV, 5) + ',' + Number(P.PVError, 4)
                + ',' + Number(P.Current, 4) + ',' + Number(P.ExpectedCurrent, 4) + ',' + Number(P.CurrentError, 4)
                + ',' + (P.Pass ? "pass" : "fail") + '\n';
    }
    return text;
}

QString UserName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    return name;
}

}  // namespace Calibration
