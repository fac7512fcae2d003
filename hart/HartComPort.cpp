// THartCom: the properties of the line and the port operations under the
// transaction (open, configure, RTS, read, write, line errors).
#include "hart/HartCom.h"

#include <cstring>

#include "hart/ErrorKeys.h"
#include "hart/SerialTransport.h"

namespace {

constexpr uint32_t QueueSize = 256;

uint8_t ParityCode(TParity Value)
{
    switch (Value) {
        case paNone: return SerialParityNone;
        case paOdd: return SerialParityOdd;
        case paEven: return SerialParityEven;
        case paMark: return SerialParityMark;
        case paSpace: return SerialParitySpace;
    }
    return SerialParityNone;
}

uint8_t StopBitsCode(TStopbits Value)
{
    switch (Value) {
        case sb10: return SerialStopBits1;
        case sb15: return SerialStopBits15;
        case sb20: return SerialStopBits2;
    }
    return SerialStopBits1;
}

uint8_t DataBitsCount(TDatabits Value)
{
    return uint8_t(4 + int(Value));
}

const char* LineErrorKey(uint32_t Flags)
{
    switch (Flags) {
        case SerialErrRxOver: return HartKey::RxOver;
        case SerialErrOverrun: return HartKey::Overrun;
        case SerialErrParity: return HartKey::RxParity;
        case SerialErrFrame: return HartKey::Frame;
        case SerialErrBreak: return HartKey::Break;
        default: return HartKey::CommError;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Properties whose change reaches an open port

void THartCom::SetBaudrate(TBaudrate Value)
{
    if (Value == FBaudrate)
        return;
    FBaudrate = Value;
    ApplyLineSettings();
}

void THartCom::SetParity(TParity Value)
{
    if (Value == FParity)
        return;
    FParity = Value;
    ApplyLineSettings();
}

void THartCom::SetStopBits(TStopbits Value)
{
    if (Value == FStopBits)
        return;
    FStopBits = Value;
    ApplyLineSettings();
}

void THartCom::SetDataBits(TDatabits Value)
{
    if (Value == FDataBits)
        return;
    FDataBits = Value;
    ApplyLineSettings();
}

void THartCom::SetUseRTS(bool Value)
{
    if (Value == FUseRTS)
        return;
    FUseRTS = Value;
    ApplyLineSettings();
}

void THartCom::SetLongAddress(const uint8_t Address[5])
{
    std::memcpy(FLongAddress.data(), Address, FLongAddress.size());
}

void THartCom::ClearLongAddress()
{
    FLongAddress.fill(0);
    FLongAddressValid = false;
}

// ---------------------------------------------------------------------------
// Port operations

bool THartCom::OpenPort(const std::string& Name)
{
    if (FPortOpen)
        return true;
    if (OpenNetworkLink(Name))
        return true;
    const TSerialOpenResult Opened = FDevice->Open(Name);
    // The handle of the attempt, the invalid one if it failed.
    FCommDevice = Opened == TSerialOpenResult::Ok ? FDevice->Handle() : InvalidHandle;
    switch (Opened) {
        case TSerialOpenResult::Ok: break;
        case TSerialOpenResult::NotFound: throw EHartComError(HartKey::InvalidPort);
        case TSerialOpenResult::AccessDenied: throw EHartComError(HartKey::PortAlreadyUsed);
        case TSerialOpenResult::OtherError: throw EHartComError(HartKey::FileCreate);
    }
    try {
        ConfigureOpenedPort();
        FPortOpen = true;
        ApplyLineSettings();
    } catch (const EHartComError&) {
        FDevice->Close();
        FCommDevice = InvalidHandle;
        FPortOpen = false;
        throw;
    }
    return true;
}

void THartCom::ConfigureOpenedPort()
{
    if (!FDevice->SetEventMask(SerialEventsNone))
        throw EHartComError(HartKey::SetCommMask);
    FPortTimeOut = FTimeOut;
    const TSerialTimeouts Timeouts = PortTimeouts();
    if (!FDevice->SetTimeouts(Timeouts))
        throw EHartComError(HartKey::SetCommTimeout);
    FSerialLink->PortConfigured(Timeouts);
    if (!FDevice->SetQueueSizes(QueueSize, QueueSize))
        throw EHartComError(HartKey::SetupComm);
}

TSerialTimeouts THartCom::PortTimeouts() const
{
    TSerialTimeouts Timeouts;
    Timeouts.ReadIntervalMs = 0;
    Timeouts.ReadPerByteMs = 10;
    Timeouts.ReadConstantMs = FPortTimeOut;
    Timeouts.WritePerByteMs = 10;
    Timeouts.WriteConstantMs = 1000;
    return Timeouts;
}

bool THartCom::ClosePort()
{
    if (!FPortOpen)
        return false;
    if (FNetwork) {
        ReleaseNetworkLink();
        return true;
    }
    // With the driver's RTS toggle the port is left as the driver keeps it.
    if (!(FUseRTS && FPlatformId == SerialPlatformWinNT) && !FDevice->SetDtr(false))
        throw EHartComError(HartKey::EscCommFunction);
    FDevice->Close();
    FCommDevice = InvalidHandle;
    FPortOpen = false;
    return true;
}

TSerialLineSettings THartCom::LineSettingsFromProperties(const TSerialLineSettings& Current) const
{
    TSerialLineSettings Settings = Current;
    Settings.BaudRate = BaudrateValue(FBaudrate);
    Settings.Parity = ParityCode(FParity);
    Settings.StopBits = StopBitsCode(FStopBits);
    Settings.DataBits = DataBitsCount(FDataBits);
    Settings.Binary = true;
    Settings.ParityCheck = true;
    return Settings;
}

void THartCom::ApplyLineSettings()
{
    if (!FPortOpen || FNetwork)
        return;
    TSerialLineSettings Settings;
    if (!FDevice->GetLineSettings(Settings))
        throw EHartComError(HartKey::SetCommState);
    Settings = LineSettingsFromProperties(Settings);
    if (!FDevice->SetLineSettings(Settings))
        throw EHartComError(HartKey::SetCommState);
    if (FUseRTS && FPlatformId == SerialPlatformWinNT) {
        Settings.RtsToggle = true;
        if (!FDevice->SetLineSettings(Settings))
            throw EHartComError(HartKey::SetCommState);
    } else if (FUseRTS) {
        ClearRTS();  // each transaction raises it around its transmission
    } else {
        ApplyPhysLayer(FPhysLayer);
    }
    if (!FDevice->SetDtr(true))
        throw EHartComError(HartKey::EscCommFunction);
}

void THartCom::ApplyPhysLayer(TPhysLayer Value)
{
    FPhysLayer = Value;
    if (!FPortOpen || FNetwork)
        return;
    if (Value == BELL202)
        SetRTS();
    if (FPhysLayer == RS232C)
        ClearRTS();
}

void THartCom::SetRTS()
{
    if (FNetwork)
        return;
    if (!FDevice->SetRts(true))
        throw EHartComError(HartKey::EscCommFunction);
}

void THartCom::ClearRTS()
{
    if (FNetwork)
        return;
    if (!FDevice->SetRts(false))
        throw EHartComError(HartKey::EscCommFunction);
}

void THartCom::PurgePort()
{
    FDevice->Purge();
    FDevice->TakeLineErrors();
}

int32_t THartCom::WritePort(const uint8_t* Buffer, int32_t Count)
{
    const TSerialIoResult Result = FDevice->Write(Buffer, Count > 0 ? size_t(Count) : 0);
    if (!Result.Ok && Result.Count > 0) {
        ReleaseFailedPort();
        throw EHartComError(HartKey::FileWrite);
    }
    return int32_t(Result.Count);
}

int32_t THartCom::ReadPort(uint8_t* Buffer, int32_t Count)
{
    const size_t Wanted = Count > 0 ? size_t(Count) : 0;
    const TSerialIoResult Result = FDevice->Read(Buffer, Wanted);
    // The port itself failed (unplugged, hung up): no later read can succeed, so
    // this is not a silent transmitter.
    if (!Result.Ok) {
        ReleaseFailedPort();
        throw EHartComError(HartKey::FileRead);
    }
    CheckLineErrors();
    if (Result.Count < Wanted)
        throw EHartComError(HartKey::TransmitterTimeout);
    return int32_t(Result.Count);
}

void THartCom::ReleaseFailedPort()
{
    // The handle of a port that failed (an adapter unplugged, a device that hung
    // up) is of no further use: the port counts as closed, so the next OpenPort
    // opens it afresh once it is back, instead of every later transaction
    // failing on the dead handle and a port change failing to close it.
    FDevice->Close();
    FCommDevice = InvalidHandle;
    FPortOpen = false;
}

void THartCom::CheckLineErrors()
{
    const uint32_t Flags = FDevice->TakeLineErrors();
    if (!FCheckCommError || Flags == 0)
        return;
    // Start the next read on fresh input.
    PurgePort();
    throw EHartComError(LineErrorKey(Flags));
}

int64_t THartCom::CharTimeUs() const
{
    // start bit, data bits, parity bit, stop bits; counted in half bits for 1.5
    const int64_t HalfBits = 2 * (1 + DataBitsCount(FDataBits) + (FParity == paNone ? 0 : 1))
                             + (FStopBits == sb10   ? 2
                                : FStopBits == sb15 ? 3
                                                    : 4);
    const int64_t Baud = BaudrateValue(FBaudrate);
    return (HalfBits * 1'000'000 + 2 * Baud - 1) / (2 * Baud);
}
