// The painted picture: frame, curves, markers, the zoom text, degenerate
// ranges, and the column envelope drawing the same pixels as every segment.
#include "ChartSupport.h"

#include "chart/ChartTicks.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

int CountColour(const QImage& Image, QColor Colour, QRect Area = QRect())
{
    if (Area.isNull())
        Area = Image.rect();
    int Count = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            Count += Image.pixelColor(x, y) == Colour;
    return Count;
}

int CountDifferent(const QImage& A, const QImage& B)
{
    int Count = 0;
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x)
            Count += A.pixel(x, y) != B.pixel(x, y);
    return Count;
}

QRect BoundingBox(const QImage& Image, QColor Colour)
{
    QRect Box;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (Image.pixelColor(x, y) == Colour)
                Box |= QRect(x, y, 1, 1);
    return Box;
}

const QColor Green(0, 255, 0);

}  // namespace

TEST(ChartPaint, FrameCurveAndZoomText)
{
    TNorvaneChart Chart;
    Chart.SetColorAxis(QColor(255, 0, 0));
    Chart.SetAxisTitle({"P, bar", "t, s"});
    TCurve* Curve = AddDiagonal(Chart);
    Curve->SetColorGraph(Green);
    const QImage Image = Chart.RenderImage();
    ASSERT_EQ(Image.size(), QSize(320, 210));

    const int Left = Chart.PlotLeft();
    const int Right = Left + Chart.PlotWidth();
    const int Bottom = Chart.height() - Chart.BottomArea();
    const int Top = Bottom - Chart.PlotHeight();
    EXPECT_EQ(Top, 8);
    // Frame edges away from ticks and from the curve.
    EXPECT_EQ(Image.pixelColor(Left, (Top + Bottom) / 2 + 3), QColor(255, 0, 0));
    EXPECT_EQ(Image.pixelColor(Right, (Top + Bottom) / 2 + 3), QColor(255, 0, 0));
    EXPECT_EQ(Image.pixelColor(Left + 3, Bottom), QColor(255, 0, 0));
    EXPECT_EQ(Image.pixelColor(Left + 3, Top), QColor(255, 0, 0));
    // The diagonal passes through the middle of the plot.
    EXPECT_EQ(Image.pixelColor(Left + Chart.PlotWidth() / 2, Bottom - Chart.PlotHeight() / 2), Green);
    // Nothing of the curve leaks out of the plot.
    EXPECT_EQ(BoundingBox(Image, Green).left(), Left);
    EXPECT_LE(BoundingBox(Image, Green).right(), Right);

    // The zoom text sits in the top right corner and nowhere else.
    const QRect Corner(Chart.width() - 120, 0, 120, 40);
    Chart.SetShowTextScale(false);
    const QImage Plain = Chart.RenderImage();
    EXPECT_GT(CountDifferent(Image.copy(Corner), Plain.copy(Corner)), 20);
    EXPECT_EQ(CountDifferent(Image.copy(0, 40, 320, 170), Plain.copy(0, 40, 320, 170)), 0);
}

TEST(ChartPaint, ZoomTextShowsTheScale)
{
    // The texts differ only by scale: "M: 125%" must differ from "M: 100%"
    // and equal a second painting at 125.
    TNorvaneChart Chart;
    AddDiagonal(Chart);
    const QRect Corner(Chart.width() - 120, 0, 120, 34);
    const QImage At100 = Chart.RenderImage().copy(Corner);
    Chart.SetStepScale(25);
    Chart.SetScale(125);
    const QImage At125 = Chart.RenderImage().copy(Corner);
    EXPECT_GT(CountDifferent(At100, At125), 0);
    EXPECT_EQ(CountDifferent(At125, Chart.RenderImage().copy(Corner)), 0);
}

