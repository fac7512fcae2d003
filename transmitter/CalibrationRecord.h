#pragma once
// The record of an as-found or as-left check: the transmitter it was made on,
// every test point with its errors, and the result; its CSV form. Errors are
// in percent of the span, so one tolerance serves the PV and the current.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

struct TCalibrationPoint {
    double Percent = 0;  // of the span
    double Reference = 0;  // the reference reading, in the range unit
    double PV = 0;  // mean of the readings
    double PVSpread = 0;  // largest minus smallest reading
    double PVError = 0;  // percent of span
    double Current = 0;  // mA, mean of the readings
    double CurrentSpread = 0;
    double ExpectedCurrent = 0;  // mA for the reference
    double CurrentError = 0;  // percent of span
    bool Pass = false;
};

struct TCalibrationRecord {
    QString Tag, Descriptor, Manufacturer, DeviceType, SerialNr;
    double LowerRange = 0, UpperRange = 0;
    QString Unit;
    double Damping = 0;
    bool AsLeft = false;
    QDateTime Time;
    QString User;
    double Tolerance = 0.25;  // percent of span
    std::vector<TCalibrationPoint> Points;

    double Span() const { return UpperRange - LowerRange; }
    // True when there are points and every one passes.
    bool Passed() const;
};

namespace Calibration {

// The default test points, in percent of the span.
std::vector<double> DefaultPoints();
// The points with the falling ones appended (100, 75, ... back to the first).
std::vector<double> WithFallingPoints(const std::vector<double>& Rising);
// The pressure to apply at a point, in the range unit.
double PointPressure(const TCalibrationRecord& Record, double Percent);
// 4 + 16 (Reference - LRV) / span.
double ExpectedCurrent(double Reference, double LowerRange, double UpperRange);
// A point from the reference and the mean readings: errors and pass/fail.
TCalibrationPoint Evaluate(const TCalibrationRecord& Record, double Percent, double Reference, double PV,
                           double Current);
// One line per point after a header, "." as the decimal separator.
QByteArray Csv(const TCalibrationRecord& Record);
// The user name of this session, for the record.
QString UserName();

}  // namespace Calibration
