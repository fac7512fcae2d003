#include "services/UnitDataloger.h"

#include "services/LocaleDateTime.h"
#include "services/NumberFormat.h"
#include "services/SafeSave.h"

#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr int LogDigits = 6;

// Lines are handed to the stream in chunks of about this many bytes.
constexpr qsizetype ChunkBytes = 1 << 16;

// The samples grow by a quarter at a time rather than doubling: a week of
// samples is 600,000 of them, and doubling would leave up to half unused.
constexpr qsizetype MinGrowth = 1024;

// Every blank of a date-time text becomes a column break; the no-break
// spaces that some locales put before AM/PM count as blanks too.
QString BlanksToTabs(QString Text)
{
    for (QChar& c : Text)
        if (c.isSpace())
            c = QLatin1Char('\t');
    return Text;
}

// Makes the bytes of many data-log lines, the same as FormatLine followed by
// the conversion to 8-bit text, but fast: the date is formatted once per
// day, the time once per second of the day, and the numbers without going
// through QString (a million lines in well under a second).
class TLineWriter {
public:
    explicit TLineWriter(const QLocale& Locale)
        : FLocale(Locale)
        , FDatePattern(FullYearDatePattern(Locale))
        , FDecimalPoint(Locale.decimalPoint().toLocal8Bit())
    {
        // Times shown to the millisecond cannot be shared between samples.
        FTimesBySecond = !LongTimePattern(Locale).contains(QLatin1Char('z'));
        if (FTimesBySecond)
            FTimes.resize(24 * 60 * 60);
    }

    void Append(const TLogSample& Sample, QByteArray& Out)
    {
        const QDate Date = Sample.Time.date();
        const QTime Time = Sample.Time.time();
        if (Date != FDate || FDateText.isEmpty()) {
            FDate = Date;
            FDateText = BlanksToTabs(FLocale.toString(Date, FDatePattern)).toLocal8Bit();
        }
        Out += FDateText;
        if (Time != QTime(0, 0)) {  // exactly midnight shows the date alone
            Out += '\t';
            Out += TimeText(Time);
        }
        Out += '\t';
        AppendNumber(Sample.Current, Out);
        Out += "\t\t";
        AppendNumber(Sample.Pressure, Out);
        Out += "\r\n";
    }

private:
    QByteArray TimeText(const QTime& Time)
    {
        if (!FTimesBySecond)
            return BlanksToTabs(LongTimeText(Time, FLocale)).toLocal8Bit();
        QByteArray& Text = FTimes[std::size_t(Time.msecsSinceStartOfDay() / 1000)];
        if (Text.isEmpty())
            Text = BlanksToTabs(LongTimeText(Time, FLocale)).toLocal8Bit();
        return Text;
    }

    // The general format of FormatGeneral with 6 digits: shortest "%.6g"
    // digits, the locale's decimal point, and the exponent as E6 or E-5.
    void AppendNumber(float Value, QByteArray& Out) const
    {
        const double V = Value;
        char Buffer[32];
        const auto Result = std::isfinite(V) && V != 0 ? std::to_chars(Buffer, Buffer + sizeof Buffer, V,
                                                                       std::chars_format::general, LogDigits)
                                                       : std::to_chars_result {Buffer, std::errc::value_too_large};
        if (Result.ec != std::errc()) {  // zero, NaN and infinities
            Out += FormatGeneral(V, LogDigits, FLocale).toLocal8Bit();
            return;
        }
        for (const char* p = Buffer; p != Result.ptr; ++p) {
            if (*p == '.') {
                Out += FDecimalPoint;
            } else if (*p == 'e') {
                Out += 'E';
                ++p;
                if (*p == '-')
                    Out += '-';
                ++p;
                while (p + 1 != Result.ptr && *p == '0')
                    ++p;
                Out.append(p, Result.ptr - p);
                break;
            } else {
                Out += *p;
            }
        }
    }

    QLocale FLocale;
    QString FDatePattern;
    QByteArray FDecimalPoint;
    bool FTimesBySecond = false;
    std::vector<QByteArray> FTimes;  // by second of the day, made on first use
    QDate FDate;
    QByteArray FDateText;
};

