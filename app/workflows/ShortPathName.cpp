// Kept apart from the workflows: <windows.h> defines GetSaveFileName and
// GetOpenFileName as macros, which would rename the operator dialogs' methods
// in any file that includes both.

#include "app/workflows/ShortPathName.h"

#include <QDir>
#include <QFileInfo>

#ifdef _WIN32
#include <windows.h>
#endif

QString NativeName(const QString& FileName)
{
    return QDir::toNativeSeparators(QFileInfo(FileName).absoluteFilePath());
}

QString ShortPathName(const QString& FileName)
{
    const QString full = NativeName(FileName);
#ifdef _WIN32
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetShortPathNameW(reinterpret_cast<const wchar_t*>(full.utf16()), buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return QString::fromWCharArray(buffer, int(length));
#endif
    return full;
}
