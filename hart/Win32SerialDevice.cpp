#include "hart/Win32SerialDevice.h"

#ifdef _WIN32

#include <chrono>
#include <memory>

namespace {

// What a failed call's GetLastError value says about the port.
enum class TPortError {
    NotFound,  // no such port, or its device is not functioning
    InUse,  // held by another program
    Gone,  // the port itself failed: removed, stopped or no longer answering
    Other,
};

// The one place where GetLastError values are judged, as the POSIX back end
// judges errno. Opening: 2 and 31 mean no such port, 5 a port in use. During
// I/O the same numbers, and their kin, mean that the port has gone away (a
// pulled-out USB adapter answers ERROR_BAD_COMMAND, ERROR_DEVICE_REMOVED,
// ERROR_GEN_FAILURE, ERROR_OPERATION_ABORTED or ERROR_ACCESS_DENIED).
TPortError PortErrorFromLastError(DWORD Error, bool Opening)
{
    if (Opening) {
        switch (Error) {
            case ERROR_FILE_NOT_FOUND:  // 2
            case ERROR_GEN_FAILURE:  // 31, device not functioning
                return TPortError::NotFound;
            case ERROR_ACCESS_DENIED:  // 5
                return TPortError::InUse;
            default: return TPortError::Other;
        }
    }
    switch (Error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_HANDLE:
        case ERROR_BAD_UNIT:
        case ERROR_NOT_READY:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_OPERATION_ABORTED:
        case ERROR_IO_DEVICE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED: return TPortError::Gone;
        default: return TPortError::Other;
    }
}

TSerialOpenResult OpenResultFromError(DWORD Error)
{
    switch (PortErrorFromLastError(Error, true)) {
        case TPortError::NotFound: return TSerialOpenResult::NotFound;
        case TPortError::InUse: return TSerialOpenResult::AccessDenied;
        default: return TSerialOpenResult::OtherError;
    }
}

BYTE StopBitsCode(uint8_t StopBits)
{
    switch (StopBits) {
        case SerialStopBits15: return ONE5STOPBITS;
        case SerialStopBits2: return TWOSTOPBITS;
        default: return ONESTOPBIT;
    }
}

}  // namespace

std::unique_ptr<TSerialDevice> CreatePlatformSerialDevice()
{
    return std::make_unique<TWin32SerialDevice>();
}

std::vector<std::string> PlatformSerialDeviceNames()
{
    std::vector<std::string> Names;
    HKEY Key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &Key) != ERROR_SUCCESS)
        return Names;
    for (DWORD Index = 0;; ++Index) {
        char ValueName[256];
        DWORD NameLength = sizeof ValueName;
        BYTE Data[256];
        DWORD DataLength = sizeof Data - 1;
        DWORD Type = 0;
        const LONG Result = RegEnumValueA(Key, Index, ValueName, &NameLength, nullptr, &Type, Data, &DataLength);
        if (Result == ERROR_NO_MORE_ITEMS)
            break;
        if (Result != ERROR_SUCCESS)
            continue;
        // The value names are driver objects ("\Device\Serial0"); their data are the
        // port names that can be opened ("COM1").
        if (Type != REG_SZ)
            continue;
        Data[DataLength] = 0;
        Names.emplace_back(reinterpret_cast<const char*>(Data));
    }
    RegCloseKey(Key);
    return Names;
}

TWin32SerialDevice::~TWin32SerialDevice()
{
    Close();
}

