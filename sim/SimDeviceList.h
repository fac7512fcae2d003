#pragma once
// Several simulated transmitters on one line, described in a few words: a
// number N (N transmitters at polling addresses 0 to N-1, HART 5, 6 and 7 in
// turn, each with its own id and tags), or a description file with one
// transmitter per line:
//
//   # address rev id tag ...; words not given keep the first line's values
//   address=0 tag=PT-101
//   address=4 rev=6 id=1001 tag=PT-104 long-tag="Feed pump 4 discharge"
//   address=9 rev=7 id=1002 tag=PT-109 busy=2 delayed=5
//
// Words: address (0-63), rev (5, 6, 7), id (24 bits), manufacturer,
// device-type, tag, long-tag, descriptor, busy (the first N requests are
// answered busy), delayed (the first request starts a delayed response of S
// seconds), delayed-dies (it ends with "dead"). Used by hart-sim --devices and
// by the simulated port SIM (CALVISTA_SIM_DEVICES).

#include "sim/SimTransmitter.h"

#include <stdexcept>
#include <string>
#include <vector>

struct TSimDeviceEntry {
    TSimDeviceState State;
    uint32_t Busy = 0;
    double DelayedS = -1;  // < 0: none
    bool DelayedDies = false;
};

// A long tag is kept in ISO Latin-1 as it travels; descriptions and options
// are UTF-8. A character Latin-1 has not becomes '?'.
std::string Latin1FromUtf8(const std::string& Text);

// The devices of a description (the text of a file), each starting from Base;
// std::invalid_argument names the line and the word that is wrong.
std::vector<TSimDeviceEntry> ParseDeviceList(const std::string& Text, const TSimDeviceState& Base);
// A number or the name of a description file; std::invalid_argument or
// std::runtime_error (a file that cannot be read).
std::vector<TSimDeviceEntry> LoadDeviceList(const std::string& CountOrFile, const TSimDeviceState& Base);
// The first device becomes First itself; the others join its line.
void PutDevicesOnLine(TSimTransmitter& First, const std::vector<TSimDeviceEntry>& Devices);
