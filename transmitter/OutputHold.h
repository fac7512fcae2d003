#pragma once
// Some commands leave a transmitter in a mode that outlives the exchange that
// set it: a fixed loop current (loop test, output trim) or burst mode. The
// control system on the loop sees that mode, so it must be undone on every exit
// path: the normal end, Cancel, an error, the window closing, a signal to the
// command-line tool. TOutputHold is the one mechanism for that, in the manner of
// a scope guard:
//
//   - a sequence creates a hold right after the command that set the mode
//     succeeded, giving it the exchange that ends the mode;
//   - Release() ends the mode now and reports a failure as an exception; when
//     the hold goes out of scope still held (an exception, an early return) its
//     destructor ends the mode and never throws;
//   - every live hold is in a registry, so a front end that must stop at once
//     (the window closing, SIGTERM) calls ReleaseAllHolds() between exchanges;
//   - a release that fails (the link is gone) is handed to the failure handler
//     the front end installs, so the operator learns that the transmitter may
//     still hold the mode; the next read that sees it offers to release it.

#include <functional>
#include <string>
#include <vector>

enum class THoldKind { FixedCurrent, Burst };

class TOutputHold {
public:
    // Sends the exchange that ends the mode; raises on failure.
    using TReleaseFn = std::function<void()>;
    // Told of a release that failed: the mode and the failure's message (a key).
    using TFailureFn = std::function<void(THoldKind Kind, const std::string& Key)>;

    TOutputHold(THoldKind Kind, TReleaseFn ReleaseFn);
    ~TOutputHold();
    TOutputHold(const TOutputHold&) = delete;
    TOutputHold& operator=(const TOutputHold&) = delete;

    // End the mode now. The hold counts as released even when this raises: the
    // exchange was tried, and repeating it blindly could repeat the fault.
    void Release();
    bool Held() const { return FHeld; }
    THoldKind Kind() const { return FKind; }

    // End every live hold, newest first; failures go to the failure handler.
    // Returns how many releases failed.
    static int ReleaseAllHolds();
    static bool AnyHeld();
    // The front end's handler of failed releases (none: failures are dropped).
    static void SetFailureHandler(TFailureFn Handler);
    // Hands a failed release to that handler: for a sequence that releases
    // with Release() and must also tell that the mode may still be on.
    static void TellFailure(THoldKind Kind, const std::string& Key);

private:
    void ReleaseQuietly();

    THoldKind FKind;
    TReleaseFn FReleaseFn;
    bool FHeld = true;
};
