// Turning a curve's values into line segments on the chart's pixel grid.
//
// A curve is drawn as a polyline through its points. Once a curve has many
// more points in view than the plot has pixel columns, most segments are
// vertical strokes inside one column. Drawing, per run of points that fall
// into one column, one stroke from the lowest to the highest point plus the
// segment from the previous column's last point to this column's first
// covers exactly the same pixels (the strokes within a column merge into
// that one, and the segments that link neighbouring columns stay as they
// are), at a drawing cost that no longer grows with the number of points.
#pragma once

#include "chart/CurveExtremes.h"

#include <QLine>
#include <QPoint>

#include <cstddef>
#include <functional>
#include <vector>

namespace chart {

// Value-to-pixel mapping of the plot: Left and Bottom are the pixel of
// (ViewMinX, ViewMinY); the scales are pixels per unit.
struct TPixelMap {
    int Left = 0;
    double ViewMinX = 0;
    double XScale = 0;
    int Bottom = 0;
    double ViewMinY = 0;
    double YScale = 0;

    int PixelX(double X) const;
    int PixelY(double Y) const;
    QPoint Pixel(double X, double Y) const { return {PixelX(X), PixelY(Y)}; }
};

// Collects segments and hands them over in batches, so that a curve of a
// million points never needs a million-element buffer.
class TSegmentSink {
public:
    using TFlush = std::function<void(const QLine* Lines, int Count)>;
    explicit TSegmentSink(TFlush Flush, std::size_t BatchSize = 4096);
    ~TSegmentSink();
    TSegmentSink(const TSegmentSink&) = delete;
    TSegmentSink& operator=(const TSegmentSink&) = delete;

    void Add(QPoint From, QPoint To)
    {
        ++Added;
        Lines.emplace_back(From, To);
        if (Lines.size() >= BatchSize)
            Flush();
    }
    void Flush();
    // Segments handed in so far.
    std::size_t Count() const { return Added; }

private:
    std::size_t Added = 0;
    TFlush FlushLines;
    std::size_t BatchSize;
    std::vector<QLine> Lines;
};

// One segment from each point to the next, for Count points.
void AddEverySegment(const double* X, const double* Y, std::size_t Count, const TPixelMap& Map, TSegmentSink& Sink);

// The column envelope of the same polyline: the same pixels, far fewer
// segments when many points share a column. XAscending promises that no X is
// below the one before; it lets a run be found without mapping every point.
void AddColumnEnvelope(const double* X, const double* Y, std::size_t Count, const TPixelMap& Map, bool XAscending,
                       TSegmentSink& Sink);

// The column envelope of the points Begin .. End - 1 of a curve whose X
// ascend, with Blocks holding the block extremes of its Y: the runs are
// found by bisection and their extremes from the blocks, so the time grows
// with the number of columns in view, not with the number of points. The
// same pixels as AddColumnEnvelope. Visited grows by the values looked at.
void AddAscendingEnvelope(const double* X, const double* Y, std::size_t Begin, std::size_t End,
                          const TYExtremes& Blocks, const TPixelMap& Map, TSegmentSink& Sink, std::size_t& Visited);

}  // namespace chart
