#include "ports/PortNames.h"

#include <cctype>
#include <climits>
#include <cstdint>

namespace {

bool StartsWithNoCase(const std::string& Text, size_t At, const char* Prefix)
{
    for (size_t i = 0; Prefix[i]; ++i)
        if (At + i >= Text.size()
            || std::toupper(static_cast<unsigned char>(Text[At + i])) != static_cast<unsigned char>(Prefix[i]))
            return false;
    return true;
}

// Digits only, as an int holds them; false for anything else.
bool DecimalNumber(const std::string& Text, unsigned& Number)
{
    if (Text.empty())
        return false;
    uint64_t value = 0;
    for (char c : Text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + uint64_t(c - '0');
        if (value > uint64_t(INT_MAX))
            return false;
    }
    Number = unsigned(value);
    return true;
}

// "HOST[:PORT]" after a HART-IP scheme; false if it is no such address.
bool NetworkAddress(const std::string& Text, TPortName& Port)
{
    std::string host = Text;
    std::string number;
    if (!host.empty() && host.back() == '/')
        host.pop_back();
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        if (close == std::string::npos)
            return false;
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':')
                return false;
            number = host.substr(close + 2);
            if (number.empty())
                return false;
        }
        host = host.substr(1, close - 1);
    } else if (const size_t colon = host.find(':'); colon != std::string::npos) {
        number = host.substr(colon + 1);
        host.resize(colon);
        if (number.empty())
            return false;
    }
    if (host.empty())
        return false;
    for (char c : host)
        if (std::isspace(static_cast<unsigned char>(c)) || c == '/' || c == '@' || c == '[' || c == ']')
            return false;
    unsigned port = 5094;
    if (!number.empty() && (!DecimalNumber(number, port) || port == 0 || port > 65535))
        return false;
    Port.Host = host;
    Port.NetPort = port;
    return true;
}

}  // namespace

TPortName ParsePortName(const std::string& Name)
{
    TPortName port;
    for (const char* scheme : {"HARTIP://", "HARTIP+UDP://"}) {
        if (!StartsWithNoCase(Name, 0, scheme))
            continue;
        port.Udp = scheme[6] == '+';
        if (!NetworkAddress(Name.substr(std::char_traits<char>::length(scheme)), port))
            return {};
        port.Kind = TPortName::HartIp;
        return port;
    }
    if (!Name.empty() && Name.front() == '/') {
        port.Kind = TPortName::Path;
        return port;
    }
    if (Name.size() == 3 && StartsWithNoCase(Name, 0, "SIM")) {
        port.Kind = TPortName::Sim;
        return port;
    }
    size_t at = 0;
    if (Name.rfind("\\\\.\\", 0) == 0) {
        port.DeviceNamespace = true;
        at = 4;
    }
    if (!StartsWithNoCase(Name, at, "COM"))
        return {};
    std::string digits = Name.substr(at + 3);
    if (!digits.empty() && digits.back() == ':') {
        port.Colon = true;
        digits.pop_back();
    }
    if (!DecimalNumber(digits, port.Number))
        return {};
    port.Digits = digits.size();
    port.Kind = TPortName::Com;
    return port;
}

std::string PosixSerialDevicePath(const std::string& Name)
{
    const TPortName port = ParsePortName(Name);
    if (port.Kind == TPortName::Path)
        return Name;
    if (port.Kind != TPortName::Com || port.Number == 0 || port.Digits > 4)
        return {};
    return "/dev/ttyS" + std::to_string(port.Number - 1);
}

std::string WindowsComName(unsigned Number)
{
    const std::string name = "COM" + std::to_string(Number);
    return Number >= 10 ? "\\\\.\\" + name : name;
}

std::string PortKey(const std::string& Name)
{
    const TPortName port = ParsePortName(Name);
    return port.Kind == TPortName::Com ? "COM" + std::to_string(port.Number) : Name;
}
