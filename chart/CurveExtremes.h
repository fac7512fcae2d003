// Smallest and largest Y of any run of a curve's points, without visiting
// every point of the run. The points are summed up in blocks of 32, those
// blocks in blocks of 32 and so on; a run is then covered by a few dozen
// blocks and single points, however long it is. Appending a point updates
// one block per level.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <vector>

namespace chart {

// Extremes of some Y values. NaN never enters Min and Max; it only sets NaN.
struct TYSpan {
    double Min = std::numeric_limits<double>::infinity();
    double Max = -std::numeric_limits<double>::infinity();
    bool NaN = false;

    bool HasValues() const { return Min <= Max; }
    void Add(double Y)
    {
        if (Y != Y) {
            NaN = true;
            return;
        }
        Min = Y < Min ? Y : Min;
        Max = Y > Max ? Y : Max;
    }
    void Add(const TYSpan& Other)
    {
        Min = Other.Min < Min ? Other.Min : Min;
        Max = Other.Max > Max ? Other.Max : Max;
        NaN |= Other.NaN;
    }
};

class TYExtremes {
public:
    static constexpr std::size_t Fanout = 32;
    static constexpr int Levels = 5;  // blocks of 32 up to 32^5 (33 million) points

    // Takes in the next point's Y; Count is the number of points before it.
    void Append(std::size_t Count, double Y);
    void Clear();

    // Extremes of Y[Begin] .. Y[End - 1]; Y are the values appended so far.
    // Visited, if given, grows by the number of values and blocks read.
    TYSpan Span(const double* Y, std::size_t Begin, std::size_t End, std::size_t* Visited = nullptr) const;

    // Bytes held, for the memory figures of the benchmark.
    std::size_t Bytes() const;

private:
    std::array<std::vector<TYSpan>, Levels> FBlocks;
};

}  // namespace chart
