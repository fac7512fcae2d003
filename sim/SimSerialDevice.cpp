#include "sim/SimSerialDevice.h"

#include <algorithm>

void TSimSerialDevice::Deliver(uint8_t Byte, int64_t ArrivalUs, uint32_t LineErrors)
{
    // Keep the queue in arrival order; bytes delivered for the same moment stay
    // in the order they were delivered.
    auto Pos = std::upper_bound(FInput.begin(), FInput.end(), ArrivalUs,
                                [](int64_t Us, const TInByte& In) { return Us < In.ArrivalUs; });
    FInput.insert(Pos, TInByte {Byte, ArrivalUs, LineErrors});
}

void TSimSerialDevice::SetOpFails(TSimOp Op, bool Fails)
{
    if (Fails)
        FFailingOps.insert(Op);
    else
        FFailingOps.erase(Op);
}

void TSimSerialDevice::FailNextWrite(size_t Count)
{
    FFailNextWrite = true;
    FFailedWriteCount = Count;
}

void TSimSerialDevice::Record(TSimEventKind Kind, bool Level, size_t Count)
{
    if (!FRecording)
        return;
    FEvents.push_back(TSimEvent {Kind, NowUs(), Level, Count});
}

std::string TSimSerialDevice::EventTrace(bool All) const
{
    std::string Trace;
    auto Add = [&Trace](const std::string& Word) {
        if (!Trace.empty())
            Trace += ' ';
        Trace += Word;
    };
    for (const TSimEvent& E : FEvents) {
        switch (E.Kind) {
            case TSimEventKind::Rts: Add(E.Level ? "RTS+" : "RTS-"); break;
            case TSimEventKind::Dtr: Add(E.Level ? "DTR+" : "DTR-"); break;
            case TSimEventKind::Purge: Add("PURGE"); break;
            case TSimEventKind::Write: Add("W" + std::to_string(E.Count)); break;
            case TSimEventKind::Open:
                if (All)
                    Add("OPEN");
                break;
            case TSimEventKind::Close:
                if (All)
                    Add("CLOSE");
                break;
            case TSimEventKind::LineSettings:
                if (All)
                    Add("LINE");
                break;
        }
    }
    return Trace;
}

TSerialOpenResult TSimSerialDevice::Open(const std::string& Name)
{
    if (FOpen)
        return TSerialOpenResult::AccessDenied;  // a port is used once only
    if (FOpenResult != TSerialOpenResult::Ok)
        return FOpenResult;
    FOpen = true;
    FName = Name;
    ++FOpenCount;
    Record(TSimEventKind::Open);
    return TSerialOpenResult::Ok;
}

void TSimSerialDevice::Close()
{
    if (!FOpen)
        return;
    FOpen = false;
    FInput.clear();
    FLineErrors = 0;
    Record(TSimEventKind::Close);
}

bool TSimSerialDevice::SetEventMask(uint32_t Mask)
{
    if (!FOpen || Fails(TSimOp::SetEventMask))
        return false;
    FEventMask = Mask;
    return true;
}

bool TSimSerialDevice::SetTimeouts(const TSerialTimeouts& Timeouts)
{
    if (!FOpen || Fails(TSimOp::SetTimeouts))
        return false;
    FTimeouts = Timeouts;
    return true;
}

bool TSimSerialDevice::SetQueueSizes(uint32_t InputBytes, uint32_t OutputBytes)
{
    if (!FOpen || Fails(TSimOp::SetQueueSizes))
        return false;
    FInQueue = InputBytes;
    FOutQueue = OutputBytes;
    return true;
}

bool TSimSerialDevice::GetLineSettings(TSerialLineSettings& Settings)
{
    if (!FOpen || Fails(TSimOp::GetLineSettings))
        return false;
    Settings = FLine;
    return true;
}

bool TSimSerialDevice::SetLineSettings(const TSerialLineSettings& Settings)
{
    if (!FOpen || Fails(TSimOp::SetLineSettings))
        return false;
    FLine = Settings;
    Record(TSimEventKind::LineSettings);
    return true;
}

