#pragma once
// A value that cannot be represented where it has to go (a year that does not fit
// the one-byte date encoding, a text longer than a conversion buffer). Raised
// before anything is sent; deliberately not an EHartComError.
#include <stdexcept>
#include <string>

class ERangeError : public std::out_of_range {
public:
    explicit ERangeError(const std::string& Message)
        : std::out_of_range(Message)
    {
    }
};
