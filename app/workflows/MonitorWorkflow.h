#pragma once
// Monitoring and data logging: the timer polls the transmitter, both charts get
// a point per tick, and while "Save datalog" is ticked every sample goes into
// the data logger until the capacity is reached or the operator stops.

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QCheckBox;
class QObject;
class TBurstSession;
struct TMonitoringSample;
class TCurve;
class TDataloger;
class TMainView;
struct TSensorInfo;
struct TfrmMainUi;

class TMonitorWorkflow {
public:
    // Sensor: what the last read found (the pressure unit of the chart).
    TMonitorWorkflow(TMainView& View, const TSensorInfo& Sensor);
    ~TMonitorWorkflow();

    void acStartMonitoringExecute();
    void acStopMonitoringExecute();
    void tmrMonitorTimer();
    void MonitorTick();
    void SaveDatalog();
    // "Save data log…": the samples of the last recording, while not saved.
    void acSaveDatalogExecute();
    // True while a finished recording's samples wait to be saved.
    bool UnsavedSamples() const;
    // "Save data log…" is enabled exactly while unsaved samples wait.
    void UpdateSaveDatalogAction();
    void InitPressureCurve();
    void InitCurrentCurve();
    // The datalog controls follow "Save datalog"; capacity and rate start over.
    void chbSaveDatalogClick();
    void EnableDatalogControls();
    // True while the timer records samples.
    bool Recording() const;
    // Asked before the window closes (and before a new recording replaces the
    // samples): false when the operator keeps them.
    bool QueryUnsavedDatalog(const QString& QuestionKey = QStringLiteral("W5.frmMain"));
    // The window closes: the timer stops, samples and curves go.
    void EndAtClose();
    // The shortest rate one exchange with the transmitter allows on the line in use.
    double ShortestMonitorRate() const;

    // The data logger while monitoring has prepared one, else null.
    std::unique_ptr<TDataloger> Dataloger;
    TCurve *PressureCurve = nullptr, *CurrentCurve = nullptr;
    // The sampling period in seconds, fixed when monitoring starts.
    double MonitorRate = 0;
    int32_t Capacity = 0;
    // Seconds from the recording's first sample to its latest one.
    double ElapsedTime = 0;
    // Where the save dialog opens: the folder of the last data log saved.
    QString DatalogDir;

private:
    // What a recording locks, and how to unlock it.
    void LockForRecording(bool Locked);
    void EndRecordingControls();
    bool ReadCapacity();
    bool ReadRate();
    void StopAfterLinkError(const QString& Key);
    // Burst mode (MonitorBurst.cpp): the "Burst" choice beside the rate, the
    // session that holds burst mode while recording, its end on every stop.
    void AddBurstChoice();
    bool BurstChosen() const;
    void TakeBurstSample(TMonitoringSample& Sample, int64_t& LinkUs);
    void EndBurst();
    QCheckBox* FBurstChoice = nullptr;
    std::unique_ptr<TBurstSession> FBurst;

    TMainView& FView;
    const TfrmMainUi& FUi;
    const TSensorInfo& FSensor;
    // The link clock when the recording's first sample was taken.
    std::optional<int64_t> FFirstSampleUs;
    // Enabled states of the controls a recording disables, to be restored after it.
    QList<QPair<QObject*, bool>> FLockedByRecording;
};
