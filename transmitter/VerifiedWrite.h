#pragma once
// TVerifiedWrite: the settings written to a transmitter, each step checked by
// reading the transmitter's value back. A step whose read-back does not match
// is repeated, up to a bound; a transmitter that keeps another value than the
// one sent (or cannot store it) then ends the step unverified, and the caller
// learns what the transmitter kept.
//
// Failures of the link or answers of the transmitter pass through as
// EHartComError with its key; a year outside 1900 to 2155 as ERangeError.
// Nothing here knows widgets: the window's Set and the command-line tool both
// write through it and turn the results into their own texts.

#include "hart/HartCommand.h"
#include "transmitter/TransmitterFrontEnd.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

enum class TWriteStep { Description, Unit, Range, Damping };

struct TDescription {
    std::string Tag;
    std::string Descriptor;
    uint8_t Day = 0, Month = 0;
    uint16_t Year = 0;
};

// The outcome of one step that raised no error.
struct TWriteResult {
    bool Verified = false;  // the last read-back matched what was sent
    int Attempts = 0;
    // What the transmitter reported after the last attempt: the description
    // step fills Description, the others Output.
    TDescription Description;
    TPrVarInfo Output;
};

class TVerifiedWrite {
public:
    static constexpr int DefaultAttempts = 3;

    // The front end gets the English log lines of the steps as they happen,
    // StepStarted and StepDone around each attempt (the window: progress bar,
    // pending messages).
    explicit TVerifiedWrite(THart& Hart, int MaxAttempts = DefaultAttempts,
                            TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent());

    // Tag, descriptor and date (command 18, read back by 13). Verified when the
    // tag and descriptor read back equal those sent, blanks around them aside;
    // the date is not compared.
    TWriteResult WriteDescription(const TDescription& Values);
    // The primary variable unit (command 44, read back by 15).
    TWriteResult WriteUnit(const std::string& Unit);
    // Range values in a unit (command 35, read back by 15); equal within 0.00001.
    TWriteResult WriteRange(const std::string& Unit, float Upper, float Lower);
    // Damping in seconds (command 34, read back by 15).
    TWriteResult WriteDamping(float Damping);

    // Whether a write command of the last step was answered without error: the
    // transmitter may then hold a value of that step even when the step failed
    // (the read-back failed, or it kept another value).
    bool Wrote() const { return FWrote; }

    // What the transmitter kept in a step, for the operator: "TAG" / "DESCRIPTOR",
    // a unit, "lower … upper unit" or "damping s", numbers in the locale's form.
    static QString ReadBackText(TWriteStep Step, const TWriteResult& Result);

private:
    TWriteResult Repeat(const std::function<bool(TWriteResult&)>& Attempt);
    void Log(const QString& Line) const;

    THart& FHart;
    int FMaxAttempts;
    TTransmitterFrontEnd* FFrontEnd;
    bool FWrote = false;
};
