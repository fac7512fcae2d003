#pragma once
// The network link a port name stands for: a HART-IP session over TCP or UDP
// for "hartip://HOST[:PORT]" and "hartip+udp://HOST[:PORT]", on the platform's
// sockets. Both front ends hand this to their link as its transport opener.

#include "hart/HartTransport.h"

#include <memory>
#include <string>

// The transport of a HART-IP port name, not yet open; null for any other name.
std::unique_ptr<THartTransport> CreateNetworkTransport(const std::string& Name);