TEST(ChartPaint, MarkerSizesFollowThickLine)
{
    struct Case {
        int ThickLine;
        bool CurveDetails;
        bool ChartDetails;
        QSize Marker;
    };
    const Case Cases[] = {
        {1, true, false, {5, 5}}, {2, true, false, {2, 2}},  {2, false, true, {2, 2}},
        {4, true, false, {4, 4}}, {1, false, false, {1, 1}},  // no marker: the dot of the zero-length line
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.ThickLine);
        TNorvaneChart Chart;
        Chart.SetGridX(false);
        Chart.SetGridY(false);
        Chart.SetDetails(C.ChartDetails);
        TCurve* Curve = Chart.Curves().Add();
        Curve->SetColorGraph(Green);
        Curve->SetThickLine(C.ThickLine);
        Curve->SetDetails(C.CurveDetails);
        // Two points on one pixel: only the second gets a marker.
        Curve->AddPoint(50, 50);
        Curve->AddPoint(50, 50);
        const QImage Image = Chart.RenderImage();
        const QRect Box = BoundingBox(Image, Green);
        EXPECT_EQ(Box.size(), C.Marker);
        EXPECT_EQ(CountColour(Image, Green), C.Marker.width() * C.Marker.height());
    }
}

TEST(ChartPaint, MarkersOnEveryPointButTheFirst)
{
    TNorvaneChart Chart;
    Chart.SetGridX(false);
    Chart.SetGridY(false);
    Chart.SetColor(Qt::black);
    TCurve* Curve = Chart.Curves().Add();
    Curve->SetColorGraph(Green);
    Curve->SetThickLine(0);  // hair line, so the markers stand out
    Curve->SetDetails(true);
    Curve->AddPoint(20, 50);
    Curve->AddPoint(50, 50);
    Curve->AddPoint(80, 50);
    const QImage Image = Chart.RenderImage();
    const int Row = Chart.height() - Chart.BottomArea() - int(Chart.PlotHeight() * 0.5 + 0.5);
    const QRect Box = BoundingBox(Image, Green);
    // The line is one row high; only the marked points make the box taller.
    EXPECT_EQ(Box.top(), Row - 2);
    EXPECT_EQ(Box.bottom(), Row + 2);
    const int FirstX = Box.left();
    EXPECT_EQ(Image.pixelColor(FirstX, Row - 2), QColor(Qt::black));  // no marker at point 0
}

