#include "chart/NorvaneChart.h"

#include "chart/ChartTicks.h"
#include "chart/CurveEnvelope.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

using chart::FormatLabel;
using chart::RoundHalfEven;

namespace {

// Scale arithmetic saturates instead of overflowing on endless zooming.
int AddScale(int Scale, int Step)
{
    const long long Sum = static_cast<long long>(Scale) + Step;
    return int(std::clamp<long long>(Sum, INT_MIN, INT_MAX));
}

// |A - B| <= Tolerance; a tolerance of 0 means "equal up to rounding noise".
bool SameValue(double A, double B, double Tolerance)
{
    if (Tolerance == 0)
        Tolerance = std::max(std::min(std::fabs(A), std::fabs(B)) * 1e-12, 1e-12);
    return std::fabs(A - B) <= Tolerance;
}

QString FormatFixed(double Value, int Decimals)
{
    QLocale Locale;
    Locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return Locale.toString(Value, 'f', Decimals);
}

// Ticks are at least 14 pixels apart, so a plot never holds more than one
// per pixel; the bound is a second guard against a loop that cannot end.
int MaxTicks(int Pixels)
{
    return std::max(Pixels, 0) + 2;
}

// A curve switches to its column envelope once it has this many points in
// view per pixel column.
constexpr int EnvelopePointsPerColumn = 4;

} // namespace

// ---------------------------------------------------------------- TCurve --

TCurve::TCurve(TCurves* Collection) : FCollection(Collection) {}

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
    if (FXValues.empty()) {
        FMinX = FMaxX = X;
        FMinY = FMaxY = Y;
    } else {
        if (X < FXValues.back())
            FXAscending = false;
        FMinX = std::min(FMinX, X);
        FMaxX = std::max(FMaxX, X);
        FMinY = std::min(FMinY, Y);
        FMaxY = std::max(FMaxY, Y);
    }
    if (X != X)
        FXAscending = false; // NaN has no place in an ordered search
    FXValues.push_back(X);
    FYValues.push_back(Y);
    Changed();
}

// --------------------------------------------------------------- TCurves --

TCurves::TCurves(TNorvaneChart* Owner, TCurveClass ItemClass)
    : FOwner(Owner), FItemClass(ItemClass)
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

// --------------------------------------------------------- TNorvaneChart --

TNorvaneChart::TNorvaneChart(QWidget* Parent) : QWidget(Parent)
{
    resize(320, 210);
    // Focus comes by Tab or, on purpose, by the release of the first click
    // (which must not zoom), never by a press.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAutoFillBackground(false);
    setMouseTracking(true); // the hint follows the cursor from point to point
    setStyleSheet(QStringLiteral("QToolTip { background-color: white; color: black; }"));
    FHintTimer.setSingleShot(true);
    FHintTimer.setInterval(200);
    connect(&FHintTimer, &QTimer::timeout, this, &TNorvaneChart::ReevaluateHint);
}

TNorvaneChart::~TNorvaneChart() = default;

TCurveClass TNorvaneChart::GetCurveClass() const
{
    return [](TCurves* Collection) { return std::make_unique<TCurve>(Collection); };
}

std::unique_ptr<TCurves> TNorvaneChart::CreateCurves()
{
    return std::make_unique<TCurves>(this, GetCurveClass());
}

// The collection is made on first use rather than in the constructor, so
// that a derived chart's CreateCurves and GetCurveClass are the ones used.
TCurves& TNorvaneChart::Curves()
{
    if (!FCurves)
        FCurves = CreateCurves();
    return *FCurves;
}

const TCurves& TNorvaneChart::Curves() const
{
    return const_cast<TNorvaneChart*>(this)->Curves();
}

// ------------------------------------------------------------ properties --

void TNorvaneChart::SetTextBrighteness(int Value)
{
    FTextBrighteness = Value;
    Repaint();
}

void TNorvaneChart::SetAxisTitle(const QStringList& Value)
{
    if (Value.size() > 2)
        return;
    FAxisTitle = Value;
    Repaint();
}

void TNorvaneChart::SetAxisTitleLine(int Index, const QString& Text)
{
    if (Index < 0 || Index > 1)
        return;
    while (FAxisTitle.size() <= Index)
        FAxisTitle.append(QString());
    FAxisTitle[Index] = Text;
    Repaint();
}

