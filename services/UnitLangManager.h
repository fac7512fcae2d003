#pragma once
// The language manager: loads "language.ini" once and answers texts by key in
// the selected language (about/FormTranslator applies them to whole forms).

#include <QHash>
#include <QString>

#include <cstdint>

class TLangManager {
public:
    // Text for every key or section that is not found.
    static inline const QString NotDefined = QStringLiteral("n.d.");

    // Loads "language.ini" from the current directory or, when it is not there,
    // from the directory of the program file. A missing file is not an error.
    TLangManager();
    // Loads the given file (tests, or a program that knows where its file is).
    explicit TLangManager(const QString& FileName);

    // 0 English, 1 German. Setting it translates nothing by itself.
    std::uint8_t Language() const { return FLanguage; }
    void SetLanguage(std::uint8_t Value) { FLanguage = Value; }

    // The text of Key in the selected language's section, or "n.d.".
    QString Translate(const QString& Key) const;

    // The language file's full path (also when it does not exist).
    QString FileName() const { return FFileName; }
    // Why an existing language file could not be read, or empty. Every text
    // is then "n.d.".
    QString LoadError() const { return FLoadError; }

    // Section name of a language value: "English" for 0, "German" for 1.
    static QString SectionName(std::uint8_t Language);

private:
    using TSection = QHash<QString, QString>;

    void Load();
    void Parse(const QString& Text);

    QString FFileName;
    QString FLoadError;
    // Upper-cased section name -> upper-cased key -> value.
    QHash<QString, TSection> FSections;
    std::uint8_t FLanguage = 0;
};
