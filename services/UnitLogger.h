#pragma once
// The application log "log.txt" and the reader of a program file's version
// information and date.

#include <QFile>
#include <QString>

#include <functional>
#include <memory>

// Version fields of a program file. Empty where the file has no version
// information.
struct TVersionInfo {
    QString FileVersion;
    QString Comments;
    QString CompanyName;
    QString FileDate;
    QString ProductName;
};

// Shows a plain message with an OK button. The program installs a Qt message
// box; until then (and in tests and non-GUI programs) the message goes to the
// Qt warning output and nothing modal appears.
using TMessageBoxHook = std::function<void(const QString& Message)>;

class TCalibLog {
public:
    // The largest log kept at start; a bigger one is archived.
    static constexpr qint64 MaxLogSize = 2097152;

    // Opens or creates "log.txt" in the current directory, archives it when it
    // is too big, and writes "Application starts". Never throws: a failure is
    // shown through the message-box hook and the log goes on without a file.
    TCalibLog();
    ~TCalibLog();
    TCalibLog(const TCalibLog&) = delete;
    TCalibLog& operator=(const TCalibLog&) = delete;

    // Appends "<short date> <long time>  <Message>" and CR LF. Does nothing
    // when the log has no file.
    void WriteLine(const QString& Message);

    // Whether a log file is open.
    bool HasFile() const;
    // Name the old log was archived under at construction, or empty.
    QString ArchiveName() const;

    // Fills Info from the version block of FileName and its modification date.
    void GetVersionInfo(const QString& FileName, TVersionInfo& Info) const;
    // FileName's modification date in the short date format; "" for a blank
    // name, today's date for a file that cannot be found.
    QString GetFileDate(const QString& FileName) const;

    static void SetMessageBoxHook(TMessageBoxHook Hook);

private:
    void OpenLog();
    void CheckLogSize();
    bool ArchiveOldLog();
    static void ShowMessage(const QString& Message);

    std::unique_ptr<QFile> FFile;
    QString FArchiveName;
};