void TNorvaneChart::SetColorAxis(QColor Value)
{
    if (Value == FColorAxis)
        return;
    FColorAxis = Value;
    Repaint();
}

void TNorvaneChart::SetMinXValue(double Value)
{
    if (Value == FMinXValue)
        return;
    FMinXValue = Value;
    Repaint();
}

void TNorvaneChart::SetMaxXValue(double Value)
{
    if (Value == FMaxXValue)
        return;
    FMaxXValue = Value <= 0 ? 0 : Value;
    Repaint();
}

void TNorvaneChart::SetMinYValue(double Value)
{
    if (Value == FMinYValue)
        return;
    FMinYValue = Value;
    Repaint();
}

void TNorvaneChart::SetMaxYValue(double Value)
{
    if (Value == FMaxYValue)
        return;
    FMaxYValue = Value < 0 ? 0 : Value;
    Repaint();
}

void TNorvaneChart::SetLeftMargin(int Value)
{
    FLeftMargin = Value;
    Repaint();
}

void TNorvaneChart::SetBottomMargin(int Value)
{
    FBottomMargin = Value;
    FBottomArea = Value + 24;
    Repaint();
}

void TNorvaneChart::SetGridX(bool Value)
{
    if (Value == FGridX)
        return;
    FGridX = Value;
    Repaint();
}

void TNorvaneChart::SetGridY(bool Value)
{
    if (Value == FGridY)
        return;
    FGridY = Value;
    Repaint();
}

void TNorvaneChart::SetColor(QColor Value)
{
    FColor = Value;
    Repaint();
}

void TNorvaneChart::SetColorGrid(QColor Value)
{
    if (Value == FColorGrid)
        return;
    FColorGrid = Value;
    Repaint();
}

void TNorvaneChart::SetStepScale(int Value)
{
    if (Value == FStepScale)
        return;
    FStepScale = Value <= 0 ? 100 : Value;
    if (FScale > 100)
        Repaint();
}

void TNorvaneChart::SetCurves(const TCurves& Value)
{
    Curves().Assign(Value);
}

void TNorvaneChart::SetDecimalHint(int Value)
{
    if (Value >= 0 && Value <= 6)
        FDecimalHint = std::int8_t(Value);
}

void TNorvaneChart::SetShowTextScale(bool Value)
{
    if (Value == FShowTextScale)
        return;
    FShowTextScale = Value;
    Repaint();
}

void TNorvaneChart::SetPrecision(int Value)
{
    if (Value == FPrecision)
        return;
    FPrecision = std::int8_t(Value < 0 || Value > 3 ? 1 : Value);
    Repaint();
}

void TNorvaneChart::SetDetails(bool Value)
{
    if (Value == FDetails)
        return;
    FDetails = Value;
    Repaint();
}

void TNorvaneChart::SetCurveDrawing(TCurveDrawing Value)
{
    FCurveDrawing = Value;
    Repaint();
}

// ------------------------------------------------------ range and mapping --

bool TNorvaneChart::HasData() const
{
    const TCurves& List = Curves();
    for (int i = 0; i < List.Count(); ++i)
        if (List[i]->PointCount() >= 2)
            return true;
    return false;
}

void TNorvaneChart::UpdateRangeAndView()
{
    const TCurves& List = Curves();
    if (List.Count() > 0 && FScale == 100) {
        double MinX = std::numeric_limits<double>::infinity();
        double MaxX = -MinX;
        double MinY = MinX;
        double MaxY = -MinX;
        for (int i = 0; i < List.Count(); ++i) {
            const TCurve& Curve = *List[i];
            // A curve without points counts as the point (0, 0).
            const bool Empty = Curve.PointCount() == 0;
            MinX = std::min(MinX, Empty ? 0.0 : Curve.MinX());
            MaxX = std::max(MaxX, Empty ? 0.0 : Curve.MaxX());
            MinY = std::min(MinY, Empty ? 0.0 : Curve.MinY());
            MaxY = std::max(MaxY, Empty ? 0.0 : Curve.MaxY());
        }
        // The range only ever widens to take in the data.
        if (HasData()) {
            if (MaxY > FMaxYValue)
                FMaxYValue = MaxY;
            if (MinY < FMinYValue)
                FMinYValue = MinY;
            if (MaxX > FMaxXValue)
                FMaxXValue = MaxX;
            if (MinX < FMinXValue)
                FMinXValue = MinX;
        }
    }
    if (List.Count() == 0 || FScale == 100) {
        FViewMinX = FMinXValue;
        FViewMaxX = FMaxXValue;
        FViewMinY = FMinYValue;
        FViewMaxY = FMaxYValue;
    }
}

