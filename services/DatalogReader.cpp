#include "services/DatalogReader.h"

#include "services/StreamError.h"

#include <QFile>
#include <QLocale>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int64_t MsPerDay = 86'400'000;

enum class TDayOrder { DayFirst, MonthFirst, YearFirst };

bool IsBlank(char c)
{
    return c == '\t' || c == ' ';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool IsLetter(char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = int64_t(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

unsigned DaysInMonth(int64_t y, unsigned m)
{
    static constexpr unsigned Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : Days[m - 1];
}

struct TField {
    const char* Begin;
    const char* End;
};

// Up to MaxGroups runs of digits in a field, and the first separator between them.
int DigitGroups(TField F, int64_t* Values, int* Digits, int MaxGroups, char* Separator = nullptr)
{
    int n = 0;
    const char* p = F.Begin;
    while (p < F.End) {
        if (!IsDigit(*p)) {
            if (Separator && n == 1 && *Separator == 0)
                *Separator = *p;
            ++p;
            continue;
        }
        if (n == MaxGroups)
            return -1;
        int64_t v = 0;
        int k = 0;
        while (p < F.End && IsDigit(*p) && k < 9) {
            v = v * 10 + (*p++ - '0');
            ++k;
        }
        if (p < F.End && IsDigit(*p))
            return -1;
        Values[n] = v;
        Digits[n++] = k;
    }
    return n;
}

bool ParseNumber(TField F, float& Out)
{
    char Buffer[48];
    const std::size_t Length = std::size_t(F.End - F.Begin);
    if (Length == 0 || Length >= sizeof Buffer)
        return false;
    for (std::size_t i = 0; i < Length; ++i)
        Buffer[i] = F.Begin[i] == ',' ? '.' : F.Begin[i];
    double Value = 0;
    const auto Result = std::from_chars(Buffer, Buffer + Length, Value);
    if (Result.ec != std::errc() || Result.ptr != Buffer + Length)
        return false;
    Out = float(Value);
    return true;
}

// The fields of one line (without its line break); false when there are too many.
int SplitFields(const char* Begin, const char* End, TField* Fields, int MaxFields)
{
    int n = 0;
    const char* p = Begin;
    while (p < End) {
        while (p < End && IsBlank(*p))
            ++p;
        if (p == End)
            break;
        if (n == MaxFields)
            return -1;
        const char* Start = p;
        while (p < End && !IsBlank(*p))
            ++p;
        Fields[n++] = {Start, p};
    }
    return n;
}

constexpr int MaxFields = 8;

// Next line of [p, End): sets LineEnd to its end without CR and returns the start of the next.
const char* NextLine(const char* p, const char* End, const char*& LineEnd)
{
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', std::size_t(End - p)));
    const char* Next = nl ? nl + 1 : End;
    LineEnd = nl ? nl : End;
    if (LineEnd > p && LineEnd[-1] == '\r')
        --LineEnd;
    return Next;
}

// Which of day and month comes first, from the dates of the whole file.
class TOrderScan {
public:
    // Scans whole lines; false once the order is known.
    bool Scan(const char* Bytes, std::size_t Size)
    {
        const char* End = Bytes + Size;
        for (const char* p = Bytes; p < End && !Known();) {
            const char* LineEnd = nullptr;
            const char* Next = NextLine(p, End, LineEnd);
            TField Fields[MaxFields];
            int64_t v[3];
            int k[3];
            char Separator = 0;
            if (SplitFields(p, LineEnd, Fields, MaxFields) > 0 && DigitGroups(Fields[0], v, k, 3, &Separator) == 3) {
                if (k[0] == 4) {
                    FYearFirst = true;
                } else {
                    FFirstAbove12 |= v[0] > 12;
                    FSecondAbove12 |= v[1] > 12;
                    FSlash |= Separator == '/';
                }
            }
            p = Next;
        }
        return !Known();
    }

    TDayOrder Order() const
    {
        if (FFirstAbove12)
            return TDayOrder::DayFirst;
        if (FSecondAbove12)
            return TDayOrder::MonthFirst;
        if (FYearFirst)
            return TDayOrder::YearFirst;
        // Every date leaves it open: the order of this system's dates, which
        // is most often the system that wrote the log.
        const QString Format = QLocale().dateFormat(QLocale::ShortFormat);
        const qsizetype Month = Format.indexOf(QLatin1Char('M')), Day = Format.indexOf(QLatin1Char('d'));
        if (Month >= 0 && Day >= 0)
            return Month < Day ? TDayOrder::MonthFirst : TDayOrder::DayFirst;
        return FSlash ? TDayOrder::MonthFirst : TDayOrder::DayFirst;
    }

private:
    bool Known() const { return FFirstAbove12 || FSecondAbove12; }

    bool FFirstAbove12 = false, FSecondAbove12 = false, FYearFirst = false, FSlash = false;
};

int MonthFromName(const char* p, const char* End)
{
    static constexpr const char* Names[]
        = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (End - p < 3)
        return 0;
    for (int m = 0; m < 12; ++m)
        if ((p[0] | 0x20) == Names[m][0] && (p[1] | 0x20) == Names[m][1] && (p[2] | 0x20) == Names[m][2])
            return m + 1;
    return 0;
}

// The date at the start of the line: three parts, in one field ("06.12.2026",
// "2026-12-06") or in several ("6 Dec 2026", with the month's English name).
// Returns how many fields it took, 0 when there is no valid date.
int ParseDate(const TField* Fields, int Count, TDayOrder Order, int64_t& Days)
{
    int64_t v[3] = {};
    int k[3] = {};
    int Parts = 0, NamedMonth = 0, Used = 0;
    while (Parts < 3 && Used < Count) {
        const TField F = Fields[Used++];
        for (const char* p = F.Begin; p < F.End && Parts < 3;) {
            if (IsDigit(*p)) {
                int64_t x = 0;
                int n = 0;
                while (p < F.End && IsDigit(*p) && n < 9)
                    x = x * 10 + (*p++ - '0'), ++n;
                v[Parts] = x;
                k[Parts++] = n;
            } else if (const int m = MonthFromName(p, F.End); m && !NamedMonth && (p == F.Begin || !IsLetter(p[-1]))) {
                NamedMonth = m;
                v[Parts] = m;
                k[Parts++] = 0;  // the named month
                while (p < F.End && !IsDigit(*p))
                    ++p;
            } else {
                ++p;
            }
        }
    }
    if (Parts != 3)
        return 0;
    int64_t y, m, d;
    if (NamedMonth) {
        int64_t Numbers[2] = {};
        int Lengths[2] = {};
        for (int i = 0, c = 0; i < 3; ++i)
            if (k[i] != 0 && c < 2)
                Numbers[c] = v[i], Lengths[c++] = k[i];
        if (Lengths[0] != 4 && Lengths[1] != 4)
            return 0;
        const int Year = Lengths[0] == 4 ? 0 : 1;
        y = Numbers[Year];
        d = Numbers[1 - Year];
        m = NamedMonth;
    } else if (k[0] == 4) {
        y = v[0], m = v[1], d = v[2];
    } else if (k[2] == 4) {
        y = v[2];
        m = Order == TDayOrder::MonthFirst ? v[0] : v[1];
        d = Order == TDayOrder::MonthFirst ? v[1] : v[0];
    } else {
        return 0;
    }
    if (m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, unsigned(m)))
        return 0;
    Days = DaysFromCivil(y, unsigned(m), unsigned(d));
    return Used;
}

// The time fields between the date and the numbers: digits make the time,
// letters an AM/PM marker (P... afternoon, A... morning).
bool ParseTime(const TField* Fields, int Count, int64_t& Ms)
{
    Ms = 0;
    if (Count == 0)
        return true;  // exactly midnight: the date alone
    int TimeField = -1;
    char Marker = 0;
    for (int i = 0; i < Count; ++i) {
        bool HasDigit = false;
        for (const char* p = Fields[i].Begin; p < Fields[i].End; ++p)
            HasDigit |= IsDigit(*p);
        if (HasDigit) {
            if (TimeField >= 0)
                return false;
            TimeField = i;
        }
        for (const char* p = Fields[i].Begin; p < Fields[i].End; ++p) {
            if ((*p == 'A' || *p == 'a' || *p == 'P' || *p == 'p') && Marker == 0)
                Marker = char(*p | 0x20);
        }
    }
    if (TimeField < 0)
        return false;
    int64_t v[4] = {};
    int k[4] = {};
    const int n = DigitGroups(Fields[TimeField], v, k, 4);
    if (n < 2)
        return false;
    int64_t h = v[0];
    const int64_t mi = v[1], s = n > 2 ? v[2] : 0;
    int64_t ms = 0;
    if (n == 4) {
        ms = v[3];
        for (int i = k[3]; i < 3; ++i)
            ms *= 10;
        for (int i = k[3]; i > 3; --i)
            ms /= 10;
    }
    if (Marker) {
        if (h < 1 || h > 12)
            return false;
        h = h % 12 + (Marker == 'p' ? 12 : 0);
    }
    if (h > 23 || mi > 59 || s > 59)
        return false;
    Ms = ((h * 60 + mi) * 60 + s) * 1000 + ms;
    return true;
}

}  // namespace

namespace {

class TLineParser {
public:
    TLineParser(TDayOrder Order, const TDatalogSink& Sink)
        : FOrder(Order)
        , FSink(Sink)
    {
    }

    // Whole lines (the last one may lack its line break).
    void Parse(const char* Bytes, std::size_t Size)
    {
        const char* End = Bytes + Size;
        for (const char* p = Bytes; p < End;) {
            const char* LineEnd = nullptr;
            const char* Next = NextLine(p, End, LineEnd);
            ParseLine(p, LineEnd);
            p = Next;
        }
    }

    TDatalogSummary Summary;

private:
    void ParseLine(const char* Begin, const char* End)
    {
        ++FLineNumber;
        TField Fields[MaxFields];
        const int n = SplitFields(Begin, End, Fields, MaxFields);
        if (n == 0)
            return;  // an empty line, as at the end of a file
        TDatalogRecord Record;
        bool Good = n >= 3;
        int DateFields = 1;
        if (Good) {
            // Dates repeat from line to line: a one-field date is read once.
            const std::string_view Date(Fields[0].Begin, std::size_t(Fields[0].End - Fields[0].Begin));
            if (!FDateKnown || Date != FLastDate) {
                DateFields = ParseDate(Fields, n - 2, FOrder, FDateDays);
                FDateKnown = DateFields == 1;
                FLastDate = FDateKnown ? std::string(Date) : std::string();
                Good = DateFields > 0;
            }
        }
        int64_t TimeMs = 0;
        Good = Good && ParseTime(Fields + DateFields, n - 2 - DateFields, TimeMs)
               && ParseNumber(Fields[n - 2], Record.Current) && ParseNumber(Fields[n - 1], Record.Pressure);
        if (!Good) {
            if (Summary.BadLines++ == 0)
                Summary.FirstBadLine = FLineNumber;
            return;
        }
        Record.TimeMs = FDateDays * MsPerDay + TimeMs;
        ++Summary.Samples;
        FSink(Record);
    }

    TDayOrder FOrder;
    const TDatalogSink& FSink;
    int64_t FLineNumber = 0;
    int64_t FDateDays = 0;
    bool FDateKnown = false;
    std::string FLastDate;
};

constexpr qint64 BlockBytes = 1 << 20;

[[noreturn]] void ThrowReadError(const QFile& File)
{
    throw EStreamError(QStringLiteral("E41.CANNOTREAD"), QStringLiteral("Cannot read file \"%1\". %2"),
                       {File.fileName(), File.errorString()});
}

// Hands the file to Lines in blocks of whole lines from the start, a block at
// a time so that a long file never needs its size in memory; stops when
// Lines returns false.
template <class F> void ForEachBlock(QFile& File, F&& Lines)
{
    if (!File.seek(0))
        ThrowReadError(File);
    QByteArray Block;
    std::size_t Kept = 0;  // the start of a line the previous block cut
    for (;;) {
        Block.resize(qsizetype(Kept + BlockBytes));
        const qint64 Got = File.read(Block.data() + Kept, BlockBytes);
        if (Got < 0)
            ThrowReadError(File);
        const std::size_t Size = Kept + std::size_t(Got);
        if (Got == 0) {
            if (Size > 0)
                Lines(Block.constData(), Size);
            return;
        }
        const std::size_t LastBreak = std::string_view(Block.constData(), Size).rfind('\n');
        const std::size_t Whole = LastBreak == std::string_view::npos ? 0 : LastBreak + 1;
        if (Whole > 0 && !Lines(Block.constData(), Whole))
            return;
        Kept = Size - Whole;
        std::memmove(Block.data(), Block.constData() + Whole, Kept);
    }
}

}  // namespace

TDatalogSummary ParseDatalog(const char* Bytes, std::size_t Size, const TDatalogSink& Sink)
{
    TOrderScan Scan;
    Scan.Scan(Bytes, Size);
    TLineParser Parser(Scan.Order(), Sink);
    Parser.Parse(Bytes, Size);
    return Parser.Summary;
}

TDatalogSummary ReadDatalogFile(const QString& FileName, const TDatalogSink& Sink)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        ThrowReadError(File);
    TOrderScan Scan;
    ForEachBlock(File, [&](const char* Bytes, std::size_t Size) { return Scan.Scan(Bytes, Size); });
    TLineParser Parser(Scan.Order(), Sink);
    ForEachBlock(File, [&](const char* Bytes, std::size_t Size) {
        Parser.Parse(Bytes, Size);
        return true;
    });
    return Parser.Summary;
}

QByteArray DatalogIsoTime(int64_t TimeMs)
{
    const int64_t Days = TimeMs >= 0 ? TimeMs / MsPerDay : -((-TimeMs + MsPerDay - 1) / MsPerDay);
    int64_t InDay = TimeMs - Days * MsPerDay;
    int64_t y;
    unsigned m, d;
    CivilFromDays(Days, y, m, d);
    const int ms = int(InDay % 1000);
    InDay /= 1000;
    char Buffer[40];
    const int n
        = std::snprintf(Buffer, sizeof Buffer, "%04lld-%02u-%02uT%02d:%02d:%02d.%03d", static_cast<long long>(y), m, d,
                        int(InDay / 3600), int(InDay / 60 % 60), int(InDay % 60), ms);
    return QByteArray(Buffer, n);
}
