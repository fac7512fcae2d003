// Range, zoom, mapping and setters of the chart, without input events.
#include "ChartSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct TRange {
    double MinX, MaxX, MinY, MaxY;
};

TRange FullRange(const TNorvaneChart& Chart)
{
    return {Chart.MinXValue(), Chart.MaxXValue(), Chart.MinYValue(), Chart.MaxYValue()};
}

}  // namespace

TEST(ChartRange, WidensOnlyAtFullScaleAndNeverNarrows)
{
    struct Case {
        const char* Name;
        std::vector<std::vector<std::pair<double, double>>> Curves;
        int Scale;
        TRange Expected;
    };
    const Case Cases[] = {
        {"point above the range", {{{0, 10}, {150, 250}}}, 100, {0, 150, 0, 250}},
        {"points below the range", {{{-5, -1}, {10, 20}}}, 100, {-5, 100, -1, 100}},
        {"data inside never narrows", {{{20, 30}, {40, 50}}}, 100, {0, 100, 0, 100}},
        {"zoomed: no widening", {{{0, 10}, {150, 250}}}, 200, {0, 100, 0, 100}},
        {"single point: no data", {{{500, 500}}}, 100, {0, 100, 0, 100}},
        {"empty curve pulls to 0", {{}, {{20, 30}, {40, 50}}}, 100, {0, 100, 0, 100}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TNorvaneChart Chart;
        for (const auto& Points : C.Curves) {
            TCurve* Curve = Chart.Curves().Add();
            for (auto [X, Y] : Points)
                Curve->AddPoint(X, Y);
        }
        Chart.SetScale(C.Scale);
        Chart.RenderImage();
        const TRange R = FullRange(Chart);
        EXPECT_DOUBLE_EQ(R.MinX, C.Expected.MinX);
        EXPECT_DOUBLE_EQ(R.MaxX, C.Expected.MaxX);
        EXPECT_DOUBLE_EQ(R.MinY, C.Expected.MinY);
        EXPECT_DOUBLE_EQ(R.MaxY, C.Expected.MaxY);
    }
}

// Values that are not numbers, or infinite, never enter the range: the
// range keeps widening with the finite data that follows them.
TEST(ChartRange, ValuesThatAreNotFiniteNeverFreezeTheRange)
{
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const double Inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* Name;
        std::vector<std::pair<double, double>> Points;
        TRange Expected;
    };
    const Case Cases[] = {
        {"NaN as the first X", {{NaN, 5}, {150, 250}, {300, 20}}, {0, 300, 0, 250}},
        {"NaN as the first Y", {{0, NaN}, {150, 250}, {300, -20}}, {0, 300, -20, 250}},
        {"NaN in the middle", {{0, 5}, {NaN, NaN}, {300, 250}}, {0, 300, 0, 250}},
        {"infinite values", {{0, Inf}, {-Inf, 250}, {300, -Inf}}, {0, 300, 0, 250}},
        {"nothing finite", {{NaN, NaN}, {Inf, NaN}}, {0, 100, 0, 100}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TNorvaneChart Chart;
        TCurve* Curve = Chart.Curves().Add();
        for (auto [X, Y] : C.Points) {
            Curve->AddPoint(X, Y);
            Chart.RenderImage();  // a repaint per point, as while monitoring
        }
        const TRange R = FullRange(Chart);
        EXPECT_EQ(R.MinX, C.Expected.MinX);
        EXPECT_EQ(R.MaxX, C.Expected.MaxX);
        EXPECT_EQ(R.MinY, C.Expected.MinY);
        EXPECT_EQ(R.MaxY, C.Expected.MaxY);
    }
}

TEST(ChartRange, EmptyCurveWidensAPositiveRangeDownToZero)
{
    TNorvaneChart Chart;
    Chart.SetMinXValue(10);
    Chart.SetMinYValue(5);
    Chart.Curves().Add();
    TCurve* Curve = Chart.Curves().Add();
    Curve->AddPoint(20, 6);
    Curve->AddPoint(30, 8);
    Chart.RenderImage();
    EXPECT_EQ(Chart.MinXValue(), 0);
    EXPECT_EQ(Chart.MinYValue(), 0);
}

TEST(ChartRange, WidenedRangeStaysWhenCurvesAreRemoved)
{
    TNorvaneChart Chart;
    TCurve* Curve = Chart.Curves().Add();
    Curve->AddPoint(0, 0);
    Curve->AddPoint(1, 400);
    Chart.RenderImage();
    ASSERT_EQ(Chart.MaxYValue(), 400);
    Chart.Curves().Clear();
    Chart.RenderImage();
    EXPECT_EQ(Chart.MaxYValue(), 400);
    EXPECT_EQ(Chart.ViewMaxY(), 400);
    EXPECT_FALSE(Chart.HasData());
}

TEST(ChartZoom, SetScaleAtFullScale)
{
    struct Case {
        int Request;
        int Signals;
        int Scale;
    };
    const Case Cases[] = {{75, 1, 100}, {100, 0, 100}, {200, 1, 200}, {150, 1, 150}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Request);
        TNorvaneChart Chart;
        AddDiagonal(Chart);
        Chart.RenderImage();
        QSignalSpy Spy(&Chart, &TNorvaneChart::OnScaleChange);
        Chart.SetScale(C.Request);
        ASSERT_EQ(Spy.count(), C.Signals);
        EXPECT_EQ(Chart.Scale(), C.Scale);
        EXPECT_DOUBLE_EQ(Chart.ZoomFactor(), C.Scale / 100.0);
        if (C.Signals) {
            EXPECT_EQ(Spy.at(0).at(0).value<QObject*>(), &Chart);
            EXPECT_EQ(Spy.at(0).at(1).toInt(), C.Scale);
        }
        const double Width = 100.0 * 100 / C.Scale;
        EXPECT_NEAR(Chart.ViewMaxX() - Chart.ViewMinX(), Width, 1e-9);
        EXPECT_NEAR(Chart.ViewMaxY() - Chart.ViewMinY(), Width, 1e-9);
    }
}

