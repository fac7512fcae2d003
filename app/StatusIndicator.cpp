#include "app/StatusIndicator.h"

#include <QColor>
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
    // Long lists of bits are cut; the tool tip has them all.
    setMinimumWidth(120);
    setMaximumWidth(360);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setAutoFillBackground(true);
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