TEST(ChartPaint, EmptyRangesDrawTheOtherAxis)
{
    struct Case {
        const char* Name;
        double MaxX, MaxY;
        bool XLineAt20, YLineAt20;
    };
    const Case Cases[] = {
        {"empty Y", 100, 0, false, true},
        {"empty X", 0, 100, true, false},
        {"both empty", 0, 0, true, true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        for (const bool Painted : {false, true}) {
            TNorvaneChart Chart;
            Chart.SetColorAxis(QColor(255, 0, 0));
            Chart.SetGridX(false);
            Chart.SetGridY(false);
            if (Painted)
                Chart.RenderImage();  // geometry of a normal painting first
            Chart.SetMaxXValue(C.MaxX);
            Chart.SetMaxYValue(C.MaxY);
            TCurve* Curve = Chart.Curves().Add();
            Curve->AddPoint(0, 0);
            Curve->AddPoint(0, 0);
            const QImage Image = Chart.RenderImage();
            const int H = Chart.height();
            EXPECT_EQ(Image.pixelColor(20, 4) == QColor(Qt::black), C.YLineAt20);
            EXPECT_EQ(Image.pixelColor(Chart.width() / 2, H - 20) == QColor(Qt::black), C.XLineAt20);
            EXPECT_GT(Chart.PlotWidth(), 0);
            if (C.YLineAt20) {
                EXPECT_EQ(Chart.PlotLeft(), 20);
                // No horizontal frame edges.
                EXPECT_EQ(CountColour(Image, QColor(255, 0, 0), QRect(21, H - Chart.BottomArea(), 200, 1)), 0);
            }
            if (!C.XLineAt20) {  // the X scale's vertical frame edge is there
                EXPECT_EQ(Image.pixelColor(Chart.PlotLeft(), 60), QColor(255, 0, 0));
            }
        }
    }
}

// Rows of the plot's left part that hold a grid dot, from the bottom up.
static std::vector<int> GridRows(const QImage& Image, const TNorvaneChart& Chart)
{
    std::vector<int> Rows;
    const int Bottom = Chart.height() - Chart.BottomArea();
    for (int y = Bottom - 1; y > Bottom - Chart.PlotHeight(); --y)
        if (CountColour(Image, Chart.ColorGrid(), QRect(Chart.PlotLeft() + 1, y, 8, 1)) > 0)
            Rows.push_back(y);
    return Rows;
}

TEST(ChartPaint, TicksOfAZoomedWindowSitAtTheirValues)
{
    TNorvaneChart Chart;
    Chart.SetGridX(false);
    Chart.SetColorGrid(QColor(0, 0, 255));
    AddDiagonal(Chart);
    Chart.RenderImage();
    Chart.SetZoomPoint(QPoint(-1, 0));
    Chart.SetScale(300);  // Y window 33.3..66.7, ticks 5 apart from 35
    const auto Expected = [&] {
        const double UnitsPerPixel = (Chart.ViewMaxY() - Chart.ViewMinY()) / Chart.PlotHeight();
        return Chart.height() - Chart.BottomArea() - chart::RoundHalfEven((35 - Chart.ViewMinY()) / UnitsPerPixel);
    };
    std::vector<int> Rows = GridRows(Chart.RenderImage(), Chart);
    ASSERT_FALSE(Rows.empty());
    EXPECT_EQ(Rows.front(), Expected());
    // Raising MinYValue above the zoomed window must not move the ticks.
    Chart.SetMinYValue(40);
    Rows = GridRows(Chart.RenderImage(), Chart);
    ASSERT_FALSE(Rows.empty());
    EXPECT_EQ(Rows.front(), Expected());
}

TEST(ChartPaint, TinyRangeOfHugeValuesEnds)
{
    // A tick step below the spacing of the doubles cannot advance the ticks.
    TNorvaneChart Chart;
    Chart.SetColorAxis(QColor(255, 0, 0));
    Chart.SetMaxYValue(1e20 + 32768);
    Chart.SetMinYValue(1e20);
    Chart.SetMaxXValue(1e20 + 65536);
    Chart.SetMinXValue(1e20);
    const QImage Image = Chart.RenderImage();
    EXPECT_EQ(Image.pixelColor(Chart.PlotLeft() + 5, Chart.height() - Chart.BottomArea()), QColor(255, 0, 0));
}

TEST(ChartPaint, MissingTitleLinesAreDrawnEmpty)
{
    TNorvaneChart Chart;
    Chart.SetShowTextScale(false);
    const QImage None = Chart.RenderImage();
    Chart.SetAxisTitle({"P, bar"});
    const QImage One = Chart.RenderImage();
    // The Y title changes the left edge and nothing at the bottom right.
    EXPECT_GT(CountDifferent(None.copy(0, 0, 20, 210), One.copy(0, 0, 20, 210)), 0);
    EXPECT_EQ(CountDifferent(None.copy(200, 180, 120, 30), One.copy(200, 180, 120, 30)), 0);
}

TEST(ChartPaint, PrintingAtAnotherSizeKeepsTheScreenGeometry)
{
    TNorvaneChart Chart;
    AddDiagonal(Chart);
    Chart.RenderImage();
    const int Left = Chart.PlotLeft();
    const int Width = Chart.PlotWidth();
    QImage Page(1000, 700, QImage::Format_RGB32);
    Page.fill(Qt::gray);
    {
        QPainter Painter(&Page);
        Chart.PaintTo(Painter, QRect(50, 40, 800, 600));
    }
    EXPECT_EQ(Page.pixelColor(49, 39), QColor(Qt::gray));
    EXPECT_EQ(Page.pixelColor(50, 40), QColor(Qt::white));
    EXPECT_EQ(Page.pixelColor(860, 300), QColor(Qt::gray));
    EXPECT_EQ(Chart.PlotLeft(), Left);
    EXPECT_EQ(Chart.PlotWidth(), Width);
}

// The column envelope must not change the picture. Noisy random walks put
// thousands of points into every pixel column; the cases cover hair and wide
// lines, two overlapping curves, a zoomed and panned window, unordered X and
// plateaus that repeat one pixel many times.
TEST(ChartPaint, EnvelopeDrawsTheSamePixelsAsEverySegment)
{
    struct Case {
        const char* Name;
        int Points;
        int ThickLine;
        int Scale;
        bool Ordered;
        bool Plateaus;
        bool Odd;  // now and then NaN or an infinite value
    };
    const Case Cases[] = {
        {"hair line", 200000, 1, 100, true, false, false},
        {"two pixels wide", 200000, 2, 100, true, false, false},
        {"wide and zoomed", 200000, 3, 400, true, false, false},
        {"zoomed hair line", 200000, 1, 700, true, true, false},
        {"unordered X", 50000, 1, 100, false, false, false},
        {"plateaus", 100000, 2, 100, true, true, false},
        {"few points", 300, 1, 100, true, false, false},
        {"NaN and infinity", 100000, 1, 100, true, false, true},
        {"NaN, infinity, unordered", 20000, 2, 100, false, false, true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TNorvaneChart Chart;
        Chart.resize(640, 400);
        std::mt19937 Random(42);
        std::normal_distribution<double> Noise(0, 1);
        std::uniform_real_distribution<double> Uniform(0, 1000);
        const QColor Colours[] = {QColor(128, 0, 0), QColor(0, 0, 128)};
        for (const QColor& Colour : Colours) {
            TCurve* Curve = Chart.Curves().Add();
            Curve->SetColorGraph(Colour);
            Curve->SetThickLine(C.ThickLine);
            double Y = 500;
            for (int i = 0; i < C.Points; ++i) {
                if (!C.Plateaus || i % 1000 < 300)
                    Y += Noise(Random) * 3;
                const double X = C.Ordered ? i * 1000.0 / C.Points : Uniform(Random);
                double Odd = Y;
                if (C.Odd && i % 4999 == 17)
                    Odd = std::numeric_limits<double>::quiet_NaN();
                if (C.Odd && i % 7919 == 5)
                    Odd = i % 2 ? HUGE_VAL : -HUGE_VAL;
                Curve->AddPoint(X, Odd);
            }
        }
        Chart.RenderImage();
        Chart.SetZoomPoint(QPoint(300, 200));
        Chart.SetScale(C.Scale);
        if (C.Scale > 100) {
            Chart.SetZoomPoint(QPoint(300, 200));
            Chart.MoveView(QPoint(340, 180));
        }
        Chart.SetCurveDrawing(TCurveDrawing::EverySegment);
        const QImage Every = Chart.RenderImage();
        Chart.SetCurveDrawing(TCurveDrawing::Envelope);
        const QImage Envelope = Chart.RenderImage();
        // The curves really are in the picture.
        ASSERT_GT(CountColour(Every, Colours[0]) + CountColour(Every, Colours[1]), 300);
        EXPECT_EQ(CountDifferent(Every, Envelope), 0);
    }
}

// Painting a long curve looks only at what is in view: the segments handed
// to the painter, the values looked at and the markers drawn stay with the
// columns and points in view, not with the whole curve. The picture is the
// one of the same points drawn in full (a twin curve whose X are out of
// order right at the start, outside the view, so that it takes the full path).
TEST(ChartPaint, PaintingCostFollowsWhatIsInView)
{
    constexpr int N = 200000;
    struct Case {
        const char* Name;
        int Scale;  // 100: the whole curve, else about 2,000 points in view
        int ThickLine;
        bool Details;
        std::size_t MaxSegments;
        std::size_t MaxVisited;
        std::size_t MaxMarkers;
    };
    const Case Cases[] = {
        {"whole curve", 100, 1, false, 3 * 640, N / 4, 0},
        {"zoomed in", 100 * N / 2000, 2, false, 2100, 4500, 0},
        {"zoomed in with markers", 100 * N / 2000, 2, true, 2100, 4500, 2100},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TNorvaneChart Ordered;
        TNorvaneChart Twin;
        std::mt19937 Random(3);
        std::normal_distribution<double> Noise(0, 1);
        for (TNorvaneChart* Chart : {&Ordered, &Twin}) {
            Chart->resize(640, 400);
            Chart->SetMinXValue(-1);
            TCurve* Curve = Chart->Curves().Add();
            Curve->SetColorGraph(Green);
            Curve->SetThickLine(C.ThickLine);
            Curve->SetDetails(C.Details);
        }
        double Y = 500;
        for (int i = 0; i < N; ++i) {
            Y += Noise(Random);
            Ordered.Curves()[0]->AddPoint(i, Y);
            Twin.Curves()[0]->AddPoint(i, Y);
            if (i == 0)
                Twin.Curves()[0]->AddPoint(-1e-9, Y);
        }
        ASSERT_FALSE(Twin.Curves()[0]->XAscending());
        // Zoomed around the middle point of the curve.
        Ordered.RenderImage();
        const double Middle = Ordered.Curves()[0]->YValues()[N / 2];
        const QPoint Zoom(Ordered.PlotLeft() + qRound((N / 2 + 1.0) * Ordered.PlotWidth() / (Ordered.MaxXValue() + 1)),
                          Ordered.height() - Ordered.BottomArea()
                              - qRound((Middle - Ordered.MinYValue()) * Ordered.PlotHeight()
                                       / (Ordered.MaxYValue() - Ordered.MinYValue())));
        QImage Pictures[2];
        for (TNorvaneChart* Chart : {&Ordered, &Twin}) {
            Chart->RenderImage();
            Chart->SetZoomPoint(Zoom);
            Chart->SetScale(C.Scale);
            Pictures[Chart == &Twin] = Chart->RenderImage();
        }
        const TNorvaneChart::TPaintCount& Count = Ordered.LastPaintCount();
        EXPECT_LE(Count.Segments, C.MaxSegments);
        EXPECT_LE(Count.Visited, C.MaxVisited);
        EXPECT_LE(Count.Markers, C.MaxMarkers);
        if (C.Details) {
            EXPECT_GE(Count.Markers, 1900u);
        }
        EXPECT_GE(Twin.LastPaintCount().Visited, std::size_t(N));  // the full path
        ASSERT_GT(CountColour(Pictures[0], Green), 500);
        EXPECT_EQ(CountDifferent(Pictures[0], Pictures[1]), 0);

        // The hint looks at the points near the cursor only, and finds the
        // same point (one index later in the twin).
        const QPoint At(Ordered.PlotLeft()
                            + qRound((N / 2 - Ordered.ViewMinX()) * Ordered.PlotWidth()
                                     / (Ordered.ViewMaxX() - Ordered.ViewMinX())),
                        Ordered.height() - Ordered.BottomArea()
                            - qRound((Middle - Ordered.ViewMinY()) * Ordered.PlotHeight()
                                     / (Ordered.ViewMaxY() - Ordered.ViewMinY())));
        int Index[2] = {-1, -1};
        double X[2] = {}, Yv[2] = {};
        ASSERT_TRUE(Ordered.FindPointAt(At, Index[0], X[0], Yv[0]));
        const std::size_t Searched = Ordered.LastSearchCount();
        ASSERT_TRUE(Twin.FindPointAt(At, Index[1], X[1], Yv[1]));
        EXPECT_EQ(Index[1], Index[0] + 1);
        EXPECT_EQ(X[1], X[0]);
        EXPECT_EQ(Yv[1], Yv[0]);
        EXPECT_LE(Searched, 3000u);
        EXPECT_GE(Twin.LastSearchCount(), std::size_t(Index[1]));
    }
}

// What the window asks of its two charts: a steady signal off the border, the
// zoom text and the X title off the curves and labels, both time axes at the
// same place, and a new recording at full scale.
TEST(ChartPaint, WindowOptionsKeepCurvesLabelsAndTextsApart)
{
    const auto Steady = [](TNorvaneChart& Chart, double Value, double Span) {
        Chart.SetMinYValue(0);
        Chart.SetMaxYValue(0.001);
        TCurve* Curve = Chart.Curves().Add();
        Curve->SetColorGraph(Green);
        for (int i = 0; i <= 100; ++i)
            Curve->AddPoint(i, Value + Span * (i % 2));
    };
    {
        SCOPED_TRACE("range margin");
        TNorvaneChart Chart;
        Chart.SetRangeMargin(5);
        Steady(Chart, 4, 0);
        Chart.RenderImage();
        EXPECT_NEAR(Chart.MaxYValue(), 4.2, 1e-9);
    }
    {
        SCOPED_TRACE("zoom text above the plot");
        TNorvaneChart Chart;
        Chart.SetTextScaleAbovePlot(true);
        Steady(Chart, 100, 0);
        const QImage With = Chart.RenderImage();
        const QRect Plot(Chart.PlotLeft(), Chart.PlotTop(), Chart.PlotWidth(), Chart.PlotHeight());
        EXPECT_GT(Chart.PlotTop(), 8);
        // The curve runs along the top of the plot; the text covers none of it.
        Chart.SetShowTextScale(false);
        const QImage Plain = Chart.RenderImage();
        EXPECT_GT(CountDifferent(With, Plain), 20);
        EXPECT_EQ(CountDifferent(With.copy(Plot), Plain.copy(Plot)), 0);
    }
    {
        SCOPED_TRACE("X title right of the last tick label");
        TNorvaneChart Chart;
        AddDiagonal(Chart);
        Chart.SetAxisTitle({"", "t, s"});
        Chart.RenderImage();
        // The last label, "100", is centred under the plot's right edge.
        const int LabelsRight
            = Chart.PlotLeft() + Chart.PlotWidth() + (QFontMetrics(Chart.font()).horizontalAdvance("100") + 1) / 2;
        const int TitleLeft
            = Chart.width() - 4 - QFontMetrics(QFont("Colibri", 12, QFont::Bold)).horizontalAdvance("t, s");
        EXPECT_GT(TitleLeft, LabelsRight);
    }
    {
        SCOPED_TRACE("aligned time axes");
        TNorvaneChart Pressure, Current;
        Steady(Pressure, 4, 0.5);
        Steady(Current, 12000, 0.5);
        Pressure.SetAlignedWith(&Current);
        Current.SetAlignedWith(&Pressure);
        for (int i = 0; i < 2; ++i) {
            Pressure.grab();
            Current.grab();
        }
        EXPECT_EQ(Pressure.PlotLeft(), Current.PlotLeft());
        EXPECT_EQ(Pressure.PlotWidth(), Current.PlotWidth());
    }
    {
        SCOPED_TRACE("a fresh view");
        TNorvaneChart Chart;
        AddDiagonal(Chart);
        Chart.RenderImage();
        Chart.SetScale(400);
        Chart.ResetView();
        EXPECT_EQ(Chart.Scale(), 100);
        EXPECT_DOUBLE_EQ(Chart.ViewMaxX() - Chart.ViewMinX(), Chart.MaxXValue() - Chart.MinXValue());
        EXPECT_DOUBLE_EQ(Chart.ViewMaxY() - Chart.ViewMinY(), Chart.MaxYValue() - Chart.MinYValue());
    }
}