TEST(ChartZoom, ZoomNearTheEndKeepsTheWindowInsideTheRange)
{
    TNorvaneChart Chart;
    AddDiagonal(Chart);
    Chart.RenderImage();
    // Near the right end and the bottom of the plot.
    Chart.SetZoomPoint(QPoint(Chart.PlotLeft() + Chart.PlotWidth() - 2, Chart.height() - Chart.BottomArea() - 1));
    Chart.SetScale(200);
    EXPECT_EQ(Chart.ViewMaxX(), 100);
    EXPECT_DOUBLE_EQ(Chart.ViewMinX(), 50);
    EXPECT_EQ(Chart.ViewMinY(), 0);
    EXPECT_DOUBLE_EQ(Chart.ViewMaxY(), 50);
    // Back to the whole range from any zoom point.
    Chart.SetScale(100);
    EXPECT_EQ(Chart.ViewMinX(), 0);
    EXPECT_EQ(Chart.ViewMaxX(), 100);
}

TEST(ChartZoom, MoveViewShiftsTheWindowAndStopsAtTheEdges)
{
    TNorvaneChart Chart;
    AddDiagonal(Chart);
    Chart.RenderImage();
    Chart.SetZoomPoint(QPoint(-1, 0));
    Chart.SetScale(200);  // centred: 25..75
    ASSERT_NEAR(Chart.ViewMinX(), 25, 1e-9);
    const double UnitsPerPixel = 50.0 / Chart.PlotWidth();

    // Content dragged 10 pixels to the right: the window moves to smaller X.
    const QPoint From(150, 100);
    Chart.SetZoomPoint(From);
    Chart.MoveView(From + QPoint(10, 0));
    EXPECT_NEAR(Chart.ViewMinX(), 25 - 10 * UnitsPerPixel, 1e-9);
    EXPECT_NEAR(Chart.ViewMaxX() - Chart.ViewMinX(), 50, 1e-9);
    EXPECT_EQ(Chart.ZoomPoint(), From + QPoint(10, 0));

    // Far to the right: clamped at MinXValue, width kept; Y untouched.
    Chart.MoveView(From + QPoint(5000, 0));
    EXPECT_EQ(Chart.ViewMinX(), 0);
    EXPECT_NEAR(Chart.ViewMaxX(), 50, 1e-9);
    EXPECT_NEAR(Chart.ViewMinY(), 25, 1e-9);
}

