#include "app/StatusIndicator.h"

#include <algorithm>

#include <QColor>
#include <QEvent>
#include <QMouseEvent>

TStatusIndicator::TStatusIndicator(QWidget* Parent)
    : QLabel(Parent)
{
    setObjectName(QStringLiteral("stDeviceStatus"));
    setTextFormat(Qt::PlainText);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setMargin(1);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setAutoFillBackground(true);
    if (Parent)
        Parent->window()->installEventFilter(this);
}

namespace {

// The status bar's fixed panels (hint, version) and the width the status
// text panel keeps before the indicator takes more than its least.
constexpr int FixedPanels = 230 + 120, StatusTextKeeps = 330;
constexpr int LeastWidth = 110, MostWidth = 420;

}  // namespace

QSize TStatusIndicator::sizeHint() const
{
    const QSize text = QLabel::sizeHint();
    const int spare = window()->width() - FixedPanels - StatusTextKeeps;
    return QSize(std::clamp(text.width(), LeastWidth, std::max(LeastWidth, std::min(spare, MostWidth))), text.height());
}

QSize TStatusIndicator::minimumSizeHint() const
{
    return QSize(LeastWidth, QLabel::minimumSizeHint().height());
}

bool TStatusIndicator::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Resize)
        updateGeometry();
    return QLabel::eventFilter(Watched, Event);
}

QColor TStatusIndicator::ClassColor(TNe107Class Class)
{
    switch (Class) {
        case TNe107Class::Failure: return QColor(0xD0, 0x20, 0x20);
        case TNe107Class::FunctionCheck: return QColor(0xF0, 0x8C, 0x00);
        case TNe107Class::OutOfSpecification: return QColor(0xF5, 0xD0, 0x00);
        case TNe107Class::MaintenanceRequired: return QColor(0x20, 0x60, 0xC0);
        case TNe107Class::Good: break;
    }
    return QColor(0x2E, 0x9E, 0x3E);
}

void TStatusIndicator::ShowUnknown(const QString& Text)
{
    FKnown = false;
    setPalette(QPalette());
    setText(Text);
    setToolTip(Text);
}

void TStatusIndicator::ShowClass(TNe107Class Class, const QString& Text)
{
    FKnown = true;
    FClass = Class;
    QPalette colours = palette();
    const QColor background = ClassColor(Class);
    colours.setColor(QPalette::Window, background);
    // Dark text on the light colours, white on the dark ones.
    colours.setColor(QPalette::WindowText, background.lightness() > 140 ? Qt::black : Qt::white);
    setPalette(colours);
    setText(Text);
    setToolTip(Text);
}

void TStatusIndicator::mouseReleaseEvent(QMouseEvent* Event)
{
    QLabel::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) && OnClick)
        OnClick();
}
