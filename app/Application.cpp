#include "app/Application.h"

#include "services/ShownText.h"

#include <QMessageBox>

#include <exception>

namespace {

QString& TitleText()
{
    static QString title = QStringLiteral("Calvista HART-/i-Devices");
    return title;
}

TApplication::TErrorDisplay& ErrorDisplay()
{
    static TApplication::TErrorDisplay display;
    return display;
}

}  // namespace

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        ShowException(CurrentExceptionMessage());
        return false;
    }
}

QString TApplication::Title()
{
    return TitleText();
}

void TApplication::SetTitle(const QString& Title)
{
    TitleText() = Title;
}

void TApplication::SetErrorDisplay(TErrorDisplay Display)
{
    ErrorDisplay() = std::move(Display);
}

void TApplication::ShowException(const QString& Text)
{
    // A message may carry a file name or a value from a file: control bytes
    // and very long values are shown escaped and shortened.
    const QString Message = ShownText(Text);
    if (ErrorDisplay()) {
        ErrorDisplay()(Message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, Title(), Message, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void TApplication::Guard(const std::function<void()>& Handler)
{
    try {
        Handler();
    } catch (...) {
        ShowException(CurrentExceptionMessage());
    }
}

QString TApplication::CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}
