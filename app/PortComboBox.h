#pragma once
// The port box: an editable combo box that says when its list is about to drop
// down, so the window can rebuild the list from the ports present right then.
// Being a class of its own, the form translator also leaves its items alone: they
// are port names, not texts of the language file.

#include <QComboBox>

class TPortComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        emit DropDown();
        QComboBox::showPopup();
    }

signals:
    void DropDown();
};
