// TNorvaneChart: the program's own line chart. It draws one or more curves of
// (X, Y) points against linear axes, widens its value range as data arrives,
// and lets the operator zoom around a point and pan the zoomed view with the
// mouse, the wheel and the keyboard. A hint shows the point under the cursor.
//
// Typical use by a window:
//
//     auto* Chart = new TNorvaneChart(Parent);
//     Chart->SetAxisTitle({"P, bar", "t, s"});
//     Chart->Curves().Clear();
//     Chart->SetMaxXValue(0.001);               // full range, widened by data
//     TCurve* Curve = Chart->Curves().Add();
//     Curve->SetColorGraph(QColor(128, 0, 0));
//     Curve->SetThickLine(2);
//     Curve->AddPoint(ElapsedSeconds, Value);   // one point per sample
//     connect(Chart, &TNorvaneChart::OnScaleChange, ...);
//
// Printing: PaintTo(Painter, Target) paints the chart into any painter as
// it looks on screen, scaled to Target, at the device's resolution (a
// printer's QPainter and the page rectangle in device pixels are all it
// needs); RenderImage() gives the chart as an image.
#pragma once

#include "chart/ChartCurves.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QPointF>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

// How curves are turned into lines. Auto draws a curve's column envelope
// once it has many more points in view than the plot has columns and no
// markers; the other two force one way (comparisons and measurements).
enum class TCurveDrawing { Auto, EverySegment, Envelope };

class TNorvaneChart : public QWidget {
    Q_OBJECT

public:
    explicit TNorvaneChart(QWidget* Parent = nullptr);
    ~TNorvaneChart() override;

