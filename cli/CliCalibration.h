#pragma once
// loop-test, trim-output and calibrate: the loop current fixed for a while,
// the output trimmed against a reference meter, and the as-found/as-left
// check with its CSV and certificate.

#include "cli/CliCommands.h"

class QCommandLineParser;

bool IsCalibrationCommand(const QString& Command);
void AddCalibrationOptions(QCommandLineParser& Parser, const QString& Command);
// ECliUsage for values the command cannot use.
void TakeCalibrationOptions(TCliOptions& Options, const QCommandLineParser& Parser);

// Exit 2 without --yes; after a stop signal 128 + the signal, once the
// current is released.
int RunLoopTest(TCliSession& Session);
int RunTrimOutput(TCliSession& Session);
// Exit 0 when every point passes, 4 when one is out of tolerance.
int RunCalibrate(TCliSession& Session);
