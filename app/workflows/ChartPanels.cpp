// The chart panels of the "Datalog" page: labelling of the lower chart, which
// charts are shown, and the splitter's division between them.

#include "app/workflows/ChartPanels.h"

#include "app/UnitFrmMainUi.h"
#include "chart/NorvaneChart.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>

#include <algorithm>

void TChartPanels::acShowCurrentExecute()
{
    FUi.bdcCurrent->SetAxisTitleLine(0, QStringLiteral("I, mA"));
    FUi.bdcCurrent->update();
    FUi.mmiCurrLine->setChecked(true);
    FUi.mmiVoltLine->setChecked(false);
    FUi.lblCurrentUnit->setText(QStringLiteral("mA"));
}

void TChartPanels::acShowVoltageExecute()
{
    FUi.bdcCurrent->SetAxisTitleLine(0, QStringLiteral("U, V"));
    FUi.bdcCurrent->update();
    FUi.mmiVoltLine->setChecked(true);
    FUi.mmiCurrLine->setChecked(false);
    FUi.lblCurrentUnit->setText(QStringLiteral("V"));
}

void TChartPanels::acCurrentLineVisibleChangedExecute()
{
    FUi.pnlCurrentLine->setVisible(FUi.chbCurrentLine->isChecked());
    ArrangeChartPanels();
}

void TChartPanels::acPressureLineVisibleChangedExecute()
{
    FUi.pnlPressureLine->setVisible(FUi.chbPressureLine->isChecked());
    ArrangeChartPanels();
}

// With the pressure chart shown, the current chart keeps the height the
// splitter gave it last; alone, it fills the page (the splitter does that).
void TChartPanels::ArrangeChartPanels()
{
    if (!FUi.pnlPressureLine->isHidden())
        SetCurrentLineHeight(CurrentLineHeight);
}

void TChartPanels::Splitter2Moved()
{
    const QList<int> sizes = FUi.splCharts->sizes();
    CurrentLineHeight = sizes.size() == 2 ? sizes[1] : FUi.pnlCurrentLine->height();
}

int TChartPanels::CurrentLineHeightNow() const
{
    if (FWantedCurrentLineHeight >= 0)
        return FWantedCurrentLineHeight;
    if (FWantedCurrentLineHeight == HalfTheCharts) {
        // The "Datalog" page was never laid out: its pages share one size.
        const QWidget* page = FUi.tbnMain->currentWidget();
        return page ? std::max(0, (page->height() - FUi.splCharts->handleWidth()) / 2) : 0;
    }
    const QList<int> sizes = FUi.splCharts->sizes();
    return sizes.size() == 2 ? sizes[1] : FUi.pnlCurrentLine->height();
}

void TChartPanels::SetCurrentLineHeight(int Height)
{
    FWantedCurrentLineHeight = std::max(0, Height);
    ApplyCurrentLineHeight();
}

void TChartPanels::ApplyCurrentLineHeight()
{
    // The splitter divides its height only once it has one: until the "Datalog"
    // page is first shown the wanted height waits.
    if (FWantedCurrentLineHeight == Applied || !FUi.splCharts->isVisible() || FUi.splCharts->height() <= 0)
        return;
    const int total = std::max(0, FUi.splCharts->height() - FUi.splCharts->handleWidth());
    const int height
        = FWantedCurrentLineHeight == HalfTheCharts ? total / 2 : std::min(FWantedCurrentLineHeight, total);
    FUi.splCharts->setSizes({total - height, height});
    FWantedCurrentLineHeight = Applied;
    // Hidden and shown again, the current chart gets this height back.
    CurrentLineHeight = height;
}
