#pragma once
// Helpers shared by the tests of several folders: a temporary current directory and a
// default locale that is put back afterwards.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Makes a fresh temporary directory the current one for the test's lifetime.
class TTempCurrentDir {
public:
    TTempCurrentDir()
        : FOld(QDir::currentPath())
    {
        EXPECT_TRUE(FDir.isValid());
        EXPECT_TRUE(QDir::setCurrent(FDir.path()));
    }
    ~TTempCurrentDir() { QDir::setCurrent(FOld); }
    QString Path() const { return FDir.path(); }
    QString File(const QString& Name) const { return FDir.filePath(Name); }

private:
    QTemporaryDir FDir;
    QString FOld;
};

// Sets the default locale and restores the previous one.
class TLocaleGuard {
public:
    explicit TLocaleGuard(const QLocale& Locale)
        : FOld(QLocale())
    {
        QLocale::setDefault(Locale);
    }
    ~TLocaleGuard() { QLocale::setDefault(FOld); }

private:
    QLocale FOld;
};

inline QLocale GermanLocale()
{
    return QLocale(QLocale::German, QLocale::Germany);
}
inline QLocale EnglishLocale()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

inline QByteArray ReadAll(const QString& Path)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool WriteAll(const QString& Path, const QByteArray& Bytes)
{
    QFile file(Path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(Bytes) == Bytes.size();
}
