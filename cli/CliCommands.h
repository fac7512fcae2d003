#pragma once
// The commands of calvista-cli and what they share: the parsed options, the
// opened link with its language, and the error that ends a command as a usage
// error.

#include "cli/CliTool.h"
#include "hart/HartCommand.h"
#include "services/ShownText.h"
#include "services/UnitLangManager.h"
#include "transmitter/TransmitterRead.h"

#include <QString>
#include <QTextStream>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct TCliOptions {
    QString Command;
    QString Port;
    bool Usb = false;
    bool HartSensor = true;
    std::uint8_t Language = 0;
    bool Frames = false;
    // which transmitter: its polling address or its tag; as which master
    std::uint8_t Address = 0;
    QString FindTag;
    bool Secondary = false;
    // read
    bool Json = false;
    // write
    std::optional<QString> Tag, Descriptor, Date, Unit, Range, Damping, LongTag;
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
    // scan; set-address
    std::uint8_t FirstAddress = 0, LastAddress = 15;
    std::uint8_t NewAddress = 0;
    // loop-test, trim-output, calibrate (with Yes)
    std::optional<double> CurrentMa, HoldS, ZeroMa, GainMa;
    std::vector<double> Points, References;
    double Tolerance = 0.25;
    bool AsLeft = false;
    QString CsvFile, PdfFile;
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
    // The read sequence for the transmitter the options name (address or tag).
    TTransmitterRead Reader();
    // HART 6/7 fields of the transmitter Connect identified.
    const THartIdentity& Identity() { return FHart->Identity(); }
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
int RunScan(TCliSession& Session);
int RunSetAddress(TCliSession& Session);
// write --long-tag: command 22, verified with command 20.
int WriteLongTag(TCliSession& Session, const QString& LongTag);
