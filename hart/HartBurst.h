#pragma once
// Burst frames: a transmitter in burst mode publishes a reply frame on its own,
// again and again, with the burst delimiter (0x81 long, 0x01 short) and the
// burst bit in its address. THartBurstListener reads those frames from the
// serial line of a THartCom, between the link's own transactions, and sends a
// master request in the gap that follows a burst frame (a bursting device
// leaves the line free for a few character times after each frame; a request
// started then is answered before the next burst frame).
//
// Over a network link there is no line to listen on: the listener refuses it.

#include <cstdint>
#include <functional>

#include "hart/HartCom.h"

namespace HartKey {
// Burst mode needs a serial line; a network link cannot carry it.
inline constexpr const char* BurstNeedsSerial = "148.BURSTNEEDSSERIAL";
}  // namespace HartKey

// One burst frame as it came in.
struct THartBurstFrame {
    uint8_t Delimiter = 0;
    uint8_t Address[5] = {};  // a short frame's polling address is Address[0]
    uint8_t Command = 0;
    uint8_t ByteCount = 0;
    // As in a reply: Data[0] the response code, Data[1] the device status, the
    // command's data from Data[2].
    uint8_t Data[256] = {};
    int64_t EndUs = 0;  // link clock when its check byte arrived
};

class THartBurstListener {
public:
    // Raises EHartComError (HartKey::BurstNeedsSerial) on a network link.
    explicit THartBurstListener(THartCom& Link);

    // Waits at most WaitMs for the next burst frame. With AnyDevice false only
    // frames from the link's device (its long address, burst and master bits
    // aside) count; others, replies, requests of another master and damaged
    // frames are passed over (damaged ones are counted). Returns false when no
    // frame came in time; a port failure raises EHartComError.
    bool NextFrame(THartBurstFrame& Frame, uint32_t WaitMs, bool AnyDevice = false);

    // Whether a device bursts on the line: a burst frame within WaitMs.
    bool LineBursting(uint32_t WaitMs);

    // Sends one request in the gap after a burst frame: waits (at most WaitMs)
    // for a burst frame of any device to end, then runs the transaction at once.
    // When no burst frame comes the line is quiet and the request goes anyway.
    // The waited-for frame, if it is the link's device's, is handed to OnFrame.
    void SendInGap(uint8_t Command, const uint8_t* RequestData, uint8_t RequestLength, THartDeviceResponse& Reply,
                   uint32_t WaitMs);

    std::function<void(const THartBurstFrame&)> OnFrame;

    // Frames whose check byte or shape was wrong.
    uint64_t DamagedFrames() const { return FDamaged; }

    // Whether a delimiter marks a burst frame.
    static bool IsBurstDelimiter(uint8_t Delimiter) { return (Delimiter & 0x7F) == 0x01; }

private:
    enum class TRead : uint8_t { Frame, Damaged, Quiet };
    TRead ReadFrame(THartBurstFrame& Frame, int64_t DeadlineUs);
    bool ReadByteBefore(uint8_t& Byte, int64_t DeadlineUs);
    bool FromLinkDevice(const THartBurstFrame& Frame) const;

    THartCom& FLink;
    uint64_t FDamaged = 0;
};
