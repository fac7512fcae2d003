#include "services/VersionBlock.h"
#include "services/TrimControl.h"
#include "services/VersionResource.h"

#include <QFile>

#include <algorithm>

namespace {

const char* const WantedTable = VersionTableId;

// Markers of the embedded block. They are put together at run time so that
// this reader's own code never contains a complete marker that a scan of the
// program file could mistake for the block.
QByteArray BeginMarker()
{
    return QByteArray("\x7f"
                      "CALVISTA")
           + QByteArray(":VERSIONINFO:");
}

QByteArray EndMarker()
{
    return QByteArray("\x7f"
                      "CALVISTA")
           + QByteArray(":VERSIONEND\x7f");
}

constexpr qsizetype MaxBlockSize = 8192;

bool IsHexTableId(const QByteArray& Id)
{
    if (Id.size() != 8)
        return false;
    for (char c : Id)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// Reads a NUL-terminated field starting at Pos; false when no NUL follows
// within Limit.
bool ReadField(const QByteArray& Bytes, qsizetype& Pos, qsizetype Limit, QByteArray& Field)
{
    const qsizetype nul = Bytes.indexOf('\0', Pos);
    if (nul < 0 || nul >= Limit)
        return false;
    Field = Bytes.mid(Pos, nul - Pos);
    Pos = nul + 1;
    return true;
}

// Parses one block whose table id starts at Pos. Layout: table id NUL, then
// name NUL value NUL pairs, an empty name, the end marker. False when the bytes
// there are not a complete block.
bool ParseBlockAt(const QByteArray& Bytes, qsizetype Pos, QByteArray& TableId, QMap<QString, QString>& Values)
{
    const qsizetype limit = std::min(Bytes.size(), Pos + MaxBlockSize);
    if (!ReadField(Bytes, Pos, limit, TableId) || !IsHexTableId(TableId))
        return false;
    QMap<QString, QString> found;
    for (;;) {
        QByteArray name;
        if (!ReadField(Bytes, Pos, limit, name))
            return false;
        if (name.isEmpty())
            break;
        QByteArray value;
        if (!ReadField(Bytes, Pos, limit, value))
            return false;
        found.insert(QString::fromUtf8(name), TrimControl(QString::fromUtf8(value)));
    }
    if (Bytes.mid(Pos, EndMarker().size()) != EndMarker())
        return false;
    Values = found;
    return true;
}

QMap<QString, QString> WantedValues(const QMap<QString, QString>& Table)
{
    QMap<QString, QString> result;
    for (const char* name : VersionValueNames) {
        const auto it = Table.constFind(QString::fromLatin1(name));
        if (it != Table.constEnd())
            result.insert(it.key(), it.value());
    }
    return result;
}

#ifdef _WIN32
QMap<QString, QString> ReadWindowsResource(const QString& FileName)
{
    QMap<QString, QString> result;
    for (const auto& [name, value] : ReadWin32VersionStrings(FileName.toStdWString()))
        result.insert(QString::fromStdString(name), TrimControl(QString::fromStdWString(value)));
    return result;
}
#endif

}  // namespace

QMap<QString, QString> ParseVersionBlocks(const QByteArray& Bytes)
{
    const QByteArray begin = BeginMarker();
    qsizetype pos = 0;
    while ((pos = Bytes.indexOf(begin, pos)) >= 0) {
        pos += begin.size();
        QByteArray tableId;
        QMap<QString, QString> table;
        if (ParseBlockAt(Bytes, pos, tableId, table) && tableId.compare(WantedTable, Qt::CaseInsensitive) == 0)
            return WantedValues(table);
    }
    return {};
}

QMap<QString, QString> ReadVersionStrings(const QString& FileName)
{
#ifdef _WIN32
    return ReadWindowsResource(FileName);
#else
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseVersionBlocks(file.readAll());
#endif
}
