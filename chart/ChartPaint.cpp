// Painting of the chart: background, titles, scales, grid, frame and curves.
#include "chart/NorvaneChart.h"

#include "chart/ChartTicks.h"
#include "chart/CurveEnvelope.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cmath>

using chart::FormatLabel;
using chart::RoundHalfEven;

namespace {

// Ticks are at least 14 pixels apart, so a plot never holds more than one
// per pixel; the bound is a second guard against a loop that cannot end.
int MaxTicks(int Pixels)
{
    return std::max(Pixels, 0) + 2;
}

// A curve switches to its column envelope once it has this many points in
// view per pixel column.
constexpr int EnvelopePointsPerColumn = 4;

// The chart is laid out in the pixels of an image, the screen's off-screen
// buffer. A font for another device (a 600 dpi page) gets the point size
// that makes it as many of those pixels high as it is on screen; the
// painter's scale then makes the rest.
QFont OnDevice(QFont Font, const QPaintDevice* Device)
{
    static const int ImageDpi = QImage(1, 1, QImage::Format_RGB32).logicalDpiY();
    const int DeviceDpi = Device ? Device->logicalDpiY() : ImageDpi;
    if (Font.pointSizeF() > 0 && DeviceDpi > 0 && DeviceDpi != ImageDpi)
        Font.setPointSizeF(Font.pointSizeF() * ImageDpi / DeviceDpi);
    return Font;
}

}  // namespace

void TNorvaneChart::paintEvent(QPaintEvent*)
{
    // Everything is drawn off screen first and copied in one step, so the
    // chart never flickers however often it repaints.
    // The buffer is kept between paintings (every painting fills all of
    // it), which spares the allocation and page faults of a new one.
    const qreal Ratio = devicePixelRatioF();
    const QSize Pixels = size() * Ratio;
    if (FBuffer.size() != Pixels || FBuffer.devicePixelRatio() != Ratio) {
        FBuffer = QImage(Pixels, QImage::Format_RGB32);
        FBuffer.setDevicePixelRatio(Ratio);
    }
    {
        QPainter Painter(&FBuffer);
        FPaintingOnScreen = true;
        Paint(Painter, size(), hasFocus());
        FPaintingOnScreen = false;
    }
    QPainter Screen(this);
    Screen.drawImage(0, 0, FBuffer);
}

QImage TNorvaneChart::RenderImage(QSize Size)
{
    if (!Size.isValid())
        Size = size();
    QImage Image(Size, QImage::Format_RGB32);
    const TPlotGeometry Saved = FGeometry;
    {
        QPainter Painter(&Image);
        Paint(Painter, Size, false);
    }
    // A print at another size must not disturb the mapping on screen.
    if (Size != size())
        FGeometry = Saved;
    return Image;
}

void TNorvaneChart::PaintTo(QPainter& Painter, const QRect& Target)
{
    if (Target.isEmpty())
        return;
    // Laid out as on screen, at the chart's own width and the target's
    // proportions, then scaled to fill the target and painted in vectors at
    // the device's own resolution.
    const double Scale = double(Target.width()) / std::max(width(), 1);
    const QSize Logical(std::max(width(), 1), std::max(1, qRound(Target.height() / Scale)));
    const TPlotGeometry Saved = FGeometry;
    Painter.save();
    Painter.translate(Target.topLeft());
    Painter.scale(Scale, Scale);
    Painter.setClipRect(QRect(QPoint(0, 0), Logical), Qt::IntersectClip);
    Paint(Painter, Logical, false);
    Painter.restore();
    // The print must not disturb the mapping on screen.
    FGeometry = Saved;
}

void TNorvaneChart::Paint(QPainter& Painter, QSize Size, bool Focused)
{
    const int W = Size.width();
    const int H = Size.height();
    FGeometry.Width = W;
    FGeometry.Height = H;

    Painter.fillRect(QRect(0, 0, W, H), FColor);
    if (Focused) {
        QStyleOptionFocusRect Option;
        Option.initFrom(this);
        Option.rect = QRect(0, 0, W, H);
        Option.backgroundColor = FColor;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &Option, &Painter, this);
    }

    const QColor TextColor = chart::LightenColor(chart::InvertColor(FColor), FTextBrighteness);
    PaintTitles(Painter, Size, TextColor);

    Painter.setFont(OnDevice(font(), Painter.device()));
    FGeometry.PlotLeft = 20;  // unless a Y scale sets it
    Painter.setPen(QPen(Qt::black, 1));

    UpdateRangeAndView();
    PaintYScale(Painter, Size, TextColor);
    PaintXScale(Painter, Size, TextColor);
    PaintCurves(Painter, Size);
}

