#pragma once
// Every message and status key the main window shows itself (link and command
// keys come with the exceptions of hart/). The language file needs a text for
// each of them in both sections.

inline constexpr const char* MainWindowMessageKeys[] = {
    "infReadUniqueIdent",
    "infReadOutput",
    "infReadAddInfo",
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
