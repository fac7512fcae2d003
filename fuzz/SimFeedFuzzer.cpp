// The simulated transmitter's request parser: arbitrary bytes arrive on its
// line one at a time. It must never fail, and everything it answers must be a
// well-formed reply frame (preambles, delimiter 0x06 or 0x86, address,
// command, byte count, data, check byte) whose bytes arrive in order, after the
// request has ended.
//
// Input: byte 0 chooses pauses (bit 7 on: a 150 ms pause before every
// (byte 0 & 31) + 1-th byte, longer than the receiver's gap limit); the rest
// are the line's bytes at 1200 baud.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sim/SimTransmitter.h"

namespace {

void CheckAnswer(const std::vector<TSimOutByte>& Out, int64_t RequestEndUs)
{
    size_t I = 0;
    while (I < Out.size() && (Out[I].Byte == 0xFF || (I == 0 && Out[I].Byte == 0xFE)))
        ++I;
    if (I < 2 || I >= Out.size())
        std::abort();
    const uint8_t Delimiter = Out[I].Byte;
    if (Delimiter != 0x06 && Delimiter != 0x86)
        std::abort();
    const size_t Header = I + 1 + (Delimiter == 0x86 ? 5 : 1) + 2;
    if (Header > Out.size())
        std::abort();
    const size_t Count = Out[Header - 1].Byte;
    if (Header + Count + 1 != Out.size())
        std::abort();
    uint8_t Check = 0;
    for (size_t K = I; K + 1 < Out.size(); ++K)
        Check ^= Out[K].Byte;
    if (Check != Out.back().Byte)
        std::abort();
    int64_t Previous = RequestEndUs;
    for (const TSimOutByte& B : Out) {
        if (B.ArrivalUs < Previous)
            std::abort();
        Previous = B.ArrivalUs;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1)
        return 0;
    const bool Pauses = (Data[0] & 0x80) != 0;
    const size_t Every = size_t(Data[0] & 31) + 1;
    TSimTransmitter Transmitter;
    Transmitter.SetPacing(TSimPacing::Baud1200());
    int64_t Us = 0;
    for (size_t I = 1; I < Size; ++I) {
        Us += TSimPacing::CharTime1200;
        if (Pauses && I % Every == 0)
            Us += 150000;
        const std::vector<TSimOutByte> Out = Transmitter.Feed(Data[I], Us);
        if (!Out.empty()) {
            CheckAnswer(Out, Us);
            Us = Out.back().ArrivalUs;
        }
    }
    return 0;
}
