// Mouse, wheel, keys and the hint, driven by real Qt events.
#include "ChartSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

class ChartInput : public testing::Test {
protected:
    void SetUp() override
    {
        // The chart shares its window with a line edit that has the focus.
        Chart = new TNorvaneChart(&Window);
        auto* Edit = new QLineEdit(&Window);
        Edit->setGeometry(0, 220, 100, 20);
        Window.resize(320, 250);
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
        Edit->setFocus();
        AddDiagonal(*Chart);
        Chart->RenderImage();
    }

    QPoint Middle() const { return {Chart->PlotLeft() + Chart->PlotWidth() / 2, 90}; }

    void Click(Qt::MouseButton Button, QPoint At) { QTest::mouseClick(Chart, Button, Qt::NoModifier, At); }

    void Wheel(int Delta, int Sideways = 0)
    {
        const QPointF At = Middle();
        QWheelEvent Event(At, Chart->mapToGlobal(At), QPoint(), QPoint(Sideways, Delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Chart, &Event);
    }

    void Focus()
    {
        Chart->setFocus();
        ASSERT_TRUE(Chart->hasFocus());
    }

    QWidget Window;
    TNorvaneChart* Chart = nullptr;
};

}  // namespace

TEST_F(ChartInput, FirstClickOnlyFocusesThenClicksZoom)
{
    QSignalSpy Spy(Chart, &TNorvaneChart::OnScaleChange);
    ASSERT_FALSE(Chart->hasFocus());
    Click(Qt::LeftButton, Middle());
    EXPECT_TRUE(Chart->hasFocus());
    EXPECT_EQ(Chart->Scale(), 100);
    EXPECT_EQ(Spy.count(), 0);

    Click(Qt::LeftButton, Middle());
    EXPECT_EQ(Chart->Scale(), 200);
    Click(Qt::MiddleButton, Middle());
    EXPECT_EQ(Chart->Scale(), 100);
    Click(Qt::RightButton, Middle());
    EXPECT_EQ(Chart->Scale(), 100);
    ASSERT_EQ(Spy.count(), 3);
    EXPECT_EQ(Spy.at(2).at(1).toInt(), 100);  // right click at 100 still reports 100
    EXPECT_EQ(Chart->ViewMinX(), 0);
    EXPECT_EQ(Chart->ViewMaxX(), 100);
}

TEST_F(ChartInput, ClicksWithoutDataDoNothing)
{
    Focus();
    Chart->Curves().Clear();
    Chart->Curves().Add()->AddPoint(5, 5);  // a single point is no data
    QSignalSpy Spy(Chart, &TNorvaneChart::OnScaleChange);
    Click(Qt::LeftButton, Middle());
    Click(Qt::RightButton, Middle());
    Wheel(-120);
    EXPECT_EQ(Spy.count(), 0);
    EXPECT_EQ(Chart->Scale(), 100);
}

TEST_F(ChartInput, ZoomKeysAndWheel)
{
    Focus();
    struct Step {
        const char* Name;
        int Key;  // 0: the wheel
        int WheelDelta;
        int Sideways;
        int Scale;
    };
    const Step Steps[] = {
        {"keypad minus at 100 does nothing", Qt::Key_Minus, 0, 0, 100},
        {"keypad plus", Qt::Key_Plus, 0, 0, 200},
        {"keypad plus again", Qt::Key_Plus, 0, 0, 300},
        {"keypad minus", Qt::Key_Minus, 0, 0, 200},
        {"keypad multiply", Qt::Key_Asterisk, 0, 0, 100},
        {"wheel towards the user", 0, -120, 0, 150},
        {"wheel tilted sideways does nothing", 0, 0, 120, 150},
        {"wheel event without a turn does nothing", 0, 0, 0, 150},
        {"wheel away", 0, 120, 0, 100},
        {"wheel away at 100", 0, 120, 0, 100},
    };
    for (const Step& S : Steps) {
        SCOPED_TRACE(S.Name);
        if (S.Key)
            QTest::keyClick(Chart, Qt::Key(S.Key), Qt::KeypadModifier);
        else
            Wheel(S.WheelDelta, S.Sideways);
        EXPECT_EQ(Chart->Scale(), S.Scale);
    }
    // The main keyboard's plus is not a zoom key.
    QTest::keyClick(Chart, Qt::Key_Plus);
    EXPECT_EQ(Chart->Scale(), 100);
}

