#pragma once
// THart: the HART command layer on top of the link THartCom. Each of the twelve
// commands the tool sends is one operation; it builds the request data, runs one
// SendCommand, names the reply's response code with a message key in
// Response.ResponseMessage and either raises EHartComError with that key or
// decodes the reply data into the caller's arguments. Outputs are only written
// on success (command 0 clears its record and the device identity first).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hart/HartCom.h"
#include "hart/HartIdentity.h"
#include "hart/PatientLink.h"
#include "hart/RangeError.h"

struct THartBurstFrame;

enum TFloatFormat : uint8_t { IEEE754, MICROCHIP, XEMICS };

// Identity of a device, filled by command 0.
struct THartDevInfo {
    std::string Manufacturer;
    std::string DeviceType;
    uint8_t MinPreambles = 0;
    std::string UnivCmdRev;
    std::string DeviceRev;
    std::string SoftwareRev;  // "H.L", hexadecimal nibbles
    std::string HardwareRev;
    int32_t DeviceId = 0;
    std::string SerialNr;
};

// Transducer limits, filled by command 14.
struct TSensorInfo {
    uint8_t SensorSerial[3] = {};
    std::string Unit;
    float UpperLimit = 0;
    float LowerLimit = 0;
    float MinSpan = 0;
};

// Output settings of the primary variable, filled by command 15.
struct TPrVarInfo {
    uint8_t AlarmSelect = 0;
    uint8_t TransferFunction = 0;
    std::string Unit;
    float UpperRange = 0;
    float LowerRange = 0;
    float Damping = 0;
    uint8_t WriteProtect = 0;
    uint8_t PrivateLabel = 0;
};

class THart : public THartCom {
public:
    THart();
    explicit THart(std::unique_ptr<TSerialDevice> Device);
    ~THart() override;

    // --- properties kept for the window's stored settings; no conversion reads them
    TFloatFormat FloatFormat() const { return FFloatFormat; }
    void SetFloatFormat(TFloatFormat Value) { FFloatFormat = Value; }
    bool SwapEepData() const { return FSwapEepData; }
    void SetSwapEepData(bool Value) { FSwapEepData = Value; }
    bool SwapRamData() const { return FSwapRamData; }
    void SetSwapRamData(bool Value) { FSwapRamData = Value; }

    // --- encodings ------------------------------------------------------------
    // Count bytes from Source to Target, reversed if Reverse; the buffers may be the same.
    static void ReverseBytes(const uint8_t* Source, uint8_t* Target, bool Reverse, uint8_t Count);
    // 4 characters per whole group of 3 bytes; at most 64 bytes (else ERangeError).
    static std::string UnpackASCII(const uint8_t* Source, uint8_t ByteCount);
    // Text padded with blanks to CharCount, 3 bytes per whole group of 4 characters;
    // at most 44 characters (else ERangeError).
    static void PackASCII(const std::string& Text, uint8_t* Target, uint8_t CharCount);

    // --- tables -----------------------------------------------------------------
    static uint8_t GetUnitCode(const std::string& Name);  // 255 if unknown
    static std::string GetUnitName(uint8_t Code);  // "unknown" if unknown
    static std::string GetManufacturerName(uint8_t Code);
    static std::string GetDeviceTypeName(uint8_t Code);

    // --- commands (each returns 0 or raises) -------------------------------------
    // 0: identity; stores the device's long address in the link.
    int32_t ReadUniqueIdentifier(THartDevInfo& Info);
    // 13
    int32_t ReadTagDescriptorDate(std::string& Tag, std::string& Descriptor, uint8_t& Day, uint8_t& Month,
                                  uint16_t& Year);
    // 14
    int32_t ReadSensorInfo(TSensorInfo& Info);
    // 15
    int32_t ReadPrVarInfo(TPrVarInfo& Info);
    // 18: the arguments are overwritten with the device's echo. A year outside
    // 1900..2155 raises ERangeError before anything is sent.
    int32_t WriteTagDescriptorDate(std::string& Tag, std::string& Descriptor, uint8_t& Day, uint8_t& Month,
                                   uint16_t& Year);
    // 34: seconds.
    int32_t WriteDamping(float& Damping);
    // 35: a unit name outside the table is sent as code 255.
    int32_t WriteRangeValues(std::string& Unit, float& Upper, float& Lower);
    // 36, 37, 43: trims against the pressure applied at the transmitter.
    int32_t SetUpperRangeValue();
    int32_t SetLowerRangeValue();
    int32_t SetPVZero();
    // 44
    int32_t WritePVUnit(std::string& Unit);
    // 3: loop current in mA, PV unit name, primary variable.
    int32_t ReadDynamicVariables(float& Current, std::string& Unit, float& PV);

