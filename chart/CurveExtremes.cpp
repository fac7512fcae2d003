#include "chart/CurveExtremes.h"

#include <bit>

namespace chart {

namespace {

static_assert((TYExtremes::Fanout & (TYExtremes::Fanout - 1)) == 0, "a power of two");
constexpr int FanoutBits = std::countr_zero(TYExtremes::Fanout);

// Points per block of a level, as a power of two; level -1 is the single point.
constexpr int BlockBits(int Level)
{
    return FanoutBits * (Level + 1);
}

constexpr std::size_t BlockSize(int Level)
{
    return std::size_t(1) << BlockBits(Level);
}

}  // namespace

void TYExtremes::Append(std::size_t Count, double Y)
{
    for (int Level = 0; Level < Levels; ++Level) {
        const std::size_t Block = Count >> BlockBits(Level);
        auto& Blocks = FBlocks[std::size_t(Level)];
        if (Block == Blocks.size())
            Blocks.emplace_back();
        Blocks[Block].Add(Y);
    }
}

void TYExtremes::Clear()
{
    for (auto& Blocks : FBlocks)
        Blocks = {};
}

// Walks from Begin to End in the largest blocks that start at the current
// index and end inside the run: up the levels while aligned, down again near
// the end.
TYSpan TYExtremes::Span(const double* Y, std::size_t Begin, std::size_t End, std::size_t* Visited) const
{
    TYSpan Result;
    std::size_t i = Begin;
    int Level = -1;
    std::size_t Reads = 0;
    for (; i < End; ++Reads) {
        while (Level + 1 < Levels && (i & (BlockSize(Level + 1) - 1)) == 0 && End - i >= BlockSize(Level + 1))
            ++Level;
        while (Level >= 0 && End - i < BlockSize(Level))
            --Level;
        if (Level < 0) {
            Result.Add(Y[i]);
            ++i;
        } else {
            Result.Add(FBlocks[std::size_t(Level)][i >> BlockBits(Level)]);
            i += BlockSize(Level);
        }
    }
    if (Visited)
        *Visited += Reads;
    return Result;
}

std::size_t TYExtremes::Bytes() const
{
    std::size_t Bytes = 0;
    for (const auto& Blocks : FBlocks)
        Bytes += Blocks.capacity() * sizeof(TYSpan);
    return Bytes;
}

}  // namespace chart
