#pragma once
// calvista-cli: what the window does to a transmitter, from a command line.
// RunCli parses the arguments, runs one command and answers the exit status:
//   0 done, 1 the transmitter, the link or a file failed, 2 a usage error,
//   3 a write that did not verify, 4 a transmitter in the class of
//   status --fail-on or a more severe one; a monitor run stopped by a signal before
//   its --count: 128 + the signal (130 SIGINT, 143 SIGTERM, 129 SIGHUP).

#include "cli/CliPorts.h"

#include <QString>
#include <QStringList>

#include <functional>

class QTextStream;

enum TCliExit { CliDone = 0, CliFailed = 1, CliUsage = 2, CliUnverified = 3, CliUnhealthy = 4 };

struct TCliEnvironment {
    QTextStream* Out = nullptr;
    QTextStream* Err = nullptr;
    // The devices behind port names (CreateCliDevice by default).
    TDeviceFactory CreateDevice = CreateCliDevice;
    // The network links behind HART-IP port names (CreateNetworkTransport by default).
    THartCom::TTransportOpener CreateTransport = CreateNetworkTransport;
    // The language file; empty: "language.ini" in the current directory or
    // beside the program.
    QString LanguageFile;
    // Called after each monitoring sample with the number taken (tests).
    std::function<void(int Samples)> AfterSample;
    // The operator's typed answers; null: standard input.
    QTextStream* In = nullptr;
    // Called while a command holds the loop current fixed (tests).
    std::function<void()> WhileHeld;
};

// Arguments as main gets them: the program name first.
int RunCli(const QStringList& Arguments, TCliEnvironment& Environment);
