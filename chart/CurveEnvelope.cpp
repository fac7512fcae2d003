#include "chart/CurveEnvelope.h"

#include "chart/ChartTicks.h"

#include <algorithm>
#include <cmath>

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

} // namespace

int TPixelMap::PixelX(double X) const
{
    return Left + PixelOffset((X - ViewMinX) * XScale);
}

int TPixelMap::PixelY(double Y) const
{
    return Bottom - PixelOffset((Y - ViewMinY) * YScale);
}

TSegmentSink::TSegmentSink(TFlush Flush, std::size_t Size)
    : FlushLines(std::move(Flush)), BatchSize(std::max<std::size_t>(1, Size))
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

void AddEverySegment(const double* X, const double* Y, std::size_t Count,
                     const TPixelMap& Map, TSegmentSink& Sink)
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

// The points of one column run, in drawing order, linked to the previous run.
class TEnvelopeBuilder {
public:
    explicit TEnvelopeBuilder(TSegmentSink& Sink) : Sink(Sink) {}

    void Add(int PixelX, int PixelY)
    {
        if (Open && PixelX == Column) {
            if (PixelY == Last)
                Repeated = true;
            Lowest = std::min(Lowest, PixelY);
            Highest = std::max(Highest, PixelY);
            Last = PixelY;
            return;
        }
        Close();
        Open = true;
        Column = PixelX;
        First = Lowest = Highest = Last = PixelY;
        Repeated = false;
    }

    // Emits the run: first, top, bottom, last, skipping repeats, so that no
    // zero-length segment appears that the full polyline would not draw.
    void Close()
    {
        if (!Open)
            return;
        Open = false;
        if (Lowest == Highest) {
            Vertex(First);
            if (Repeated)
                Link({Column, First}); // the full polyline draws this dot
            return;
        }
        Vertex(First);
        // Any order of the extremes covers the same column span.
        if (std::abs(First - Lowest) <= std::abs(First - Highest)) {
            Vertex(Lowest);
            Vertex(Highest);
        } else {
            Vertex(Highest);
            Vertex(Lowest);
        }
        Vertex(Last);
    }

private:
    void Vertex(int PixelY)
    {
        const QPoint Point(Column, PixelY);
        if (HasPrevious && Point == Previous)
            return;
        Link(Point);
    }

    void Link(QPoint Point)
    {
        if (HasPrevious)
            Sink.Add(Previous, Point);
        Previous = Point;
        HasPrevious = true;
    }

    TSegmentSink& Sink;
    bool Open = false;
    bool Repeated = false;
    int Column = 0;
    int First = 0;
    int Lowest = 0;
    int Highest = 0;
    int Last = 0;
    bool HasPrevious = false;
    QPoint Previous;
};

} // namespace

void AddColumnEnvelope(const double* X, const double* Y, std::size_t Count,
                       const TPixelMap& Map, TSegmentSink& Sink)
{
    if (Count < 2)
        return;
    TEnvelopeBuilder Builder(Sink);
    for (std::size_t i = 0; i < Count; ++i)
        Builder.Add(Map.PixelX(X[i]), Map.PixelY(Y[i]));
    Builder.Close();
}

} // namespace chart