// A window pushed against an end of the range is exactly the zoom width
// long, measured from that end, for zooming and for panning alike.
TEST(ChartZoom, ClampedWindowKeepsItsWidthExactly)
{
    struct Case {
        int Scale;
        bool AtRightTop;  // zoom point in the top right corner, else bottom left
    };
    const Case Cases[] = {{300, true}, {300, false}, {700, true},  {700, false},
                          {130, true}, {130, false}, {1100, true}, {1100, false}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Scale << (C.AtRightTop ? " top right" : " bottom left"));
        TNorvaneChart Chart;
        Chart.SetMinXValue(-7.3);
        Chart.SetMaxXValue(1013.25);
        Chart.SetMinYValue(-0.7);
        Chart.SetMaxYValue(3.3);
        AddDiagonal(Chart);
        Chart.RenderImage();
        const double XRange = Chart.MaxXValue() - Chart.MinXValue();
        const double YRange = Chart.MaxYValue() - Chart.MinYValue();
        const int Bottom = Chart.height() - Chart.BottomArea();
        Chart.SetZoomPoint(C.AtRightTop ? QPoint(Chart.PlotLeft() + Chart.PlotWidth() - 1, 9)
                                        : QPoint(Chart.PlotLeft() + 1, Bottom - 1));
        Chart.SetScale(C.Scale);
        const double W = XRange / Chart.ZoomFactor();
        const double H = YRange / Chart.ZoomFactor();
        if (C.AtRightTop) {
            EXPECT_EQ(Chart.ViewMaxX(), Chart.MaxXValue());
            EXPECT_EQ(Chart.ViewMinX(), Chart.MaxXValue() - W);
            EXPECT_EQ(Chart.ViewMaxY(), Chart.MaxYValue());
            EXPECT_EQ(Chart.ViewMinY(), Chart.MaxYValue() - H);
        } else {
            EXPECT_EQ(Chart.ViewMinX(), Chart.MinXValue());
            EXPECT_EQ(Chart.ViewMaxX(), Chart.MinXValue() + W);
            EXPECT_EQ(Chart.ViewMinY(), Chart.MinYValue());
            EXPECT_EQ(Chart.ViewMaxY(), Chart.MinYValue() + H);
        }

        // Back from the middle to the other end; the width is the one before.
        Chart.SetZoomPoint(QPoint(-1, 0));
        Chart.SetScale(100);
        Chart.SetScale(C.Scale);
        const double MovedW = Chart.ViewMaxX() - Chart.ViewMinX();
        const double MovedH = Chart.ViewMaxY() - Chart.ViewMinY();
        const QPoint From(Chart.PlotLeft() + Chart.PlotWidth() / 2, Bottom / 2);
        Chart.SetZoomPoint(From);
        const int Far = C.AtRightTop ? 100000 : -100000;
        Chart.MoveView(From + QPoint(Far, -Far));
        if (C.AtRightTop) {  // content to the right and up: the window's low ends
            EXPECT_EQ(Chart.ViewMinX(), Chart.MinXValue());
            EXPECT_EQ(Chart.ViewMaxX(), Chart.MinXValue() + MovedW);
            EXPECT_EQ(Chart.ViewMinY(), Chart.MinYValue());
            EXPECT_EQ(Chart.ViewMaxY(), Chart.MinYValue() + MovedH);
        } else {
            EXPECT_EQ(Chart.ViewMaxX(), Chart.MaxXValue());
            EXPECT_EQ(Chart.ViewMinX(), Chart.MaxXValue() - MovedW);
            EXPECT_EQ(Chart.ViewMaxY(), Chart.MaxYValue());
            EXPECT_EQ(Chart.ViewMinY(), Chart.MaxYValue() - MovedH);
        }
    }
}