TEST_F(ChartInput, ArrowsPanOnlyWhenZoomed)
{
    Focus();
    struct Case {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Dx, Dy;  // expected direction of the window's move
    };
    const Case Cases[] = {
        {Qt::Key_Left, Qt::NoModifier, +1, 0},      {Qt::Key_Right, Qt::NoModifier, -1, 0},
        {Qt::Key_Up, Qt::NoModifier, 0, -1},        {Qt::Key_Down, Qt::NoModifier, 0, +1},
        {Qt::Key_Left, Qt::ControlModifier, +1, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Key << " " << C.Modifiers);
        QTest::keyClick(Chart, Qt::Key_Asterisk, Qt::KeypadModifier);
        QTest::keyClick(Chart, C.Key, C.Modifiers);
        EXPECT_EQ(Chart->ViewMinX(), 0);  // nothing at 100
        EXPECT_EQ(Chart->ViewMinY(), 0);

        QTest::keyClick(Chart, Qt::Key_Plus, Qt::KeypadModifier);  // centred 25..75
        const double MinX = Chart->ViewMinX();
        const double MinY = Chart->ViewMinY();
        QTest::keyClick(Chart, C.Key, C.Modifiers);
        const double MovedX = Chart->ViewMinX() - MinX;
        const double MovedY = Chart->ViewMinY() - MinY;
        // Content follows the arrow: "left" shows later X, "up" shows lower Y.
        EXPECT_EQ((MovedX > 0) - (MovedX < 0), C.Dx);
        EXPECT_EQ((MovedY > 0) - (MovedY < 0), C.Dy);
        const double Pixels = C.Modifiers ? Chart->width() - Chart->PlotLeft() - 10 : 10;
        if (C.Dx && !C.Modifiers) {
            EXPECT_NEAR(std::abs(MovedX), Pixels * 50 / Chart->PlotWidth(), 1e-9);
        }
        if (C.Modifiers) {  // a whole plot width: stopped at the end of the range
            EXPECT_EQ(Chart->ViewMaxX(), 100);
        }
        EXPECT_NEAR(Chart->ViewMaxX() - Chart->ViewMinX(), 50, 1e-9);
    }
}

TEST_F(ChartInput, DragPansWithoutZooming)
{
    Focus();
    QTest::keyClick(Chart, Qt::Key_Plus, Qt::KeypadModifier);
    const double MinX = Chart->ViewMinX();
    const QPoint Start = Middle();
    QTest::mousePress(Chart, Qt::LeftButton, Qt::NoModifier, Start);
    EXPECT_TRUE(Chart->Dragging());
    QMouseEvent Move(QEvent::MouseMove, QPointF(Start + QPoint(20, 0)),
                     Chart->mapToGlobal(QPointF(Start + QPoint(20, 0))), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Chart, &Move);
    EXPECT_TRUE(Chart->Dragged());
    EXPECT_LT(Chart->ViewMinX(), MinX);  // content dragged right: earlier X comes in
    QTest::mouseRelease(Chart, Qt::LeftButton, Qt::NoModifier, Start + QPoint(20, 0));
    EXPECT_EQ(Chart->Scale(), 200);
    EXPECT_FALSE(Chart->Dragging());
    EXPECT_FALSE(Chart->Dragged());
    // A plain click afterwards zooms again.
    Click(Qt::LeftButton, Middle());
    EXPECT_EQ(Chart->Scale(), 300);
}

TEST_F(ChartInput, HintFollowsThePointUnderTheCursor)
{
    QLocale::setDefault(QLocale::c());
    Chart->SetDecimalHint(5);
    const auto PixelOf = [&](double X, double Y) {
        return QPoint(Chart->PlotLeft() + qRound(X * Chart->PlotWidth() / 100.0),
                      Chart->height() - Chart->BottomArea() - qRound(Y * Chart->PlotHeight() / 100.0));
    };
    // True when the chart answered with a hint.
    const auto Ask = [&](QPoint At) {
        QHelpEvent Event(QEvent::ToolTip, At, Chart->mapToGlobal(At));
        QApplication::sendEvent(Chart, &Event);
        return Event.isAccepted();
    };
    EXPECT_TRUE(Ask(PixelOf(30, 30)));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "3: (x:30.00000, y:30.00000)");
    EXPECT_TRUE(Ask(PixelOf(70, 70)));
    EXPECT_EQ(QToolTip::text(), "7: (x:70.00000, y:70.00000)");
    // With the mouse at rest the hint is looked up again (the hint timer's
    // call, made here by the test): a curve added later with a point there
    // takes it over.
    EXPECT_TRUE(Chart->HintPending());
    TCurve* Later = Chart->Curves().Add();
    Later->AddPoint(0, 0);
    Later->AddPoint(70.2, 70);
    Chart->ReevaluateHint();
    EXPECT_EQ(QToolTip::text(), "1: (x:70.20000, y:70.00000)");
    EXPECT_TRUE(Chart->HintPending());

    // Once the mouse has left, the look-ups stop and a late one shows nothing.
    QEvent Leave(QEvent::Leave);
    QApplication::sendEvent(Chart, &Leave);
    EXPECT_FALSE(Chart->HintPending());
    TCurve* Latest = Chart->Curves().Add();  // would take the hint over
    Latest->AddPoint(0, 0);
    Latest->AddPoint(70.1, 70);
    Chart->ReevaluateHint();
    EXPECT_FALSE(Chart->HintPending());
    EXPECT_EQ(QToolTip::text(), "1: (x:70.20000, y:70.00000)");

    EXPECT_FALSE(Ask(PixelOf(70, 10)));  // no point there: no hint
}
