#pragma once
// A transmitter found in burst mode (its burst frames came between the replies
// of a workflow) is offered to be taken out of it.

#include <cstdint>

class TMainView;

// BurstFramesBefore: the link's BurstFramesPassed() when the workflow began.
// Asks only when burst frames came since, and no recording holds burst mode.
void OfferBurstOff(TMainView& View, uint64_t BurstFramesBefore);
