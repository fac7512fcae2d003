#pragma once
// The commands of calvista-cli and what they share: the parsed options, the
// opened link with its language, and the error that ends a command as a usage
// error.

#include "cli/CliTool.h"
#include "hart/HartCommand.h"
#include "services/ShownText.h"
#include "services/UnitLangManager.h"

#include <QString>
#include <QTextStream>

#include <memory>
#include <optional>
#include <stdexcept>

struct TCliOptions {
    QString Command;
    QString Port;
    bool Usb = false;
    bool HartSensor = true;
    std::uint8_t Language = 0;
    bool Frames = false;
    // read
    bool Json = false;
    // write
    std::optional<QString> Tag, Descriptor, Date, Unit, Range, Damping;
    // save-cfg, apply-cfg; trim
    QString File;
    QString Trim;
    bool Yes = false;
    // monitor
    QString Rate, Count, Log;
    bool Csv = false;
    bool Burst = false;
    // status, reset-changed (with Json, Yes)
    QString FailOn;
};

// A value the command cannot use: exit 2 with the message and the usage text.
class ECliUsage : public std::runtime_error {
public:
    explicit ECliUsage(const QString& Message)
        : std::runtime_error(Message.toStdString())
    {
    }
    QString Message() const { return QString::fromStdString(what()); }
};

// One command's link and texts.
class TCliSession {
public:
    TCliSession(const TCliOptions& Options, TCliEnvironment& Environment);
    ~TCliSession();

    const TCliOptions& Options;
    TCliEnvironment& Environment;
    QTextStream& Out;
    QTextStream& Err;
    TLangManager Lang;

    THart& Hart() { return *FHart; }
    // Opens the port, applies the RTS rules and identifies the transmitter
    // (command 0); EHartComError on failure.
    THartDevInfo Connect();
    QString Translate(const QString& Key) const;
    // "calvista-cli: text (key)" on standard error; returns the exit status.
    int Report(const QString& Key, int Status, const QString& Detail = QString());
    // "calvista-cli: Message" on standard error, shown with ShownText.
    void Note(const QString& Message);
    int Error(const QString& Message, int Status = CliFailed);

private:
    std::unique_ptr<THart> FHart;
};

int RunRead(TCliSession& Session);
int RunWrite(TCliSession& Session);
int RunSaveCfg(TCliSession& Session);
int RunApplyCfg(TCliSession& Session);
int RunTrim(TCliSession& Session);
int RunMonitor(TCliSession& Session);
