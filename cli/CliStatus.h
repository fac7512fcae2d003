#pragma once
// status and reset-changed: the transmitter's health in words, and the reset
// of its configuration-changed flag.

#include "cli/CliCommands.h"

class QCommandLineParser;

bool IsStatusCommand(const QString& Command);
// --json, --fail-on CLASS, and --yes for reset-changed.
void AddStatusOptions(QCommandLineParser& Parser, const QString& Command);
// ECliUsage for a class --fail-on does not know.
void TakeStatusOptions(TCliOptions& Options, const QCommandLineParser& Parser);

// Exit 0 when the exchanges worked, whatever the transmitter reports; 4 when
// it is in the class of --fail-on or a more severe one; for reset-changed 3
// when the flag is still set afterwards.
int RunStatus(TCliSession& Session);
int RunResetChanged(TCliSession& Session);