void TNorvaneChart::PaintTitles(QPainter& Painter, QSize Size, QColor TextColor)
{
    const int W = Size.width();
    const int H = Size.height();
    // Missing title lines are drawn as empty texts.
    const QString YTitle = FAxisTitle.value(0);
    const QString XTitle = FAxisTitle.value(1);

    QFont Title = OnDevice(QFont(QStringLiteral("Colibri"), 12, QFont::Bold), Painter.device());
    Painter.setFont(Title);
    Painter.setPen(TextColor);
    QFontMetrics Metrics(Title, Painter.device());

    // The Y title runs upwards along the left edge, centred vertically.
    const int YTitleWidth = Metrics.horizontalAdvance(YTitle);
    Painter.save();
    Painter.translate(2, H / 2 + YTitleWidth / 2);
    Painter.rotate(-90);
    Painter.drawText(0, Metrics.ascent(), YTitle);
    Painter.restore();

    // The X title sits right of the plot, in room the plot leaves for it, so
    // the last tick label never runs into it.
    const int XTitleWidth = Metrics.horizontalAdvance(XTitle);
    FGeometry.XTitleWidth = XTitle.isEmpty() ? 0 : XTitleWidth + 4;
    Painter.drawText(W - XTitleWidth - 4, H - Metrics.height() - 2 + Metrics.ascent(), XTitle);

    FGeometry.PlotTop = 8;
    Title = OnDevice(QFont(QStringLiteral("Colibri"), 14, QFont::Bold), Painter.device());
    const QFontMetrics ScaleMetrics(Title, Painter.device());
    if (FTextScaleAbovePlot)
        FGeometry.PlotTop = std::max(8, ScaleMetrics.height() + 2);
    if (FShowTextScale) {
        Painter.setFont(Title);
        const QString Text = QStringLiteral("M: %1%").arg(FScale);
        const int Top = FTextScaleAbovePlot ? 1 : 10;
        Painter.drawText(W - ScaleMetrics.horizontalAdvance(Text) - 30, Top + ScaleMetrics.ascent(), Text);
    }
}

// The plot's width in a chart Width wide: what the Y scale, half of the last
// X label and the X title leave.
int TNorvaneChart::PlotWidthFor(int Width) const
{
    const int HalfLabel = FGeometry.XLabelWidth / 2;
    const int Reserve = FGeometry.XTitleWidth > 0 ? HalfLabel + 6 + FGeometry.XTitleWidth : HalfLabel + 3;
    return Width - FGeometry.PlotLeft - Reserve;
}

void TNorvaneChart::MeasureLabels(const QFontMetrics& Metrics)
{
    const auto Measure = [&](double Low, double High, int& Width, int& Height) {
        const QString LowText = FormatLabel(Low, FPrecision);
        const QString HighText = FormatLabel(High, FPrecision);
        Width = std::max(Metrics.horizontalAdvance(LowText), Metrics.horizontalAdvance(HighText));
        Height = Metrics.height();  // one line of the label font
    };
    Measure(FViewMinY, FViewMaxY, FGeometry.YLabelWidth, FGeometry.YLabelHeight);
    Measure(FViewMinX, FViewMaxX, FGeometry.XLabelWidth, FGeometry.XLabelHeight);
    FGeometry.Measured = true;
}

