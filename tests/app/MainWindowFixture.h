#pragma once
// The main window under test: a temporary current directory holding
// language.ini (and the log), settings redirected below it, simulated
// transmitters on named ports at instant pace, scripted dialogs, and the
// application's default error display recorded instead of shown.

#include "tests/common/ScriptedOperatorDialogs.h"
#include "ports/SerialDeviceFactory.h"
#include "app/UnitFrmMain.h"
#include "app/workflows/ChartPanels.h"
#include "app/workflows/ConfigWorkflow.h"
#include "app/workflows/MonitorWorkflow.h"
#include "app/workflows/WriteWorkflow.h"
#include "services/UnitLangManager.h"
#include "sim/SimSerialDevice.h"
#include "sim/SimTransmitter.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class TMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A transmitter behind a simulated line named Port (instant line, virtual clock).
    TSimTransmitter& AddTransmitter(const std::string& Port, const TSimDeviceState& State = {});
    TSimSerialDevice& Line(const std::string& Port) { return *Factory->Line(Port); }

    // The registry values as a previous run left them.
    void StorePreferences(int Left, int Top, int Width, int Height, int State, int Splitter);
    void RemovePreferences();
    QSettings Registry() const;

    // Creates the window (FormCreate); Show also shows it (FormShow).
    TfrmMain& Create();
    TfrmMain& Start();

    // The text of Key in the language file's section for Language (0 English, 1 German).
    QString Text(const QString& Key, int Language = 0) const;
    // The messages of log.txt, without their time stamps.
    QStringList LogMessages() const;
    // The part of the log written since the last call of MarkLog.
    void MarkLog() { FLogMark = LogMessages().size(); }
    QStringList LogSinceMark() const { return LogMessages().mid(FLogMark); }

    std::vector<std::unique_ptr<TSimTransmitter>> Transmitters;
    std::shared_ptr<TSimPortFactory> Factory;
    std::unique_ptr<TfrmMain> Window;
    TScriptedOperatorDialogs* Dialogs = nullptr;
    QStringList ApplicationErrors;  // what the default error display showed

private:
    QTemporaryDir FDir;
    QString FPreviousDir;
    int FLogMark = 0;
};
