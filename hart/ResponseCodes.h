#pragma once
// Response code of a reply to the message key of one command.
#include <cstdint>
#include <string>

namespace HartResponse {

// Key for response code Code of a reply to HART command Command: the command's own
// rows first, then the rows every command shares (0, 32, 64), "23.UNDEFINED" for
// anything else.
std::string Key(uint8_t Command, uint8_t Code);

}  // namespace HartResponse
