#include "chart/CurveEnvelope.h"

#include "chart/ChartTicks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace chart {

namespace {

// Offsets beyond this many pixels are clamped: far outside any plot, and
// small enough that adding the plot origin can never overflow.
constexpr double MaxOffset = 1 << 24;

int PixelOffset(double Value)
{
    if (!(Value == Value))
        return 0;
    return RoundHalfEven(std::clamp(Value, -MaxOffset, MaxOffset));
}

}  // namespace

int TPixelMap::PixelX(double X) const
{
    return Left + PixelOffset((X - ViewMinX) * XScale);
}

int TPixelMap::PixelY(double Y) const
{
    return Bottom - PixelOffset((Y - ViewMinY) * YScale);
}

TSegmentSink::TSegmentSink(TFlush Flush, std::size_t Size)
    : FlushLines(std::move(Flush))
    , BatchSize(std::max<std::size_t>(1, Size))
{
    Lines.reserve(BatchSize);
}

TSegmentSink::~TSegmentSink()
{
    Flush();
}

void TSegmentSink::Flush()
{
    if (!Lines.empty())
        FlushLines(Lines.data(), int(Lines.size()));
    Lines.clear();
}

void AddEverySegment(const double* X, const double* Y, std::size_t Count, const TPixelMap& Map, TSegmentSink& Sink)
{
    if (Count < 2)
        return;
    QPoint Previous = Map.Pixel(X[0], Y[0]);
    for (std::size_t i = 1; i < Count; ++i) {
        const QPoint Current = Map.Pixel(X[i], Y[i]);
        Sink.Add(Previous, Current);
        Previous = Current;
    }
}

namespace {

// Turns column runs into segments. Consecutive runs in the same column are
// merged first, so that every zero-length segment of the full polyline is
// still drawn (as a dot) and no other one is added.
class TEnvelopeBuilder {
public:
    explicit TEnvelopeBuilder(TSegmentSink& Sink)
        : Sink(Sink)
    {
    }
    ~TEnvelopeBuilder() { Close(); }
    TEnvelopeBuilder(const TEnvelopeBuilder&) = delete;
    TEnvelopeBuilder& operator=(const TEnvelopeBuilder&) = delete;

    void AddRun(int PixelX, int First, int Lowest, int Highest, int Last, std::size_t Count)
    {
        if (Open && PixelX == Column) {
            Lowest_ = std::min({Lowest_, Lowest, First});
            Highest_ = std::max({Highest_, Highest, First});
            Last_ = Last;
            Count_ += Count;
            return;
        }
        Close();
        Open = true;
        Column = PixelX;
        First_ = First;
        Lowest_ = Lowest;
        Highest_ = Highest;
        Last_ = Last;
        Count_ = Count;
    }

