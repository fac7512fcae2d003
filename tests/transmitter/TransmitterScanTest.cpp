// The scan, the search by tag and the change of polling address against a
// multidrop line of simulated transmitters (HART 5, 6 and 7), at the pace of a
// 1200-baud line in virtual time.
#include <gtest/gtest.h>

#include "sim/SimDeviceList.h"
#include "sim/SimTransmitterPeer.h"
#include "transmitter/TransmitterScan.h"

namespace {

const char* const ThreeOnALine = "address=0 tag=PT-101\n"
                                 "address=5 rev=6 id=1001 tag=PT-105 long-tag=\"Feed pump 5\"\n"
                                 "address=11 rev=7 id=1002 tag=PT-111 long-tag=\"Kühlwasser 11\"\n";

struct TMultidrop {
    TSimTransmitter First;
    TSimSerialDevice* Line = nullptr;
    std::unique_ptr<TSimTransmitterPeer> Peer;
    std::unique_ptr<THart> Hart;

    explicit TMultidrop(const std::string& Devices = ThreeOnALine)
    {
        PutDevicesOnLine(First, ParseDeviceList(Devices, First.State()));
        First.SetPacing(TSimPacing::Baud1200());
        auto Device = std::make_unique<TSimSerialDevice>();
        Line = Device.get();
        Line->SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
        Peer = std::make_unique<TSimTransmitterPeer>(First, *Line);
        Hart = std::make_unique<THart>(std::move(Device));
        EXPECT_TRUE(Hart->OpenPort("COM1"));
        Hart->SetPrimaryMaster(true);
    }
    TSimTransmitter& At(size_t K) { return K == 0 ? First : *First.LineDevices()[K - 1]; }
};

std::string KeyOf(const std::function<void()>& Call)
{
    try {
        Call();
        return "";
    } catch (const EHartComError& E) {
        return E.what();
    }
}

TEST(TransmitterScan, FindsEveryTransmitterOfTheLineInTime)
{
    TMultidrop L;
    TTransmitterScan Scan(*L.Hart);
    std::vector<int> Progress;
    Scan.Progress = [&](uint8_t, int Done, int) { Progress.push_back(Done); };
    const int64_t StartUs = L.Line->NowUs();
    const std::vector<TScanEntry> Found = Scan.Scan(0, 15);
    const double Seconds = double(L.Line->NowUs() - StartUs) / 1e6;

    struct TRow {
        uint8_t Address;
        int32_t Id;
        int Rev;
        const char* Tag;
        const char* LongTag;
    } Rows[] = {
        {0, 1234567, 5, "PT-101", ""}, {5, 1001, 6, "PT-105", "Feed pump 5"}, {11, 1002, 7, "PT-111", "Kühlwasser 11"}};
    ASSERT_EQ(Found.size(), std::size(Rows));
    for (size_t K = 0; K < Found.size(); ++K) {
        SCOPED_TRACE(K);
        EXPECT_EQ(Found[K].Address, Rows[K].Address);
        EXPECT_EQ(Found[K].DevInfo.DeviceId, Rows[K].Id);
        EXPECT_EQ(Found[K].Identity.UnivCmdRev, Rows[K].Rev);
        EXPECT_EQ(Found[K].Tag, Rows[K].Tag);
        EXPECT_EQ(Found[K].LongTag, Rows[K].LongTag);
        EXPECT_EQ(ScanManufacturerText(Found[K]).toStdString(), "Norvane");
    }
    EXPECT_EQ(Progress.size(), 17u);  // each address, then the end
    // Three transmitters, one of each revision, thirteen silent addresses.
    EXPECT_LT(Seconds, 9.0);
    EXPECT_EQ(L.Hart->PollingAddress(), 0) << "the link's address is as before";
    EXPECT_EQ(L.Hart->ReplyWaitMs(), 0u);
}

TEST(TransmitterScan, ACancelEndsTheScanWithWhatItFound)
{
    TMultidrop L;
    TTransmitterScan Scan(*L.Hart);
    int Asked = 0;
    Scan.CancelRequested = [&] { return ++Asked > 6; };
    const std::vector<TScanEntry> Found = Scan.Scan(0, 63);
    ASSERT_EQ(Found.size(), 2u);
    EXPECT_EQ(Found[1].Address, 5);
}

TEST(TransmitterScan, FindByTagTalksToTheOneWithTheTag)
{
    struct TCase {
        const char* Tag;
        const char* Key;
        int32_t Id;
    } Cases[] = {{"PT-105", "", 1001}, {"PT-111", "", 1002}, {"PT-999", "146.TAGNOTFOUND", 0}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Tag);
        TMultidrop L;
        TScanEntry Entry;
        EXPECT_EQ(KeyOf([&] { Entry = TTransmitterScan(*L.Hart).FindByTag(C.Tag); }), C.Key);
        EXPECT_EQ(Entry.DevInfo.DeviceId, C.Id);
        EXPECT_EQ(L.Hart->LongAddressValid(), *C.Key == 0);
        // Only the transmitter with the tag answered command 11.
        size_t Answered = 0;
        for (size_t K = 0; K < 3; ++K)
            for (const TSimRequest& Request : L.At(K).Requests())
                Answered += Request.Command == 11;
        EXPECT_EQ(Answered, *C.Key == 0 ? 1u : 0u);
    }
}

TEST(TransmitterScan, ANewPollingAddressIsVerifiedAndFixesTheLoopCurrent)
{
    struct TCase {
        const char* Name;
        const char* Devices;
        size_t Device;
        uint8_t From, To;
        float Current;  // mA after the move, at the default 2.5 bar in 0..10 bar
    } Cases[] = {
        {"HART 5 to 3", ThreeOnALine, 0, 0, 3, 4.0f},
        {"HART 6 alone, back to 0", "address=5 rev=6", 0, 5, 0, 8.0f},
        {"HART 7 to 40", ThreeOnALine, 2, 11, 40, 4.0f},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TMultidrop L(C.Devices);
        L.Hart->SetPollingAddress(C.From);
        THartDevInfo Info;
        L.Hart->ReadUniqueIdentifier(Info);
        const TScanEntry Moved = TTransmitterScan(*L.Hart).SetPollingAddress(L.Hart->Identity(), C.To);
        EXPECT_EQ(Moved.Address, C.To);
        EXPECT_EQ(Moved.DevInfo.DeviceId, Info.DeviceId);
        EXPECT_EQ(L.At(C.Device).State().PollingAddress, C.To);
        float Current = 0, PV = 0;
        std::string Unit;
        L.Hart->ReadDynamicVariables(Current, Unit, PV);
        EXPECT_NEAR(Current, C.Current, 1e-3);
    }
    // An address another transmitter answers at is not this one's.
    TMultidrop L;
    L.Hart->SetPollingAddress(5);
    THartDevInfo Info;
    L.Hart->ReadUniqueIdentifier(Info);
    EXPECT_EQ(KeyOf([&] { TTransmitterScan(*L.Hart).SetPollingAddress(L.Hart->Identity(), 11); }),
              "147.ADDRESSNOTVERIFIED");
}

}  // namespace
