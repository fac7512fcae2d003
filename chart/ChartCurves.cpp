#include "chart/ChartCurves.h"

#include "chart/NorvaneChart.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- TCurve --

TCurve::TCurve(TCurves* Collection)
    : FCollection(Collection)
{
}

TCurve::~TCurve() = default;

void TCurve::Changed()
{
    if (FCollection)
        FCollection->Changed();
}

void TCurve::SetColorGraph(QColor Value)
{
    if (Value == FColorGraph)
        return;
    FColorGraph = Value;
    Changed();
}

void TCurve::SetThickLine(int Value)
{
    if (Value == FThickLine)
        return;
    FThickLine = Value;
    Changed();
}

void TCurve::SetDetails(bool Value)
{
    if (Value == FDetails)
        return;
    FDetails = Value;
    Changed();
}

void TCurve::Assign(const TCurve& Source)
{
    FColorGraph = Source.FColorGraph;
    FThickLine = Source.FThickLine;
    FDetails = Source.FDetails;
    Changed();
}

void TCurve::AddPoint(double X, double Y)
{
    if (FXAscending && (X != X || (!FXValues.empty() && X < FXValues.back())))
        FXAscending = false;
    if (std::isfinite(X))
        FX.Add(X);
    if (std::isfinite(Y))
        FY.Add(Y);
    Reserve();
    FYBlocks.Append(FYValues.size(), Y);
    FXValues.push_back(X);
    FYValues.push_back(Y);
    Changed();
}

// The arrays grow by a quarter at a time rather than doubling: a week of
// samples is millions of points, and doubling would leave up to half of
// the memory unused.
void TCurve::Reserve()
{
    const std::size_t Size = FXValues.size();
    if (Size < FXValues.capacity())
        return;
    const std::size_t Capacity = Size + std::max<std::size_t>(Size / 4, 256);
    FXValues.reserve(Capacity);
    FYValues.reserve(Capacity);
}

std::size_t TCurve::MemoryUsed() const
{
    return (FXValues.capacity() + FYValues.capacity()) * sizeof(double) + FYBlocks.Bytes();
}

// --------------------------------------------------------------- TCurves --

TCurves::TCurves(TNorvaneChart* Owner, TCurveClass ItemClass)
    : FOwner(Owner)
    , FItemClass(ItemClass)
{
}

TCurves::~TCurves() = default;

TCurve* TCurves::Add()
{
    FItems.push_back(FItemClass(this));
    Changed();
    return FItems.back().get();
}

void TCurves::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TCurves::Clear()
{
    FItems.clear();
    Changed();
}

void TCurves::Assign(const TCurves& Source)
{
    if (&Source == this)
        return;
    FItems.clear();
    for (const auto& Item : Source.FItems)
        Add()->Assign(*Item);
    Changed();
}

void TCurves::Changed()
{
    if (FOwner)
        FOwner->update();
}
