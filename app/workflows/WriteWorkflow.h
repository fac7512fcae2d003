#pragma once
// Set: the edited settings are checked, then written step by step (description;
// then unit, range and damping, after which the port is closed), each step
// verified by reading the value back. The pending edits say which steps run.

#include "app/workflows/PendingEdits.h"
#include "transmitter/VerifiedWrite.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class TMainView;
struct TfrmMainUi;

class TWriteWorkflow {
public:
    explicit TWriteWorkflow(TMainView& View);

    // Attempts of each verified write before the operator is told what the
    // transmitter kept.
    static constexpr int WriteAttempts = TVerifiedWrite::DefaultAttempts;

    void acSetExecute();
    // Each step answers whether the transmitter kept what was sent.
    bool UpdateDescription();
    bool UpdateUnit();
    bool UpdateRange();
    bool UpdateDamping();

    TPendingEdits Edits;

private:
    // The values a Set writes, taken from the edits before anything is sent.
    struct TSetValues {
        TDescription Description;
        std::string Unit;
        float Upper = 0, Lower = 0, Damping = 0;
    };
    // The edited values of the steps to run; the refusal's text when one is not valid.
    TSetValues SetInput(QString& Refusal) const;
    void RunWriteStep(TWriteStep Step, bool& Changed, bool (TWriteWorkflow::*Update)(), const char* WrittenKey,
                      const char* NotWrittenKey);
    TWriteResult VerifiedWrite(const std::function<TWriteResult(TVerifiedWrite&)>& Write);

    TMainView& FView;
    const TfrmMainUi& FUi;
    TSetValues FSetValues;
    TWriteResult FLastWrite;
    QStringList FSetErrors;  // shown in one box at the end of a Set
};
