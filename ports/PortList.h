#pragma once
// The ports a front end offers: COM1 to COM40, then the USB serial adapters
// and CDC ACM modems by path (POSIX systems only; on Windows they are COM
// ports like any other), each kept only if it can be opened now.

#include <functional>
#include <string>
#include <vector>

class TSerialDevice;

// /dev/ttyUSB* then /dev/ttyACM*, each kind in numeric order (/dev/ttyUSB2
// before /dev/ttyUSB10). Empty on Windows.
std::vector<std::string> AdapterPortPaths();

// "COM1" to "COM40", then Others, in that order, as far as CanOpen takes them.
std::vector<std::string> OpenablePorts(const std::vector<std::string>& Others,
                                       const std::function<bool(const std::string& Name)>& CanOpen);

// Opens Device on Path and closes it again; whether that worked.
bool PortOpens(TSerialDevice* Device, const std::string& Path);
