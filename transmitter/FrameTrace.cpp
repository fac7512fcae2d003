#include "transmitter/FrameTrace.h"

#include "hart/DeviceStatus.h"
#include "hart/ResponseCodes.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <string>

namespace {

QByteArray Bytes(const std::string& Hex)
{
    return QByteArray::fromHex(QByteArray::fromStdString(Hex));
}

QString Hex(const QByteArray& Bytes)
{
    return QString::fromLatin1(Bytes.toHex(' ').toUpper());
}

QString Hex2(uint8_t Byte)
{
    return QStringLiteral("%1").arg(Byte, 2, 16, QLatin1Char('0')).toUpper();
}

QString Words(uint8_t Bits, const char* const Names[8])
{
    QStringList words;
    for (int bit = 7; bit >= 0; --bit)
        if ((Bits & (1u << bit)) && Names[7 - bit])
            words << QString::fromLatin1(Names[7 - bit]);
    return words.isEmpty() ? QStringLiteral("none") : words.join(QStringLiteral(", "));
}

// Communication error bits of the first status byte (its bit 7 set), 0x80 first.
const char* const CommErrorNames[8]
    = {nullptr, "vertical parity error", "overrun error", "framing error", "longitudinal parity error",
       nullptr, "buffer overflow",       nullptr};

QString DelimiterText(uint8_t Delimiter)
{
    const bool longFrame = Delimiter & 0x80;
    QString kind;
    switch (Delimiter & 0x07) {
        case 1: kind = QStringLiteral("burst"); break;
        case 2: kind = QStringLiteral("master to slave"); break;
        case 6: kind = QStringLiteral("slave to master"); break;
        default: kind = QStringLiteral("unknown frame type"); break;
    }
    return QStringLiteral("%1 (%2 frame, %3)")
        .arg(Hex2(Delimiter), longFrame ? QStringLiteral("long") : QStringLiteral("short"), kind);
}

// One frame decoded from its bytes, preambles included; a frame cut short
// shows the fields it has.
QString DecodeFrame(const QByteArray& Frame, bool Reply)
{
    qsizetype at = 0;
    while (at < Frame.size() && (uint8_t(Frame[at]) == 0xFF || (at == 0 && uint8_t(Frame[at]) == 0xFE)))
        ++at;
    QStringList fields;
    fields << QStringLiteral("preambles %1").arg(at);
    if (at >= Frame.size())
        return fields.join(QStringLiteral(", ")) + QStringLiteral(", no delimiter");
    const uint8_t delimiter = uint8_t(Frame[at++]);
    fields << QStringLiteral("delimiter ") + DelimiterText(delimiter);
    const qsizetype addressLength = (delimiter & 0x80) ? 5 : 1;
    if (at + addressLength + 2 > Frame.size())
        return fields.join(QStringLiteral(", ")) + QStringLiteral(", incomplete");
    fields << QStringLiteral("address ") + Hex(Frame.mid(at, addressLength));
    at += addressLength;
    const uint8_t command = uint8_t(Frame[at++]);
    const uint8_t count = uint8_t(Frame[at++]);
    fields << QStringLiteral("command %1").arg(command) << QStringLiteral("byte count %1").arg(count);
    QByteArray data = Frame.mid(at, count);
    at += data.size();
    if (Reply && data.size() >= 2) {
        const uint8_t first = uint8_t(data[0]), status = uint8_t(data[1]);
        if (first & 0x80)
            fields << QStringLiteral("communication error %1 (%2)").arg(Hex2(first), Words(first, CommErrorNames));
        else
            fields << QStringLiteral("response code %1 (%2)")
                          .arg(first)
                          .arg(QString::fromStdString(HartResponse::Key(command, first)));
        fields << QStringLiteral("device status %1 (%2)")
                      .arg(Hex2(status),
                           QString::fromStdString(DeviceStatus::EnglishList(DeviceStatus::DeviceStatusWords(status))));
        data = data.mid(2);
    }
    fields << QStringLiteral("data ") + (data.isEmpty() ? QStringLiteral("none") : Hex(data));
    if (at < Frame.size())
        fields << QStringLiteral("check byte ") + Hex2(uint8_t(Frame[at]));
    else
        fields << QStringLiteral("no check byte");
    return fields.join(QStringLiteral(", "));
}

}  // namespace

QString FormatExchange(const THartExchangeTrace& Trace)
{
    const QByteArray request = Bytes(Trace.Reply.RequestText);
    const QByteArray reply = Bytes(Trace.Reply.ReplyText);
    QString text = QStringLiteral("> ") + Hex(request) + QLatin1Char('\n');
    text += QStringLiteral("  ") + DecodeFrame(request, false) + QLatin1Char('\n');
    text += QStringLiteral("< ") + (reply.isEmpty() ? QStringLiteral("(nothing)") : Hex(reply)) + QLatin1Char('\n');
    if (!reply.isEmpty())
        text += QStringLiteral("  ") + DecodeFrame(reply, true) + QLatin1Char('\n');
    text += QStringLiteral("  time %1 ms").arg(double(Trace.EndUs - Trace.StartUs) / 1000.0, 0, 'f', 1);
    if (!Trace.ErrorKey.empty())
        text += QStringLiteral(", failed: ") + QString::fromStdString(Trace.ErrorKey);
    return text + QLatin1Char('\n');
}
