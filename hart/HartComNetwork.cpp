// THartCom on a network link: opening the transport a port name stands for,
// closing it, and the idle-time keep-alive.
#include "hart/HartCom.h"

#include "hart/SerialTransport.h"

bool THartCom::OpenNetworkLink(const std::string& Name)
{
    if (!FTransportOpener)
        return false;
    std::unique_ptr<THartTransport> Link = FTransportOpener(Name);
    if (!Link)
        return false;
    Link->Open();  // raises the key of a connection or session that failed
    FNetwork = std::move(Link);
    FLink = FNetwork.get();
    FCommDevice = InvalidHandle;
    FPortOpen = true;
    return true;
}

void THartCom::ReleaseNetworkLink()
{
    if (FNetwork)
        FNetwork->Close();
    FNetwork.reset();
    FLink = FSerialLink.get();
    FPortOpen = false;
}

void THartCom::KeepLinkAlive()
{
    if (!FNetwork)
        return;
    try {
        FNetwork->KeepAlive();
    } catch (const EHartComError&) {
        if (!FNetwork->IsOpen())
            ReleaseNetworkLink();
        throw;
    }
}

int64_t THartCom::NowUs() const
{
    return FLink->NowUs();
}
