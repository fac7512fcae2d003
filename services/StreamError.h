#pragma once
// A file could not be read or written (data logs, configuration files). The
// message says why, in plain English; an error with a language key can also be
// told in the window's language.

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class EStreamError : public std::runtime_error {
public:
    // Message: the English text, without a key.
    explicit EStreamError(const QString& Message);
    // Key: the language key of the text; English: the same text in English.
    // Both fill %1, %2 ... with Arguments, which are shown escaped and shortened
    // (ShownText): they come from file names, files and the system.
    EStreamError(const QString& Key, const QString& English, const QStringList& Arguments);

    // The same error, said of the file FileName (a reason found in its bytes).
    EStreamError InFile(const QString& FileName) const;

    QString Message() const { return QString::fromUtf8(what()); }
    QString Key() const { return FKey; }
    // The text in the language Translate answers in; a key it does not know
    // ("n.d.") leaves the English text.
    QString Text(const std::function<QString(const QString&)>& Translate) const;

private:
    QString FKey, FEnglish;
    QStringList FArguments;
    QString FFileName;
};

// Pattern with %1 ... %9 replaced by Arguments in one pass: an argument that
// holds "%2" itself stays as it is.
QString FillPattern(const QString& Pattern, const QStringList& Arguments);
