#pragma once
// The platform's serial device opened by port name: on POSIX systems "COMn",
// "COMn:" and "\\.\COMn" open /dev/ttyS(n-1) and a path is opened as it is;
// on Windows every name goes to the system as it is.

#include "hart/SerialDevice.h"

#include <memory>

std::unique_ptr<TSerialDevice> CreatePortDevice();
