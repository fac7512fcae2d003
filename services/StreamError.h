#pragma once
// A file could not be read or written (data logs, configuration files). The
// message says why, in plain English.

#include <QString>

#include <stdexcept>

class EStreamError : public std::runtime_error {
public:
    explicit EStreamError(const QString& Message)
        : std::runtime_error(Message.toStdString())
    {
    }
    QString Message() const { return QString::fromStdString(what()); }
};
