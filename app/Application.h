#pragma once
// TApplication: the program's QApplication. It is the last line of error
// handling: an exception that leaves an event handler is caught in notify and
// its message shown in an error box, so nothing escapes into Qt. The window's
// action and control handlers run through Guard, which shows an escaping
// exception the same way at the point where the handler was called.

#include <QApplication>
#include <QString>

#include <functional>

class TApplication : public QApplication {
    Q_OBJECT
public:
    // Shows the message of an exception nobody else handled.
    using TErrorDisplay = std::function<void(const QString& Message)>;

    TApplication(int& argc, char** argv);

    bool notify(QObject* Receiver, QEvent* Event) override;

    // The application title, used as the caption of its message boxes.
    static QString Title();
    static void SetTitle(const QString& Title);

    // The default error display: an error box with OK, or whatever a test installs.
    static void SetErrorDisplay(TErrorDisplay Display);
    static void ShowException(const QString& Message);
    // Runs Handler; an exception leaving it goes to ShowException.
    static void Guard(const std::function<void()>& Handler);
    // The message of the exception being handled (inside a catch block).
    static QString CurrentExceptionMessage();
};
