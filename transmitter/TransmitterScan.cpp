#include "transmitter/TransmitterScan.h"

#include "hart/ErrorKeys.h"

#include <cstring>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

std::string Trimmed(const std::string& Value)
{
    return QString::fromStdString(Value).trimmed().toStdString();
}

bool IsKey(const EHartComError& Error, const char* Key)
{
    return std::strcmp(Error.what(), Key) == 0;
}

// Restores the link's polling address and reply wait when a scan ends.
class TLinkAddressGuard {
public:
    explicit TLinkAddressGuard(THartCom& Link)
        : FLink(Link)
        , FAddress(Link.PollingAddress())
        , FWaitMs(Link.ReplyWaitMs())
    {
    }
    ~TLinkAddressGuard()
    {
        FLink.SetPollingAddress(FAddress);
        FLink.SetReplyWaitMs(FWaitMs);
    }
    TLinkAddressGuard(const TLinkAddressGuard&) = delete;
    TLinkAddressGuard& operator=(const TLinkAddressGuard&) = delete;

private:
    THartCom& FLink;
    uint8_t FAddress;
    uint32_t FWaitMs;
};

constexpr uint32_t SlaveTimeOutChars = 28;
constexpr uint32_t FirstByteChars = 2;
constexpr uint32_t BitsPerChar = 11;

}  // namespace

QString ScanManufacturerText(const TScanEntry& Entry)
{
    return Text(Entry.DevInfo.Manufacturer);
}

QString ScanDeviceTypeText(const TScanEntry& Entry)
{
    return Text(Entry.DevInfo.DeviceType);
}

QString ScanRevisionText(const TScanEntry& Entry)
{
    return QString::number(Entry.Identity.UnivCmdRev);
}

uint32_t TTransmitterScan::ReplyWaitMs(uint32_t BaudRate)
{
    const uint32_t Bits = (SlaveTimeOutChars + FirstByteChars) * BitsPerChar;
    return (Bits * 1000 + BaudRate - 1) / BaudRate;
}

void TTransmitterScan::ReadNames(TScanEntry& Entry)
{
    // The transmitter is there: its tags get the link's usual patience.
    const uint32_t WaitMs = FHart.ReplyWaitMs();
    FHart.SetReplyWaitMs(0);
    try {
        std::string Descriptor;
        uint8_t Day = 0, Month = 0;
        uint16_t Year = 0;
        FHart.ReadTagDescriptorDate(Entry.Tag, Descriptor, Day, Month, Year);
        Entry.Tag = Trimmed(Entry.Tag);
        if (Entry.Identity.HasLongTag())
            FHart.ReadLongTag(Entry.LongTag);
    } catch (const EHartComError& Error) {
        Log(QStringLiteral("Scan: address %1: tag not read (%2)").arg(Entry.Address).arg(Error.what()));
    }
    FHart.SetReplyWaitMs(WaitMs);
}

std::vector<TScanEntry> TTransmitterScan::Scan(uint8_t First, uint8_t Last)
{
    TLinkAddressGuard Guard(FHart);
    FHart.SetReplyWaitMs(ReplyWaitMs(BaudrateValue(FHart.Baudrate())));
    std::vector<TScanEntry> Found;
    const int Total = Last >= First ? Last - First + 1 : 0;
    Log(QStringLiteral("Scan: polling addresses %1 to %2").arg(First).arg(Last));
    for (int Address = First; Address <= Last; ++Address) {
        if (CancelRequested && CancelRequested()) {
            Log(QStringLiteral("Scan: cancelled before address %1").arg(Address));
            break;
        }
        if (Progress)
            Progress(uint8_t(Address), Address - First, Total);
        FFrontEnd.Pending();
        FHart.SetPollingAddress(uint8_t(Address));
        TScanEntry Entry;
        Entry.Address = uint8_t(Address);
        try {
            FHart.ReadUniqueIdentifier(Entry.DevInfo);
            Entry.Identity = FHart.Identity();
        } catch (const EHartComError& Error) {
            // Silence is an empty address; anything else (two answering at
            // once, a garbled reply) is noted and the scan goes on.
            if (!IsKey(Error, HartKey::TransmitterTimeout))
                Log(QStringLiteral("Scan: address %1: %2").arg(Address).arg(Error.what()));
            continue;
        }
        ReadNames(Entry);
        Log(QStringLiteral("Scan: address %1: %2; %3; id %4; HART %5; tag %6%7")
                .arg(Address)
                .arg(ScanManufacturerText(Entry), ScanDeviceTypeText(Entry))
                .arg(Entry.DevInfo.DeviceId)
                .arg(ScanRevisionText(Entry), Text(Entry.Tag),
                     Entry.LongTag.empty() ? QString() : QStringLiteral("; long tag ") + Text(Entry.LongTag)));
        Found.push_back(Entry);
    }
    if (Progress)
        Progress(Last, Total, Total);
    Log(QStringLiteral("Scan: %1 transmitter(s) found").arg(Found.size()));
    return Found;
}

TScanEntry TTransmitterScan::FindByTag(const std::string& Tag)
{
    Log(QStringLiteral("Find transmitter by tag ") + Text(Tag));
    TScanEntry Entry;
    FHart.FindByTag(Tag, Entry.DevInfo);
    Entry.Identity = FHart.Identity();
    Entry.Address = FHart.PollingAddress();
    ReadNames(Entry);
    Log(QStringLiteral("Found: %1; %2; id %3")
            .arg(ScanManufacturerText(Entry), ScanDeviceTypeText(Entry))
            .arg(Entry.DevInfo.DeviceId));
    return Entry;
}

TScanEntry TTransmitterScan::SetPollingAddress(const THartIdentity& Current, uint8_t NewAddress)
{
    const std::array<uint8_t, 5> Device = Current.LongAddress;
    FHart.SetLongAddress(Device.data());
    FHart.SetLongAddressValid(true);
    Log(QStringLiteral("Set polling address %1").arg(NewAddress));
    // HART 6 and 7 keep the loop current mode apart from the address: it is
    // sent as HART 5 ties it, live at 0 and fixed at 4 mA elsewhere.
    uint8_t Address = NewAddress;
    bool LoopCurrent = NewAddress == 0;
    FHart.WritePollingAddress(Address, Current.UnivCmdRev >= 6, LoopCurrent);
    FHart.SetPollingAddress(NewAddress);
    TScanEntry Entry;
    Entry.Address = NewAddress;
    try {
        FHart.ReadUniqueIdentifier(Entry.DevInfo);
        Entry.Identity = FHart.Identity();
    } catch (const EHartComError& Error) {
        Log(QStringLiteral("Set polling address: not found at %1 (%2)").arg(NewAddress).arg(Error.what()));
        throw EHartComError(AddressNotVerifiedKey);
    }
    if (Entry.Identity.LongAddress != Device) {
        Log(QStringLiteral("Set polling address: another transmitter answers at %1").arg(NewAddress));
        throw EHartComError(AddressNotVerifiedKey);
    }
    ReadNames(Entry);
    Log(QStringLiteral("Set polling address: the transmitter answers at %1").arg(NewAddress));
    return Entry;
}

QString SetAddressQuestionKey(uint8_t Address)
{
    return Address == 0 ? QStringLiteral("qstSetAddressZero") : QStringLiteral("qstSetAddressFixed");
}
