#include "services/UnitLangManager.h"
#include "services/TrimControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

const char* const LanguageFileName = "language.ini";

// Windows-1252 differs from Latin 1 only in 0x80 to 0x9F.
QString DecodeWindows1252(const QByteArray& Bytes)
{
    static const char16_t High[32]
        = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
           0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(Bytes.size());
    for (char c : Bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += (b >= 0x80 && b <= 0x9F) ? QChar(High[b - 0x80]) : QChar(b);
    }
    return text;
}

// UTF-8, with or without a byte-order mark; anything that is not valid UTF-8
// is taken as Windows-1252, the code page such files are written in elsewhere.
QString DecodeLanguageFile(const QByteArray& Bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(Bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return DecodeWindows1252(Bytes);
}

}  // namespace

TLangManager::TLangManager()
{
    const QString here = QDir::current().absoluteFilePath(QLatin1String(LanguageFileName));
    FFileName = here;
    // Started from a desktop launcher, the current directory is seldom the
    // program's own; the file beside the program is the fallback.
    if (!QFileInfo::exists(here) && QCoreApplication::instance()) {
        const QString besideProgram
            = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QLatin1String(LanguageFileName));
        if (QFileInfo::exists(besideProgram))
            FFileName = besideProgram;
    }
    Load();
}

TLangManager::TLangManager(const QString& FileName)
    : FFileName(FileName)
{
    Load();
}

QString TLangManager::SectionName(std::uint8_t Language)
{
    return Language == 1 ? QStringLiteral("German") : QStringLiteral("English");
}

void TLangManager::Load()
{
    FSections.clear();
    FLoadError.clear();
    QFile file(FFileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // The program goes on with "n.d." texts; the caller can report this.
        FLoadError = QStringLiteral("Cannot open the language file %1: %2")
                         .arg(QDir::toNativeSeparators(FFileName), file.errorString());
        return;
    }
    Parse(DecodeLanguageFile(file.readAll()));
}

void TLangManager::Parse(const QString& Text)
{
    TSection* current = nullptr;
    QString normalized = Text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normalized.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = TrimControl(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            // A section named again starts afresh: only its last block counts.
            const QString name = TrimControl(line.mid(1, line.size() - 2)).toUpper();
            current = &FSections[name];
            current->clear();
            continue;
        }
        if (!current)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        // Later occurrences of a key replace earlier ones.
        current->insert(TrimControl(line.left(equals)).toUpper(), TrimControl(line.mid(equals + 1)));
    }
}

QString TLangManager::Translate(const QString& Key) const
{
    const auto section = FSections.constFind(SectionName(FLanguage).toUpper());
    if (section == FSections.constEnd())
        return NotDefined;
    const auto entry = section->constFind(Key.toUpper());
    return entry == section->constEnd() ? NotDefined : entry.value();
}