TEST(ChartMapping, PixelToValueAtThePlotOriginAndCentre)
{
    TNorvaneChart Chart;
    AddDiagonal(Chart);
    Chart.RenderImage();
    const QPoint Origin(Chart.PlotLeft(), Chart.height() - Chart.BottomArea());
    QPointF V = Chart.PixelToValue(Origin);
    EXPECT_DOUBLE_EQ(V.x(), Chart.ViewMinX());
    EXPECT_DOUBLE_EQ(V.y(), Chart.ViewMinY());

    Chart.SetZoomPoint(QPoint(Chart.PlotLeft() + Chart.PlotWidth(), 8));
    Chart.SetScale(400);
    V = Chart.PixelToValue(Origin);
    EXPECT_DOUBLE_EQ(V.x(), Chart.ViewMinX());
    EXPECT_DOUBLE_EQ(V.y(), Chart.ViewMinY());
    EXPECT_EQ(Chart.ViewMaxX(), 100);
    EXPECT_EQ(Chart.ViewMaxY(), 100);

    // x = -1 stands for the plot centre.
    V = Chart.PixelToValue(QPoint(-1, 0));
    const QPointF Centre = Chart.PixelToValue(
        QPoint(Chart.PlotLeft() + Chart.PlotWidth() / 2, Chart.height() - Chart.BottomArea() - Chart.PlotHeight() / 2));
    EXPECT_EQ(V, Centre);
}

TEST(ChartMapping, EmptyRangesNeverYieldNaN)
{
    TNorvaneChart Chart;
    Chart.SetMaxXValue(0);
    Chart.SetMaxYValue(0);
    TCurve* Curve = Chart.Curves().Add();
    Curve->AddPoint(0, 0);
    Curve->AddPoint(0, 0);
    Chart.RenderImage();
    Chart.SetScale(300);
    const QPointF V = Chart.PixelToValue(QPoint(100, 100));
    EXPECT_EQ(V, QPointF(0, 0));
    int Index = -1;
    double X = 1, Y = 1;
    EXPECT_TRUE(Chart.FindPointAt(QPoint(100, 100), Index, X, Y));
    EXPECT_EQ(Index, 0);
}

TEST(ChartSetters, ClampIgnoreOrStore)
{
    TNorvaneChart Chart;
    Chart.SetMaxXValue(-5);
    EXPECT_EQ(Chart.MaxXValue(), 0);
    Chart.SetMaxXValue(0.001);
    EXPECT_EQ(Chart.MaxXValue(), 0.001);
    Chart.SetMaxYValue(-5);
    EXPECT_EQ(Chart.MaxYValue(), 0);
    Chart.SetMinYValue(-5);  // minima may be negative
    EXPECT_EQ(Chart.MinYValue(), -5);

    const std::pair<int, int> PrecisionCases[] = {{4, 1}, {-1, 1}, {3, 3}, {0, 0}, {2, 2}};
    for (auto [Value, Stored] : PrecisionCases) {
        Chart.SetPrecision(Value);
        EXPECT_EQ(Chart.Precision(), Stored) << Value;
    }
    const std::pair<int, int> HintCases[] = {{5, 5}, {7, 5}, {-1, 5}, {0, 0}, {6, 6}};
    for (auto [Value, Stored] : HintCases) {
        Chart.SetDecimalHint(Value);
        EXPECT_EQ(Chart.DecimalHint(), Stored) << Value;
    }
    const std::pair<int, int> StepCases[] = {{0, 100}, {50, 50}, {-3, 100}, {25, 25}};
    for (auto [Value, Stored] : StepCases) {
        Chart.SetStepScale(Value);
        EXPECT_EQ(Chart.StepScale(), Stored) << Value;
    }
    Chart.SetBottomMargin(20);
    EXPECT_EQ(Chart.BottomArea(), 44);
}

TEST(ChartSetters, AxisTitleCopiesUpToTwoLines)
{
    TNorvaneChart Chart;
    Chart.SetAxisTitle({"I, mA", "t, s"});
    Chart.SetAxisTitle({"a", "b", "c"});  // ignored
    EXPECT_EQ(Chart.AxisTitle(), QStringList({"I, mA", "t, s"}));
    Chart.SetAxisTitleLine(0, "U, V");
    EXPECT_EQ(Chart.AxisTitle(), QStringList({"U, V", "t, s"}));
    Chart.SetAxisTitle({"only"});
    Chart.SetAxisTitleLine(1, "t, s");
    EXPECT_EQ(Chart.AxisTitle(), QStringList({"only", "t, s"}));
}

