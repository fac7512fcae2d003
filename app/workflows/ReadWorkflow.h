#pragma once
// Read: the port is reset and opened, and the identity, output, unit and
// description of the transmitter are read into the fields. What was read stays
// here for the workflows that need it (the pressure unit of the charts).

#include "hart/HartCommand.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class TMainView;
class TSerialDeviceFactory;
class TTransmitterRead;
struct TPendingEdits;
struct TfrmMainUi;

class TReadWorkflow {
public:
    TReadWorkflow(TMainView& View, TSerialDeviceFactory& Factory, TPendingEdits& Edits);

    void acReadExecute();
    void ResetPort(const QString& PortName);
    void ReadDeviceIdentity();
    void ReadDeviceOutput();
    void ShowUnit();
    void ReadDeviceDescription();

    THartDevInfo DevInfo;
    TSensorInfo SensorInfo;
    TPrVarInfo OutputInfo;
    std::string Tag, Descriptor;
    uint16_t Year = 0;
    uint8_t Month = 0, Day = 0;
    // The last read completed; false from the start of a read until its end.
    bool DeviceRead = false;
    // HART 6/7 identity and long tag of the last read.
    THartIdentity Identity;
    std::string LongTag;
    // Not empty: the read finds the transmitter by this tag (command 11).
    std::string FindTag;
    // Called at the end of every read, also a failed one.
    std::function<void()> AfterRead;

private:
    // The shared read sequence, logging to the window's log.
    TTransmitterRead Reader();
    void ShowStepStatus(const QString& Key);
    void SetPressureAxisTitle(const QString& Title);

    TMainView& FView;
    const TfrmMainUi& FUi;
    TSerialDeviceFactory& FFactory;
    TPendingEdits& FEdits;
};
