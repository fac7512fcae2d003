#pragma once
// A device model that answers each write of the master with the next scripted
// reply: a list of bytes, each with an optional gap before it and line-error
// flags. Bytes follow each other at the line's character time.

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "sim/SimSerialDevice.h"

struct TSimReplyByte {
    uint8_t Byte = 0;
    uint32_t LineErrors = 0;  // SerialErr... flags reported with this byte
    int64_t GapUs = 0;  // extra silence before this byte
};

struct TSimReply {
    std::vector<TSimReplyByte> Bytes;
    int64_t DelayUs = 0;  // silence between the end of the request and the first byte

    TSimReply() = default;
    TSimReply(std::initializer_list<uint8_t> Values) { Append(Values); }
    explicit TSimReply(const std::vector<uint8_t>& Values) { Append(Values); }

    TSimReply& Append(std::initializer_list<uint8_t> Values);
    TSimReply& Append(const std::vector<uint8_t>& Values);
    TSimReply& Append(uint8_t Byte, uint32_t LineErrors, int64_t GapUs = 0);
};

class TSimScriptedPeer : public TSimPeer {
public:
    void AddReply(const TSimReply& Reply) { FReplies.push_back(Reply); }
    void AddReply(std::initializer_list<uint8_t> Bytes) { FReplies.emplace_back(Bytes); }
    // The same reply for every write from now on, once the script has run out.
    void SetDefaultReply(const TSimReply& Reply)
    {
        FDefault = Reply;
        FHasDefault = true;
    }
    size_t PendingReplies() const { return FReplies.size(); }
    // Requests received, one per write of the master.
    const std::vector<std::vector<uint8_t>>& Requests() const { return FRequests; }
    int PurgeCount() const { return FPurges; }

    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs) override;
    void OnPurge(TSimSerialDevice& Line, int64_t NowUs) override;

private:
    std::deque<TSimReply> FReplies;
    TSimReply FDefault;
    bool FHasDefault = false;
    std::vector<std::vector<uint8_t>> FRequests;
    int FPurges = 0;
};
