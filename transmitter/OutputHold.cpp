#include "transmitter/OutputHold.h"

#include <algorithm>
#include <exception>

namespace {

// The live holds, oldest first. One program talks to its transmitters from one
// thread, so a plain list is enough.
std::vector<TOutputHold*>& LiveHolds()
{
    static std::vector<TOutputHold*> Holds;
    return Holds;
}

TOutputHold::TFailureFn& FailureHandler()
{
    static TOutputHold::TFailureFn Handler;
    return Handler;
}

void Forget(TOutputHold* Hold)
{
    auto& Holds = LiveHolds();
    Holds.erase(std::remove(Holds.begin(), Holds.end(), Hold), Holds.end());
}

}  // namespace

TOutputHold::TOutputHold(THoldKind Kind, TReleaseFn ReleaseFn)
    : FKind(Kind)
    , FReleaseFn(std::move(ReleaseFn))
{
    LiveHolds().push_back(this);
}

TOutputHold::~TOutputHold()
{
    ReleaseQuietly();
    Forget(this);
}

void TOutputHold::Release()
{
    if (!FHeld)
        return;
    FHeld = false;
    Forget(this);
    FReleaseFn();
}

void TOutputHold::ReleaseQuietly()
{
    try {
        Release();
    } catch (const std::exception& Failure) {
        if (FailureHandler())
            FailureHandler()(FKind, Failure.what());
    } catch (...) {
        if (FailureHandler())
            FailureHandler()(FKind, std::string());
    }
}

int TOutputHold::ReleaseAllHolds()
{
    int Failures = 0;
    const auto Holds = LiveHolds();  // a release removes its hold from the list
    for (auto It = Holds.rbegin(); It != Holds.rend(); ++It) {
        try {
            (*It)->Release();
        } catch (const std::exception& Failure) {
            ++Failures;
            if (FailureHandler())
                FailureHandler()((*It)->Kind(), Failure.what());
        } catch (...) {
            ++Failures;
            if (FailureHandler())
                FailureHandler()((*It)->Kind(), std::string());
        }
    }
    return Failures;
}

bool TOutputHold::AnyHeld()
{
    return !LiveHolds().empty();
}

void TOutputHold::TellFailure(THoldKind Kind, const std::string& Key)
{
    if (FailureHandler())
        FailureHandler()(Kind, Key);
}

void TOutputHold::SetFailureHandler(TFailureFn Handler)
{
    FailureHandler() = std::move(Handler);
}
