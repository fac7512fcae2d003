#include "transmitter/VerifiedWrite.h"

#include "services/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace {

QString Trimmed(const std::string& Text)
{
    return QString::fromStdString(Text).trimmed();
}

QString Number(float Value)
{
    return FormatGeneral(double(Value), 7);
}

}  // namespace

TVerifiedWrite::TVerifiedWrite(THart& Hart, int MaxAttempts, TTransmitterFrontEnd& FrontEnd)
    : FHart(Hart)
    , FMaxAttempts(std::max(1, MaxAttempts))
    , FFrontEnd(&FrontEnd)
{
}

void TVerifiedWrite::Log(const QString& Line) const
{
    FFrontEnd->Log(Line);
}

TWriteResult TVerifiedWrite::Repeat(const std::function<bool(TWriteResult&)>& Attempt)
{
    TWriteResult result;
    FWrote = false;
    while (!result.Verified && result.Attempts < FMaxAttempts) {
        FFrontEnd->StepStarted();
        ++result.Attempts;
        result.Verified = Attempt(result);
        FFrontEnd->StepDone();
    }
    return result;
}

TWriteResult TVerifiedWrite::WriteDescription(const TDescription& Values)
{
    return Repeat([&](TWriteResult& Result) {
        Log(QStringLiteral("TDD will be write"));
        TDescription& back = Result.Description;
        back = Values;
        FHart.WriteTagDescriptorDate(back.Tag, back.Descriptor, back.Day, back.Month, back.Year);
        FWrote = true;
        FHart.ReadTagDescriptorDate(back.Tag, back.Descriptor, back.Day, back.Month, back.Year);
        return Trimmed(back.Tag) == Trimmed(Values.Tag) && Trimmed(back.Descriptor) == Trimmed(Values.Descriptor);
    });
}

TWriteResult TVerifiedWrite::WriteUnit(const std::string& Unit)
{
    return Repeat([&](TWriteResult& Result) {
        Log(QStringLiteral("Change the pressure unit"));
        std::string unit = Unit;
        FHart.WritePVUnit(unit);
        FWrote = true;
        Log(QStringLiteral("Changed values are written"));
        Result.Output = TPrVarInfo();
        FHart.ReadPrVarInfo(Result.Output);
        return Result.Output.Unit == Unit;
    });
}

TWriteResult TVerifiedWrite::WriteRange(const std::string& Unit, float Upper, float Lower)
{
    return Repeat([&](TWriteResult& Result) {
        Log(QStringLiteral("Change the pressure range values"));
        Log(QStringLiteral("Write primary variable range"));
        std::string unit = Unit;
        float upper = Upper, lower = Lower;
        FHart.WriteRangeValues(unit, upper, lower);
        FWrote = true;
        Log(QStringLiteral("Changed values are written"));
        Result.Output = TPrVarInfo();
        FHart.ReadPrVarInfo(Result.Output);
        return std::fabs(Upper - Result.Output.UpperRange) < 0.00001f
               && std::fabs(Lower - Result.Output.LowerRange) < 0.00001f && Result.Output.Unit == Unit;
    });
}

TWriteResult TVerifiedWrite::WriteDamping(float Damping)
{
    return Repeat([&](TWriteResult& Result) {
        Log(QStringLiteral("Write Primary Variable Damping"));
        float damping = Damping;
        FHart.WriteDamping(damping);
        FWrote = true;
        Result.Output = TPrVarInfo();
        FHart.ReadPrVarInfo(Result.Output);
        Log(QStringLiteral("Changed damping value is written"));
        return std::fabs(double(Damping) - double(Result.Output.Damping)) < 1e-10;
    });
}

QString TVerifiedWrite::ReadBackText(TWriteStep Step, const TWriteResult& Result)
{
    const TPrVarInfo& out = Result.Output;
    const QString unit = QString::fromStdString(out.Unit);
    switch (Step) {
        case TWriteStep::Description:
            return QStringLiteral("\"%1\" / \"%2\"")
                .arg(Trimmed(Result.Description.Tag), Trimmed(Result.Description.Descriptor));
        case TWriteStep::Unit: return unit;
        case TWriteStep::Range:
            return Number(out.LowerRange) + QStringLiteral(" … ") + Number(out.UpperRange) + QLatin1Char(' ') + unit;
        case TWriteStep::Damping: return Number(out.Damping) + QStringLiteral(" s");
    }
    return QString();
}
