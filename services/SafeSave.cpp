#include "services/SafeSave.h"

#include "services/StreamError.h"

#include <QFileInfo>
#include <QSaveFile>

void OpenSaveFile(QSaveFile& File)
{
    const QString name = File.fileName();
    const QFileInfo info(name);
    // A device or a pipe would be replaced by a plain file, or block.
    if (info.exists() && !info.isFile())
        throw info.isDir()
            ? EStreamError(QStringLiteral("E40.ISDIRECTORY"),
                           QStringLiteral("Cannot create file \"%1\". It is a directory."), {name})
            : EStreamError(QStringLiteral("E40.NOTREGULAR"),
                           QStringLiteral("Cannot create file \"%1\". It is not a regular file."), {name});
    if (!File.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw EStreamError(QStringLiteral("E40.CANNOTCREATE"), QStringLiteral("Cannot create file \"%1\". %2"),
                           {name, File.errorString()});
}

void SaveFileBytes(const QString& FileName, const QByteArray& Bytes)
{
    QSaveFile file(FileName);
    OpenSaveFile(file);
    if (file.write(Bytes) != Bytes.size() || !file.commit())
        throw EStreamError(QStringLiteral("E40.CANNOTWRITE"), QStringLiteral("Cannot write file \"%1\". %2"),
                           {FileName, file.errorString()});
}