    // ---- Published properties: getter and SetX ----------------------------
    int TextBrighteness() const { return FTextBrighteness; }
    void SetTextBrighteness(int Value);
    // Line 0: title of the Y axis, line 1: title of the X axis. A list of
    // more than two lines is ignored.
    const QStringList& AxisTitle() const { return FAxisTitle; }
    void SetAxisTitle(const QStringList& Value);
    // Changes one line (0 or 1) of the titles in place and repaints.
    void SetAxisTitleLine(int Index, const QString& Text);
    QColor ColorAxis() const { return FColorAxis; }
    void SetColorAxis(QColor Value);
    double MinXValue() const { return FMinXValue; }
    void SetMinXValue(double Value);
    double MaxXValue() const { return FMaxXValue; }  // stored as 0 when <= 0
    void SetMaxXValue(double Value);
    double MinYValue() const { return FMinYValue; }
    void SetMinYValue(double Value);
    double MaxYValue() const { return FMaxYValue; }  // stored as 0 when < 0
    void SetMaxYValue(double Value);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value);
    int BottomMargin() const { return FBottomMargin; }
    void SetBottomMargin(int Value);  // also sets BottomArea to Value + 24
    bool GridX() const { return FGridX; }
    void SetGridX(bool Value);
    bool GridY() const { return FGridY; }
    void SetGridY(bool Value);
    QColor Color() const { return FColor; }
    void SetColor(QColor Value);
    QColor ColorGrid() const { return FColorGrid; }
    void SetColorGrid(QColor Value);
    int StepScale() const { return FStepScale; }  // percent per zoom step
    void SetStepScale(int Value);  // <= 0 is stored as 100
    TCurves& Curves();
    const TCurves& Curves() const;
    void SetCurves(const TCurves& Value);  // copies settings, not points
    std::int8_t DecimalHint() const { return FDecimalHint; }
    void SetDecimalHint(int Value);  // 0 to 6, anything else ignored
    bool ShowTextScale() const { return FShowTextScale; }
    void SetShowTextScale(bool Value);
    std::int8_t Precision() const { return FPrecision; }
    void SetPrecision(int Value);  // 0 to 3, anything else stored as 1
    bool Details() const { return FDetails; }
    void SetDetails(bool Value);
    // Headroom, in percent of the span, added when the automatic range widens
    // to take in a value, so that a steady signal is not drawn on the plot's
    // border. 0 (the default) widens exactly to the data.
    int RangeMargin() const { return FRangeMargin; }
    // The zoom text in a strip of its own above the plot instead of over the
    // plot's top right corner, where it can hide the curves.
    bool TextScaleAbovePlot() const { return FTextScaleAbovePlot; }
    void SetTextScaleAbovePlot(bool Value);
    void SetRangeMargin(int Percent);
    // Charts stacked above one another share their time axis: each plot
    // starts where the wider of the two Y scales needs it to. Null: alone.
    void SetAlignedWith(TNorvaneChart* Other);
    // Back to the full range at 100 %, as for a new recording.
    void ResetView();

    // ---- Zoom state and plot geometry -------------------------------------
    int Scale() const { return FScale; }  // percent, 100 shows the full range
    double ZoomFactor() const { return FZoomFactor; }
    double ViewMinX() const { return FViewMinX; }
    double ViewMaxX() const { return FViewMaxX; }
    double ViewMinY() const { return FViewMinY; }
    double ViewMaxY() const { return FViewMaxY; }
    // The pixel around which the next zoom happens; x = -1: plot centre.
    QPoint ZoomPoint() const { return FZoomPoint; }
    void SetZoomPoint(QPoint Value) { FZoomPoint = Value; }
    bool Dragging() const { return FDragging; }
    bool Dragged() const { return FDragged; }
    int BottomArea() const { return FBottomArea; }
    // As the last painting computed them.
    int PlotLeft() const { return FGeometry.PlotLeft; }
    int PlotWidth() const { return FGeometry.PlotWidth; }
    int PlotHeight() const { return FGeometry.PlotHeight; }
    int PlotTop() const { return FGeometry.PlotTop; }

    // ---- Operations -------------------------------------------------------
    // True when at least one curve holds two or more points.
    bool HasData() const;
    // The X and Y values at a pixel of the control.
    QPointF PixelToValue(QPoint Pixel) const;
    // Zooms to NewScale percent (at least 100) around ZoomPoint.
    void SetScale(int NewScale);
    // Pans so that the content under ZoomPoint moves to Target.
    void MoveView(QPoint Target);
    // The point near Pixel, searched in every curve; a later curve wins.
    bool FindPointAt(QPoint Pixel, int& Index, double& X, double& Y) const;
    // The hint for Pixel ("12: (x:34.00000, y:1013.25000)"), or empty.
    QString HintAt(QPoint Pixel) const;
    // Point values the last FindPointAt looked at.
    std::size_t LastSearchCount() const { return FSearchVisited; }
    // Looks the shown hint up again at the resting mouse, so that it follows
    // the cursor from point to point and keeps up with arriving points. The
    // hint timer calls it 200 ms after each look-up while the hint shows and
    // the mouse is over the chart; it does nothing once the mouse has left.
    void ReevaluateHint();
    bool HintPending() const { return FHintTimer.isActive(); }

    virtual TCurveClass GetCurveClass() const;
    virtual std::unique_ptr<TCurves> CreateCurves();

    // ---- Painting ---------------------------------------------------------
    // Printing: paints the chart into Target of any painter (a printer, a
    // PDF writer, an image) as it looks on screen, scaled: laid out at the
    // chart's own width and Target's proportions, then drawn in vectors at
    // the device's resolution, so that titles, labels and lines keep their
    // size relative to the chart on a 600 dpi page. Fonts are sized from the
    // device's dots per inch; nothing to set up beyond the painter.
    // The on-screen geometry and zoom state are left as they were.
    void PaintTo(QPainter& Painter, const QRect& Target);
    // The chart painted into an image of Size pixels (default: its own
    // size), without the focus rectangle.
    QImage RenderImage(QSize Size = QSize());

    TCurveDrawing CurveDrawing() const { return FCurveDrawing; }
    void SetCurveDrawing(TCurveDrawing Value);

    // What the last painting did to draw its curves: segments handed to the
    // painter, point values (and blocks of them) looked at, markers drawn.
    // The cost of painting grows with these, so they show whether it stays
    // with what is in view.
    struct TPaintCount {
        std::size_t Segments = 0;
        std::size_t Visited = 0;
        std::size_t Markers = 0;
    };
    const TPaintCount& LastPaintCount() const { return FPaintCount; }

    QSize sizeHint() const override { return {320, 210}; }

