#pragma once
// Every key of the window's addressing: the find dialog's captions and column
// headers, the menu items and controls the find workflow adds, its status
// texts, and the keys of the scan, the search and the address change
// (transmitter/TransmitterScan.h). The language file needs a text for each of
// them in both sections.

inline constexpr const char* FindMessageKeys[] = {
    "frmFind.Caption",        "lblAddresses.Caption",  "lblTo.Caption",
    "lblFindTag.Caption",     "lblNewAddress.Caption", "bbtnScan.Caption",
    "bbtnCancelScan.Caption", "bbtnFindTag.Caption",   "bbtnSetAddress.Caption",
    "bbtnUse.Caption",        "bbtnClose.Caption",     "tblFound.Col0",
    "tblFound.Col1",          "tblFound.Col2",         "tblFound.Col3",
    "tblFound.Col4",          "tblFound.Col5",         "tblFound.Col6",
    "mmiFind.Caption",        "mmiFind.Hint",          "mmiPrimaryMaster.Caption",
    "mmiPrimaryMaster.Hint",  "lblLongTag.Caption",    "bbtnWriteLongTag.Caption",
    "infScanAddress",         "infScanDone",           "infScanCancelled",
    "infAddressSet",          "infLongTagWritten",     "errLongTagText",
    "infBusyRepeat",          "infDelayedWait",        "147.ADDRESSNOTVERIFIED",
    "qstSetAddressZero",      "qstSetAddressFixed",
};
