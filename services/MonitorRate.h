#pragma once
// The shortest monitoring rate: one command-3 exchange (the request with the
// link's preambles, the longest reply with five preambles, and the link's RTS
// hold as the turnaround) must fit into one sampling period, or the samples
// would run back to back and their times would no longer be n times the rate.

class THartCom;

// Seconds, rounded up to whole hundredths so that it can be shown and typed.
double ShortestMonitorRate(const THartCom& Hart);
