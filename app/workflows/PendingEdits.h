#pragma once
// The edited values a Set has still to write. A field's change event marks its
// value; a read and a step the transmitter kept unmark it.

#include <cstdint>
#include <optional>

// The description's date as the transmitter sent it.
struct TDateBytes {
    uint8_t Day = 0, Month = 0;
    uint16_t Year = 0;
};

struct TPendingEdits {
    bool RangeChanged = false;
    bool UnitChanged = false;
    bool DampingChanged = false;
    bool DescriptionChanged = false;
    // The date of the last read: a Set of tag and descriptor writes it back
    // unchanged when it is no date the window can show (a date never set).
    std::optional<TDateBytes> DateAsRead;

    void Clear() { RangeChanged = UnitChanged = DampingChanged = DescriptionChanged = false; }
};
