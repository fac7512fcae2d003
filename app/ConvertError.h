#pragma once
// A text that should be a number or a date and is not (a port name without a
// number, a date field that is no date). Shown by the application's default
// error display.

#include <QString>

#include <stdexcept>

class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString& Message)
        : std::runtime_error(Message.toStdString())
    {
    }
    QString Message() const { return QString::fromStdString(what()); }
};
