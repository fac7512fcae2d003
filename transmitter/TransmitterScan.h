#pragma once
// Finding transmitters on a line: a scan of polling addresses (command 0 to
// each, then tag and long tag of every one that answers), a search by tag
// (command 11 to the broadcast address), and moving a transmitter to another
// polling address (command 6, verified by finding it there). The window's
// find dialog and calvista-cli's scan, --find-tag and set-address all run
// through here. Progress and log lines go to the front end; a cancel asked for
// between two addresses ends the scan with what it found so far.

#include "hart/HartCommand.h"
#include "transmitter/TransmitterFrontEnd.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One transmitter found.
struct TScanEntry {
    uint8_t Address = 0;  // polling address it answered at (a search by tag: as it says)
    THartDevInfo DevInfo;
    THartIdentity Identity;
    std::string Tag;  // command 13, without trailing blanks
    std::string LongTag;  // command 20, HART 6 and 7 only
};

// Texts of an entry, as the table and the JSON show them.
QString ScanManufacturerText(const TScanEntry& Entry);
QString ScanDeviceTypeText(const TScanEntry& Entry);
QString ScanRevisionText(const TScanEntry& Entry);  // "5", "6", "7"

class TTransmitterScan {
public:
    explicit TTransmitterScan(THart& Hart, TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent())
        : FHart(Hart)
        , FFrontEnd(FrontEnd)
    {
    }

    // How long a scan waits at an address for the first byte of a reply: a
    // field device must begin its answer within 28 character times; two more
    // let the first byte arrive. 275 ms at 1200 baud.
    static uint32_t ReplyWaitMs(uint32_t BaudRate);

    // Before each address: the address, how many are done and how many in all.
    std::function<void(uint8_t Address, int Done, int Total)> Progress;
    // Asked before each address; true ends the scan.
    std::function<bool()> CancelRequested;

    // Command 0 to each address from First to Last. The link's polling address
    // and reply wait are as before afterwards; its long address is that of the
    // last transmitter found (or none).
    std::vector<TScanEntry> Scan(uint8_t First, uint8_t Last);
    // Command 11 to the broadcast address; "146.TAGNOTFOUND" when none answers.
    // The link then talks to the transmitter found.
    TScanEntry FindByTag(const std::string& Tag);
    // Command 6 to the transmitter Current (found by a scan, a search or a
    // read), then command 0 at the new address must find the same transmitter
    // ("147.ADDRESSNOTVERIFIED" otherwise). The link's polling address follows.
    TScanEntry SetPollingAddress(const THartIdentity& Current, uint8_t NewAddress);

private:
    void ReadNames(TScanEntry& Entry);
    void Log(const QString& Line) const { FFrontEnd.Log(Line); }

    THart& FHart;
    TTransmitterFrontEnd& FFrontEnd;
};

inline constexpr const char* AddressNotVerifiedKey = "147.ADDRESSNOTVERIFIED";
// The language key of the question asked before command 6 is sent: what the
// new address does to the loop current (%1 is the address).
QString SetAddressQuestionKey(uint8_t Address);
