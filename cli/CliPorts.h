#pragma once
// Where calvista-cli's serial devices come from: the platform's ports, and
// "SIM", a simulated transmitter in this process (at the pace of a 1200-baud
// line, or instantly when CALVISTA_SIM_INSTANT is set to 1, for scripts and
// tests that should not wait).

#include "hart/HartCom.h"
#include "hart/SerialDevice.h"
#include "ports/NetworkPort.h"
#include "ports/SimPort.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A simulated line with a transmitter behind it (tests borrow theirs).
using TCliSimDevice = TSimTransmitterLine;

using TDeviceFactory = std::function<std::unique_ptr<TSerialDevice>(const QString& Port)>;

// "SIM" (any case) gives the simulated transmitter, every other name a device
// of the platform.
std::unique_ptr<TSerialDevice> CreateCliDevice(const QString& Port);

// The name to open for a port as the window's port box takes it: a path stays
// a path; on Windows COM10 and above become \\.\COMn.
QString CliDevicePath(const QString& Port);

// COM1 to COM40, then the USB and ACM adapters by path, that can be opened
// now, and "SIM" last.
QStringList CliPortList(const TDeviceFactory& Factory);
