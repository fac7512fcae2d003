#pragma once

#include <QString>

// The absolute path of a file with the system's separators.
QString NativeName(const QString& FileName);

// The name the load's log line gives: the short (8.3) path on Windows; other
// systems have no short names, so the full path.
QString ShortPathName(const QString& FileName);
