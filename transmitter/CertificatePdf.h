#pragma once
// The calibration certificate as a one-page PDF: the record's header, its
// points as a table and the overall result. Written here, with the PDF
// operators it needs, rather than through Qt's PDF writer: that one needs Qt
// Gui, and the command-line tool and this layer link Qt Core only. Text is
// kept uncompressed, so the file can be checked for what it says.

#include "transmitter/CalibrationRecord.h"

#include <QByteArray>

namespace Calibration {

QByteArray CertificatePdf(const TCalibrationRecord& Record);

}  // namespace Calibration
