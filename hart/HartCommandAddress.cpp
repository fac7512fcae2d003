// The commands of addressing: find by tag (11), write polling address (6),
// and the long tag of HART 6 and 7 devices (20, 22).
#include "hart/HartCommand.h"

#include <cstring>

#include "hart/ErrorKeys.h"

namespace {

enum : uint8_t {
    CmdWritePollingAddress = 6,
    CmdFindByTag = 11,
    CmdReadLongTag = 20,
    CmdWriteLongTag = 22,
};

constexpr uint8_t TagBytes = 6, TagChars = 8;
constexpr size_t LongTagBytes = 32;

// UTF-8 to ISO Latin-1; false when a character has no Latin-1 code.
bool ToLatin1(const std::string& Text, std::string& Latin1)
{
    Latin1.clear();
    for (size_t I = 0; I < Text.size(); ++I) {
        const auto C = static_cast<unsigned char>(Text[I]);
        if (C < 0x80) {
            Latin1 += char(C);
        } else if ((C == 0xC2 || C == 0xC3) && I + 1 < Text.size()) {
            const auto Next = static_cast<unsigned char>(Text[++I]);
            if ((Next & 0xC0) != 0x80)
                return false;
            Latin1 += char(((C & 0x03) << 6) | (Next & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

std::string FromLatin1(const uint8_t* Bytes, size_t Count)
{
    std::string Text;
    for (size_t I = 0; I < Count; ++I) {
        const uint8_t C = Bytes[I];
        if (C < 0x80) {
            Text += char(C);
        } else {
            Text += char(0xC0 | (C >> 6));
            Text += char(0x80 | (C & 0x3F));
        }
    }
    return Text;
}

}  // namespace

int32_t THart::FindByTag(const std::string& Tag, THartDevInfo& Info)
{
    uint8_t Request[TagBytes];
    PackASCII(Tag, Request, TagChars);
    ClearLongAddress();
    Info = THartDevInfo {};
    FIdentity = THartIdentity {};
    try {
        const int32_t Result = Execute(CmdFindByTag, Request, sizeof Request);
        FillDevInfo(Info);
        return Result;
    } catch (const EHartComError& Error) {
        // Only the device with the tag answers: silence means there is none.
        if (std::strcmp(Error.what(), HartKey::TransmitterTimeout) == 0)
            throw EHartComError("146.TAGNOTFOUND");
        throw;
    }
}

int32_t THart::WritePollingAddress(uint8_t& Address, bool WithLoopCurrentMode, bool& LoopCurrent)
{
    const uint8_t Request[2] = {Address, uint8_t(LoopCurrent ? 1 : 0)};
    const int32_t Result = Execute(CmdWritePollingAddress, Request, WithLoopCurrentMode ? 2 : 1);
    Address = *ReplyData(0);
    if (WithLoopCurrentMode && Response.ByteCount >= 4)
        LoopCurrent = *ReplyData(1) != 0;
    return Result;
}

std::string THart::LongTagFromReply() const
{
    size_t Length = LongTagBytes;
    while (Length > 0 && *ReplyData(Length - 1) == 0)
        --Length;  // padded with NUL
    return FromLatin1(ReplyData(0), Length);
}

int32_t THart::ReadLongTag(std::string& LongTag)
{
    const int32_t Result = Execute(CmdReadLongTag, nullptr, 0);
    LongTag = LongTagFromReply();
    return Result;
}

int32_t THart::WriteLongTag(std::string& LongTag)
{
    std::string Latin1;
    if (!ToLatin1(LongTag, Latin1) || Latin1.size() > LongTagBytes)
        throw ERangeError("Range check error");
    uint8_t Request[LongTagBytes] = {};
    std::memcpy(Request, Latin1.data(), Latin1.size());
    const int32_t Result = Execute(CmdWriteLongTag, Request, sizeof Request);
    LongTag = LongTagFromReply();
    return Result;
}
