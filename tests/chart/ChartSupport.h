// Shared set-up of the chart tests.
#pragma once

#include "chart/NorvaneChart.h"

// A curve from (0, 0) to (100, 100) in steps of 10, the range 0..100.
inline TCurve* AddDiagonal(TNorvaneChart& Chart)
{
    TCurve* Curve = Chart.Curves().Add();
    for (int i = 0; i <= 10; ++i)
        Curve->AddPoint(10.0 * i, 10.0 * i);
    return Curve;
}
