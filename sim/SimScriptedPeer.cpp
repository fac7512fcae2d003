#include "sim/SimScriptedPeer.h"

TSimReply& TSimReply::Append(std::initializer_list<uint8_t> Values)
{
    for (uint8_t V : Values)
        Bytes.push_back(TSimReplyByte {V, 0, 0});
    return *this;
}

TSimReply& TSimReply::Append(const std::vector<uint8_t>& Values)
{
    for (uint8_t V : Values)
        Bytes.push_back(TSimReplyByte {V, 0, 0});
    return *this;
}

TSimReply& TSimReply::Append(uint8_t Byte, uint32_t LineErrors, int64_t GapUs)
{
    Bytes.push_back(TSimReplyByte {Byte, LineErrors, GapUs});
    return *this;
}

void TSimScriptedPeer::OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs)
{
    FRequests.emplace_back(Data, Data + Count);
    TSimReply Reply;
    if (!FReplies.empty()) {
        Reply = FReplies.front();
        FReplies.pop_front();
    } else if (FHasDefault) {
        Reply = FDefault;
    } else {
        return;  // silence
    }
    // Each byte arrives one character time after the previous one ended.
    int64_t At = EndUs + Reply.DelayUs;
    for (const TSimReplyByte& B : Reply.Bytes) {
        At += B.GapUs + Line.CharTimeUs();
        Line.Deliver(B.Byte, At, B.LineErrors);
    }
}

void TSimScriptedPeer::OnPurge(TSimSerialDevice& /*Line*/, int64_t /*NowUs*/)
{
    ++FPurges;
}
