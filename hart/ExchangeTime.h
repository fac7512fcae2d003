#pragma once
// How long one request and its reply take on the serial line. The monitoring
// of the window and a command-line tool use it to refuse a sampling period in
// which one reading of the measured values cannot finish.

#include <cstdint>

// Start bit, 8 data bits, odd parity, stop bit.
inline constexpr uint32_t HartBitsPerCharacter = 11;

struct THartExchangeFrame {
    uint32_t RequestPreambles = 6;  // the master's preambles (THartCom::NumPreamble)
    uint32_t ReplyPreambles = 5;  // what a transmitter sends before its reply
    uint32_t RequestDataBytes = 0;
    uint32_t ReplyDataBytes = 0;  // after the two status bytes
    uint32_t TurnaroundMs = 20;  // silence between the request and the first reply byte
};

// Characters of a long-frame request and of its reply, preambles included.
uint32_t RequestCharacters(const THartExchangeFrame& Frame);
uint32_t ReplyCharacters(const THartExchangeFrame& Frame);

// Seconds from the first preamble of the request to the last byte of the reply.
double ExchangeSeconds(const THartExchangeFrame& Frame, uint32_t BaudRate);

// Command 3 (read the loop current and the dynamic variables) with its longest
// reply: current and four variables, each with its unit.
THartExchangeFrame Command3Exchange(uint32_t RequestPreambles = 6, uint32_t TurnaroundMs = 20);

// The shortest sampling period, in seconds, in which one command 3 fits on a line
// of BaudRate, rounded up to whole hundredths so it can be shown and typed.
double ShortestCommand3Period(uint32_t BaudRate, uint32_t RequestPreambles = 6, uint32_t TurnaroundMs = 20);