bool TSimSerialDevice::SetRts(bool Raised)
{
    if (!FOpen || Fails(TSimOp::SetRts))
        return false;
    FRts = Raised;
    Record(TSimEventKind::Rts, Raised);
    return true;
}

bool TSimSerialDevice::SetDtr(bool Raised)
{
    if (!FOpen || Fails(TSimOp::SetDtr))
        return false;
    FDtr = Raised;
    Record(TSimEventKind::Dtr, Raised);
    return true;
}

bool TSimSerialDevice::Purge()
{
    if (!FOpen || Fails(TSimOp::Purge))
        return false;
    // Bytes that have arrived are thrown away; bytes still on their way arrive
    // after the purge as they would on a real line.
    const int64_t Now = NowUs();
    std::erase_if(FInput, [Now](const TInByte& In) { return In.ArrivalUs <= Now; });
    Record(TSimEventKind::Purge);
    if (FPeer != nullptr)
        FPeer->OnPurge(*this, Now);
    return true;
}

uint32_t TSimSerialDevice::TakeLineErrors()
{
    const uint32_t Flags = FLineErrors;
    FLineErrors = 0;
    return Flags;
}

int64_t TSimSerialDevice::ReadDeadlineUs(size_t Count) const
{
    const int64_t LimitMs = int64_t(FTimeouts.ReadPerByteMs) * int64_t(Count) + int64_t(FTimeouts.ReadConstantMs);
    return NowUs() + LimitMs * 1000;
}

TSerialIoResult TSimSerialDevice::Read(uint8_t* Buffer, size_t Count)
{
    if (!FOpen || NowUs() >= FGoneUs)
        return TSerialIoResult {false, 0};
    const int64_t Deadline = std::min(ReadDeadlineUs(Count), FGoneUs);
    if (FPeer)
        FPeer->OnRead(*this, Deadline);
    if (!FReadFaults.empty()) {
        const TSimReadFault Fault = FReadFaults.front();
        FReadFaults.pop_front();
        if (Fault == TSimReadFault::Timeout) {
            FClock.AdvanceTo(Deadline);
            return TSerialIoResult {true, 0};
        }
        // The call fails at once, after handing over what had already arrived.
        size_t Got = 0;
        while (Got < Count && !FInput.empty() && FInput.front().ArrivalUs <= NowUs()) {
            Buffer[Got++] = FInput.front().Byte;
            FLineErrors |= FInput.front().LineErrors;
            FInput.pop_front();
        }
        return TSerialIoResult {false, Got};
    }
    size_t Got = 0;
    while (Got < Count) {
        if (FInput.empty() || FInput.front().ArrivalUs > Deadline) {
            FClock.AdvanceTo(Deadline);
            break;
        }
        const TInByte In = FInput.front();
        FInput.pop_front();
        FClock.AdvanceTo(In.ArrivalUs);
        Buffer[Got++] = In.Byte;
        FLineErrors |= In.LineErrors;
    }
    return TSerialIoResult {Got == Count || NowUs() < FGoneUs, Got};
}

TSerialIoResult TSimSerialDevice::Write(const uint8_t* Data, size_t Count)
{
    if (!FOpen || NowUs() >= FGoneUs)
        return TSerialIoResult {false, 0};
    size_t Moved = Count;
    bool Ok = true;
    if (FFailNextWrite) {
        FFailNextWrite = false;
        Moved = std::min(Count, FFailedWriteCount);
        Ok = false;
    }
    if (FRecording)
        FWritten.insert(FWritten.end(), Data, Data + Moved);
    // The write returns when the last byte has left the line.
    FClock.AdvanceBy(FCharTimeUs * int64_t(Moved));
    Record(TSimEventKind::Write, false, Moved);
    if (FPeer != nullptr && Moved > 0)
        FPeer->OnMasterBytes(*this, Data, Moved, NowUs());
    return TSerialIoResult {Ok, Moved};
}

void TSimSerialDevice::Wait(uint32_t Ms)
{
    FClock.AdvanceBy(int64_t(Ms) * 1000);
}
