#pragma once
// TTransmitterRead: the read sequence of a transmitter (commands 0, 14, 15 and
// 13) into the device records, with the English log lines of each step, and
// the texts the window shows for what was read. The window's Read and the
// command-line tool both read through it; the window adds its fields and
// status texts, and lets pending messages run through its front end.
//
// Failures of the link or answers of the transmitter pass through unchanged as
// EHartComError with its key.

#include "hart/HartCommand.h"
#include "transmitter/TransmitterFrontEnd.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>

class TLangManager;

// Everything one read learns about a transmitter.
struct TTransmitterData {
    THartDevInfo DevInfo;
    THartIdentity Identity;  // HART 6 and 7 fields of the identity
    TSensorInfo SensorInfo;
    TPrVarInfo OutputInfo;
    std::string Tag, Descriptor;
    uint8_t Day = 0, Month = 0;
    uint16_t Year = 0;
    std::string LongTag;  // HART 6 and 7 (command 20); empty for HART 5

    // The description's date; invalid when the transmitter's bytes form no
    // calendar date (a date never set).
    QDate Date() const { return QDate(Year, Month, Day); }
};

class TTransmitterRead {
public:
    // The front end gets the English log lines as they happen, and Pending
    // between the commands of a step.
    explicit TTransmitterRead(THart& Hart, TTransmitterFrontEnd& FrontEnd = TTransmitterFrontEnd::Silent())
        : FHart(Hart)
        , FFrontEnd(&FrontEnd)
    {
    }

    // The transmitter is looked for by its tag (command 11) instead of at
    // the link's polling address (command 0); empty: by address.
    void SetFindTag(const std::string& Tag) { FFindTag = Tag; }

    // Command 0 (or 11): the identity; the link learns the long address.
    void ReadIdentity(THartDevInfo& DevInfo);
    // Command 20, for a transmitter whose revision keeps a long tag.
    void ReadLongTag(TTransmitterData& Data);
    // Command 14: transducer limits and minimum span.
    void ReadLimits(TSensorInfo& SensorInfo);
    // Command 15: range values, unit and damping (logged with SensorUnit).
    void ReadOutput(TPrVarInfo& OutputInfo, const std::string& SensorUnit);
    // Command 13: tag, descriptor and date.
    void ReadDescription(TTransmitterData& Data);

    // The whole sequence in the window's order; AfterStep gets the status key
    // of each step that ended ("infReadUniqueIdent", "infReadOutput",
    // "infReadAddInfo").
    void ReadAll(TTransmitterData& Data, const std::function<void(const QString& StatusKey)>& AfterStep = {});

private:
    void Log(const QString& Line) const;
    void Pending() const;

    THart& FHart;
    TTransmitterFrontEnd* FFrontEnd;
    std::string FFindTag;
};

// --- the texts the window shows --------------------------------------------------

// What a HART 6 or 7 identity adds, one English line per revision (the
// window's hint of the command revision, calvista-cli's read); none for HART 5.
QStringList IdentityExtensionLines(const THartIdentity& Id);

// A number of the settings: general format, 7 significant digits, the locale's
// decimal separator.
QString ReadNumberText(float Value);
// "DeviceRev/SoftwareRev".
QString RevisionText(const THartDevInfo& DevInfo);
// Limits with the sensor unit: one blank after the upper limit, two after the
// lower limit and the minimum span.
QString UpperLimitText(const TSensorInfo& SensorInfo);
QString LowerLimitText(const TSensorInfo& SensorInfo);
QString MinSpanText(const TSensorInfo& SensorInfo);
// The description's date as dd.mm.yyyy, empty when it is no calendar date.
QString DescriptionDateText(const TTransmitterData& Data);

// The unit list as the language file names it (the form's own list where the
// file has no entry).
QStringList UnitListNames(const TLangManager& Lang);
// The list's entry equal to Unit ignoring case, as the list spells it; empty
// when none matches.
QString UnitListEntry(const QStringList& Names, const std::string& Unit);

// RTS handling for the sensor type and the "Use USB" option: with USB the link
// leaves RTS alone (raised for HART, lowered otherwise); a HART modem on a COM
// port gets RTS switched around each request, after a settling time of 200 ms.
// Orsa / Quill without USB keeps the handling as it is.
void ApplyLineRules(THartCom& Hart, bool UseUsb, bool HartSensor);
