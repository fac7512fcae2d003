// The chart's data: TCurve (drawing settings and points) and TCurves, the
// chart's collection of them. Every change marks the owning chart for
// repainting.
#pragma once

#include "chart/CurveExtremes.h"

#include <QColor>

#include <cstddef>
#include <memory>
#include <vector>

class TCurves;
class TNorvaneChart;

// One curve: its drawing settings and its points.
class TCurve {
public:
    explicit TCurve(TCurves* Collection);
    virtual ~TCurve();
    TCurve(const TCurve&) = delete;
    TCurve& operator=(const TCurve&) = delete;

    // Colour of the line and of the point markers (default black).
    QColor ColorGraph() const { return FColorGraph; }
    void SetColorGraph(QColor Value);
    // Line width in pixels, also the marker size when markers show (default 1).
    int ThickLine() const { return FThickLine; }
    void SetThickLine(int Value);
    // Show point markers for this curve (default false).
    bool Details() const { return FDetails; }
    void SetDetails(bool Value);

    // Copies the three settings above, not the points.
    virtual void Assign(const TCurve& Source);

    // Appends the point (X, Y) and marks the chart for repainting. Takes the
    // same time however many points the curve holds (amortised).
    void AddPoint(double X, double Y);
    const std::vector<double>& XValues() const { return FXValues; }
    const std::vector<double>& YValues() const { return FYValues; }
    std::size_t PointCount() const { return FXValues.size(); }

    // Extremes of the finite values so far, kept up to date by AddPoint so
    // that painting need not scan every point. NaN and infinite values never
    // enter them (an infinite range could not be drawn and would never
    // narrow again). Without such values Min is +inf and Max -inf.
    double MinX() const { return FX.Min; }
    double MaxX() const { return FX.Max; }
    double MinY() const { return FY.Min; }
    double MaxY() const { return FY.Max; }
    bool HasXExtremes() const { return FX.HasValues(); }
    bool HasYExtremes() const { return FY.HasValues(); }
    // True while every X is a number and at least the one before (time
    // series are); lets painting and the point search find the points in
    // view by bisection.
    bool XAscending() const { return FXAscending; }
    // Smallest and largest Y of the points First .. Last - 1, in time
    // independent of the number of points.
    chart::TYSpan YSpan(std::size_t First, std::size_t Last) const
    {
        return FYBlocks.Span(FYValues.data(), First, Last);
    }
    const chart::TYExtremes& YBlocks() const { return FYBlocks; }

    // Bytes held by the points and their block extremes.
    std::size_t MemoryUsed() const;

    TCurves* Collection() const { return FCollection; }

protected:
    void Changed();

private:
    void Reserve();

    TCurves* FCollection;
    QColor FColorGraph = Qt::black;
    int FThickLine = 1;
    bool FDetails = false;
    std::vector<double> FXValues;
    std::vector<double> FYValues;
    chart::TYSpan FX;  // finite X only
    chart::TYSpan FY;  // finite Y only
    chart::TYExtremes FYBlocks;
    bool FXAscending = true;
};

// Creates one item of a curve collection; the chart's GetCurveClass returns it.
using TCurveClass = std::unique_ptr<TCurve> (*)(TCurves* Collection);

// The chart's curves in insertion order. Every change repaints the chart.
class TCurves {
public:
    TCurves(TNorvaneChart* Owner, TCurveClass ItemClass);
    virtual ~TCurves();
    TCurves(const TCurves&) = delete;
    TCurves& operator=(const TCurves&) = delete;

    TCurve* Add();
    int Count() const { return int(FItems.size()); }
    TCurve* Items(int Index) const { return FItems.at(std::size_t(Index)).get(); }
    TCurve* operator[](int Index) const { return Items(Index); }
    void Delete(int Index);
    // Removes every curve and its points.
    void Clear();
    // Replaces the curves by new ones with the settings (not the points) of Source.
    void Assign(const TCurves& Source);

    TNorvaneChart* Owner() const { return FOwner; }
    // Marks the owning chart for repainting.
    void Changed();

private:
    TNorvaneChart* FOwner;
    TCurveClass FItemClass;
    std::vector<std::unique_ptr<TCurve>> FItems;
};
