// The Set workflow: the edited settings are checked, then written step by step
// (description; then unit, range and damping, after which the port is closed),
// each step verified by reading the value back.

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
    FSetValues = SetInput(refusal);
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
    FSetErrors.clear();
    // The window handles messages between attempts: nothing else that talks
    // to the transmitter may start inside this Set.
    const TDeviceBusy busy(FView.DeviceLock());
    if (Edits.DescriptionChanged)
        RunWriteStep(TWriteStep::Description, Edits.DescriptionChanged, &TWriteWorkflow::UpdateDescription,
                     "infWrittenTDD", "infNotWrittenTDD");
    if (Edits.RangeChanged || Edits.UnitChanged || Edits.DampingChanged) {
        if (Edits.UnitChanged)
            RunWriteStep(TWriteStep::Unit, Edits.UnitChanged, &TWriteWorkflow::UpdateUnit, "infWrittenRanges",
                         "infNotWrittenRanges");
        if (Edits.RangeChanged)
            RunWriteStep(TWriteStep::Range, Edits.RangeChanged, &TWriteWorkflow::UpdateRange, "infWrittenRanges",
                         "infNotWrittenRanges");
        if (Edits.DampingChanged)
            RunWriteStep(TWriteStep::Damping, Edits.DampingChanged, &TWriteWorkflow::UpdateDamping, "infWrittenDamping",
                         "infNotWrittenDamping");
        try {
            FView.Hart().ClosePort();
        } catch (const EHartComError& e) {
            FSetErrors << FView.Translate(Text(e.Message()));
        }
    }
    // One box for the whole Set, however many steps failed.
    FSetErrors.removeDuplicates();
    if (!FSetErrors.isEmpty())
        FView.ShowError(FSetErrors.join(QStringLiteral("\n\n")));
}

TWriteWorkflow::TSetValues TWriteWorkflow::SetInput(QString& Refusal) const
{
    TSetValues values;
    if (Edits.DescriptionChanged) {
        const std::optional<QDate> date = SettingDate(FUi.medDate->text());
        if (!date) {
            Refusal = FView.Translate(QStringLiteral("E1.frmMain"));
            return values;
        }
        const QString tag = FUi.edTag->text().trimmed(), descriptor = FUi.edDesc->text().trimmed();
        const QString unstorable = UnstorableChar(tag + descriptor);
        if (!unstorable.isEmpty()) {
            Refusal = FView.Translate(QStringLiteral("E12.frmMain")).arg(unstorable);
            return values;
        }
        values.Description
            = {Latin1(tag), Latin1(descriptor), uint8_t(date->day()), uint8_t(date->month()), uint16_t(date->year())};
    }
    values.Unit = FUi.cmbUnit->currentText().toStdString();
    if (Edits.RangeChanged) {
        for (QLineEdit* edit : {FUi.edUpperRange, FUi.edLowerRange}) {
            const std::optional<float> number = SettingNumber(edit->text());
            if (!number) {
                Refusal = FView.Translate(QStringLiteral("E13.frmMain")).arg(edit->text());
                return values;
            }
            (edit == FUi.edUpperRange ? values.Upper : values.Lower) = *number;
        }
    }
    if (Edits.DampingChanged) {
        const std::optional<float> damping = SettingNumber(FUi.edDamping->text());
        if (!damping || !(*damping >= 0.0f && *damping <= 100.0f)) {
            Refusal = FView.Translate(QStringLiteral("E4.frmMain"));
            return values;
        }
        values.Damping = *damping;
    }
    return values;
}

// One step of Set: the progress bar over panel 1 while it runs, its status
// text after it. The change flag stays set unless the transmitter kept the
// value, so that the next Set tries again.
void TWriteWorkflow::RunWriteStep(TWriteStep Step, bool& Changed, bool (TWriteWorkflow::*Update)(),
                                  const char* WrittenKey, const char* NotWrittenKey)
{
    FView.SetStatusPanel1OwnerDrawn(true);
    FUi.prbProgress->setMaximum(0);
    FUi.prbProgress->setValue(0);
    FLastWrite = TWriteResult();
    bool verified = false;
    try {
        verified = (this->*Update)();
        if (!verified) {
            const QString kept = TVerifiedWrite::ReadBackText(Step, FLastWrite);
            FView.Log().WriteLine(QStringLiteral("%1 not kept by the transmitter after %2 attempts; it kept %3")
                                      .arg(QLatin1String(StepName(Step)), QString::number(FLastWrite.Attempts), kept));
            FSetErrors
                << FView.Translate(QStringLiteral("E11.frmMain")).arg(kept, QString::number(FLastWrite.Attempts));
        }
    } catch (const EHartComError& e) {
        FSetErrors << FView.Translate(Text(e.Message()));
    }
    Changed = !verified;
    FUi.prbProgress->setVisible(false);
    FView.SetStatusPanel1OwnerDrawn(false);
    FView.SetStatusText(1, FView.Translate(QLatin1String(verified ? WrittenKey : NotWrittenKey)));
}

// Runs one verified write with the window's log and progress bar.
TWriteResult TWriteWorkflow::VerifiedWrite(const std::function<TWriteResult(TVerifiedWrite&)>& Write)
{
    TVerifiedWrite writer(FView.Hart(), WriteAttempts, FView.FrontEnd());
    FLastWrite = Write(writer);
    return FLastWrite;
}

bool TWriteWorkflow::UpdateDescription()
{
    return VerifiedWrite([this](TVerifiedWrite& W) { return W.WriteDescription(FSetValues.Description); }).Verified;
}

bool TWriteWorkflow::UpdateUnit()
{
    return VerifiedWrite([this](TVerifiedWrite& W) { return W.WriteUnit(FSetValues.Unit); }).Verified;
}

bool TWriteWorkflow::UpdateRange()
{
    return VerifiedWrite(
               [this](TVerifiedWrite& W) { return W.WriteRange(FSetValues.Unit, FSetValues.Upper, FSetValues.Lower); })
        .Verified;
}

bool TWriteWorkflow::UpdateDamping()
{
    return VerifiedWrite([this](TVerifiedWrite& W) { return W.WriteDamping(FSetValues.Damping); }).Verified;
}