TSerialOpenResult TWin32SerialDevice::Open(const std::string& Name)
{
    if (FHandle != INVALID_HANDLE_VALUE)
        return TSerialOpenResult::AccessDenied;
    FHandle = CreateFileA(Name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
        return OpenResultFromError(GetLastError());
    FHaveDcb = false;
    FLineErrors = 0;
    return TSerialOpenResult::Ok;
}

void TWin32SerialDevice::Close()
{
    if (FHandle == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
    FHaveDcb = false;
    FLineErrors = 0;
}

uint32_t TWin32SerialDevice::Handle() const
{
    if (FHandle == INVALID_HANDLE_VALUE)
        return SerialInvalidHandle;
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(FHandle));
}

uint32_t TWin32SerialDevice::PlatformId() const
{
    // Every Windows this program runs on belongs to the NT family, whose serial
    // driver has the RTS toggle mode.
    return VER_PLATFORM_WIN32_NT;
}

bool TWin32SerialDevice::SetEventMask(uint32_t Mask)
{
    return SetCommMask(FHandle, Mask) != FALSE;
}

bool TWin32SerialDevice::SetTimeouts(const TSerialTimeouts& Timeouts)
{
    COMMTIMEOUTS Ct {};
    Ct.ReadIntervalTimeout = Timeouts.ReadIntervalMs;
    Ct.ReadTotalTimeoutMultiplier = Timeouts.ReadPerByteMs;
    Ct.ReadTotalTimeoutConstant = Timeouts.ReadConstantMs;
    Ct.WriteTotalTimeoutMultiplier = Timeouts.WritePerByteMs;
    Ct.WriteTotalTimeoutConstant = Timeouts.WriteConstantMs;
    return SetCommTimeouts(FHandle, &Ct) != FALSE;
}

bool TWin32SerialDevice::SetQueueSizes(uint32_t InputBytes, uint32_t OutputBytes)
{
    return SetupComm(FHandle, InputBytes, OutputBytes) != FALSE;
}

bool TWin32SerialDevice::GetLineSettings(TSerialLineSettings& Settings)
{
    DCB Dcb {};
    Dcb.DCBlength = sizeof Dcb;
    if (!GetCommState(FHandle, &Dcb))
        return false;
    FDcb = Dcb;
    FHaveDcb = true;
    Settings.BaudRate = Dcb.BaudRate;
    Settings.Parity = Dcb.Parity;  // NOPARITY..SPACEPARITY are 0..4, as ours
    Settings.StopBits = Dcb.StopBits;  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS are 0..2
    Settings.DataBits = Dcb.ByteSize;
    Settings.Binary = Dcb.fBinary != 0;
    Settings.ParityCheck = Dcb.fParity != 0;
    Settings.RtsToggle = Dcb.fRtsControl == RTS_CONTROL_TOGGLE;
    return true;
}

bool TWin32SerialDevice::SetLineSettings(const TSerialLineSettings& Settings)
{
    // Everything not named in Settings stays as the driver reported it.
    if (!FHaveDcb) {
        TSerialLineSettings Current;
        if (!GetLineSettings(Current))
            return false;
    }
    DCB Dcb = FDcb;
    Dcb.DCBlength = sizeof Dcb;
    Dcb.BaudRate = Settings.BaudRate;
    Dcb.Parity = Settings.Parity;
    Dcb.StopBits = StopBitsCode(Settings.StopBits);
    Dcb.ByteSize = Settings.DataBits;
    Dcb.fBinary = Settings.Binary ? TRUE : FALSE;
    Dcb.fParity = Settings.ParityCheck ? TRUE : FALSE;
    if (Settings.RtsToggle)
        Dcb.fRtsControl = RTS_CONTROL_TOGGLE;
    if (!SetCommState(FHandle, &Dcb))
        return false;
    FDcb = Dcb;
    return true;
}

bool TWin32SerialDevice::SetRts(bool Raised)
{
    return EscapeCommFunction(FHandle, Raised ? SETRTS : CLRRTS) != FALSE;
}

bool TWin32SerialDevice::SetDtr(bool Raised)
{
    return EscapeCommFunction(FHandle, Raised ? SETDTR : CLRDTR) != FALSE;
}

bool TWin32SerialDevice::Purge()
{
    return PurgeComm(FHandle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

bool TWin32SerialDevice::GatherLineErrors()
{
    DWORD Errors = 0;
    COMSTAT Stat {};
    if (ClearCommError(FHandle, &Errors, &Stat)) {
        FLineErrors |= Errors;
        return true;
    }
    // A driver without the status query is not a failed port.
    return PortErrorFromLastError(GetLastError(), false) != TPortError::Gone;
}

uint32_t TWin32SerialDevice::TakeLineErrors()
{
    GatherLineErrors();
    const uint32_t Errors = FLineErrors;
    FLineErrors = 0;
    return Errors;
}

TSerialIoResult TWin32SerialDevice::Read(uint8_t* Buffer, size_t Count)
{
    DWORD Got = 0;
    if (!ReadFile(FHandle, Buffer, static_cast<DWORD>(Count), &Got, nullptr)) {
        // A driver left with fAbortOnError set aborts reads after a line error
        // until its flags are read: that is the line error, reported by its flags.
        if (GetLastError() == ERROR_OPERATION_ABORTED && GatherLineErrors() && FLineErrors != 0)
            return TSerialIoResult {true, Got};
        return TSerialIoResult {false, Got};
    }
    // A short read is a time-out, unless the port has gone: some drivers then
    // answer every read at once with nothing, and only the status query fails.
    if (Got < Count && !GatherLineErrors())
        return TSerialIoResult {false, Got};
    return TSerialIoResult {true, Got};
}

TSerialIoResult TWin32SerialDevice::Write(const uint8_t* Data, size_t Count)
{
    DWORD Done = 0;
    if (!WriteFile(FHandle, Data, static_cast<DWORD>(Count), &Done, nullptr))
        return TSerialIoResult {false, Done};
    if (Done < Count && !GatherLineErrors())
        return TSerialIoResult {false, Done};
    return TSerialIoResult {true, Done};
}

void TWin32SerialDevice::Wait(uint32_t Ms)
{
    Sleep(Ms);
}

int64_t TWin32SerialDevice::NowUs() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

#endif  // _WIN32
