#pragma once
// SIGINT, SIGTERM and SIGHUP while a command holds a transmitter's output:
// the handler only sets a flag, which the command checks between its waits,
// so that it unwinds and its holds release the output before the tool exits.

#include <csignal>
#include <iterator>

class TCliStopSignals {
public:
    TCliStopSignals();
    ~TCliStopSignals();
    TCliStopSignals(const TCliStopSignals&) = delete;
    TCliStopSignals& operator=(const TCliStopSignals&) = delete;

    // The signal that asked the command to stop, 0 while none did.
    static int Caught();

private:
#ifdef SIGHUP
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
#else
    static constexpr int Signals[] = {SIGINT, SIGTERM};
#endif
    void (*FPrevious[std::size(Signals)])(int) = {};
};
