// The chart's view: automatic range, the mapping between pixels and values,
// zoom, pan and the search for the point under the cursor.
#include "chart/NorvaneChart.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

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

}  // namespace

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
            // A curve without points counts as the point (0, 0). Values
            // that are not finite are not in the curve's extremes: a NaN
            // would stop the range from ever widening again.
            if (Curve.PointCount() == 0) {
                MinX = std::min(MinX, 0.0);
                MaxX = std::max(MaxX, 0.0);
                MinY = std::min(MinY, 0.0);
                MaxY = std::max(MaxY, 0.0);
                continue;
            }
            if (Curve.HasXExtremes()) {
                MinX = std::min(MinX, Curve.MinX());
                MaxX = std::max(MaxX, Curve.MaxX());
            }
            if (Curve.HasYExtremes()) {
                MinY = std::min(MinY, Curve.MinY());
                MaxY = std::max(MaxY, Curve.MaxY());
            }
        }
        // The range only ever widens to take in the data.
        if (HasData()) {
            // With a margin, a widening side goes that share of the new span
            // past the data.
            const double Headroom = FRangeMargin / 100.0 * (std::max(MaxY, FMaxYValue) - std::min(MinY, FMinYValue));
            if (MaxY > FMaxYValue)
                FMaxYValue = MaxY + Headroom;
            if (MinY < FMinYValue)
                FMinYValue = MinY - Headroom;
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
    const int PlotHeight = Height - FBottomArea - FGeometry.PlotTop;
    if (Pixel.x() == -1)
        Pixel = QPoint(FGeometry.PlotLeft + FGeometry.PlotWidth / 2, Height - FBottomArea - PlotHeight / 2);
    const double XRange = FMaxXValue - FMinXValue;
    const double YRange = FMaxYValue - FMinYValue;
    const double XScale = XRange == 0 ? 0 : FGeometry.PlotWidth * FZoomFactor / XRange;
    const double YScale = YRange == 0 ? 0 : PlotHeight * FZoomFactor / YRange;
    const double X = XScale == 0 ? FViewMinX : FViewMinX + (Pixel.x() - FGeometry.PlotLeft) / XScale;
    const double Y = YScale == 0 ? FViewMinY : FViewMinY + (Height - FBottomArea - Pixel.y()) / YScale;
    return {X, Y};
}

// Keeps a window of the given width inside [Min, Max], the lower end first.
// The width is the one the caller started from, not ViewMax - ViewMin after
// shifting, which may differ from it in the last bits.
void TNorvaneChart::ClampView(double& ViewMin, double& ViewMax, double Width, double Min, double Max) const
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
    FSearchVisited = 0;
    const TCurves& List = Curves();
    for (int c = 0; c < List.Count(); ++c) {
        const TCurve& Curve = *List[c];
        if (Curve.PointCount() < 2)
            continue;
        const auto& Xs = Curve.XValues();
        const auto& Ys = Curve.YValues();
        auto From = Xs.begin();
        auto To = Xs.end();
        // Only points within the X tolerance can match; with X ascending
        // they are one run, found by bisection. The run is taken a little
        // wider, SameValue decides.
        if (Curve.XAscending() && std::isfinite(Value.x())) {
            const double Reach = 2 * (Tx > 0 ? Tx : std::max(std::fabs(Value.x()) * 1e-12, 1e-12));
            From = std::lower_bound(Xs.begin(), Xs.end(), Value.x() - Reach);
            To = std::upper_bound(From, Xs.end(), Value.x() + Reach);
            FSearchVisited += 2 * std::size_t(std::log2(double(Xs.size())) + 1);
        }
        for (auto It = From; It != To; ++It) {
            ++FSearchVisited;
            const std::size_t i = std::size_t(It - Xs.begin());
            if (SameValue(Xs[i], Value.x(), Tx) && SameValue(Ys[i], Value.y(), Ty)) {
                Found = true;
                Index = int(i);
                X = Xs[i];
                Y = Ys[i];
                break;  // first match of this curve; a later curve may replace it
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