TEST(ChartCurves, AssignCopiesSettingsNotPoints)
{
    TNorvaneChart Source;
    TCurve* Curve = AddDiagonal(Source);
    Curve->SetColorGraph(QColor(128, 0, 0));
    Curve->SetThickLine(2);
    Curve->SetDetails(true);

    TNorvaneChart Target;
    AddDiagonal(Target);
    AddDiagonal(Target);
    Target.SetCurves(Source.Curves());
    ASSERT_EQ(Target.Curves().Count(), 1);
    const TCurve& Copy = *Target.Curves()[0];
    EXPECT_EQ(Copy.ColorGraph(), QColor(128, 0, 0));
    EXPECT_EQ(Copy.ThickLine(), 2);
    EXPECT_TRUE(Copy.Details());
    EXPECT_EQ(Copy.PointCount(), 0u);
    EXPECT_FALSE(Target.HasData());
}

namespace {

class TMarkedCurve : public TCurve {
public:
    using TCurve::TCurve;
};

class TMarkedChart : public TNorvaneChart {
public:
    TCurveClass GetCurveClass() const override
    {
        return [](TCurves* Owner) -> std::unique_ptr<TCurve> { return std::make_unique<TMarkedCurve>(Owner); };
    }
};

}  // namespace

TEST(ChartCurves, DerivedChartChoosesItsCurveClass)
{
    TMarkedChart Chart;
    EXPECT_NE(dynamic_cast<TMarkedCurve*>(Chart.Curves().Add()), nullptr);
}

TEST(ChartFind, LaterCurveWinsAndSinglePointsAreNeverFound)
{
    TNorvaneChart Chart;
    AddDiagonal(Chart);
    TCurve* Second = Chart.Curves().Add();
    Second->AddPoint(0, 0);
    Second->AddPoint(50.3, 49);  // also under the cursor at (50, 50)
    TCurve* Lonely = Chart.Curves().Add();
    Lonely->AddPoint(50, 50);
    Chart.RenderImage();

    const auto PixelOf = [&](double X, double Y) {
        const double XScale = Chart.PlotWidth() / 100.0;
        const double YScale = Chart.PlotHeight() / 100.0;
        return QPoint(Chart.PlotLeft() + int(std::lround(X * XScale)),
                      Chart.height() - Chart.BottomArea() - int(std::lround(Y * YScale)));
    };
    int Index = -1;
    double X = 0, Y = 0;
    ASSERT_TRUE(Chart.FindPointAt(PixelOf(50, 50), Index, X, Y));
    EXPECT_EQ(Index, 1);
    EXPECT_EQ(X, 50.3);
    EXPECT_EQ(Y, 49);

    // Only the first curve has a point here.
    ASSERT_TRUE(Chart.FindPointAt(PixelOf(90, 90), Index, X, Y));
    EXPECT_EQ(Index, 9);
    EXPECT_EQ(X, 90);

    // Far from every point.
    EXPECT_FALSE(Chart.FindPointAt(PixelOf(90, 10), Index, X, Y));
}

TEST(ChartFind, HintShowsIndexAndValues)
{
    QLocale::setDefault(QLocale::c());
    TNorvaneChart Chart;
    Chart.SetDecimalHint(5);
    TCurve* Curve = Chart.Curves().Add();
    for (int i = 0; i <= 20; ++i)
        Curve->AddPoint(i * 2.0 + 10, i == 12 ? 1013.25 : 0);
    Chart.SetMaxYValue(1100);
    Chart.SetMaxXValue(60);
    Chart.RenderImage();
    const double XScale = Chart.PlotWidth() / 60.0;
    const double YScale = Chart.PlotHeight() / 1100.0;
    const QPoint At(Chart.PlotLeft() + int(std::lround(34 * XScale)),
                    Chart.height() - Chart.BottomArea() - int(std::lround(1013.25 * YScale)));
    EXPECT_EQ(Chart.HintAt(At), "12: (x:34.00000, y:1013.25000)");
    EXPECT_EQ(Chart.HintAt(QPoint(Chart.PlotLeft() + 2, 10)), QString());
}
