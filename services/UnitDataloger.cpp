#include "services/UnitDataloger.h"

#include "services/LocaleDateTime.h"
#include "services/NumberFormat.h"

#include <QIODevice>

namespace {
constexpr int LogDigits = 6;
}

int TDataloger::AddSample(float Pressure, float Current)
{
    return AddSample(QDateTime::currentDateTime(), Pressure, Current);
}

int TDataloger::AddSample(const QDateTime& Time, float Pressure, float Current)
{
    FSamples.append(TLogSample{Time, Current, Pressure});
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
    QString stamp = DateTimeText(Sample.Time);
    // Every blank of the date-time text becomes a column break; the no-break
    // spaces that some locales put before AM/PM count as blanks too.
    for (QChar& c : stamp)
        if (c.isSpace())
            c = QLatin1Char('\t');
    return stamp + QLatin1Char('\t') + FormatGeneral(Sample.Current, LogDigits) + QStringLiteral("\t\t")
           + FormatGeneral(Sample.Pressure, LogDigits);
}

void TDataloger::SaveToStream(QIODevice& Stream)
{
    for (const TLogSample& sample : FSamples) {
        QByteArray bytes = FormatLine(sample).toLocal8Bit();
        bytes.append("\r\n", 2);
        if (!Stream.isSequential() && !Stream.seek(Stream.size()))
            throw EStreamError(QStringLiteral("Cannot write the data log: %1").arg(Stream.errorString()));
        if (Stream.write(bytes) != bytes.size())
            throw EStreamError(QStringLiteral("Cannot write the data log: %1").arg(Stream.errorString()));
    }
    FSaved = true;
    FComplete = false;
}
