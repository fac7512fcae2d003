#include "transmitter/SettingsWrite.h"

#include "hart/CommandErrorKeys.h"
#include "hart/HartComError.h"
#include "hart/HartTables.h"
#include "services/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Range values compared with the sensor limits in the limits' own unit only
// differ by float rounding; converted to another unit they may also differ by
// the unit sizes this transmitter's maker chose (water at 4 or at 20 degrees
// Celsius, about 0.2 %). The check leaves such a margin to the transmitter.
constexpr double SameUnitSlack = 1e-5;
constexpr double ConvertedSlack = 5e-3;

QString Number(double Value)
{
    return FormatGeneral(Value, 7);
}

bool Has(const std::vector<TWriteStep>& Steps, TWriteStep Step)
{
    return std::find(Steps.begin(), Steps.end(), Step) != Steps.end();
}

// The key of an answer with which the transmitter refused a command without
// carrying it out. "0.TONEAREST" was carried out (with the nearest value), and
// an undefined code or a failure of the link leaves it open.
bool RefusedUnchanged(const QString& Key)
{
    if (Key == QLatin1String("0.TONEAREST") || Key == QLatin1String("23.UNDEFINED"))
        return false;
    return std::any_of(std::begin(CommandErrorKeys), std::end(CommandErrorKeys),
                       [&](const char* Refusal) { return Key == QLatin1String(Refusal); });
}

const char* StepKey(TWriteStep Step)
{
    switch (Step) {
        case TWriteStep::Description: return "E19.TDD";
        case TWriteStep::Unit: return "E19.UNIT";
        case TWriteStep::Range: return "E19.RANGE";
        case TWriteStep::Damping: return "E19.DAMPING";
    }
    return "";
}

const char* StepName(TWriteStep Step)
{
    switch (Step) {
        case TWriteStep::Description: return "tag, descriptor and date";
        case TWriteStep::Unit: return "pressure unit";
        case TWriteStep::Range: return "range values";
        case TWriteStep::Damping: return "damping";
    }
    return "";
}

std::vector<TWriteStep> Steps(const TSettingsPlan& Plan)
{
    std::vector<TWriteStep> steps;
    if (Plan.Description)
        steps.push_back(TWriteStep::Description);
    if (Plan.Unit)
        steps.push_back(TWriteStep::Unit);
    if (Plan.Range)
        steps.push_back(TWriteStep::Range);
    if (Plan.Damping)
        steps.push_back(TWriteStep::Damping);
    return steps;
}

}  // namespace

TSettingsWrite::TSettingsWrite(THart& Hart, int MaxAttempts, TTransmitterFrontEnd& FrontEnd)
    : FHart(Hart)
    , FMaxAttempts(MaxAttempts)
    , FFrontEnd(&FrontEnd)
{
}

QString TSettingsWrite::StatusKey(TWriteStep Step, bool Written)
{
    const QString prefix = QLatin1String(Written ? "infWritten" : "infNotWritten");
    switch (Step) {
        case TWriteStep::Description: return prefix + QLatin1String("TDD");
        case TWriteStep::Unit:
        case TWriteStep::Range: return prefix + QLatin1String("Ranges");
        case TWriteStep::Damping: return prefix + QLatin1String("Damping");
    }
    return QString();
}

TSettingsWriteResult TSettingsWrite::Write(const TSettingsPlan& Plan)
{
    TSettingsWriteResult result;
    if (Plan.Empty())
        return result;
    const TBefore before = ReadBefore(Plan);
    if (!Check(Plan, before, result)) {
        Log(QStringLiteral("Settings not written: %1 (checked before sending)").arg(result.Key));
        return result;
    }
    // The steps that may have changed the transmitter, to be put back.
    std::vector<TWriteStep> touched;
    const std::vector<TWriteStep> steps = Steps(Plan);
    for (const TWriteStep step : steps) {
        if (OnStep)
            OnStep(step);
        bool changed = false;
        if (WriteStep(step, Plan, before, result, changed)) {
            touched.push_back(step);
            continue;
        }
        if (changed)
            touched.push_back(step);
        Undo(touched, before, result);
        return result;
    }
    result.Written = steps;
    return result;
}

// --- before sending -------------------------------------------------------------------

TSettingsWrite::TBefore TSettingsWrite::ReadBefore(const TSettingsPlan& Plan)
{
    Log(QStringLiteral("Read the settings before writing"));
    TBefore before;
    TDescription& d = before.Description;
    if (Plan.Description)
        FHart.ReadTagDescriptorDate(d.Tag, d.Descriptor, d.Day, d.Month, d.Year);
    if (Plan.Unit || Plan.Range || Plan.Damping)
        FHart.ReadPrVarInfo(before.Output);
    if (Plan.Range)
        FHart.ReadSensorInfo(before.Limits);
    return before;
}