signals:
    // Raised by every SetScale that runs, with the new Scale.
    void OnScaleChange(QObject* Sender, int NewScale);

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    // Geometry measured at each painting and used by the mapping between
    // pixels and values until the next one.
    struct TPlotGeometry {
        int Width = 320;
        int Height = 210;
        int PlotLeft = 18;
        int PlotWidth = 299;
        int PlotHeight = 168;
        int PlotTop = 8;  // below the zoom text when it is shown
        int XTitleWidth = 0;  // reserved right of the plot
        int NeededPlotLeft = 18;  // what this chart's own labels need
        int XLabelWidth = 0;
        int XLabelHeight = 0;
        int YLabelWidth = 0;
        int YLabelHeight = 0;
        bool Measured = false;
    };

    void Paint(QPainter& Painter, QSize Size, bool Focused);
    void PaintTitles(QPainter& Painter, QSize Size, QColor TextColor);
    void PaintYScale(QPainter& Painter, QSize Size, QColor TextColor);
    void PaintXScale(QPainter& Painter, QSize Size, QColor TextColor);
    void PaintCurves(QPainter& Painter, QSize Size);
    void PaintCurve(QPainter& Painter, const TCurve& Curve);
    void MeasureLabels(const QFontMetrics& Metrics);
    void UpdateRangeAndView();
    void ClampView(double& ViewMin, double& ViewMax, double Width, double Min, double Max) const;
    double XScaleFactor() const;
    double YScaleFactor() const;
    int PlotBottom() const { return FGeometry.Height - FBottomArea; }
    int PlotWidthFor(int Width) const;
    void Pan(int Dx, int Dy);
    void Repaint() { update(); }

    int FTextBrighteness = 0;
    QStringList FAxisTitle;
    QColor FColorAxis = Qt::black;
    double FMinXValue = 0;
    double FMaxXValue = 100;
    double FMinYValue = 0;
    double FMaxYValue = 100;
    int FLeftMargin = 10;
    int FBottomMargin = 10;
    bool FGridX = true;
    bool FGridY = true;
    QColor FColor = Qt::white;
    QColor FColorGrid = QColor(192, 192, 192);
    int FStepScale = 100;
    mutable std::unique_ptr<TCurves> FCurves;
    std::int8_t FDecimalHint = 1;
    bool FShowTextScale = true;
    std::int8_t FPrecision = 1;
    bool FDetails = false;
    int FRangeMargin = 0;
    bool FTextScaleAbovePlot = false;
    QPointer<TNorvaneChart> FAlignedWith;
    bool FPaintingOnScreen = false;  // alignment holds on the screen only

    int FScale = 100;
    double FZoomFactor = 1.0;
    double FViewMinX = 0;
    double FViewMaxX = 100;
    double FViewMinY = 0;
    double FViewMaxY = 100;
    QPoint FZoomPoint {-1, 0};
    bool FDragging = false;
    bool FDragged = false;
    int FBottomArea = 34;
    TPlotGeometry FGeometry;
    TCurveDrawing FCurveDrawing = TCurveDrawing::Auto;
    TPaintCount FPaintCount;
    QImage FBuffer;  // the off-screen picture of the last painting

    QTimer FHintTimer;
    QPoint FLastMousePos;
    bool FMouseInside = false;
    mutable std::size_t FSearchVisited = 0;
};
