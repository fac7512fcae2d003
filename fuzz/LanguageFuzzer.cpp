// The language file loader and Translate: the input is a whole language file.
// Loading never fails (an unreadable file only leaves every text "n.d."), and
// Translate answers every key in both languages.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

#include "services/UnitLangManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static QTemporaryDir Dir;
    static const QString FileName = Dir.filePath(QStringLiteral("language.ini"));
    {
        QFile File(FileName);
        if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        File.write(reinterpret_cast<const char*>(Data), qint64(Size));
    }
    TLangManager Lang(FileName);
    static const char* const Keys[]
        = {"141.TRANSMITTERTIMEOUT", "frmMain.Caption", "", "[English]", "A", "a", "=", "k"};
    for (uint8_t Language : {uint8_t(0), uint8_t(1), uint8_t(7)}) {
        Lang.SetLanguage(Language);
        for (const char* Key : Keys)
            (void)Lang.Translate(QString::fromLatin1(Key));
        // A key taken from the input itself, so the fuzzer can reach a hit.
        const int Eq = QByteArray(reinterpret_cast<const char*>(Data), int(Size)).indexOf('=');
        if (Eq > 0)
            (void)Lang.Translate(
                QString::fromUtf8(reinterpret_cast<const char*>(Data), Eq).section('\n', -1).trimmed());
    }
    return 0;
}
