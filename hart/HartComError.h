#pragma once
// The one exception class of the HART link and command layers. Its message is
// a language key such as "141.TRANSMITTERTIMEOUT"; the window translates it.

#include <stdexcept>
#include <string>

class EHartComError : public std::runtime_error {
public:
    explicit EHartComError(const std::string& Key)
        : std::runtime_error(Key)
    {
    }
    explicit EHartComError(const char* Key)
        : std::runtime_error(Key)
    {
    }

    // The key the error was raised with (the same text as what()).
    std::string Message() const { return what(); }
    int HelpContext() const { return 0; }
};