    // --- device status ----------------------------------------------------------------
    // 38: clears the configuration-changed bit of the device status.
    int32_t ResetConfigurationChangedFlag();
    // 48: the additional device status, as many bytes as the reply carries.
    int32_t ReadAdditionalDeviceStatus(std::vector<uint8_t>& Bytes);
    // --- addressing (HartCommandAddress.cpp) -----------------------------------------
    // 11, to the broadcast address: the identity of the device with this tag;
    // stores its long address as command 0 does. No answer raises "146.TAGNOTFOUND".
    int32_t FindByTag(const std::string& Tag, THartDevInfo& Info);
    // 6: the device's new polling address. HART 6 and 7 devices also take the
    // loop current mode (LoopCurrent: the current follows the measurement);
    // HART 5 devices fix their current at 4 mA at any address but 0 themselves.
    int32_t WritePollingAddress(uint8_t& Address, bool WithLoopCurrentMode, bool& LoopCurrent);
    // 20 and 22: the long tag, 32 characters ISO Latin-1, here as UTF-8
    // without the trailing NUL padding. A text Latin-1 cannot hold, or longer
    // than 32 characters, raises ERangeError before anything is sent.
    int32_t ReadLongTag(std::string& LongTag);
    int32_t WriteLongTag(std::string& LongTag);

    // Everything the last command 0 or 11 reply held, HART 6 and 7 fields
    // included; cleared when such a command starts.
    const THartIdentity& Identity() const { return FIdentity; }

    // Repeats for busy and delayed answers; every command goes through it.
    TPatientLink& Patient() { return FPatient; }

    // --- output stage -----------------------------------------------------------------
    // 40: fixes the loop current at Current mA; 0 leaves fixed-current mode.
    // Current becomes the value the device reports it fixed.
    int32_t FixLoopCurrent(float& Current);
    // 45, 46: the current a reference meter reads while the output is fixed at
    // its lower (45) or upper (46) end; the argument becomes the device's echo.
    int32_t TrimLoopCurrentZero(float& Measured);
    int32_t TrimLoopCurrentGain(float& Measured);

    // --- burst mode (HartBurstCommands.cpp) ---------------------------------------------
    // 108: the command a burst frame answers. 109: burst mode on or off. Each
    // waits at most GapWaitMs for the gap after a burst frame before it sends
    // (0: the line is known to be quiet).
    int32_t WriteBurstCommand(uint8_t Command, uint32_t GapWaitMs = 0);
    int32_t WriteBurstMode(bool On, uint32_t GapWaitMs = 0);
    // Decodes a command 3 burst frame as ReadDynamicVariables does; false for
    // a frame of another command or a short one.
    static bool DecodeBurstDynamicVariables(const THartBurstFrame& Frame, float& Current, std::string& Unit, float& PV);

private:
    void WaitForBurstGap(uint32_t GapWaitMs);
    // Runs one command and turns a non-zero response code into EHartComError.
    int32_t Execute(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength);
    // Reply data byte k (after the two status bytes).
    const uint8_t* ReplyData(size_t k = 0) const { return &Response.Data[k + 2]; }
    float ReplyFloat(size_t k) const;
    int32_t ExchangeCurrent(uint8_t Command, float& Current);
    void DecodeTagDescriptorDate(std::string& Tag, std::string& Descriptor, uint8_t& Day, uint8_t& Month,
                                 uint16_t& Year) const;

    void FillDevInfo(THartDevInfo& Info);
    std::string LongTagFromReply() const;

    TPatientLink FPatient {*this};
    THartIdentity FIdentity;
    TFloatFormat FFloatFormat = XEMICS;
    bool FSwapEepData = true;
    bool FSwapRamData = false;
};
