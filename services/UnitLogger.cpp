#include "services/UnitLogger.h"

#include "services/LocaleDateTime.h"
#include "services/VersionBlock.h"
#include "services/TrimControl.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

namespace {

const char* const LogFileName = "log.txt";

// Archives of one second get a counter; this many are tried before the old
// log is kept as it is.
constexpr int MaxArchiveAttempts = 100;

TMessageBoxHook& MessageBoxHook()
{
    static TMessageBoxHook hook;
    return hook;
}

// "log_DDMMYY_HHNNSS": the date and time with their separators removed and the
// blank between them turned into "_". Built from the numbers, so the name has
// the same shape under every locale.
QString ArchiveBaseName(const QDateTime& Now)
{
    const QDate d = Now.date();
    const QTime t = Now.time();
    return QString::asprintf("log_%02d%02d%02d_%02d%02d%02d", d.day(), d.month(), d.year() % 100, t.hour(), t.minute(),
                             t.second());
}

}  // namespace

void TCalibLog::SetMessageBoxHook(TMessageBoxHook Hook)
{
    MessageBoxHook() = std::move(Hook);
}

void TCalibLog::ShowMessage(const QString& Message)
{
    if (MessageBoxHook())
        MessageBoxHook()(Message);
    else
        qWarning("%s", qPrintable(Message));
}

TCalibLog::TCalibLog()
{
    try {
        OpenLog();
        if (FFile)
            CheckLogSize();
        WriteLine(QStringLiteral("Application starts"));
    } catch (const std::exception& e) {
        FFile.reset();
        ShowMessage(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        FFile.reset();
        ShowMessage(QStringLiteral("The log file %1 cannot be opened.").arg(QLatin1String(LogFileName)));
    }
}

TCalibLog::~TCalibLog() = default;

void TCalibLog::OpenLog()
{
    // Append mode: every write goes to the end, whoever else writes the file.
    auto file = std::make_unique<QFile>(QDir::current().absoluteFilePath(QLatin1String(LogFileName)));
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        ShowMessage(QStringLiteral("Cannot create or open the log file %1: %2")
                        .arg(QDir::toNativeSeparators(file->fileName()), file->errorString()));
        return;
    }
    FFile = std::move(file);
}

void TCalibLog::CheckLogSize()
{
    if (FFile->size() <= MaxLogSize)
        return;
    const QString logPath = FFile->fileName();
    FFile->close();
    FFile.reset();
    // When no archive name can be given, the old log stays and is appended to:
    // its content is never lost.
    ArchiveOldLog();
    auto file = std::make_unique<QFile>(logPath);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        ShowMessage(QStringLiteral("Cannot create or open the log file %1: %2")
                        .arg(QDir::toNativeSeparators(logPath), file->errorString()));
        return;
    }
    FFile = std::move(file);
}

bool TCalibLog::ArchiveOldLog()
{
    const QDir dir = QDir::current();
    const QString logPath = dir.absoluteFilePath(QLatin1String(LogFileName));
    const QString base = ArchiveBaseName(QDateTime::currentDateTime());
    for (int attempt = 0; attempt < MaxArchiveAttempts; ++attempt) {
        const QString name
            = attempt == 0 ? base + QStringLiteral(".txt") : QStringLiteral("%1_%2.txt").arg(base).arg(attempt);
        const QString path = dir.absoluteFilePath(name);
        // QFile::rename never replaces an existing file.
        if (QFileInfo::exists(path))
            continue;
        if (QFile::rename(logPath, path)) {
            FArchiveName = name;
            return true;
        }
        return false;
    }
    return false;
}

bool TCalibLog::HasFile() const
{
    return FFile != nullptr;
}

QString TCalibLog::ArchiveName() const
{
    return FArchiveName;
}

void TCalibLog::WriteLine(const QString& Message)
{
    if (!FFile)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QString text
        = ShortDateText(now.date()) + QLatin1Char(' ') + LongTimeText(now.time()) + QStringLiteral("  ") + Message;
    QByteArray bytes = text.toLocal8Bit();
    bytes.append("\r\n", 2);
    // One write per line; a failed or short write is not reported.
    FFile->write(bytes);
    FFile->flush();
}

QString TCalibLog::GetFileDate(const QString& FileName) const
{
    const QString name = TrimControl(FileName);
    if (name.isEmpty())
        return QString();
    const QFileInfo info(name);
    QDateTime stamp;
    if (info.exists() && info.isFile() && !info.isHidden())
        stamp = info.lastModified().toLocalTime();
    if (!stamp.isValid())
        return ShortDateText(QDate::currentDate());
    // File dates resolve to two seconds.
    const QTime t = stamp.time();
    stamp.setTime(QTime(t.hour(), t.minute(), t.second() - t.second() % 2));
    return ShortDateText(stamp.date());
}

void TCalibLog::GetVersionInfo(const QString& FileName, TVersionInfo& Info) const
{
    Info.FileDate = GetFileDate(FileName);
    const QString name = TrimControl(FileName);
    const QMap<QString, QString> values = name.isEmpty() ? QMap<QString, QString>() : ReadVersionStrings(name);
    Info.ProductName = values.value(QStringLiteral("ProductName"));
    Info.FileVersion = values.value(QStringLiteral("FileVersion"));
    Info.Comments = values.value(QStringLiteral("Comments"));
    Info.CompanyName = values.value(QStringLiteral("CompanyName"));
}
