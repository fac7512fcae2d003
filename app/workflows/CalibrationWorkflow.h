#pragma once
// The "Calibration" page: the loop test, the output trim, the as-found and
// as-left checks and the certificate. The sequences are transmitter/'s, shared
// with calvista-cli; this workflow asks the operator through the window's
// dialogs and fills the page. Like the reference actions it uses the port and
// the address the last read left. A current fixed here is under a TOutputHold:
// the window releases every hold when it closes, and a release that fails is
// told to the operator; the next read that finds the current still fixed
// offers to release it.

#include "app/CalibrationPage.h"
#include "transmitter/CalibrationRecord.h"

#include <memory>
#include <optional>

class TMainView;
class TFixedCurrent;

class TCalibrationWorkflow {
public:
    explicit TCalibrationWorkflow(TMainView& View);
    ~TCalibrationWorkflow();

    void FixCurrent(double Ma);
    void FixTypedCurrent();
    void ReleaseCurrent();
    void OutputTrim();
    void RunCheck(bool AsLeft);
    void SaveCertificate();
    void PrintCertificate();
    // After a read: a transmitter that reports its current fixed, with no
    // loop test of ours holding it, is offered the release.
    void OfferReleaseAfterRead();
    void Retranslate();

    const TCalibrationPageUi& Page() const { return FPage; }
    const std::optional<TCalibrationRecord>& LastRecord() const { return FLast; }
    bool CurrentFixed() const;

private:
    QString Translate(const QString& Key) const;
    // The port and address of the last read; false (and said) without them.
    bool LinkReady();
    bool LoopInManual();
    void ShowLoopState();
    void ShowRecord(const TCalibrationRecord& Record);
    // The points and tolerance of the page; nothing (and said) when they are not numbers.
    bool TakeSettings(std::vector<double>& Points, double& Tolerance);

    TMainView& FView;
    TCalibrationPageUi FPage;
    std::unique_ptr<TFixedCurrent> FFixed;
    double FFixedMa = 0;
    std::optional<TCalibrationRecord> FLast;
};
