// How long a transaction may take, and a port that goes away: each case
// scripts a reply at the pace of a 1200-baud line and checks the key and the
// virtual time from the end of the request to the outcome.

#include "tests/hart/LinkTestSupport.h"

namespace {

constexpr int64_t CharUs = TSimSerialDevice::CharTimeUs1200;
// Four read limits at TimeOut 500 and the wire time of 31 preambles and a
// delimiter: the most the hunt may take from the reply's first byte.
constexpr int64_t HuntBoundUs = 4 * 510'000 + 32 * CharUs;

// Bytes Gap apart (start to start) from the first one.
TSimReply Spaced(const TBytes& Bytes, int64_t Gap, size_t From = 0)
{
    TSimReply Reply;
    for (size_t I = 0; I < Bytes.size(); ++I)
        Reply.Append(Bytes[I], 0, I > From ? Gap - CharUs : 0);
    return Reply;
}

struct TBoundCase {
    const char* Name;
    uint32_t TimeOut;
    TSimReply Reply;
    int64_t UnplugAfterUs;  // the port goes away this long after the request; -1 never
    const char* Key;
    int64_t MinUs, MaxUs;  // outcome this long after the request
};

TEST(LinkBounds, TransactionTimeBoundsAndAPortThatGoesAway)
{
    const TBytes Preambles10(10, 0xFF);
    const TBytes Frame = LongReply(3, {0, 0});
    const TBytes Big = LongReply(3, TBytes(255, 0x00), 31);
    // Preambles at 0, 0.5, 1.0, 1.5 and 2.0 s, the delimiter at 2.34 s.
    TSimReply LateDelimiter = Spaced(TBytes(Frame.begin(), Frame.begin() + 5), 500'000);
    LateDelimiter.Append(Frame[5], 0, 340'000 - CharUs);
    LateDelimiter.Append(TBytes(Frame.begin() + 6, Frame.end()));
    const TBoundCase Cases[] = {
        // Each preamble within a read limit of the last: only the hunt's own
        // bound ends it (it used to run to the next read's end, 2.5 s).
        {"preambles 0.5 s apart", 500, Spaced(Preambles10, 500'000), -1, "141.TRANSMITTERTIMEOUT", HuntBoundUs - 1000,
         CharUs + HuntBoundUs},
        // The delimiter comes 2.34 s after the first byte, past the bound.
        {"delimiter after the hunt's bound", 500, LateDelimiter, -1, "141.TRANSMITTERTIMEOUT", 0, CharUs + HuntBoundUs},
        {"31 preambles at TimeOut 0", 0, TSimReply(LongReply(3, {0, 0}, 31)), -1, "", 0, 1'000'000},
        {"255 data bytes at TimeOut 0", 0, TSimReply(Big), -1, "", 0, 3'000'000},
        {"255 data bytes at TimeOut 500", 500, TSimReply(Big), -1, "", 0, 3'000'000},
        // A byte every 0.4 s after the delimiter: each within a read limit, the
        // whole far beyond the reply's wire time.
        {"one byte every 0.4 s after the delimiter", 500, Spaced(LongReply(3, TBytes(253, 0x00)), 400'000, 5), -1,
         "141.TRANSMITTERTIMEOUT", HuntBoundUs, 6 * CharUs + HuntBoundUs + 8 * CharUs},
        {"port gone before the reply", 500, TSimReply(Frame), 0, "301.FILEREAD", 0, 0},
        {"port gone in the hunt", 500, Spaced(Frame, 100'000), 150'000, "301.FILEREAD", 150'000, 150'000},
        {"port gone after the delimiter", 500, Spaced(Frame, 100'000), 750'000, "301.FILEREAD", 750'000, 750'000},
    };
    for (const TBoundCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.Com->SetTimeOut(C.TimeOut);
        L.OpenAddressed();
        L.Line->SetCharTimeUs(CharUs);
        L.Peer.AddReply(C.Reply);
        // The request of command 3 takes 15 characters on the line.
        const int64_t RequestEndUs = L.Line->NowUs() + 15 * CharUs;
        if (C.UnplugAfterUs >= 0)
            L.Line->Unplug(RequestEndUs + C.UnplugAfterUs);
        THartDeviceResponse R;
        EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), C.Key);
        const int64_t TookUs = L.Line->NowUs() - RequestEndUs;
        EXPECT_GE(TookUs, C.MinUs);
        // Time-outs are whole milliseconds: the last read may end in the
        // millisecond after the bound, and what arrives then is not taken.
        EXPECT_LE(TookUs, C.MaxUs + 1000);
        // The port's own time-outs are as OpenPort set them, whatever happened.
        EXPECT_EQ(L.Line->Timeouts().ReadConstantMs, C.TimeOut);
        EXPECT_EQ(L.Line->Timeouts().ReadPerByteMs, 10u);
    }
}

}  // namespace
