#pragma once
// The loop test and the output (D/A) trim as both front ends run them. Every
// fixed current is under a TOutputHold, so it ends with command 40 and 0 on
// the normal end, on Cancel, on an error and when the front end releases all
// holds. Failures pass through as EHartComError with their key; a current the
// output cannot be asked for is refused before anything is sent.

#include "hart/HartCommand.h"
#include "transmitter/OutputHold.h"
#include "transmitter/TransmitterFrontEnd.h"

#include <functional>
#include <memory>
#include <optional>

// The currents an operator may fix the loop at, in mA.
inline constexpr double LowestLoopTestMa = 3.8, HighestLoopTestMa = 21.0;
// Raised (as EHartComError) for a current outside them.
inline constexpr const char* LoopCurrentRangeKey = "CAL.CURRENTRANGE";

// The loop current fixed at a value, released when this object ends.
class TFixedCurrent {
public:
    explicit TFixedCurrent(THart& Hart, TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent());
    ~TFixedCurrent();
    TFixedCurrent(const TFixedCurrent&) = delete;
    TFixedCurrent& operator=(const TFixedCurrent&) = delete;

    // Fixes (or moves) the current; answers the value the transmitter reports.
    float Fix(double Ma);
    // Leaves fixed-current mode now; a failed exchange goes to the holds'
    // failure handler and is raised.
    void Release();
    bool Held() const { return FHold && FHold->Held(); }

private:
    THart& FHart;
    TTransmitterFrontEnd& FFrontEnd;
    std::unique_ptr<TOutputHold> FHold;
};

// The steps at which the output trim needs the reference meter's reading.
enum class TTrimStep { Zero, Gain, CheckLow, CheckHigh };

struct TOutputTrimResult {
    bool Completed = false;  // false: the operator cancelled
    double Zero = 0, Gain = 0;  // the readings sent with commands 45 and 46
    double CheckLow = 0, CheckHigh = 0;  // the readings after the trim
};

class TOutputTrim {
public:
    // The meter's reading in mA at a step, or nothing for Cancel. FixedMa is
    // the current the transmitter is fixed at.
    using TReadMeter = std::function<std::optional<double>(TTrimStep Step, double FixedMa)>;

    explicit TOutputTrim(THart& Hart, TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent())
        : FHart(Hart)
        , FFrontEnd(FrontEnd)
    {
    }

    // 4 mA and command 45, 20 mA and command 46, then 4 and 20 mA again for the
    // readings after the trim (without Verify, not); the current is released
    // at the end.
    TOutputTrimResult Run(const TReadMeter& ReadMeter, bool Verify = true);

private:
    THart& FHart;
    TTransmitterFrontEnd& FFrontEnd;
};