// Pixels per unit. An empty range maps every value onto the axis instead of
// dividing by zero.
double TNorvaneChart::XScaleFactor() const
{
    const double Range = FMaxXValue - FMinXValue;
    return Range == 0 ? 0 : FGeometry.PlotWidth * FZoomFactor / Range;
}

double TNorvaneChart::YScaleFactor() const
{
    const double Range = FMaxYValue - FMinYValue;
    return Range == 0 ? 0 : FGeometry.PlotHeight * FZoomFactor / Range;
}

QPointF TNorvaneChart::PixelToValue(QPoint Pixel) const
{
    const int Height = height();
    const int PlotHeight = Height - FBottomArea - 8;
    if (Pixel.x() == -1)
        Pixel = QPoint(FGeometry.PlotLeft + FGeometry.PlotWidth / 2,
                       Height - FBottomArea - PlotHeight / 2);
    const double XRange = FMaxXValue - FMinXValue;
    const double YRange = FMaxYValue - FMinYValue;
    const double XScale = XRange == 0 ? 0 : FGeometry.PlotWidth * FZoomFactor / XRange;
    const double YScale = YRange == 0 ? 0 : PlotHeight * FZoomFactor / YRange;
    const double X = XScale == 0 ? FViewMinX
                                 : FViewMinX + (Pixel.x() - FGeometry.PlotLeft) / XScale;
    const double Y = YScale == 0 ? FViewMinY
                                 : FViewMinY + (Height - FBottomArea - Pixel.y()) / YScale;
    return {X, Y};
}

// Keeps a window of the given width inside [Min, Max], the lower end first.
// The width is the one the caller started from, not ViewMax - ViewMin after
// shifting, which may differ from it in the last bits.
void TNorvaneChart::ClampView(double& ViewMin, double& ViewMax, double Width, double Min,
                              double Max) const
{
    if (ViewMin < Min) {
        ViewMin = Min;
        ViewMax = ViewMin + Width;
    }
    if (ViewMax > Max) {
        ViewMax = Max;
        ViewMin = ViewMax - Width;
    }
}

void TNorvaneChart::SetScale(int NewScale)
{
    if (NewScale == FScale)
        return;
    const QPointF Centre = PixelToValue(FZoomPoint);
    FScale = std::max(NewScale, 100);
    FZoomFactor = FScale / 100.0;

    const double W = (FMaxXValue - FMinXValue) / FZoomFactor;
    FViewMinX = Centre.x() - W / 2;
    FViewMaxX = Centre.x() + W / 2;
    ClampView(FViewMinX, FViewMaxX, W, FMinXValue, FMaxXValue);

    const double H = (FMaxYValue - FMinYValue) / FZoomFactor;
    FViewMinY = Centre.y() - H / 2;
    FViewMaxY = Centre.y() + H / 2;
    ClampView(FViewMinY, FViewMaxY, H, FMinYValue, FMaxYValue);

    emit OnScaleChange(this, FScale);
    Repaint();
}

void TNorvaneChart::MoveView(QPoint Target)
{
    const QPointF From = PixelToValue(FZoomPoint);
    const QPointF To = PixelToValue(Target);
    const double W = FViewMaxX - FViewMinX;
    FViewMinX += From.x() - To.x();
    FViewMaxX += From.x() - To.x();
    ClampView(FViewMinX, FViewMaxX, W, FMinXValue, FMaxXValue);
    const double H = FViewMaxY - FViewMinY;
    FViewMinY += From.y() - To.y();
    FViewMaxY += From.y() - To.y();
    ClampView(FViewMinY, FViewMaxY, H, FMinYValue, FMaxYValue);
    FZoomPoint = Target;
    Repaint();
}

