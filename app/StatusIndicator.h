#pragma once
// TStatusIndicator: the device's health at the right end of the status bar,
// as the NE 107 class in its colour and word with the set status bits in
// words. A click opens the device status dialog (OnClick). It is a QLabel of
// its own class, so the form translator leaves its text alone.

#include "hart/DeviceStatus.h"

#include <QLabel>

#include <functional>

class TStatusIndicator : public QLabel {
public:
    explicit TStatusIndicator(QWidget* Parent = nullptr);

    // No status seen yet: Text in neutral colours.
    void ShowUnknown(const QString& Text);
    // Class in its colour, Text beside it; the tool tip holds the whole text.
    void ShowClass(TNe107Class Class, const QString& Text);
    TNe107Class Class() const { return FClass; }
    bool Known() const { return FKnown; }

    std::function<void()> OnClick;

    // The background colour of a class (NE 107's usual signal colours).
    static QColor ClassColor(TNe107Class Class);

    // As wide as its text, but never so wide that the status text panel gets
    // narrower than it would be without the indicator on a window of 800
    // pixels; a cut text is whole in the tool tip.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
    // The window's width decides how wide the indicator may be.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TNe107Class FClass = TNe107Class::Good;
    bool FKnown = false;
};
