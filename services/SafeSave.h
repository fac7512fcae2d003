#pragma once
// Files the operator saves are written to a temporary file beside the target
// and renamed over it at the end (QSaveFile), so a failed save never destroys
// the old file. Failures are EStreamError with their key.

#include <QByteArray>
#include <QString>

class QSaveFile;

// Opens the temporary file of a save, unbuffered: a buffered write that fails
// only in the flush at commit would go unnoticed, and a truncated file would
// replace the old one. A directory, a device or a pipe is refused.
void OpenSaveFile(QSaveFile& File);

// Bytes as the whole new content of FileName.
void SaveFileBytes(const QString& FileName, const QByteArray& Bytes);