bool TNorvaneChart::FindPointAt(QPoint Pixel, int& Index, double& X, double& Y) const
{
    const QPointF Value = PixelToValue(Pixel);
    const int HalfWidth = std::max(width() / 2, 1);
    const int SixthHeight = std::max(height() / 6, 1);
    const double Tx = (FViewMaxX - FViewMinX) / HalfWidth;
    const double Ty = (FViewMaxY - FViewMinY) / SixthHeight;

    bool Found = false;
    const TCurves& List = Curves();
    for (int c = 0; c < List.Count(); ++c) {
        const TCurve& Curve = *List[c];
        if (Curve.PointCount() < 2)
            continue;
        const auto& Xs = Curve.XValues();
        const auto& Ys = Curve.YValues();
        for (std::size_t i = 0; i < Xs.size(); ++i) {
            if (SameValue(Xs[i], Value.x(), Tx) && SameValue(Ys[i], Value.y(), Ty)) {
                Found = true;
                Index = int(i);
                X = Xs[i];
                Y = Ys[i];
                break; // first match of this curve; a later curve may replace it
            }
        }
    }
    return Found;
}

QString TNorvaneChart::HintAt(QPoint Pixel) const
{
    int Index = 0;
    double X = 0;
    double Y = 0;
    if (!FindPointAt(Pixel, Index, X, Y))
        return {};
    return QStringLiteral("%1: (x:%2, y:%3)")
        .arg(Index)
        .arg(FormatFixed(X, FDecimalHint), FormatFixed(Y, FDecimalHint));
}

// --------------------------------------------------------------- painting --

void TNorvaneChart::paintEvent(QPaintEvent*)
{
    // Everything is drawn off screen first and copied in one step, so the
    // chart never flickers however often it repaints.
    const qreal Ratio = devicePixelRatioF();
    QImage Buffer(size() * Ratio, QImage::Format_RGB32);
    Buffer.setDevicePixelRatio(Ratio);
    {
        QPainter Painter(&Buffer);
        Paint(Painter, size(), hasFocus());
    }
    QPainter Screen(this);
    Screen.drawImage(0, 0, Buffer);
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
    Painter.drawImage(Target.topLeft(), RenderImage(Target.size()));
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

    Painter.setFont(font());
    FGeometry.PlotLeft = 20; // unless a Y scale sets it
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

    QFont Title(QStringLiteral("Colibri"), 12, QFont::Bold);
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

    const int XTitleWidth = Metrics.horizontalAdvance(XTitle);
    Painter.drawText(W - XTitleWidth - 20, H - Metrics.height() - 2 + Metrics.ascent(), XTitle);

    if (FShowTextScale) {
        Title.setPointSize(14);
        Painter.setFont(Title);
        const QFontMetrics ScaleMetrics(Title, Painter.device());
        const QString Text = QStringLiteral("M: %1%").arg(FScale);
        Painter.drawText(W - ScaleMetrics.horizontalAdvance(Text) - 30, 10 + ScaleMetrics.ascent(),
                         Text);
    }
}

