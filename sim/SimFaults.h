#pragma once
// Health faults of the simulated transmitter: what its device status and
// command 48 report, and how it misbehaves, on request. Part of the device
// state, so that a test or hart-sim sets them with everything else.

#include <cstdint>
#include <string>
#include <vector>

struct TSimHealthFaults {
    // Device status bits set in every reply, on top of those the model sets.
    uint8_t StatusBits = 0;
    // The sensor failed: device malfunction and primary variable out of
    // limits in every reply, command 3 reads the PV as NaN and the loop
    // current at the alarm level the alarm selection asks for.
    bool SensorFailure = false;
    // The loop current is driven to its upper saturation limit (20.5 mA),
    // and the device status says so.
    bool Saturated = false;
    // Cold start in the first reply after power-up, as a field device
    // reports it; false: never.
    bool ColdStart = true;
    // What command 48 answers; empty: the command is not implemented. A set
    // bit among them sets "more status available" in every reply.
    std::vector<uint8_t> AdditionalStatus;
    // Writes are acknowledged with the values sent, but the transmitter keeps
    // the values it had.
    bool KeepsOldValues = false;
};

// Parses the hex bytes of command 48 as hart-sim takes them ("00:00:04",
// "00 00 04", "000004"); false on anything else or more than 25 bytes.
bool ParseSimStatusBytes(const std::string& Text, std::vector<uint8_t>& Bytes);

// A named fault for the demonstration transmitter: sensor-failure, saturated,
// current-fixed, power-failure, maintenance, variable-alert, keep-values or
// no-cold-start. False for an unknown name.
bool SetSimFaultByName(TSimHealthFaults& Faults, const std::string& Name);