bool TSettingsWrite::Check(const TSettingsPlan& Plan, const TBefore& Before, TSettingsWriteResult& Result) const
{
    if (Plan.Range && !CheckRange(*Plan.Range, RangeUnit(Plan, Before), Before.Limits, Result))
        return false;
    if (Plan.Damping && !(*Plan.Damping >= 0.0f && *Plan.Damping <= 100.0f)) {
        Refuse(Result, TWriteStep::Damping, QStringLiteral("E4.frmMain"), {});
        return false;
    }
    return true;
}

// The range against the sensor limits and minimum span, both converted to the
// unit the range is written in. A unit outside the unit table cannot be
// converted: the transmitter alone judges such a range.
bool TSettingsWrite::CheckRange(const TRangeValues& Range, const std::string& Unit, const TSensorInfo& Limits,
                                TSettingsWriteResult& Result) const
{
    const QString unit = QString::fromStdString(Unit);
    if (!(Range.Lower < Range.Upper)) {
        Refuse(Result, TWriteStep::Range, QStringLiteral("E15.frmMain"), {Number(Range.Lower), Number(Range.Upper)});
        return false;
    }
    const uint8_t from = HartTables::UnitCode(Limits.Unit), to = HartTables::UnitCode(Unit);
    const std::optional<double> upperLimit = HartTables::ConvertPressure(Limits.UpperLimit, from, to);
    const std::optional<double> lowerLimit = HartTables::ConvertPressure(Limits.LowerLimit, from, to);
    const std::optional<double> minSpan = HartTables::ConvertPressure(Limits.MinSpan, from, to);
    if (!upperLimit || !lowerLimit || !minSpan)
        return true;
    const double slack = from == to ? SameUnitSlack : ConvertedSlack;
    // A transmitter that reports no limits (both zero) is not held to them.
    if (*upperLimit > *lowerLimit) {
        const double margin
            = slack * std::max({std::fabs(*upperLimit), std::fabs(*lowerLimit), *upperLimit - *lowerLimit});
        if (Range.Lower < *lowerLimit - margin || Range.Upper > *upperLimit + margin) {
            Refuse(Result, TWriteStep::Range, QStringLiteral("E16.frmMain"),
                   {Number(Range.Lower), Number(Range.Upper), unit, Number(*lowerLimit), Number(*upperLimit)});
            return false;
        }
    }
    const double span = double(Range.Upper) - double(Range.Lower);
    if (*minSpan > 0 && span < *minSpan * (1.0 - slack)) {
        // The span shown without the float digits of its two ends (12.3 - 12 is 0.3).
        Refuse(Result, TWriteStep::Range, QStringLiteral("E17.frmMain"),
               {FormatGeneral(span, 6), unit, Number(*minSpan)});
        return false;
    }
    return true;
}

void TSettingsWrite::Refuse(TSettingsWriteResult& Result, TWriteStep Step, const QString& Key,
                            const QStringList& Args) const
{
    Result.Outcome = TSettingsWriteOutcome::RefusedBeforeSending;
    Result.Step = Step;
    Result.Key = Key;
    Result.Reason = Result.Message = Format(Key, Args);
}

std::string TSettingsWrite::RangeUnit(const TSettingsPlan& Plan, const TBefore& Before)
{
    if (Plan.RangeUnit)
        return *Plan.RangeUnit;
    return Plan.Unit ? *Plan.Unit : Before.Output.Unit;
}

// --- writing --------------------------------------------------------------------------

// One step by the verified write. On failure Changed tells whether the
// transmitter may hold a value of this step now.
bool TSettingsWrite::WriteStep(TWriteStep Step, const TSettingsPlan& Plan, const TBefore& Before,
                               TSettingsWriteResult& Result, bool& Changed)
{
    TVerifiedWrite writer = Writer();
    Result.Step = Step;
    try {
        TWriteResult written;
        switch (Step) {
            case TWriteStep::Description: written = writer.WriteDescription(*Plan.Description); break;
            case TWriteStep::Unit: written = writer.WriteUnit(*Plan.Unit); break;
            case TWriteStep::Range:
                written = writer.WriteRange(RangeUnit(Plan, Before), Plan.Range->Upper, Plan.Range->Lower);
                break;
            case TWriteStep::Damping: written = writer.WriteDamping(*Plan.Damping); break;
        }
        if (written.Verified)
            return true;
        Changed = true;
        Result.Key = QStringLiteral("E7.frmMain");
        Result.Kept = written;
        Result.Reason = KeptText(Step, written);
    } catch (const EHartComError& e) {
        Result.Key = QString::fromStdString(e.Message());
        Result.Reason = Format(Result.Key, {});
        Changed = writer.Wrote() || !RefusedUnchanged(Result.Key);
    }
    return false;
}

