#include "transmitter/CertificatePdf.h"

#include <QStringList>

namespace {

// A4 in points; the text starts at the top-left margin.
constexpr int PageWidth = 595, PageHeight = 842, Margin = 56;

// A string literal of PDF: Latin-1 (the fonts' WinAnsi encoding), with the
// delimiters and the backslash escaped; characters outside it become "?".
QByteArray Literal(const QString& Text)
{
    QByteArray out = "(";
    for (const QChar C : Text) {
        const char16_t U = C.unicode();
        const char Byte = U < 0x20 || U > 0xFF ? '?' : static_cast<char>(U);
        if (Byte == '(' || Byte == ')' || Byte == '\\')
            out += '\\';
        out += Byte;
    }
    return out + ')';
}

QString Fixed(double Value, int Decimals)
{
    return QString::number(Value, 'f', Decimals);
}

// One table row in fixed-width columns (the table is set in Courier).
QString Row(const QStringList& Cells)
{
    static const int Widths[] = {6, 11, 11, 8, 9, 9, 8, 5};
    QString row;
    for (int i = 0; i < Cells.size() && i < int(std::size(Widths)); ++i)
        row += Cells[i].rightJustified(Widths[i]) + QLatin1Char(' ');
    return row;
}

// The page's lines as PDF operators, from the top-left margin down.
QByteArray PageContent(const std::vector<TCertificateLine>& Lines)
{
    QByteArray ops;
    int y = PageHeight - Margin;
    const auto rule = [&] {
        y -= 4;
        ops += "0.5 w " + QByteArray::number(Margin) + ' ' + QByteArray::number(y) + " m "
               + QByteArray::number(PageWidth - Margin) + ' ' + QByteArray::number(y) + " l S\n";
    };
    for (const TCertificateLine& Line : Lines) {
        y -= Line.GapAbove + Line.Size + Line.Size / 2;
        const char* font = Line.Face == TCertificateFace::Bold    ? "F2"
                           : Line.Face == TCertificateFace::Fixed ? "F3"
                                                                  : "F1";
        ops += "BT /" + QByteArray(font) + ' ' + QByteArray::number(Line.Size) + " Tf " + QByteArray::number(Margin)
               + ' ' + QByteArray::number(y) + " Td " + Literal(Line.Text) + " Tj ET\n";
        if (Line.RuleBelow)
            rule();
    }
    return ops;
}

}  // namespace

namespace Calibration {

std::vector<TCertificateLine> CertificateLines(const TCalibrationRecord& R)
{
    using F = TCertificateFace;
    std::vector<TCertificateLine> lines;
    lines.push_back({F::Bold, 18, QStringLiteral("Calibration certificate")});
    lines.push_back({F::Regular, 12, R.AsLeft ? QStringLiteral("As left") : QStringLiteral("As found"), 0, true});
    const auto field = [&](const QString& Name, const QString& Value) {
        lines.push_back({F::Regular, 10, Name + QStringLiteral(": ") + Value, lines.size() == 2 ? 4 : 0});
    };
    field(QStringLiteral("Tag"), R.Tag);
    field(QStringLiteral("Descriptor"), R.Descriptor);
    field(QStringLiteral("Manufacturer"), R.Manufacturer);
    field(QStringLiteral("Type"), R.DeviceType);
    field(QStringLiteral("Serial number"), R.SerialNr);
    field(QStringLiteral("Range"),
          QStringLiteral("%1 to %2 %3").arg(Fixed(R.LowerRange, 4), Fixed(R.UpperRange, 4), R.Unit));
    field(QStringLiteral("Damping"), Fixed(R.Damping, 2) + QStringLiteral(" s"));
    field(QStringLiteral("Date and time"), R.Time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    field(QStringLiteral("User"), R.User);
    field(QStringLiteral("Tolerance"), Fixed(R.Tolerance, 3) + QStringLiteral(" % of span"));
    lines.push_back(
        {F::Fixed, 9,
         Row({QStringLiteral("Point"), QStringLiteral("Reference"), QStringLiteral("PV"), QStringLiteral("PV err"),
              QStringLiteral("I mA"), QStringLiteral("I exp"), QStringLiteral("I err"), QString()}),
         8});
    lines.push_back({F::Fixed, 9,
                     Row({QStringLiteral("%"), R.Unit, R.Unit, QStringLiteral("%"), QString(), QString(),
                          QStringLiteral("%"), QString()}),
                     0, true});
    for (const TCalibrationPoint& P : R.Points)
        lines.push_back({F::Fixed, 9,
                         Row({Fixed(P.Percent, 1), Fixed(P.Reference, 4), Fixed(P.PV, 4), Fixed(P.PVError, 3),
                              Fixed(P.Current, 4), Fixed(P.ExpectedCurrent, 4), Fixed(P.CurrentError, 3),
                              P.Pass ? QStringLiteral("pass") : QStringLiteral("FAIL")})});
    lines.back().RuleBelow = true;
    lines.push_back({F::Bold, 14,
                     QStringLiteral("Result: ") + (R.Passed() ? QStringLiteral("PASS") : QStringLiteral("FAIL"))
                         + QStringLiteral(" (%1 points, tolerance %2 % of span)")
                               .arg(QString::number(R.Points.size()), Fixed(R.Tolerance, 3)),
                     10});
    lines.push_back({F::Regular, 10, QStringLiteral("Signature: ______________________________"), 40});
    return lines;
}

QByteArray CertificatePdf(const TCalibrationRecord& Record)
{
    const QByteArray content = PageContent(CertificateLines(Record));
    const auto font = [](const char* Base) {
        return "<< /Type /Font /Subtype /Type1 /BaseFont /" + QByteArray(Base) + " /Encoding /WinAnsiEncoding >>";
    };
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(PageWidth) + ' '
            + QByteArray::number(PageHeight)
            + "] /Resources << /Font << /F1 4 0 R /F2 5 0 R /F3 6 0 R >> >> /Contents 7 0 R >>",
        font("Helvetica"),
        font("Helvetica-Bold"),
        font("Courier"),
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "endstream",
    };
    QByteArray pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype Offset : offsets)
        pdf += QByteArray::number(Offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
           + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

}  // namespace Calibration
