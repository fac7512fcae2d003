#pragma once
// Every message and status key the main window shows itself (link and command
// keys come with the exceptions of hart/). The language file needs a text for
// each of them in both sections.

inline constexpr const char* MainWindowMessageKeys[] = {
    "infReadUniqueIdent",
    "infReadOutput",
    "infReadAddInfo",
    // Set, the reference actions
    "infWrittenTDD",
    "infWrittenRanges",
    "infWrittenDamping",
    "infNotWrittenTDD",
    "infNotWrittenRanges",
    "infNotWrittenDamping",
    "infNothingToWrite",
    "E1.frmMain",
    "E4.frmMain",
    "E11.frmMain",
    "E12.frmMain",
    "E13.frmMain",
    "W0.frmMain",
    "W1.frmMain",
    "W2.frmMain",
    // monitoring and data logging
    "W4.NOEDITION",
    "infAllowEdit",
    "W4.frmMain",
    "W5.frmMain",
    "E5.frmMain",
    "E6.frmMain",
    "E10.frmMain",
    "E14.frmMain",
};
