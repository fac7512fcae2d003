#pragma once
// TFrmDeviceStatus: the device's health in full, beside the main window (not
// modal): the NE 107 class, every set bit of the device status in words,
// command 48's bytes and their bits, the write protection and the time of the
// last update, with buttons to read the status again and to reset the
// configuration-changed flag. The status workflow fills it and connects the
// buttons; the form translator gives its headings and buttons their texts.

#include "hart/DeviceStatus.h"

#include <QDateTime>
#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

using TTranslate = std::function<QString(const QString& Key)>;

// A status word in the language of Translate, its numbers filled in.
QString StatusWordText(const TStatusWord& Word, const TTranslate& Translate);
// Words one per line; the text of "DS.NONE" when there are none.
QString StatusWordLines(const std::vector<TStatusWord>& Words, const TTranslate& Translate);

class TFrmDeviceStatus : public QDialog {
public:
    explicit TFrmDeviceStatus(QWidget* Parent);

    // Health as last seen and its class (nothing seen yet: Health null).
    void ShowHealth(const TDeviceHealth* Health, TNe107Class Class, const QDateTime& Updated,
                    const TTranslate& Translate);

    QLabel *stStatusClass = nullptr, *stStatusBits = nullptr, *stStatusAdditional = nullptr;
    QLabel *stStatusWriteProtect = nullptr, *stStatusUpdated = nullptr;
    QPushButton *btnReadStatus = nullptr, *btnResetChanged = nullptr, *btnCloseStatus = nullptr;
};
