#pragma once
// TFrmFrames: every exchange of the window's link, request and reply in hex
// with their fields decoded (the same text as calvista-cli --frames), the
// newest at the bottom. The last MaxExchanges are kept; older ones go. A
// window beside the main window (not modal), with buttons to copy the text
// and save it as a text file (through the status workflow).

#include <QDialog>
#include <QString>

#include <deque>

class QPlainTextEdit;
class QPushButton;

class TFrmFrames : public QDialog {
public:
    static constexpr int MaxExchanges = 10000;

    explicit TFrmFrames(QWidget* Parent);

    // One exchange's text (lines separated by '\n').
    void Add(const QString& Exchange);
    void Clear();
    int Count() const { return int(FExchanges.size()); }
    // Every kept exchange, oldest first, each ending with a line break.
    QString Text() const;

    QPlainTextEdit* memFrames = nullptr;
    QPushButton *btnCopyFrames = nullptr, *btnSaveFrames = nullptr, *btnClearFrames = nullptr;
    QPushButton* btnCloseFrames = nullptr;

private:
    std::deque<QString> FExchanges;
};
