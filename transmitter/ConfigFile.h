#pragma once
// Configuration files (*.cfg): the pressure settings of a transmitter as four
// texts, stored as typed (numbers keep the operator's decimal separator). The
// file has no header; each item is one serialised string:
//
//   0x06, length (1 byte), the bytes          ASCII text up to 255 bytes
//   0x0C, length (4 bytes LE), the bytes      ASCII text of 256 bytes or more
//   0x14, length (4 bytes LE), UTF-8 bytes    text with characters beyond ASCII
//   0x12, count (4 bytes LE), UTF-16LE units  read only; written by no one here
//
// Bytes 0x80 and above inside a 0x06 or 0x0C item are Windows-1252, the code
// page of the PCs such files come from. Bytes after the fourth item are ignored.
//
// Qt Core only: used by the window and by the command-line tool.

#include <QByteArray>
#include <QString>

class QIODevice;

struct TConfigItems {
    QString UpperRange;
    QString LowerRange;
    QString Unit;
    QString Damping;

    bool operator==(const TConfigItems&) const = default;
};

class TConfigFile {
public:
    // The four items as bytes.
    static QByteArray Encode(const TConfigItems& Items);
    // The four items of Bytes; raises EStreamError when the bytes end before the
    // fourth item is complete or an item starts with an unknown byte. Nothing is
    // returned from a damaged file, so a caller never applies half of it.
    static TConfigItems Decode(const QByteArray& Bytes);

    // Writes the four items to an open device; EStreamError when a write fails.
    static void Write(QIODevice& Device, const TConfigItems& Items);
    // Reads the four items from an open device (its remaining bytes).
    static TConfigItems Read(QIODevice& Device);

    // Saves to a file through a temporary file renamed over it: a save that
    // fails leaves an existing file as it was. EStreamError on any failure.
    static void Save(const QString& FileName, const TConfigItems& Items);
    // Loads a file; EStreamError when it is no regular file (a FIFO would block
    // for ever), cannot be opened or is damaged.
    static TConfigItems Load(const QString& FileName);

    // One item's bytes, and its text decoded from Bytes at Offset (advanced past it).
    static QByteArray EncodeItem(const QString& Text);
    static QString DecodeItem(const QByteArray& Bytes, qsizetype& Offset);
};
