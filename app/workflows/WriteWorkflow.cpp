// The Set workflow: the edited settings are checked, then written as one whole
// (description; then unit, range and damping, after which the port is closed),
// each step verified by reading the value back. A step the transmitter refuses
// leaves it with the settings it had, and the operator is told so.

#include "app/workflows/WriteWorkflow.h"

#include "app/DeviceBusy.h"
#include "app/PortComboBox.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "services/SettingsText.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QStringList>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

std::string Latin1(const QString& Text)
{
    return Text.toLatin1().toStdString();
}

// The first character of Text that packed ASCII cannot hold, whole (a
// character beyond the basic plane is two UTF-16 units); empty when none.
QString UnstorableChar(const QString& Text)
{
    const qsizetype at = FirstUnstorableChar(Text);
    if (at < 0)
        return QString();
    return Text.mid(at, Text[at].isHighSurrogate() ? 2 : 1);
}

const char* StepName(TWriteStep Step)
{
    switch (Step) {
        case TWriteStep::Description: return "Tag, descriptor and date";
        case TWriteStep::Unit: return "Pressure unit";
        case TWriteStep::Range: return "Range values";
        case TWriteStep::Damping: return "Damping";
    }
    return "";
}

// The first step a plan writes.
TWriteStep FirstStep(const TSettingsPlan& Plan)
{
    if (Plan.Description)
        return TWriteStep::Description;
    if (Plan.Unit)
        return TWriteStep::Unit;
    return Plan.Range ? TWriteStep::Range : TWriteStep::Damping;
}

}  // namespace

TWriteWorkflow::TWriteWorkflow(TMainView& View)
    : FView(View)
    , FUi(View.Ui())
{
}

void TWriteWorkflow::acSetExecute()
{
    // Every edited value is checked before anything is sent, so that a refused
    // one never leaves the transmitter with half of the changes.
    QString refusal;
    const TSettingsPlan plan = SetInput(refusal);
    if (!refusal.isEmpty()) {
        FView.ShowError(refusal);
        return;
    }

    // A port that does not open ends the Set before anything is written; the
    // application's error display shows the text, not the bare key.
    try {
        FView.Hart().OpenPort(FView.DevicePath(FUi.cmbPort->currentText()).toStdString());
    } catch (const EHartComError& e) {
        throw EHartComError(FView.Translate(Text(e.Message())).toStdString());
    }
    if (plan.Empty()) {
        FView.SetStatusText(1, FView.Translate(QStringLiteral("infNothingToWrite")));
        return;
    }
    // The window handles messages between attempts: nothing else that talks
    // to the transmitter may start inside this Set.
    const TDeviceBusy busy(FView.DeviceLock());
    QStringList errors;
    errors << WritePlan(plan);
    if (plan.Unit || plan.Range || plan.Damping) {
        try {
            FView.Hart().ClosePort();
        } catch (const EHartComError& e) {
            errors << FView.Translate(Text(e.Message()));
        }
    }
    // One box for the whole Set.
    errors.removeAll(QString());
    errors.removeDuplicates();
    if (!errors.isEmpty())
        FView.ShowError(errors.join(QStringLiteral("\n\n")));
}

TSettingsPlan TWriteWorkflow::SetInput(QString& Refusal) const
{
    TSettingsPlan plan;
    if (Edits.DescriptionChanged) {
        // A date the window cannot show goes back as the transmitter sent it.
        const std::optional<QDate> date = SettingDate(FUi.medDate->text());
        if (!date && !Edits.DateAsRead) {
            Refusal = FView.Translate(QStringLiteral("E1.frmMain"));
            return plan;
        }
        const TDateBytes bytes = date
                                     ? TDateBytes {uint8_t(date->day()), uint8_t(date->month()), uint16_t(date->year())}
                                     : *Edits.DateAsRead;
        const QString tag = FUi.edTag->text().trimmed(), descriptor = FUi.edDesc->text().trimmed();
        const QString unstorable = UnstorableChar(tag + descriptor);
        if (!unstorable.isEmpty()) {
            Refusal = FView.Translate(QStringLiteral("E12.frmMain")).arg(unstorable);
            return plan;
        }
        plan.Description = TDescription {Latin1(tag), Latin1(descriptor), bytes.Day, bytes.Month, bytes.Year};
    }
    // The range is written in the unit shown, also when that unit itself is
    // not written (a configuration file selects it without marking it); with
    // no unit shown, in the transmitter's.
    const std::string unit = FUi.cmbUnit->currentText().toStdString();
    if (Edits.UnitChanged)
        plan.Unit = unit;
    if (Edits.RangeChanged) {
        TRangeValues range;
        if (!unit.empty())
            plan.RangeUnit = unit;
        for (QLineEdit* edit : {FUi.edUpperRange, FUi.edLowerRange}) {
            const std::optional<float> number = SettingNumber(edit->text());
            if (!number) {
                Refusal = FView.Translate(QStringLiteral("E13.frmMain")).arg(edit->text());
                return plan;
            }
            (edit == FUi.edUpperRange ? range.Upper : range.Lower) = *number;
        }
        plan.Range = range;
    }
    if (Edits.DampingChanged) {
        const std::optional<float> damping = SettingNumber(FUi.edDamping->text());
        if (!damping || !(*damping >= 0.0f && *damping <= 100.0f)) {
            Refusal = FView.Translate(QStringLiteral("E4.frmMain"));
            return plan;
        }
        plan.Damping = *damping;
    }
    return plan;
}

// The progress bar over panel 1 while a step runs, the status text of the
// last step written (or of the one that failed) afterwards. The change flags
// of the written steps are cleared; a failed write keeps them all, so that the
// next Set tries again.
QString TWriteWorkflow::WritePlan(const TSettingsPlan& Plan)
{
    TSettingsWrite writer(FView.Hart(), WriteAttempts, FView.FrontEnd());
    writer.OnStep = [this](TWriteStep) {
        FView.SetStatusPanel1OwnerDrawn(true);
        FUi.prbProgress->setMaximum(0);
        FUi.prbProgress->setValue(0);
    };
    writer.Translate = [this](const QString& Key) { return FView.Translate(Key); };

    QString error, status;
    try {
        const TSettingsWriteResult result = writer.Write(Plan);
        if (result.Ok()) {
            for (const TWriteStep step : result.Written) {
                bool& changed = step == TWriteStep::Description ? Edits.DescriptionChanged
                                : step == TWriteStep::Unit      ? Edits.UnitChanged
                                : step == TWriteStep::Range     ? Edits.RangeChanged
                                                                : Edits.DampingChanged;
                changed = false;
            }
            status = TSettingsWrite::StatusKey(result.Written.back(), true);
        } else {
            if (result.Key == QLatin1String("E7.frmMain"))
                FView.Log().WriteLine(QStringLiteral("%1 not kept by the transmitter after %2 attempts; it kept %3")
                                          .arg(QLatin1String(StepName(result.Step)),
                                               QString::number(result.Kept.Attempts),
                                               TVerifiedWrite::ReadBackText(result.Step, result.Kept)));
            status = TSettingsWrite::StatusKey(result.Step, false);
            error = result.Message;
        }
    } catch (const EHartComError& e) {
        // The settings could not be read before writing: nothing was sent.
        status = TSettingsWrite::StatusKey(FirstStep(Plan), false);
        error = FView.Translate(Text(e.Message()));
    }
    FUi.prbProgress->setVisible(false);
    FView.SetStatusPanel1OwnerDrawn(false);
    FView.SetStatusText(1, FView.Translate(status));
    return error;
}
