// The Set workflow: the edited settings are checked, then written step by step
// (description; then unit, range and damping, after which the port is closed),
// each step verified by reading the value back.

#include "app/UnitFrmMain.h"

#include "app/DeviceBusy.h"
#include "app/PortComboBox.h"
#include "app/WindowFrontEnd.h"
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

void TfrmMain::ConnectWriteEvents()
{
    ConnectAction(acSet, &TfrmMain::acSetExecute);
    ConnectAction(acSetUR, &TfrmMain::acSetURExecute);
    ConnectAction(acSetLR, &TfrmMain::acSetLRExecute);
    ConnectAction(acSetZero, &TfrmMain::acSetZeroExecute);
    ConnectAction(acSave, &TfrmMain::acSaveExecute);
    ConnectAction(acLoad, &TfrmMain::acLoadExecute);
}

bool TfrmMain::PackedAsciiKey(const QString& Typed) const
{
    // Control keys (backspace, delete) are no typed characters.
    for (const QChar ch : Typed)
        if (ch.isPrint() && !PackedAsciiChar(ch.toUpper()))
            return false;
    return true;
}

// --- Set ------------------------------------------------------------------------------

void TfrmMain::acSetExecute()
{
    // Every edited value is checked before anything is sent, so that a refused
    // one never leaves the transmitter with half of the changes.
    QString refusal;
    FSetValues = SetInput(refusal);
    if (!refusal.isEmpty()) {
        ShowError(refusal);
        return;
    }

    // A port that does not open ends the Set before anything is written; the
    // application's error display shows the text, not the bare key.
    try {
        Hart1->OpenPort(DevicePath(cmbPort->currentText()).toStdString());
    } catch (const EHartComError& e) {
        throw EHartComError(Translate(Text(e.Message())).toStdString());
    }
    FSetErrors.clear();
    // The window handles messages between attempts: nothing else that talks
    // to the transmitter may start inside this Set.
    const TDeviceBusy busy(*FDeviceLock);
    if (DescriptionChanged)
        RunWriteStep(TWriteStep::Description, DescriptionChanged, &TfrmMain::UpdateDescription, "infWrittenTDD",
                     "infNotWrittenTDD");
    if (RangeChanged || UnitChanged || DampingChanged) {
        if (UnitChanged)
            RunWriteStep(TWriteStep::Unit, UnitChanged, &TfrmMain::UpdateUnit, "infWrittenRanges",
                         "infNotWrittenRanges");
        if (RangeChanged)
            RunWriteStep(TWriteStep::Range, RangeChanged, &TfrmMain::UpdateRange, "infWrittenRanges",
                         "infNotWrittenRanges");
        if (DampingChanged)
            RunWriteStep(TWriteStep::Damping, DampingChanged, &TfrmMain::UpdateDamping, "infWrittenDamping",
                         "infNotWrittenDamping");
        try {
            Hart1->ClosePort();
        } catch (const EHartComError& e) {
            FSetErrors << Translate(Text(e.Message()));
        }
    }
    // One box for the whole Set, however many steps failed.
    FSetErrors.removeDuplicates();
    if (!FSetErrors.isEmpty())
        ShowError(FSetErrors.join(QStringLiteral("\n\n")));
}

TfrmMain::TSetValues TfrmMain::SetInput(QString& Refusal) const
{
    TSetValues values;
    if (DescriptionChanged) {
        const std::optional<QDate> date = SettingDate(medDate->text());
        if (!date) {
            Refusal = Translate(QStringLiteral("E1.frmMain"));
            return values;
        }
        const QString tag = edTag->text().trimmed(), descriptor = edDesc->text().trimmed();
        const QString unstorable = UnstorableChar(tag + descriptor);
        if (!unstorable.isEmpty()) {
            Refusal = Translate(QStringLiteral("E12.frmMain")).arg(unstorable);
            return values;
        }
        values.Description
            = {Latin1(tag), Latin1(descriptor), uint8_t(date->day()), uint8_t(date->month()), uint16_t(date->year())};
    }
    values.Unit = cmbUnit->currentText().toStdString();
    if (RangeChanged) {
        for (QLineEdit* edit : {edUpperRange, edLowerRange}) {
            const std::optional<float> number = SettingNumber(edit->text());
            if (!number) {
                Refusal = Translate(QStringLiteral("E13.frmMain")).arg(edit->text());
                return values;
            }
            (edit == edUpperRange ? values.Upper : values.Lower) = *number;
        }
    }
    if (DampingChanged) {
        const std::optional<float> damping = SettingNumber(edDamping->text());
        if (!damping || !(*damping >= 0.0f && *damping <= 100.0f)) {
            Refusal = Translate(QStringLiteral("E4.frmMain"));
            return values;
        }
        values.Damping = *damping;
    }
    return values;
}

// One step of Set: the progress bar over panel 1 while it runs, its status
// text after it. The change flag stays set unless the transmitter kept the
// value, so that the next Set tries again.
void TfrmMain::RunWriteStep(TWriteStep Step, bool& Changed, bool (TfrmMain::*Update)(), const char* WrittenKey,
                            const char* NotWrittenKey)
{
    SetStatusPanel1OwnerDrawn(true);
    prbProgress->setMaximum(0);
    prbProgress->setValue(0);
    FLastWrite = TWriteResult();
    bool verified = false;
    try {
        verified = (this->*Update)();
        if (!verified) {
            const QString kept = TVerifiedWrite::ReadBackText(Step, FLastWrite);
            FLog->WriteLine(QStringLiteral("%1 not kept by the transmitter after %2 attempts; it kept %3")
                                .arg(QLatin1String(StepName(Step)), QString::number(FLastWrite.Attempts), kept));
            FSetErrors << Translate(QStringLiteral("E11.frmMain")).arg(kept, QString::number(FLastWrite.Attempts));
        }
    } catch (const EHartComError& e) {
        FSetErrors << Translate(Text(e.Message()));
    }
    Changed = !verified;
    prbProgress->setVisible(false);
    SetStatusPanel1OwnerDrawn(false);
    SetStatusText(1, Translate(QLatin1String(verified ? WrittenKey : NotWrittenKey)));
}

// Runs one verified write with the window's log and progress bar.
TWriteResult TfrmMain::VerifiedWrite(const std::function<TWriteResult(TVerifiedWrite&)>& Write)
{
    TVerifiedWrite writer(*Hart1, WriteAttempts, *FFrontEnd);
    FLastWrite = Write(writer);
    return FLastWrite;
}

bool TfrmMain::UpdateDescription()
{
    return VerifiedWrite([this](TVerifiedWrite& W) { return W.WriteDescription(FSetValues.Description); }).Verified;
}

bool TfrmMain::UpdateUnit()
{
    return VerifiedWrite([this](TVerifiedWrite& W) { return W.WriteUnit(FSetValues.Unit); }).Verified;
}

bool TfrmMain::UpdateRange()
{
    return VerifiedWrite(
               [this](TVerifiedWrite& W) { return W.WriteRange(FSetValues.Unit, FSetValues.Upper, FSetValues.Lower); })
        .Verified;
}

bool TfrmMain::UpdateDamping()
{
    return VerifiedWrite([this](TVerifiedWrite& W) { return W.WriteDamping(FSetValues.Damping); }).Verified;
}
