#pragma once
// TCalibrationCheck: the as-found / as-left check as both front ends run it.
// Begin reads what the record says about the transmitter (commands 0, 13 and
// 15); each point then takes a few command 3 readings of the PV and the loop
// current and evaluates their means against the operator's reference reading.
// Failures pass through as EHartComError with their key.

#include "hart/HartCommand.h"
#include "transmitter/CalibrationRecord.h"
#include "transmitter/TransmitterFrontEnd.h"

class TCalibrationCheck {
public:
    explicit TCalibrationCheck(THart& Hart, TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent())
        : FHart(Hart)
        , FFrontEnd(FrontEnd)
    {
    }

    // A record with the transmitter's identity, range, unit and damping, the
    // time and the user; no points yet.
    TCalibrationRecord Begin(bool AsLeft, double Tolerance);
    // Reads the transmitter Samples times and adds the evaluated point.
    const TCalibrationPoint& MeasurePoint(TCalibrationRecord& Record, double Percent, double Reference,
                                          int Samples = 5);

private:
    THart& FHart;
    TTransmitterFrontEnd& FFrontEnd;
};
