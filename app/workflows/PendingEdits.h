#pragma once
// The edited values a Set has still to write. A field's change event marks its
// value; a read, a save and a step the transmitter kept unmark it.

struct TPendingEdits {
    bool RangeChanged = false;
    bool UnitChanged = false;
    bool DampingChanged = false;
    bool DescriptionChanged = false;

    void Clear() { RangeChanged = UnitChanged = DampingChanged = DescriptionChanged = false; }
};
