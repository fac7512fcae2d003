#include "transmitter/OutputStage.h"

#include "hart/HartComError.h"

namespace {

QString Ma(double Value)
{
    return QString::number(Value, 'f', 3) + QStringLiteral(" mA");
}

}  // namespace

TFixedCurrent::TFixedCurrent(THart& Hart, TTransmitterFrontEnd& FrontEnd)
    : FHart(Hart)
    , FFrontEnd(FrontEnd)
{
}

TFixedCurrent::~TFixedCurrent() = default;  // the hold releases a current still fixed

float TFixedCurrent::Fix(double Ma)
{
    if (!(Ma >= LowestLoopTestMa && Ma <= HighestLoopTestMa))
        throw EHartComError(LoopCurrentRangeKey);
    FFrontEnd.Log(QStringLiteral("Fix loop current at ") + ::Ma(Ma));
    FFrontEnd.StepStarted();
    float value = static_cast<float>(Ma);
    FHart.FixLoopCurrent(value);
    // The hold is made once the transmitter has accepted the first value; a
    // later value moves the current under the same hold.
    if (!Held()) {
        THart& hart = FHart;
        TTransmitterFrontEnd& frontEnd = FFrontEnd;
        FHold = std::make_unique<TOutputHold>(THoldKind::FixedCurrent, [&hart, &frontEnd] {
            frontEnd.Log(QStringLiteral("Release fixed loop current"));
            float none = 0;
            hart.FixLoopCurrent(none);
        });
    }
    FFrontEnd.StepDone();
    return value;
}

void TFixedCurrent::Release()
{
    if (!Held())
        return;
    try {
        FHold->Release();
    } catch (const std::exception& Failure) {
        // The operator must learn that the loop may still be fixed, as when
        // the hold releases by itself.
        TOutputHold::TellFailure(THoldKind::FixedCurrent, Failure.what());
        throw;
    }
}

TOutputTrimResult TOutputTrim::Run(const TReadMeter& ReadMeter, bool Verify)
{
    TOutputTrimResult result;
    TFixedCurrent fixed(FHart, FFrontEnd);
    const auto reading = [&](TTrimStep Step, double At) {
        fixed.Fix(At);
        return ReadMeter(Step, At);
    };

    const std::optional<double> zero = reading(TTrimStep::Zero, 4.0);
    if (!zero)
        return result;
    FFrontEnd.Log(QStringLiteral("Trim loop current zero, meter reads ") + Ma(*zero));
    float sent = static_cast<float>(*zero);
    FHart.TrimLoopCurrentZero(sent);
    result.Zero = *zero;

    const std::optional<double> gain = reading(TTrimStep::Gain, 20.0);
    if (!gain)
        return result;
    FFrontEnd.Log(QStringLiteral("Trim loop current gain, meter reads ") + Ma(*gain));
    sent = static_cast<float>(*gain);
    FHart.TrimLoopCurrentGain(sent);
    result.Gain = *gain;

    if (!Verify) {
        fixed.Release();
        result.Completed = true;
        return result;
    }
    const std::optional<double> low = reading(TTrimStep::CheckLow, 4.0);
    if (!low)
        return result;
    const std::optional<double> high = reading(TTrimStep::CheckHigh, 20.0);
    if (!high)
        return result;
    result.CheckLow = *low;
    result.CheckHigh = *high;
    FFrontEnd.Log(QStringLiteral("Output trim done: meter reads %1 and %2").arg(Ma(*low), Ma(*high)));
    fixed.Release();
    result.Completed = true;
    return result;
}
