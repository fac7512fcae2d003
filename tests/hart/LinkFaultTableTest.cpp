// The link's faults, one per row: the simulated transmitter spoils its answer
// to the second command of a device read (command 14, after command 0) in one
// way, at the pace of a 1200-baud line, and the read must end with the row's
// key within 2.1 s of the spoilt request. Set CALVISTA_PRINT_FAULT_TABLE to
// see the table with the times measured.

#include <cstdio>
#include <cstdlib>

#include "hart/HartCommand.h"
#include "sim/SimSerialDevice.h"
#include "sim/SimTransmitter.h"
#include "sim/SimTransmitterPeer.h"
#include "tests/hart/LinkTestSupport.h"

namespace {

// Byte positions in the answer to command 14 with the transmitter's five
// preambles: delimiter at 5, address 6..10, command 11, byte count 12, status
// 13 and 14, data from 15.
constexpr int FirstDataByte = 15;

struct TFaultRow {
    const char* Name;
    TSimFault Fault;
    const char* Key;
};

TSimFault Noise()
{
    TSimFault F;
    F.Noise = {0x12, 0x00, 0x86};
    return F;
}
TSimFault Lost()
{
    TSimFault F;
    F.LostByteIndex = FirstDataByte + 3;
    return F;
}
TSimFault BadCheck()
{
    TSimFault F;
    F.BadCheckByte = true;
    return F;
}
TSimFault Summary(int Bits)
{
    TSimFault F;
    F.CommErrorSummary = Bits;
    return F;
}
TSimFault Code(int Value)
{
    TSimFault F;
    F.ResponseCode = Value;
    return F;
}
TSimFault NoAnswer()
{
    TSimFault F;
    F.NoAnswer = true;
    return F;
}
TSimFault LineError(uint32_t Flags)
{
    TSimFault F;
    F.LineErrorByteIndex = FirstDataByte + 1;
    F.LineErrors = Flags;
    return F;
}

TEST(LinkFaultTable, EachFaultEndsTheReadWithItsKeyWithinItsTime)
{
    const TFaultRow Rows[] = {
        {"noise before the reply", Noise(), ""},
        {"a lost byte", Lost(), "141.TRANSMITTERTIMEOUT"},
        {"a wrong check byte", BadCheck(), "140.CRCCHECKING"},
        {"summary: buffer overflow", Summary(0x02), "128.BUFFOVERFLOW"},
        {"summary: longitudinal parity", Summary(0x08), "129.LONGPARITY"},
        {"summary: framing", Summary(0x10), "130.FRAMING"},
        {"summary: overrun", Summary(0x20), "131.OVERRUN"},
        {"summary: vertical parity", Summary(0x40), "132.VERTPARITY"},
        {"summary: bit 0x01", Summary(0x01), "135.COMMERR"},
        {"summary: bit 0x04", Summary(0x04), "135.COMMERR"},
        {"summary: two bits", Summary(0x30), "135.COMMERR"},
        {"busy", Code(32), "22.BUSY"},
        {"not implemented", Code(64), "137.COMMANDNOTIMPLEMENTED"},
        {"line: input overflow", LineError(SerialErrRxOver), "1.RXOVER"},
        {"line: overrun", LineError(SerialErrOverrun), "2.OVERRUN"},
        {"line: parity", LineError(SerialErrParity), "3.RXPARITY"},
        {"line: framing", LineError(SerialErrFrame), "4.FRAME"},
        {"line: break", LineError(SerialErrBreak), "5.BREAK"},
        {"line: parity and framing", LineError(SerialErrParity | SerialErrFrame), "135.COMMERROR"},
        {"no answer", NoAnswer(), "141.TRANSMITTERTIMEOUT"},
    };
    const bool Print = std::getenv("CALVISTA_PRINT_FAULT_TABLE") != nullptr;
    for (const TFaultRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TSimTransmitter Transmitter;
        Transmitter.SetPacing(TSimPacing::Baud1200());
        Transmitter.QueueFault(TSimFault {});  // command 0 answers as it should
        Transmitter.QueueFault(Row.Fault);
        auto Device = std::make_unique<TSimSerialDevice>();
        TSimSerialDevice& Line = *Device;
        Line.SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
        TSimTransmitterPeer Peer(Transmitter, Line);
        THart Hart(std::move(Device));
        Hart.Patient().Patience.BusyRepeats = 0;  // the link's own answer to each fault, at its own pace
        ASSERT_TRUE(Hart.OpenPort("COM1"));
        const std::string Key = KeyOfCall([&] {
            THartDevInfo Identity;
            Hart.ReadUniqueIdentifier(Identity);
            TSensorInfo Sensor;
            Hart.ReadSensorInfo(Sensor);
            TPrVarInfo Output;
            Hart.ReadPrVarInfo(Output);
        });
        EXPECT_EQ(Key, Row.Key);
        ASSERT_GE(Transmitter.Requests().size(), 2u);
        const TSimRequest& Spoilt = Transmitter.Requests()[1];
        EXPECT_EQ(Spoilt.Command, 14);
        if (*Row.Key != 0) {
            const int64_t TookUs = Line.NowUs() - Spoilt.EndUs;
            EXPECT_LE(TookUs, 2'100'000);
            if (Print)
                std::printf("| %-30s | %-26s | %5.3f s |\n", Row.Name, Key.c_str(), TookUs / 1e6);
        } else {
            EXPECT_EQ(Transmitter.Requests().size(), 3u);  // the read went on to command 15
            if (Print)
                std::printf("| %-30s | %-26s | read completes |\n", Row.Name, "(none)");
        }
    }
}

}  // namespace