void TNorvaneChart::MeasureLabels(const QFontMetrics& Metrics)
{
    const auto Measure = [&](double Low, double High, int& Width, int& Height) {
        const QString LowText = FormatLabel(Low, FPrecision);
        const QString HighText = FormatLabel(High, FPrecision);
        Width = std::max(Metrics.horizontalAdvance(LowText), Metrics.horizontalAdvance(HighText));
        Height = Metrics.height(); // one line of the label font
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
    FGeometry.PlotHeight = H - FBottomArea - 8;

    if (!(FViewMaxY > FViewMinY) || FGeometry.PlotHeight <= 0) {
        // No Y scale: the X axis keeps the label sizes and width of the last
        // painting; before any, they are measured now for a plot from x = 20.
        if (!FGeometry.Measured) {
            MeasureLabels(Metrics);
            FGeometry.PlotWidth = W - FGeometry.PlotLeft - FGeometry.XLabelWidth / 2 - 3;
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
    FGeometry.PlotLeft = FLeftMargin + FGeometry.YLabelWidth + 8;
    FGeometry.PlotWidth = W - FGeometry.PlotLeft - FGeometry.XLabelWidth / 2 - 3;

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
        Painter.drawText(Box, Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                         FormatLabel(Tick, Decimals));
        Painter.setPen(Axis);
        if (Tick + Step == Tick)
            break; // a step too small to move a huge value
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
        Painter.drawText(Box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                         FormatLabel(Tick, Decimals));
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
    const TCurves& List = Curves();
    if (List.Count() == 0)
        return;
    Painter.save();
    Painter.setClipRect(QRect(FGeometry.PlotLeft, 8, FGeometry.PlotWidth,
                              Size.height() - FBottomArea + 2 - 8));
    for (int i = 0; i < List.Count(); ++i)
        if (List[i]->PointCount() >= 2)
            PaintCurve(Painter, *List[i]);
    Painter.restore();
}

void TNorvaneChart::PaintCurve(QPainter& Painter, const TCurve& Curve)
{
    const bool Markers = FDetails || Curve.Details();
    int Before = 0; // marker reach left of and above the point
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
    std::size_t Begin = 0;
    std::size_t End = Curve.PointCount();

    // With X ascending, only the points in view and one on either side can
    // reach the plot; a margin of the pen's width keeps the picture exact.
    const bool Ordered = Curve.XAscending() && Map.XScale > 0 && std::isfinite(Map.XScale);
    if (Ordered) {
        const double Margin = (std::max(LineWidth, 1) + 3) / Map.XScale;
        const auto& XValues = Curve.XValues();
        const auto First = std::lower_bound(XValues.begin(), XValues.end(), FViewMinX - Margin);
        const auto Last = std::upper_bound(First, XValues.end(), FViewMaxX + Margin);
        Begin = std::size_t(std::max<std::ptrdiff_t>(First - XValues.begin() - 1, 0));
        End = std::min(std::size_t(Last - XValues.begin()) + 1, Curve.PointCount());
    }
    const std::size_t InView = End - Begin;

    bool Envelope = false;
    if (!Markers) {
        if (FCurveDrawing == TCurveDrawing::Envelope)
            Envelope = true;
        else if (FCurveDrawing == TCurveDrawing::Auto)
            Envelope = InView > std::size_t(EnvelopePointsPerColumn) *
                                    std::size_t(std::max(FGeometry.PlotWidth, 1));
    }

    Painter.setPen(QPen(Curve.ColorGraph(), std::max(LineWidth, 0), Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    Painter.setBrush(Curve.ColorGraph());
    {
        chart::TSegmentSink Sink(
            [&Painter](const QLine* Lines, int Count) { Painter.drawLines(Lines, Count); });
        if (Envelope)
            chart::AddColumnEnvelope(Xs + Begin, Ys + Begin, End - Begin, Map, Curve.XAscending(), Sink);
        else
            chart::AddEverySegment(Xs, Ys, Curve.PointCount(), Map, Sink);
    }

    // Every point but the first gets a filled square in the curve's colour.
    if (Markers) {
        const int Size = Before + After;
        for (std::size_t i = 1; i < Curve.PointCount(); ++i) {
            const QPoint P = Map.Pixel(Xs[i], Ys[i]);
            Painter.fillRect(QRect(P.x() - Before, P.y() - Before, Size, Size), Curve.ColorGraph());
        }
    }
}

// ------------------------------------------------------------------ input --

void TNorvaneChart::Pan(int Dx, int Dy)
{
    const int W = width();
    const QPoint Origin(FGeometry.PlotLeft + (W - FGeometry.PlotLeft) / 2,
                        (height() - FBottomArea) / 2);
    FZoomPoint = Origin;
    MoveView(Origin + QPoint(Dx, Dy));
}

void TNorvaneChart::keyPressEvent(QKeyEvent* Event)
{
    const bool Keypad = Event->modifiers() & Qt::KeypadModifier;
    const bool Ctrl = Event->modifiers() & Qt::ControlModifier;
    const int Horizontal = Ctrl ? width() - FGeometry.PlotLeft - 10 : 10;
    const int Vertical = Ctrl ? height() - FBottomArea - 8 : 10;
    const bool Zoomed = FScale > 100;

    switch (Event->key()) {
    case Qt::Key_Plus:
        if (!Keypad)
            break;
        FZoomPoint = QPoint(-1, 0);
        SetScale(AddScale(FScale, FStepScale));
        return;
    case Qt::Key_Minus:
        if (!Keypad)
            break;
        if (Zoomed) {
            FZoomPoint = QPoint(-1, 0);
            SetScale(AddScale(FScale, -FStepScale));
        }
        return;
    case Qt::Key_Asterisk:
        if (!Keypad)
            break;
        SetScale(100);
        return;
    case Qt::Key_Left:
        if (Zoomed)
            Pan(-Horizontal, 0);
        return;
    case Qt::Key_Right:
        if (Zoomed)
            Pan(Horizontal, 0);
        return;
    case Qt::Key_Up:
        if (Zoomed)
            Pan(0, -Vertical);
        return;
    case Qt::Key_Down:
        if (Zoomed)
            Pan(0, Vertical);
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(Event);
}

void TNorvaneChart::mousePressEvent(QMouseEvent* Event)
{
    QWidget::mousePressEvent(Event);
    if (!HasData())
        return;
    FZoomPoint = Event->position().toPoint();
    if (Event->button() == Qt::LeftButton)
        FDragging = true;
}

void TNorvaneChart::mouseMoveEvent(QMouseEvent* Event)
{
    QWidget::mouseMoveEvent(Event);
    const QPoint Pos = Event->position().toPoint();
    FLastMousePos = Pos;
    if (QToolTip::isVisible())
        FHintTimer.start();

    const bool Held = Event->buttons() != Qt::NoButton || Event->modifiers() != Qt::NoModifier;
    if (Held && FDragging && FScale > 100 && Pos != FZoomPoint) {
        FDragged = true;
        MoveView(Pos);
    }
}

void TNorvaneChart::mouseReleaseEvent(QMouseEvent* Event)
{
    QWidget::mouseReleaseEvent(Event);
    // The first click on an unfocused chart only focuses it. The drag state
    // of that click ends with it, so the next click zooms as expected.
    if (!hasFocus() && focusPolicy() != Qt::NoFocus && isEnabled() && isActiveWindow()) {
        setFocus(Qt::MouseFocusReason);
        FDragging = false;
        FDragged = false;
        return;
    }
    if (!HasData())
        return;
    if (FDragged) {
        FDragged = false;
        FDragging = false;
        return;
    }
    FDragging = false;
    FZoomPoint = Event->position().toPoint();
    switch (Event->button()) {
    case Qt::LeftButton:
        SetScale(AddScale(FScale, FStepScale));
        break;
    case Qt::RightButton:
        SetScale(AddScale(FScale, -FStepScale));
        break;
    case Qt::MiddleButton:
        SetScale(100);
        break;
    default:
        break;
    }
}

void TNorvaneChart::wheelEvent(QWheelEvent* Event)
{
    // Only a turn of the (vertical) wheel zooms: a sideways tilt, or the
    // empty event that ends a touchpad scroll, must not zoom out.
    if (!HasData() || Event->angleDelta().y() == 0) {
        QWidget::wheelEvent(Event);
        return;
    }
    FZoomPoint = Event->position().toPoint();
    FDragging = false;
    // Turned towards the user zooms in.
    if (Event->angleDelta().y() < 0)
        SetScale(AddScale(FScale, FStepScale / 2));
    else
        SetScale(AddScale(FScale, -(FStepScale / 2)));
    Event->accept();
}

void TNorvaneChart::focusInEvent(QFocusEvent* Event)
{
    QWidget::focusInEvent(Event);
    Repaint();
}

void TNorvaneChart::focusOutEvent(QFocusEvent* Event)
{
    QWidget::focusOutEvent(Event);
    Repaint();
}

bool TNorvaneChart::event(QEvent* Event)
{
    if (Event->type() == QEvent::ToolTip) {
        auto* Help = static_cast<QHelpEvent*>(Event);
        FLastMousePos = Help->pos();
        const QString Text = HintAt(Help->pos());
        if (Text.isEmpty()) {
            QToolTip::hideText();
            Event->ignore();
        } else {
            QToolTip::showText(Help->globalPos(), Text, this);
            FHintTimer.start();
        }
        return true;
    }
    return QWidget::event(Event);
}

// While the hint shows, it is looked up again every 200 ms once the mouse
// rests, so that it moves from point to point with the cursor and keeps up
// with points that arrive (and a range that widens) under a resting cursor.
void TNorvaneChart::ReevaluateHint()
{
    if (!underMouse() && !rect().contains(FLastMousePos))
        return;
    const QString Text = HintAt(FLastMousePos);
    if (Text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(mapToGlobal(FLastMousePos), Text, this);
        FHintTimer.start();
    }
}
