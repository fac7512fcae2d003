#pragma once
// Port names as the operator types them and the programs pass them on: "COMn",
// "COMn:" and "\\.\COMn" (any case) name serial port n, a name beginning with
// "/" is a device path, "SIM" the simulated transmitter, "hartip://HOST[:PORT]"
// a HART-IP server over TCP and "hartip+udp://HOST[:PORT]" one over UDP
// (port 5094 unless given; an IPv6 address in brackets). This is the one
// reading of such names; each front end decides what to make of a name that
// is none of these.

#include <string>

struct TPortName {
    enum TKind { NotAPort, Com, Path, Sim, HartIp };

    TKind Kind = NotAPort;
    // Com: the port number as written (0 included, up to the largest int).
    unsigned Number = 0;
    // Com: the number of digits written, leading zeros included.
    size_t Digits = 0;
    // Com: written with the device namespace prefix \\.\ or with a colon.
    bool DeviceNamespace = false;
    bool Colon = false;
    // HartIp: host name or address (without brackets), port, and UDP or TCP.
    std::string Host;
    unsigned NetPort = 0;
    bool Udp = false;
};

TPortName ParsePortName(const std::string& Name);

// The device path on a POSIX system: COM1 to COM9999 open /dev/ttyS0 onwards,
// a path stays a path; empty if the name means no serial port.
std::string PosixSerialDevicePath(const std::string& Name);

// The name Windows opens port n by: from COM10 on only as \\.\COMn.
std::string WindowsComName(unsigned Number);

// The same port under every spelling: "COMn" for a COM port (any form), the
// name itself otherwise.
std::string PortKey(const std::string& Name);
