#pragma once
// Addressing in the window: the polling address box beside the port, the
// primary/secondary master preference, "Find transmitters…" (a scan with
// progress and Cancel, a search by tag, setting a transmitter's polling
// address) and the long tag of HART 6 and 7 transmitters (shown after a read,
// written with its own button). Busy and delayed answers of any workflow are
// shown here too: each repeat in the log and the status bar, a delayed
// response with a progress box and Cancel.
//
// The workflow adds its controls to the window itself, so the form and the
// other workflows know nothing of it but the read's find tag.

#include "transmitter/TransmitterScan.h"

#include <QString>

#include <memory>
#include <vector>

class QAction;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QSpinBox;
class TDeviceBusy;
class TFindDialog;
class TMainView;
class TReadWorkflow;
struct TRetryNote;

class TFindWorkflow {
public:
    TFindWorkflow(TMainView& View, TReadWorkflow& Read);
    ~TFindWorkflow();

    void acFindExecute();
    void acPrimaryMasterExecute();
    void spnAddressChange();
    // The dialog's buttons.
    void bbtnScanClick();
    void bbtnCancelScanClick() { FCancel = true; }
    void bbtnFindTagClick();
    void bbtnSetAddressClick();
    void bbtnUseClick();
    void bbtnWriteLongTagClick();
    // After a read: the long tag field for the transmitter read.
    void ShowLongTag();

    // The preference's key in the window's settings.
    static inline const char* const PrimaryMasterKey = "PrimaryMaster";

    // The controls this workflow adds (tests reach them by name as well).
    QSpinBox* spnAddress = nullptr;
    QAction *acFind = nullptr, *acPrimaryMaster = nullptr;
    QLineEdit* edLongTag = nullptr;
    QPushButton* bbtnWriteLongTag = nullptr;
    TFindDialog* Dialog() const { return FDialog; }
    const std::vector<TScanEntry>& Found() const { return FFound; }

private:
    void AddControls();
    void LoadPreference();
    bool OpenPort();
    void ShowEntries();
    void ShowFindStatus(const QString& Text);
    const TScanEntry* SelectedEntry() const;
    void OnRetry(const TRetryNote& Note);
    void OnSettled();

    TMainView& FView;
    TReadWorkflow& FRead;
    TFindDialog* FDialog = nullptr;
    std::vector<TScanEntry> FFound;
    bool FCancel = false;
    bool FScanning = false;
    QProgressDialog* FWaitBox = nullptr;
    // Held while a command is repeated: events run in its pauses (progress,
    // Cancel), and no monitoring tick may start an exchange inside it.
    std::unique_ptr<TDeviceBusy> FRepeating;
};
