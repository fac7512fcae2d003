#pragma once
// The serial line under the HART frame layer: preambles on the wire, RTS
// raised around the transmission, the hunt for the reply's preambles and
// delimiter, and the read limits and deadlines that bound a reply. It runs on
// the link's serial device and its line properties (TimeOut, RTSDelay, the
// baud rate a character time comes from), so it belongs to one THartCom.

#include <cstdint>

#include "hart/HartTransport.h"
#include "hart/SerialDevice.h"

class THartCom;

class TSerialTransport : public THartTransport {
public:
    explicit TSerialTransport(THartCom& Link)
        : FLink(Link)
    {
    }

    bool IsOpen() const override;
    uint8_t RequestPreambles() const override;
    void PrepareExchange(uint32_t TimeOutMs) override;
    void SendRequest(const uint8_t* Request, size_t Length) override;
    uint8_t ReceiveDelimiter(THartDeviceResponse& Reply) override;
    void ExpectData(uint8_t ByteCount) override;
    uint8_t ReceiveByte() override;
    void FinishExchange() override;
    int64_t NowUs() const override;

    // The port was opened with these time-outs.
    void PortConfigured(const TSerialTimeouts& Timeouts);

private:
    static constexpr int64_t NoDeadline = INT64_MAX;

    int64_t ReadLimitUs() const;
    // How long the hunt may take from the reply's first byte.
    int64_t HuntBoundUs() const;
    // Until when the reply's first byte may come: no limit but the hunt's own,
    // unless the link has a reply wait (a scan), counted from the request's end.
    int64_t FirstByteDeadline() const;
    void SetReadLimitMs(uint32_t PerByteMs, uint32_t ConstantMs);
    void RestoreReadLimit();
    // One byte, waiting at most one read limit and never past DeadlineUs.
    void ReadByteBefore(uint8_t& Byte, int64_t DeadlineUs);
    bool ReadHuntByte(uint8_t& Byte, uint32_t& Failures, int64_t GiveUpUs);
    uint8_t HuntForDelimiter(THartDeviceResponse& Reply);

    THartCom& FLink;
    uint32_t FReadPerByteMs = 10;  // read time-outs the port has now
    uint32_t FReadConstantMs = 500;
    int64_t FReplyDeadlineUs = 0;  // the rest of the reply must be in by then
    int64_t FWrittenUs = 0;  // when the last request was handed to the port
    size_t FSentLength = 0;  // its length in characters
};
