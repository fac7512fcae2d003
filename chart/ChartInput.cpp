// Keys, mouse buttons, the wheel and the hint of the chart. Every input ends
// in SetScale (zoom) or MoveView (pan).
#include "chart/NorvaneChart.h"

#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <QEnterEvent>
#include <QHideEvent>

#include <algorithm>
#include <climits>

namespace {

// Scale arithmetic saturates instead of overflowing on endless zooming.
int AddScale(int Scale, int Step)
{
    const long long Sum = static_cast<long long>(Scale) + Step;
    return int(std::clamp<long long>(Sum, INT_MIN, INT_MAX));
}

}  // namespace

void TNorvaneChart::Pan(int Dx, int Dy)
{
    const int W = width();
    const QPoint Origin(FGeometry.PlotLeft + (W - FGeometry.PlotLeft) / 2, (height() - FBottomArea) / 2);
    FZoomPoint = Origin;
    MoveView(Origin + QPoint(Dx, Dy));
}

void TNorvaneChart::keyPressEvent(QKeyEvent* Event)
{
    const bool Keypad = Event->modifiers() & Qt::KeypadModifier;
    const bool Ctrl = Event->modifiers() & Qt::ControlModifier;
    const int Horizontal = Ctrl ? width() - FGeometry.PlotLeft - 10 : 10;
    const int Vertical = Ctrl ? height() - FBottomArea - FGeometry.PlotTop : 10;
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
        default: break;
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
    FMouseInside = true;
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
        case Qt::LeftButton: SetScale(AddScale(FScale, FStepScale)); break;
        case Qt::RightButton: SetScale(AddScale(FScale, -FStepScale)); break;
        case Qt::MiddleButton: SetScale(100); break;
        default: break;
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
        FMouseInside = true;  // a hint is asked for only under the mouse
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
// Once the mouse has left or the hint has closed there is nothing to follow.
void TNorvaneChart::ReevaluateHint()
{
    if (!FMouseInside || !QToolTip::isVisible())
        return;
    const QString Text = HintAt(FLastMousePos);
    if (Text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(mapToGlobal(FLastMousePos), Text, this);
        FHintTimer.start();
    }
}

void TNorvaneChart::enterEvent(QEnterEvent* Event)
{
    QWidget::enterEvent(Event);
    FMouseInside = true;
}

void TNorvaneChart::leaveEvent(QEvent* Event)
{
    QWidget::leaveEvent(Event);
    FMouseInside = false;
    FHintTimer.stop();
    QToolTip::hideText();
}

void TNorvaneChart::hideEvent(QHideEvent* Event)
{
    QWidget::hideEvent(Event);
    FMouseInside = false;
    FHintTimer.stop();
}