void TNorvaneChart::PaintYScale(QPainter& Painter, QSize Size, QColor TextColor)
{
    const int W = Size.width();
    const int H = Size.height();
    const QFontMetrics Metrics(Painter.font(), Painter.device());
    FBottomArea = FBottomMargin + 24;
    FGeometry.PlotHeight = H - FBottomArea - FGeometry.PlotTop;

    if (!(FViewMaxY > FViewMinY) || FGeometry.PlotHeight <= 0) {
        // No Y scale: the X axis keeps the label sizes and width of the last
        // painting; before any, they are measured now for a plot from x = 20.
        if (!FGeometry.Measured) {
            MeasureLabels(Metrics);
            FGeometry.PlotWidth = PlotWidthFor(W);
        }
        Painter.drawLine(20, H - 20, 20, 2);
        return;
    }

    const double UnitsPerPixel = (FViewMaxY - FViewMinY) / FGeometry.PlotHeight;
    const double MinStep = 14 * UnitsPerPixel;
    const double Power = chart::TickPower(MinStep);
    const double Step = chart::TickStep(MinStep);
    double Tick = chart::FirstTick(FViewMinY, Step, Power);

    MeasureLabels(Metrics);
    FGeometry.NeededPlotLeft = FLeftMargin + FGeometry.YLabelWidth + 8;
    FGeometry.PlotLeft = FGeometry.NeededPlotLeft;
    if (FPaintingOnScreen && FAlignedWith) {
        // Both plots start where the wider Y scale needs; the other chart is
        // repainted when this one moved the common edge.
        const TPlotGeometry& Other = FAlignedWith->FGeometry;
        FGeometry.PlotLeft = std::max(FGeometry.NeededPlotLeft, Other.NeededPlotLeft);
        if (Other.PlotLeft != FGeometry.PlotLeft)
            FAlignedWith->update();
    }
    FGeometry.PlotWidth = PlotWidthFor(W);

    const int Left = FGeometry.PlotLeft;
    const int Right = Left + FGeometry.PlotWidth;
    const int Bottom = PlotBottom();
    const int Decimals = chart::LabelDecimals(Step);
    const QPen Axis(Qt::black, 1);
    const QPen Grid(FColorGrid, 1, Qt::DotLine);

    // The first tick sits above the bottom edge by its distance from
    // ViewMinY. (Deciding that by MinYValue would draw it on the edge when
    // a zoomed window starts below a since raised MinYValue.)
    const int Offset = Tick > FViewMinY ? std::abs(RoundHalfEven((Tick - FViewMinY) / UnitsPerPixel)) : 0;
    for (int i = 0; Tick <= FViewMaxY && i < MaxTicks(FGeometry.PlotHeight); ++i) {
        const int Y = Bottom - RoundHalfEven(i * Step / UnitsPerPixel) - Offset;
        if (FGridY) {
            Painter.setPen(Grid);
            Painter.drawLine(Right, Y, Left, Y);
            Painter.setPen(Axis);
        }
        Painter.drawLine(Left, Y, Left - 4, Y);
        const int Half = FGeometry.YLabelHeight / 2;
        const QRect Box(Left - 6 - FGeometry.YLabelWidth, Y - Half, FGeometry.YLabelWidth, 2 * Half);
        Painter.setPen(TextColor);
        Painter.drawText(Box, Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip, FormatLabel(Tick, Decimals));
        Painter.setPen(Axis);
        if (Tick + Step == Tick)
            break;  // a step too small to move a huge value
        Tick += Step;
    }

    Painter.setPen(QPen(FColorAxis, 1));
    Painter.drawLine(Left, Bottom, Right, Bottom);
    Painter.drawLine(Left, Bottom - FGeometry.PlotHeight, Right, Bottom - FGeometry.PlotHeight);
    Painter.setPen(Axis);
}

void TNorvaneChart::PaintXScale(QPainter& Painter, QSize Size, QColor TextColor)
{
    const int W = Size.width();
    const int H = Size.height();
    if (!(FViewMaxX > FViewMinX) || FGeometry.PlotWidth <= 0) {
        Painter.drawLine(20, H - 20, W - 2, H - 20);
        return;
    }

    const double UnitsPerPixel = (FViewMaxX - FViewMinX) / FGeometry.PlotWidth;
    const double MinStep = (FGeometry.XLabelWidth + 2) * UnitsPerPixel;
    const double Power = chart::TickPower(MinStep);
    const double Step = chart::TickStep(MinStep);
    double Tick = chart::FirstTick(FViewMinX, Step, Power);

    const int Left = FGeometry.PlotLeft;
    const int Bottom = PlotBottom();
    const int Top = Bottom - FGeometry.PlotHeight;
    const int Decimals = chart::LabelDecimals(Step);
    const QPen Axis(Qt::black, 1);
    const QPen Grid(FColorGrid, 1, Qt::DotLine);

    const int Offset = Tick > FViewMinX ? std::abs(RoundHalfEven((Tick - FViewMinX) / UnitsPerPixel)) : 0;
    for (int i = 0; Tick <= FViewMaxX && i < MaxTicks(FGeometry.PlotWidth); ++i) {
        const int X = RoundHalfEven(i * Step / UnitsPerPixel) + Left + Offset;
        if (FGridX) {
            Painter.setPen(Grid);
            Painter.drawLine(X, Top, X, Bottom);
            Painter.setPen(Axis);
        }
        Painter.drawLine(X, Bottom, X, Bottom + 4);
        const int Half = FGeometry.XLabelWidth / 2;
        const QRect Box(X - Half, Bottom + 8, 2 * Half, FGeometry.XLabelHeight);
        Painter.setPen(TextColor);
        Painter.drawText(Box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, FormatLabel(Tick, Decimals));
        Painter.setPen(Axis);
        if (Tick + Step == Tick)
            break;
        Tick += Step;
    }

    Painter.setPen(QPen(FColorAxis, 1));
    Painter.drawLine(Left, Bottom, Left, Top);
    Painter.drawLine(Left + FGeometry.PlotWidth, Bottom, Left + FGeometry.PlotWidth, Top);
    Painter.setPen(Axis);
}

