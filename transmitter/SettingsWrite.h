#pragma once
// TSettingsWrite: the settings an operator changes (tag, descriptor and date;
// pressure unit; range values; damping) written to a transmitter as one whole:
// either every step is written and verified, or the transmitter keeps the
// settings it had.
//
// 1. The transmitter's present settings are read (limits and range only when
//    they are needed), so that they can be checked against and put back.
// 2. What can be checked here is checked before anything is sent: damping 0 to
//    100 s, lower range value below the upper one, the range inside the sensor
//    limits and at least the minimum span, both converted to the range's unit.
// 3. The steps are written in the window's order (description, unit, range,
//    damping), each by the verified write.
// 4. When the transmitter refuses a step or keeps another value, every step
//    that may have changed it is written back with its old value, again
//    verified; the result says what was refused and that nothing changed, or,
//    when putting back failed too, what the transmitter holds now.
//
// The port is neither opened nor closed here. Failures of the reads in step 1
// pass through as EHartComError (nothing has been written then). Nothing here
// knows widgets: the window's Set and the command-line tool hand in their log,
// progress and language through the callbacks and show the result's texts.

#include "hart/HartCommand.h"
#include "transmitter/VerifiedWrite.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TRangeValues {
    float Lower = 0;
    float Upper = 0;
};

// What to write; a step that is not given is left alone.
struct TSettingsPlan {
    std::optional<TDescription> Description;
    std::optional<std::string> Unit;  // a name of the unit table
    // In RangeUnit when that is given, else in Unit when that is given, else in
    // the unit of the transmitter's range.
    std::optional<TRangeValues> Range;
    std::optional<float> Damping;  // seconds
    // The unit of the range values without writing the transmitter's unit (the
    // window writes a range in the unit it shows).
    std::optional<std::string> RangeUnit = std::nullopt;

    bool Empty() const { return !Description && !Unit && !Range && !Damping; }
};

enum class TSettingsWriteOutcome {
    Written,  // every step written and verified
    RefusedBeforeSending,  // a check failed: nothing was sent
    RefusedUnchanged,  // a step failed; the transmitter holds its old settings
    RefusedChanged,  // a step failed and putting back failed too
};

struct TSettingsWriteResult {
    TSettingsWriteOutcome Outcome = TSettingsWriteOutcome::Written;
    // The steps written, in order (all of the plan when written, else none).
    std::vector<TWriteStep> Written;
    // The step that failed, and why: the key of a check ("E4.frmMain",
    // "E15.frmMain" ...), of the transmitter's answer or the link, or
    // "E7.frmMain" when the transmitter kept another value (then Kept says
    // which, and after how many attempts).
    TWriteStep Step = TWriteStep::Description;
    QString Key;
    TWriteResult Kept;
    // The texts for the operator, in the language of Translate: Reason is why
    // the step failed; Aftermath what the transmitter holds now (empty when
    // refused before sending); Message both.
    QString Reason, Aftermath, Message;

    bool Ok() const { return Outcome == TSettingsWriteOutcome::Written; }
};

class TSettingsWrite {
public:
    // The front end gets the English log lines as they happen, and StepStarted
    // and StepDone around each attempt of a verified write, also when putting back.
    explicit TSettingsWrite(THart& Hart, int MaxAttempts = TVerifiedWrite::DefaultAttempts,
                            TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent());

    // A step of the plan starts (the window: a fresh progress bar).
    std::function<void(TWriteStep Step)> OnStep;
    // The text of a language key; without it the texts are the keys.
    std::function<QString(const QString& Key)> Translate;

    TSettingsWriteResult Write(const TSettingsPlan& Plan);

    // The status text key of a step: "infWrittenTDD", "infWrittenRanges",
    // "infWrittenDamping", or their "infNotWritten..." counterparts.
    static QString StatusKey(TWriteStep Step, bool Written);

private:
    // The transmitter's settings before the write.
    struct TBefore {
        TSensorInfo Limits;
        TPrVarInfo Output;
        TDescription Description;
    };

    TBefore ReadBefore(const TSettingsPlan& Plan);
    bool Check(const TSettingsPlan& Plan, const TBefore& Before, TSettingsWriteResult& Result) const;
    bool CheckRange(const TRangeValues& Range, const std::string& Unit, const TSensorInfo& Limits,
                    TSettingsWriteResult& Result) const;
    void Refuse(TSettingsWriteResult& Result, TWriteStep Step, const QString& Key, const QStringList& Args) const;
    static std::string RangeUnit(const TSettingsPlan& Plan, const TBefore& Before);
    bool WriteStep(TWriteStep Step, const TSettingsPlan& Plan, const TBefore& Before, TSettingsWriteResult& Result,
                   bool& Changed);
    void Undo(const std::vector<TWriteStep>& Touched, const TBefore& Before, TSettingsWriteResult& Result);
    bool PutBack(const std::vector<TWriteStep>& Touched, const TBefore& Before, QString& Failure);
    QString HeldNow(const std::vector<TWriteStep>& Touched);
    TVerifiedWrite Writer();
    QString KeptText(TWriteStep Step, const TWriteResult& Kept) const;
    QString Format(const QString& Key, const QStringList& Args) const;
    void Log(const QString& Line) const;

    THart& FHart;
    int FMaxAttempts;
    TTransmitterFrontEnd* FFrontEnd;
};