    // A run is drawn as the segment that links it to the run before (from
    // that run's last point to this run's first) and one vertical stroke
    // over the span of its points. The strokes between the points of a run
    // all lie on that span, so together they cover exactly its pixels.
    void Close()
    {
        if (!Open)
            return;
        Open = false;
        const QPoint First(Column, First_);
        if (HasPrevious)
            Sink.Add(Previous, First);
        if (Lowest_ < Highest_)
            Sink.Add(QPoint(Column, Lowest_), QPoint(Column, Highest_));
        else if (Count_ > 1)
            Sink.Add(First, First);  // the full polyline draws this dot
        Previous = QPoint(Column, Last_);
        HasPrevious = true;
    }

private:
    TSegmentSink& Sink;
    bool Open = false;
    int Column = 0;
    int First_ = 0;
    int Lowest_ = 0;
    int Highest_ = 0;
    int Last_ = 0;
    std::size_t Count_ = 0;
    bool HasPrevious = false;
    QPoint Previous;
};

// Points in any order: every point is mapped to its pixel.
void AddEnvelopeByPixels(const double* X, const double* Y, std::size_t Count, const TPixelMap& Map,
                         TEnvelopeBuilder& Builder)
{
    for (std::size_t i = 0; i < Count; ++i) {
        const int PixelY = Map.PixelY(Y[i]);
        Builder.AddRun(Map.PixelX(X[i]), PixelY, PixelY, PixelY, PixelY, 1);
    }
}

// Hands one column run to the builder: its first and last Y, and the pixel
// span of its values. The mapping of Y is monotonic, so the extreme values
// give the extreme pixels; a NaN maps to the bottom line and is accounted
// for separately.
void AddRun(TEnvelopeBuilder& Builder, const TPixelMap& Map, int Offset, double FirstY, double LastY,
            const TYSpan& Span, std::size_t Count)
{
    const int First = Map.PixelY(FirstY);
    int Lowest = First;
    int Highest = First;
    const auto Include = [&](int Pixel) {
        Lowest = std::min(Lowest, Pixel);
        Highest = std::max(Highest, Pixel);
    };
    if (Span.HasValues()) {
        Include(Map.PixelY(Span.Min));
        Include(Map.PixelY(Span.Max));
    }
    if (Span.NaN)
        Include(Map.PixelY(std::numeric_limits<double>::quiet_NaN()));
    Builder.AddRun(Map.Left + Offset, First, Lowest, Highest, Map.PixelY(LastY), Count);
}

// Points with ascending X: a column's run is found by comparing each X
// offset with the column's upper rounding limit, and only the run's first,
// last, smallest and largest Y are mapped to pixels.
void AddEnvelopeByValues(const double* X, const double* Y, std::size_t Count, const TPixelMap& Map,
                         TEnvelopeBuilder& Builder)
{
    std::size_t i = 0;
    while (i < Count) {
        const int Offset = PixelOffset((X[i] - Map.ViewMinX) * Map.XScale);
        // The column holds offsets rounding to Offset: below Offset + 0.5,
        // and exactly at it when Offset is even (ties go to even).
        const double Upper = Offset + 0.5;
        const bool TieStays = Offset % 2 == 0;
        const double FirstY = Y[i];
        double LastY = FirstY;
        double MinY = std::numeric_limits<double>::infinity();
        double MaxY = -MinY;
        bool AnyNaN = false;
        std::size_t j = i;
        do {
            const double Yj = Y[j];
            MinY = Yj < MinY ? Yj : MinY;
            MaxY = Yj > MaxY ? Yj : MaxY;
            AnyNaN |= Yj != Yj;
            LastY = Yj;
            ++j;
            if (j == Count)
                break;
            const double V = (X[j] - Map.ViewMinX) * Map.XScale;
            if (!(V < Upper || (V == Upper && TieStays)))
                break;
        } while (true);

        TYSpan Span;
        Span.Min = MinY;
        Span.Max = MaxY;
        Span.NaN = AnyNaN;
        AddRun(Builder, Map, Offset, FirstY, LastY, Span, j - i);
        i = j;
    }
}

// The pixel column offset of X (0 at the plot's left edge).
int ColumnOf(double X, const TPixelMap& Map)
{
    return PixelOffset((X - Map.ViewMinX) * Map.XScale);
}

// The first index after i, before End, whose column lies right of Column
// (End if none). Runs of evenly spaced samples are about as long as the one
// before, so that length is tried first (two probes); failing that, steps
// double from the last index known inside, then bisection narrows it down,
// about 2 log2 n probes for a run of n points. The column of X never
// decreases with X.
std::size_t RunEnd(const double* X, std::size_t i, std::size_t End, int Column, std::size_t Guess, const TPixelMap& Map,
                   std::size_t& Visited)
{
    const auto InColumn = [&](std::size_t k) {
        ++Visited;
        return ColumnOf(X[k], Map) <= Column;
    };
    std::size_t Low = i;  // in the column
    std::size_t High = End;  // right of it, or the end
    if (Guess > 1 && i + Guess < End) {
        if (InColumn(i + Guess - 1)) {
            Low = i + Guess - 1;
            if (!InColumn(i + Guess))
                return i + Guess;
            Low = i + Guess;
        } else {
            High = i + Guess - 1;
        }
    }
    for (std::size_t Step = 1; Low + Step < High; Step *= 2) {
        if (!InColumn(Low + Step)) {
            High = Low + Step;
            break;
        }
        Low += Step;
    }
    while (High - Low > 1) {
        const std::size_t Middle = Low + (High - Low) / 2;
        if (InColumn(Middle))
            Low = Middle;
        else
            High = Middle;
    }
    return High;
}

}  // namespace

void AddAscendingEnvelope(const double* X, const double* Y, std::size_t Begin, std::size_t End,
                          const TYExtremes& Blocks, const TPixelMap& Map, TSegmentSink& Sink, std::size_t& Visited)
{
    if (End <= Begin + 1)
        return;
    if (!(Map.XScale > 0 && std::isfinite(Map.XScale) && std::isfinite(Map.ViewMinX))) {
        AddColumnEnvelope(X + Begin, Y + Begin, End - Begin, Map, false, Sink);
        Visited += End - Begin;
        return;
    }
    TEnvelopeBuilder Builder(Sink);
    std::size_t Guess = 0;
    for (std::size_t i = Begin; i < End;) {
        const int Column = ColumnOf(X[i], Map);
        const std::size_t j = RunEnd(X, i, End, Column, Guess, Map, Visited);
        Guess = j - i;
        const TYSpan Span = Blocks.Span(Y, i, j, &Visited);
        AddRun(Builder, Map, Column, Y[i], Y[j - 1], Span, j - i);
        i = j;
    }
}

void AddColumnEnvelope(const double* X, const double* Y, std::size_t Count, const TPixelMap& Map, bool XAscending,
                       TSegmentSink& Sink)
{
    if (Count < 2)
        return;
    TEnvelopeBuilder Builder(Sink);
    if (XAscending && Map.XScale > 0 && std::isfinite(Map.XScale) && std::isfinite(Map.ViewMinX))
        AddEnvelopeByValues(X, Y, Count, Map, Builder);
    else
        AddEnvelopeByPixels(X, Y, Count, Map, Builder);
}

}  // namespace chart