EStreamError CannotWrite(const QString& FileName, const QString& Reason)
{
    return EStreamError(QStringLiteral("E40.CANNOTWRITE"), QStringLiteral("Cannot write file \"%1\". %2"),
                        {FileName, Reason});
}

[[noreturn]] void ThrowWriteError(QIODevice& Stream)
{
    throw EStreamError(QStringLiteral("E40.DATALOGWRITE"), QStringLiteral("Cannot write the data log: %1"),
                       {Stream.errorString()});
}

// Hands whole lines to the stream in one write. Should that not go through
// whole, the rest goes line by line from where it stopped, so that every
// line before the one that fails is in the file.
void WriteLines(QIODevice& Stream, const QByteArray& Bytes)
{
    const qint64 Done = Stream.write(Bytes);
    if (Done == Bytes.size())
        return;
    for (qsizetype From = qsizetype(std::max<qint64>(Done, 0)); From < Bytes.size();) {
        const qsizetype Break = Bytes.indexOf("\r\n", From);
        const qsizetype End = Break < 0 ? Bytes.size() : Break + 2;
        if (Stream.write(Bytes.constData() + From, End - From) != End - From)
            ThrowWriteError(Stream);
        From = End;
    }
}

}  // namespace

int TDataloger::AddSample(float Pressure, float Current)
{
    return AddSample(QDateTime::currentDateTime(), Pressure, Current);
}

int TDataloger::AddSample(const QDateTime& Time, float Pressure, float Current)
{
    if (FSamples.size() == FSamples.capacity())
        FSamples.reserve(FSamples.size() + std::max(FSamples.size() / 4, MinGrowth));
    FSamples.append(TLogSample {Time, Current, Pressure});
    return Count();
}

void TDataloger::SetComplete(bool Value)
{
    FComplete = Value;
    if (!Value)
        FSaved = false;
}

void TDataloger::Clear()
{
    FSamples.clear();
}

QString TDataloger::FormatLine(const TLogSample& Sample)
{
    return BlanksToTabs(DateTimeText(Sample.Time)) + QLatin1Char('\t') + FormatGeneral(Sample.Current, LogDigits)
           + QStringLiteral("\t\t") + FormatGeneral(Sample.Pressure, LogDigits);
}

// The lines are appended at the end of the stream, in chunks of whole lines.
void TDataloger::WriteSamples(QIODevice& Stream, TDatalogFormat Format, const QString& PressureUnit) const
{
    if (!Stream.isSequential() && !Stream.seek(Stream.size()))
        ThrowWriteError(Stream);
    TLineWriter Writer {QLocale()};
    QByteArray Chunk;
    Chunk.reserve(ChunkBytes + 256);
    if (Format == TDatalogFormat::Csv)
        Chunk += "time,current_mA,pressure_" + PressureUnit.toUtf8() + "\r\n";
    for (const TLogSample& sample : FSamples) {
        if (Format == TDatalogFormat::Csv)
            Chunk += sample.Time.toString(Qt::ISODateWithMs).toUtf8() + ','
                     + QByteArray::number(double(sample.Current), 'g', 7) + ','
                     + QByteArray::number(double(sample.Pressure), 'g', 7) + "\r\n";
        else
            Writer.Append(sample, Chunk);
        if (Chunk.size() >= ChunkBytes) {
            WriteLines(Stream, Chunk);
            Chunk.clear();
        }
    }
    if (!Chunk.isEmpty())
        WriteLines(Stream, Chunk);
}

void TDataloger::SaveToStream(QIODevice& Stream)
{
    WriteSamples(Stream, TDatalogFormat::Tabs, QString());
    FSaved = true;
    FComplete = false;
}

void TDataloger::CheckTarget(const QString& FileName)
{
    QSaveFile file(FileName);
    // Opening makes only the temporary file beside the target, which goes
    // again with the save file.
    OpenSaveFile(file);
    file.cancelWriting();
}

void TDataloger::SaveToFile(const QString& FileName, TDatalogFormat Format, const QString& PressureUnit)
{
    QSaveFile file(FileName);
    OpenSaveFile(file);
    try {
        WriteSamples(file, Format, PressureUnit);
    } catch (const EStreamError&) {
        throw CannotWrite(FileName, file.errorString());
    }
    if (!file.commit())
        throw CannotWrite(FileName, file.errorString());
    FSaved = true;
    FComplete = false;
}
