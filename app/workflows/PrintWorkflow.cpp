// Printing a chart: the page set-up gives the margins and the orientation, the
// print dialog the printer; the chart paints itself onto the page at the
// printer's resolution, as wide as the margins allow.

#include "app/workflows/PrintWorkflow.h"

#include "app/OperatorDialogs.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "chart/NorvaneChart.h"
#include "services/StreamError.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

// Margins when the page set-up is cancelled, in millimetres.
constexpr int DefaultMarginMm = 10;

struct TPrintMargins {
    int Left = DefaultMarginMm;
    int Top = DefaultMarginMm;
    int Right = DefaultMarginMm;
};

}  // namespace

void TPrintWorkflow::acPrintPresChartExecute()
{
    PrintChart(FView.Ui().bdcPressure);
}

void TPrintWorkflow::acPrintCurrChartExecute()
{
    PrintChart(FView.Ui().bdcCurrent);
}

void TPrintWorkflow::PrintChart(TNorvaneChart* Chart)
{
    QPrinter printer(QPrinter::HighResolution);
    TPrintMargins margins;
    bool landscape = false;
    if (FView.Dialogs().PageSetup(FView.Window(), printer)) {
        const QPageLayout layout = printer.pageLayout();
        const QMarginsF chosen = layout.margins(QPageLayout::Millimeter);
        margins = {int(std::lround(chosen.left())), int(std::lround(chosen.top())), int(std::lround(chosen.right()))};
        const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
        landscape = paper.width() > paper.height();
    }
    QCoreApplication::processEvents();
    if (!FView.Dialogs().Print(FView.Window(), printer))
        return;

    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The margins are ours: the painter starts at the paper's corner.
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        throw EStreamError(QStringLiteral("The printer could not be started."));

    // As wide as the page allows between the margins; as high as the chart
    // scaled by the whole number of times it fits across the page.
    const int pageWidth = printer.width();
    const int scale = std::max(1, pageWidth / std::max(1, Chart->width()));
    const double dotsPerMm = printer.logicalDpiX() / 25.4;
    auto pixels = [dotsPerMm](int Mm) { return int(std::lround(Mm * dotsPerMm)); };
    const int left = pixels(margins.Left);
    const int top = pixels(margins.Top);
    const int right = pageWidth - pixels(margins.Right);
    const int bottom = std::min(printer.height(), Chart->height() * scale);
    const QRect target(left, top, std::max(0, right - left), std::max(0, bottom - top));
    if (!target.isEmpty())
        Chart->PaintTo(painter, target);
    painter.end();
    QCoreApplication::processEvents();
}
