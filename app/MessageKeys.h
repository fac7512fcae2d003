#pragma once
// Every message and status key the main window shows itself (link and command
// keys come with the exceptions of hart/). The language file needs a text for
// each of them in both sections.

inline constexpr const char* MainWindowMessageKeys[] = {
    "infReadUniqueIdent",
    "infReadOutput",
    "infReadAddInfo",
};
