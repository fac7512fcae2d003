#pragma once
// Set: the edited settings are checked, then written as one whole by the
// settings write shared with the command-line tool (description; then unit,
// range and damping, after which the port is closed): either every edited
// step is written and verified, or the transmitter keeps the settings it had.
// The pending edits say which steps run.

#include "app/workflows/PendingEdits.h"
#include "transmitter/VerifiedWrite.h"
#include "transmitter/SettingsWrite.h"

#include <QString>

class TMainView;
struct TfrmMainUi;

class TWriteWorkflow {
public:
    explicit TWriteWorkflow(TMainView& View);

    // Attempts of each verified write before the operator is told what the
    // transmitter kept.
    static constexpr int WriteAttempts = TVerifiedWrite::DefaultAttempts;

    void acSetExecute();

    TPendingEdits Edits;

private:
    // The plan of the edited steps, taken from the fields before anything is
    // sent; the refusal's text when a value is not valid.
    TSettingsPlan SetInput(QString& Refusal) const;
    // Writes the plan with the window's progress bar and log; the status text
    // and the flags follow the result. Answers the text for the error box.
    QString WritePlan(const TSettingsPlan& Plan);

    TMainView& FView;
    const TfrmMainUi& FUi;
};
