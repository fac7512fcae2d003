// Printing: the chart painted onto a high-resolution page looks like the
// chart on screen, scaled: its text and lines cover the same share of it.
#include "ChartSupport.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// Pixels of Area that differ clearly from white: text, lines, grid.
struct TInk {
    double Share = 0;  // of Area
    QRect Box;  // their bounding box
};

TInk InkOf(const QImage& Image, QRect Area)
{
    TInk Ink;
    long long Count = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x) {
            const QColor C = Image.pixelColor(x, y);
            if (std::min({C.red(), C.green(), C.blue()}) < 160) {
                ++Count;
                Ink.Box |= QRect(x, y, 1, 1);
            }
        }
    Ink.Share = double(Count) / (double(Area.width()) * Area.height());
    return Ink;
}

void SetUpChart(TNorvaneChart& Chart)
{
    Chart.SetAxisTitle({"P, bar", "t, s"});
    TCurve* Curve = AddDiagonal(Chart);
    Curve->SetColorGraph(QColor(128, 0, 0));
    Curve->SetThickLine(2);
}

}  // namespace

TEST(ChartPrint, PageLooksLikeTheScreenScaled)
{
    struct Case {
        const char* Name;
        bool Pdf;  // a 1200 dpi PDF page looked at as a 60 dpi picture, else a 600 dpi image
    };
    const Case Cases[] = {{"600 dpi image", false}, {"1200 dpi PDF page", true}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TNorvaneChart Chart;
        SetUpChart(Chart);
        const QImage Screen = Chart.RenderImage();
        const TInk ScreenInk = InkOf(Screen, Screen.rect());

        QImage Page;
        QRect Target;  // where the chart is on Page
        double Scale = 0;  // Page pixels per screen pixel
        if (!C.Pdf) {
            Page = QImage(3200, 2100, QImage::Format_RGB32);
            Page.setDotsPerMeterX(qRound(600 / 0.0254));
            Page.setDotsPerMeterY(qRound(600 / 0.0254));
            Page.fill(Qt::white);
            Target = Page.rect();
            QPainter Painter(&Page);
            Chart.PaintTo(Painter, Target);
            Scale = 10;
        } else {
            QTemporaryDir Dir;
            const QString Pdf = Dir.filePath("chart.pdf");
            {
                QPdfWriter Writer(Pdf);
                Writer.setResolution(1200);
                Writer.setPageSize(QPageSize(QPageSize::A4));
                Writer.setPageOrientation(QPageLayout::Landscape);
                Writer.setPageMargins(QMarginsF(0, 0, 0, 0));
                QPainter Painter(&Writer);
                const int Margin = qRound(10 * 1200 / 25.4);  // 10 mm
                const int Width = Writer.width() - 2 * Margin;
                Chart.PaintTo(Painter, QRect(Margin, Margin, Width, Width * 210 / 320));
                Target = QRect(Margin, Margin, Width, Width * 210 / 320);
            }
            QProcess Render;
            Render.start("pdftoppm", {"-r", "60", "-png", "-singlefile", Pdf, Dir.filePath("page")});
            ASSERT_TRUE(Render.waitForFinished(60000)) << "pdftoppm (poppler-utils) is needed";
            ASSERT_EQ(Render.exitCode(), 0) << Render.readAllStandardError().toStdString();
            Page = QImage(Dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
            ASSERT_FALSE(Page.isNull());
            const double ToPicture = 60.0 / 1200;
            Target = QRect(qRound(Target.x() * ToPicture), qRound(Target.y() * ToPicture),
                           qRound(Target.width() * ToPicture), qRound(Target.height() * ToPicture));
            Scale = double(Target.width()) / Chart.width();
        }

        // The same share of ink: screen-sized text and 1-pixel lines on a
        // page ten times larger would cover about a tenth of it.
        const TInk PageInk = InkOf(Page, Target);
        EXPECT_GT(PageInk.Share, 0.6 * ScreenInk.Share);
        EXPECT_LT(PageInk.Share, 1.6 * ScreenInk.Share);
        // And in the same places: the ink reaches the titles at the left
        // and bottom edges and the zoom text at the top right, scaled.
        const QRect Box = PageInk.Box.translated(-Target.topLeft());
        const double Slack = 2 * Scale + 2;
        EXPECT_NEAR(Box.left(), ScreenInk.Box.left() * Scale, Slack);
        EXPECT_NEAR(Box.top(), ScreenInk.Box.top() * Scale, Slack);
        EXPECT_NEAR(Box.right(), (ScreenInk.Box.right() + 1) * Scale, Slack);
        EXPECT_NEAR(Box.bottom(), (ScreenInk.Box.bottom() + 1) * Scale, Slack);
        // Nothing outside the target.
        if (C.Pdf) {
            EXPECT_TRUE(Target.adjusted(-1, -1, 1, 1).contains(InkOf(Page, Page.rect()).Box));
        }
    }
}