// A step failed: what may have changed is put back, and the result says
// whether the transmitter holds its old settings again.
void TSettingsWrite::Undo(const std::vector<TWriteStep>& Touched, const TBefore& Before, TSettingsWriteResult& Result)
{
    const QString step = Format(QLatin1String(StepKey(Result.Step)), {});
    Log(QStringLiteral("Writing the %1 failed (%2); the previous settings are put back")
            .arg(QLatin1String(StepName(Result.Step)), Result.Key));
    QString failure;
    if (PutBack(Touched, Before, failure)) {
        Log(QStringLiteral("Previous settings put back"));
        Result.Outcome = TSettingsWriteOutcome::RefusedUnchanged;
        Result.Aftermath = Format(QStringLiteral("E19.frmMain"), {step});
    } else {
        const QString held = HeldNow(Touched);
        Log(QStringLiteral("Putting back the previous settings failed; the transmitter holds %1")
                .arg(held.isEmpty() ? QStringLiteral("settings that could not be read") : held));
        Result.Outcome = TSettingsWriteOutcome::RefusedChanged;
        Result.Aftermath = held.isEmpty() ? Format(QStringLiteral("E21.frmMain"), {step, failure})
                                          : Format(QStringLiteral("E20.frmMain"), {step, failure, held});
    }
    Result.Message = Result.Reason + QLatin1Char(' ') + Result.Aftermath;
}

// Writes the old value of every touched step back, the last step first, each
// verified; a unit goes back before the range, so that the range's values end
// exactly as they were and not as the transmitter converted them. Every step is
// tried; Failure gets the reason of the first that failed.
bool TSettingsWrite::PutBack(const std::vector<TWriteStep>& Touched, const TBefore& Before, QString& Failure)
{
    bool ok = true;
    const auto attempt = [&](TWriteStep Step, const std::function<TWriteResult(TVerifiedWrite&)>& Write) {
        TVerifiedWrite writer = Writer();
        QString reason;
        try {
            const TWriteResult written = Write(writer);
            if (written.Verified)
                return;
            reason = KeptText(Step, written);
        } catch (const EHartComError& e) {
            reason = Format(QString::fromStdString(e.Message()), {});
        }
        if (ok)
            Failure = reason;
        ok = false;
    };
    const TPrVarInfo& output = Before.Output;
    if (Has(Touched, TWriteStep::Damping))
        attempt(TWriteStep::Damping, [&](TVerifiedWrite& W) { return W.WriteDamping(output.Damping); });
    if (Has(Touched, TWriteStep::Unit))
        attempt(TWriteStep::Unit, [&](TVerifiedWrite& W) { return W.WriteUnit(output.Unit); });
    if (Has(Touched, TWriteStep::Unit) || Has(Touched, TWriteStep::Range))
        attempt(TWriteStep::Range,
                [&](TVerifiedWrite& W) { return W.WriteRange(output.Unit, output.UpperRange, output.LowerRange); });
    if (Has(Touched, TWriteStep::Description))
        attempt(TWriteStep::Description, [&](TVerifiedWrite& W) { return W.WriteDescription(Before.Description); });
    return ok;
}

// What the transmitter holds now of the touched steps, as the verified write
// shows a value kept; empty when it cannot be read.
QString TSettingsWrite::HeldNow(const std::vector<TWriteStep>& Touched)
{
    QStringList parts;
    try {
        if (Has(Touched, TWriteStep::Unit) || Has(Touched, TWriteStep::Range) || Has(Touched, TWriteStep::Damping)) {
            TWriteResult now;
            FHart.ReadPrVarInfo(now.Output);
            parts << TVerifiedWrite::ReadBackText(TWriteStep::Range, now)
                  << TVerifiedWrite::ReadBackText(TWriteStep::Damping, now);
        }
        if (Has(Touched, TWriteStep::Description)) {
            TWriteResult now;
            TDescription& d = now.Description;
            FHart.ReadTagDescriptorDate(d.Tag, d.Descriptor, d.Day, d.Month, d.Year);
            parts << TVerifiedWrite::ReadBackText(TWriteStep::Description, now);
        }
    } catch (const EHartComError&) {
        return QString();
    }
    return parts.join(QStringLiteral(", "));
}

// --- helpers ----------------------------------------------------------------------------

TVerifiedWrite TSettingsWrite::Writer()
{
    return TVerifiedWrite(FHart, FMaxAttempts, *FFrontEnd);
}

QString TSettingsWrite::KeptText(TWriteStep Step, const TWriteResult& Kept) const
{
    return Format(QStringLiteral("E11.frmMain"),
                  {TVerifiedWrite::ReadBackText(Step, Kept), QString::number(Kept.Attempts)});
}

// The text of Key with its values; without a language, the key and the values.
QString TSettingsWrite::Format(const QString& Key, const QStringList& Args) const
{
    if (!Translate)
        return (QStringList(Key) + Args).join(QLatin1Char(' '));
    // %1 ... %9 replaced in one pass, so a value holding "%2" stays as it is.
    const QString text = Translate(Key);
    QString out;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const int n = k + 1 < text.size() && text[k] == QLatin1Char('%') ? text[k + 1].digitValue() : -1;
        if (n >= 1 && n <= Args.size()) {
            out += Args[n - 1];
            ++k;
        } else {
            out += text[k];
        }
    }
    return out;
}

void TSettingsWrite::Log(const QString& Line) const
{
    FFrontEnd->Log(Line);
}
