#pragma once
// The USB serial adapters and CDC ACM modems of this machine, which have names
// of their own besides the COM ports: their device paths, each kind in numeric
// order (/dev/ttyUSB0, /dev/ttyUSB1, /dev/ttyUSB10, /dev/ttyACM0, ...). Empty
// on Windows, where they are COM ports like any other. Used by the window's
// port list and by the command-line tool's "ports".

#include <QStringList>

QStringList AdapterPortPaths();
