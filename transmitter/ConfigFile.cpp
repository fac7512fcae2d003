#include "transmitter/ConfigFile.h"

#include "services/StreamError.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <array>
#include <cstdint>

namespace {

constexpr char ShortString = 0x06;
constexpr char LongString = 0x0C;
constexpr char WideString = 0x12;
constexpr char Utf8String = 0x14;

// Windows-1252 positions 0x80 to 0x9F; the five it leaves undefined map to
// the control character of the same number, as Windows itself does.
constexpr std::array<char16_t, 32> Cp1252High
    = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
       0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
       0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(const QByteArray& Bytes)
{
    QString text;
    text.reserve(Bytes.size());
    for (const char byte : Bytes) {
        const auto b = static_cast<unsigned char>(byte);
        text += QChar(b >= 0x80 && b <= 0x9F ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

bool IsAscii(const QString& Text)
{
    for (const QChar ch : Text)
        if (ch.unicode() > 0x7F)
            return false;
    return true;
}

void AppendLength(QByteArray& Bytes, std::uint32_t Length)
{
    for (int shift = 0; shift < 32; shift += 8)
        Bytes += char((Length >> shift) & 0xFF);
}

[[noreturn]] void Truncated(qsizetype Offset)
{
    throw EStreamError(
        QStringLiteral("E40.STREAMREAD"),
        QStringLiteral("Stream read error: the file ends at byte %1, before its fourth item is complete"),
        {QString::number(Offset)});
}

// Count bytes from Offset, or a stream error when the data end first.
QByteArray Take(const QByteArray& Bytes, qsizetype& Offset, qint64 Count)
{
    if (Count < 0 || Count > Bytes.size() - Offset)
        Truncated(Bytes.size());
    const QByteArray part = Bytes.mid(Offset, qsizetype(Count));
    Offset += qsizetype(Count);
    return part;
}

std::uint32_t TakeLength(const QByteArray& Bytes, qsizetype& Offset)
{
    const QByteArray raw = Take(Bytes, Offset, 4);
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i)
        length = (length << 8) | static_cast<unsigned char>(raw[i]);
    return length;
}

EStreamError CannotCreate(const QString& FileName, const QString& Reason)
{
    return EStreamError(QStringLiteral("E40.CANNOTCREATE"), QStringLiteral("Cannot create file \"%1\". %2"),
                        {FileName, Reason});
}

}  // namespace

QByteArray TConfigFile::EncodeItem(const QString& Text)
{
    QByteArray bytes;
    if (!IsAscii(Text)) {
        const QByteArray utf8 = Text.toUtf8();
        bytes += Utf8String;
        AppendLength(bytes, std::uint32_t(utf8.size()));
        bytes += utf8;
    } else if (Text.size() <= 255) {
        bytes += ShortString;
        bytes += char(Text.size());
        bytes += Text.toLatin1();
    } else {
        bytes += LongString;
        AppendLength(bytes, std::uint32_t(Text.size()));
        bytes += Text.toLatin1();
    }
    return bytes;
}

QString TConfigFile::DecodeItem(const QByteArray& Bytes, qsizetype& Offset)
{
    const qsizetype start = Offset;
    const char kind = Take(Bytes, Offset, 1)[0];
    switch (kind) {
        case ShortString: {
            const auto length = static_cast<unsigned char>(Take(Bytes, Offset, 1)[0]);
            return FromWindows1252(Take(Bytes, Offset, length));
        }
        case LongString: return FromWindows1252(Take(Bytes, Offset, TakeLength(Bytes, Offset)));
        case Utf8String: return QString::fromUtf8(Take(Bytes, Offset, TakeLength(Bytes, Offset)));
        case WideString: {
            const QByteArray units = Take(Bytes, Offset, qint64(TakeLength(Bytes, Offset)) * 2);
            QString text;
            text.reserve(units.size() / 2);
            for (qsizetype i = 0; i < units.size(); i += 2)
                text += QChar(
                    char16_t(static_cast<unsigned char>(units[i]) | (static_cast<unsigned char>(units[i + 1]) << 8)));
            return text;
        }
        default:
            throw EStreamError(QStringLiteral("E40.INVALIDITEM"),
                               QStringLiteral("Invalid property value: byte %1 is 0x%2, which starts no text item"),
                               {QString::number(start),
                                QStringLiteral("%1").arg(static_cast<unsigned char>(kind), 2, 16, QLatin1Char('0'))});
    }
}

QByteArray TConfigFile::Encode(const TConfigItems& Items)
{
    return EncodeItem(Items.UpperRange) + EncodeItem(Items.LowerRange) + EncodeItem(Items.Unit)
           + EncodeItem(Items.Damping);
}

TConfigItems TConfigFile::Decode(const QByteArray& Bytes)
{
    qsizetype offset = 0;
    TConfigItems items;
    items.UpperRange = DecodeItem(Bytes, offset);
    items.LowerRange = DecodeItem(Bytes, offset);
    items.Unit = DecodeItem(Bytes, offset);
    items.Damping = DecodeItem(Bytes, offset);
    return items;
}

void TConfigFile::Write(QIODevice& Device, const TConfigItems& Items)
{
    const QByteArray bytes = Encode(Items);
    if (Device.write(bytes) != bytes.size())
        throw EStreamError(QStringLiteral("E40.STREAMWRITE"), QStringLiteral("Stream write error: %1"),
                           {Device.errorString()});
}

TConfigItems TConfigFile::Read(QIODevice& Device)
{
    return Decode(Device.readAll());
}

void TConfigFile::Save(const QString& FileName, const TConfigItems& Items)
{
    QSaveFile file(FileName);
    // Unbuffered, so that a short write (disk full, file-size limit) is seen
    // here; a buffered one can be lost in the flush at commit unnoticed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw CannotCreate(FileName, file.errorString());
    try {
        Write(file, Items);
    } catch (const EStreamError& e) {
        throw e.InFile(FileName);
    }
    if (!file.commit())
        throw CannotCreate(FileName, file.errorString());
}

TConfigItems TConfigFile::Load(const QString& FileName)
{
    // Opening a FIFO would wait for a writer for ever, and a device has no end.
    const QFileInfo info(FileName);
    if (info.exists() && !info.isFile())
        throw EStreamError(QStringLiteral("E40.NOTAFILE"),
                           QStringLiteral("Cannot open file \"%1\". It is not a regular file."), {FileName});
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EStreamError(QStringLiteral("E40.CANNOTOPEN"), QStringLiteral("Cannot open file \"%1\". %2"),
                           {FileName, file.errorString()});
    try {
        return Read(file);
    } catch (const EStreamError& e) {
        // What is wrong inside the file, said with its name.
        throw e.InFile(FileName);
    }
}
