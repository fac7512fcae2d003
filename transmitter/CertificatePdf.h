#pragma once
// The calibration certificate as a one-page PDF: the record's header, its
// points as a table and the overall result. Written here, with the PDF
// operators it needs, rather than through Qt's PDF writer: that one needs Qt
// Gui, and the command-line tool and this layer link Qt Core only. Text is
// kept uncompressed, so the file can be checked for what it says.

#include "transmitter/CalibrationRecord.h"

#include <QByteArray>
#include <QString>

#include <vector>

// One line of the certificate page, top down: its face, its size in points,
// the space above it and whether a rule is drawn under it. The PDF and the
// window's print both set the page from these lines.
enum class TCertificateFace { Regular, Bold, Fixed };
struct TCertificateLine {
    TCertificateFace Face = TCertificateFace::Regular;
    int Size = 10;
    QString Text;
    int GapAbove = 0;
    bool RuleBelow = false;
};

namespace Calibration {

std::vector<TCertificateLine> CertificateLines(const TCalibrationRecord& Record);
QByteArray CertificatePdf(const TCalibrationRecord& Record);

}  // namespace Calibration
