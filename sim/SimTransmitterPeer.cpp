#include "sim/SimTransmitterPeer.h"

void TSimTransmitterPeer::OnMasterBytes(TSimSerialDevice& Line, const uint8_t* Data, size_t Count, int64_t EndUs)
{
    // The written bytes follow each other at the line's character time; the last
    // one arrived at EndUs.
    const int64_t CharUs = Line.CharTimeUs();
    for (size_t k = 0; k < Count; ++k) {
        const int64_t ArrivalUs = EndUs - static_cast<int64_t>(Count - 1 - k) * CharUs;
        for (const TSimOutByte& B : FTransmitter.Feed(Data[k], ArrivalUs))
            Line.Deliver(B.Byte, B.ArrivalUs, B.LineErrors);
    }
}

void TSimTransmitterPeer::OnRead(TSimSerialDevice& Line, int64_t UntilUs)
{
    if (!FTransmitter.BurstMode())
        return;
    for (const TSimOutByte& B : FTransmitter.BurstFrames(Line.NowUs()))
        Line.Deliver(B.Byte, B.ArrivalUs, B.LineErrors);
    // One frame ahead at most: the master may answer the gap after it.
    if (Line.PendingInput() == 0)
        for (const TSimOutByte& B : FTransmitter.BurstFrames(UntilUs, 1))
            Line.Deliver(B.Byte, B.ArrivalUs, B.LineErrors);
}