void TNorvaneChart::PaintCurves(QPainter& Painter, QSize Size)
{
    FPaintCount = {};
    const TCurves& List = Curves();
    if (List.Count() == 0)
        return;
    Painter.save();
    Painter.setClipRect(QRect(FGeometry.PlotLeft, FGeometry.PlotTop, FGeometry.PlotWidth,
                              Size.height() - FBottomArea + 2 - FGeometry.PlotTop));
    for (int i = 0; i < List.Count(); ++i)
        if (List[i]->PointCount() >= 2)
            PaintCurve(Painter, *List[i]);
    Painter.restore();
}

void TNorvaneChart::PaintCurve(QPainter& Painter, const TCurve& Curve)
{
    const bool Markers = FDetails || Curve.Details();
    int Before = 0;  // marker reach left of and above the point
    int After = 0;  // and right of and below it
    int LineWidth = Curve.ThickLine();
    if (Markers && Curve.ThickLine() >= 2) {
        Before = Curve.ThickLine() / 2;
        After = Curve.ThickLine() - Before;
        LineWidth = 1;
    } else if (Markers) {
        Before = 2;
        After = 3;
    }

    chart::TPixelMap Map;
    Map.Left = FGeometry.PlotLeft;
    Map.ViewMinX = FViewMinX;
    Map.XScale = XScaleFactor();
    Map.Bottom = PlotBottom();
    Map.ViewMinY = FViewMinY;
    Map.YScale = YScaleFactor();

    const double* Xs = Curve.XValues().data();
    const double* Ys = Curve.YValues().data();
    const std::size_t Count = Curve.PointCount();
    std::size_t Begin = 0;
    std::size_t End = Count;

    // With X ascending, only the points in view and one on either side can
    // reach the plot; a margin of what a point's drawing reaches (pen or
    // marker) keeps the picture exact. Otherwise every point is drawn.
    const bool Ordered = Curve.XAscending() && Map.XScale > 0 && std::isfinite(Map.XScale);
    if (Ordered) {
        const int Reach = std::max({LineWidth, Before + After, 1}) + 3;
        const double Margin = Reach / Map.XScale;
        const auto& XValues = Curve.XValues();
        const auto First = std::lower_bound(XValues.begin(), XValues.end(), FViewMinX - Margin);
        const auto Last = std::upper_bound(First, XValues.end(), FViewMaxX + Margin);
        Begin = std::size_t(std::max<std::ptrdiff_t>(First - XValues.begin() - 1, 0));
        End = std::min(std::size_t(Last - XValues.begin()) + 1, Count);
        FPaintCount.Visited += 2 * std::size_t(std::log2(double(Count) + 1) + 1);
    }
    const std::size_t InView = End - Begin;

    bool Envelope = false;
    if (!Markers) {
        if (FCurveDrawing == TCurveDrawing::Envelope)
            Envelope = true;
        else if (FCurveDrawing == TCurveDrawing::Auto)
            Envelope = InView > std::size_t(EnvelopePointsPerColumn) * std::size_t(std::max(FGeometry.PlotWidth, 1));
    }

    // Up to 2 pixels a square end covers the pixels of a round one but at
    // sharp corners (a handful in ten thousand), and strokes ten times
    // faster; wider lines keep their round ends.
    const Qt::PenCapStyle Cap = LineWidth <= 2 ? Qt::SquareCap : Qt::RoundCap;
    Painter.setPen(QPen(Curve.ColorGraph(), std::max(LineWidth, 0), Qt::SolidLine, Cap, Qt::RoundJoin));
    Painter.setBrush(Curve.ColorGraph());
    {
        chart::TSegmentSink Sink([&Painter](const QLine* Lines, int Count) { Painter.drawLines(Lines, Count); });
        if (Envelope && Ordered) {
            chart::AddAscendingEnvelope(Xs, Ys, Begin, End, Curve.YBlocks(), Map, Sink, FPaintCount.Visited);
        } else if (Envelope) {
            chart::AddColumnEnvelope(Xs + Begin, Ys + Begin, InView, Map, false, Sink);
            FPaintCount.Visited += InView;
        } else {
            chart::AddEverySegment(Xs + Begin, Ys + Begin, InView, Map, Sink);
            FPaintCount.Visited += InView;
        }
        Sink.Flush();
        FPaintCount.Segments += Sink.Count();
    }

    // Every point but the first gets a filled square in the curve's colour.
    if (Markers) {
        const int Size = Before + After;
        for (std::size_t i = std::max<std::size_t>(Begin, 1); i < End; ++i) {
            const QPoint P = Map.Pixel(Xs[i], Ys[i]);
            Painter.fillRect(QRect(P.x() - Before, P.y() - Before, Size, Size), Curve.ColorGraph());
            ++FPaintCount.Markers;
        }
    }
}
