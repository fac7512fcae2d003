// Construction and the published properties of the chart. The view window
// and zoom live in ChartView.cpp, painting in ChartPaint.cpp, keys, mouse
// and hint in ChartInput.cpp, the curves in ChartCurves.cpp.
#include "chart/NorvaneChart.h"

#include <algorithm>

#include <cstdint>

// --------------------------------------------------------- TNorvaneChart --

TNorvaneChart::TNorvaneChart(QWidget* Parent)
    : QWidget(Parent)
{
    resize(320, 210);
    // Focus comes by Tab or, on purpose, by the release of the first click
    // (which must not zoom), never by a press.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAutoFillBackground(false);
    setMouseTracking(true);  // the hint follows the cursor from point to point
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

void TNorvaneChart::SetRangeMargin(int Percent)
{
    FRangeMargin = std::clamp(Percent, 0, 100);
    Repaint();
}

void TNorvaneChart::SetTextScaleAbovePlot(bool Value)
{
    FTextScaleAbovePlot = Value;
    Repaint();
}

void TNorvaneChart::SetAlignedWith(TNorvaneChart* Other)
{
    FAlignedWith = Other == this ? nullptr : Other;
    Repaint();
}

void TNorvaneChart::ResetView()
{
    FScale = 100;
    FZoomFactor = 1.0;
    FZoomPoint = QPoint(-1, 0);
    FViewMinX = FMinXValue;
    FViewMaxX = FMaxXValue;
    FViewMinY = FMinYValue;
    FViewMaxY = FMaxYValue;
    emit OnScaleChange(this, FScale);
    Repaint();
}
