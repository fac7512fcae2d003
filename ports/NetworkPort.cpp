#include "ports/NetworkPort.h"

#include "hart/HartIpTransport.h"
#include "ports/PortNames.h"

std::unique_ptr<THartTransport> CreateNetworkTransport(const std::string& Name)
{
    const TPortName port = ParsePortName(Name);
    if (port.Kind != TPortName::HartIp)
        return nullptr;
    THartIpAddress address;
    address.Host = port.Host;
    address.Port = uint16_t(port.NetPort);
    address.Protocol = port.Udp ? TNetProtocol::Udp : TNetProtocol::Tcp;
    return std::make_unique<THartIpTransport>(address);
}
