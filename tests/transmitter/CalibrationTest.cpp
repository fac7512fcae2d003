// The output trim against the simulator's D/A converter, the arithmetic of a
// calibration point, and what the CSV and the certificate PDF say.
#include <gtest/gtest.h>

#include "sim/SimTransmitterPeer.h"
#include "transmitter/CalibrationCheck.h"
#include "transmitter/CertificatePdf.h"
#include "transmitter/OutputStage.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct TLink {
    TSimTransmitter Tx;
    TSimTransmitterPeer Peer {Tx};
    std::unique_ptr<THart> Hart;

    explicit TLink(const TSimDeviceState& State = {})
        : Tx(State)
    {
        auto line = std::make_unique<TSimSerialDevice>();
        line->SetPeer(&Peer);
        Hart = std::make_unique<THart>(std::move(line));
        Hart->OpenPort("COM1");
        THartDevInfo id;
        Hart->ReadUniqueIdentifier(id);
    }
};

}  // namespace

TEST(CalibrationTest, OutputTrimCorrectsTheConvertersOffsetAndGain)
{
    struct TCase {
        double Offset, Gain;
    } cases[] = {{0.05, 0.004}, {-0.12, -0.006}, {0.0, 0.0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.Offset << " gain " << c.Gain);
        TSimDeviceState state;
        state.DacOffsetMa = c.Offset;
        state.DacGainError = c.Gain;
        TLink link(state);
        std::vector<std::pair<TTrimStep, double>> fixedAt;
        const TOutputTrimResult result = TOutputTrim(*link.Hart).Run([&](TTrimStep Step, double At) {
            fixedAt.emplace_back(Step, At);
            return std::optional(link.Tx.MeterCurrent());
        });
        ASSERT_TRUE(result.Completed);
        EXPECT_NEAR(result.Zero, 4.0 * (1 + c.Gain) + c.Offset, 1e-4);
        // The converter's error is gone to within a microampere or so, seen at both ends.
        EXPECT_NEAR(result.CheckLow, 4.0, 2e-3);
        EXPECT_NEAR(result.CheckHigh, 20.0, 2e-3);
        const std::vector<std::pair<TTrimStep, double>> expected
            = {{TTrimStep::Zero, 4}, {TTrimStep::Gain, 20}, {TTrimStep::CheckLow, 4}, {TTrimStep::CheckHigh, 20}};
        EXPECT_EQ(fixedAt, expected);
        EXPECT_EQ(link.Tx.FixedCurrent(), 0.0);
        std::vector<int> commands;
        for (const TSimRequest& r : link.Tx.Requests())
            if (r.Command != 0)
                commands.push_back(r.Command);
        EXPECT_EQ(commands, (std::vector<int> {40, 45, 40, 46, 40, 40, 40}));
    }
}

TEST(CalibrationTest, PointErrorsAreInPercentOfSpan)
{
    TCalibrationRecord record;
    record.LowerRange = 2;
    record.UpperRange = 12;  // span 10
    record.Tolerance = 0.25;
    struct TCase {
        double Reference, PV, Current;
        double PVError, Expected, CurrentError;
        bool Pass;
    } cases[] = {
        {2.0, 2.0, 4.0, 0.0, 4.0, 0.0, true},
        {7.0, 7.02, 12.032, 0.2, 12.0, 0.2, true},
        {12.0, 11.97, 19.99, -0.3, 20.0, -0.0625, false},  // PV out
        {7.0, 7.0, 12.05, 0.0, 12.0, 0.3125, false},  // current out
        {2.0, std::nan(""), 4.0, std::nan(""), 4.0, 0.0, false},  // a failed sensor never passes
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Reference);
        const TCalibrationPoint p = Calibration::Evaluate(record, 50, c.Reference, c.PV, c.Current);
        if (std::isnan(c.PVError))
            EXPECT_TRUE(std::isnan(p.PVError));
        else
            EXPECT_NEAR(p.PVError, c.PVError, 1e-9);
        EXPECT_NEAR(p.ExpectedCurrent, c.Expected, 1e-9);
        EXPECT_NEAR(p.CurrentError, c.CurrentError, 1e-9);
        EXPECT_EQ(p.Pass, c.Pass);
    }
    EXPECT_EQ(Calibration::WithFallingPoints({0, 50, 100}), (std::vector<double> {0, 50, 100, 50, 0}));
}

TEST(CalibrationTest, CheckRecordCsvAndCertificateSayWhatWasMeasured)
{
    TSimDeviceState state;
    state.Damping = 0;  // each point reads the pressure applied
    TLink link(state);
    TCalibrationCheck check(*link.Hart);
    TCalibrationRecord record = check.Begin(true, 0.25);
    EXPECT_EQ(record.Tag, QStringLiteral("PT-101"));
    EXPECT_EQ(record.SerialNr, QStringLiteral("1234567"));
    EXPECT_EQ(record.Unit, QStringLiteral("bar"));
    for (const double Percent : {0.0, 50.0, 100.0}) {
        link.Tx.SetAppliedPressure(Percent / 10 + (Percent == 50 ? 0.05 : 0.0));  // 0.5 % off at mid-scale
        check.MeasurePoint(record, Percent, Percent / 10, 3);
    }
    ASSERT_EQ(record.Points.size(), 3u);
    EXPECT_FALSE(record.Passed());
    EXPECT_EQ(Calibration::Csv(record),
              "point_percent,reference,pv,pv_error_percent_span,current_ma,current_expected_ma,"
              "current_error_percent_span,result\n"
              "0.00,0.00000,0.00000,0.0000,4.0000,4.0000,0.0000,pass\n"
              "50.00,5.00000,5.05000,0.5000,12.0800,12.0000,0.5000,fail\n"
              "100.00,10.00000,10.00000,0.0000,20.0000,20.0000,0.0000,pass\n");

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("certificate.pdf"));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Calibration::CertificatePdf(record));
    file.close();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished() || text.exitCode() != 0)
        GTEST_SKIP() << "pdftotext is not available";
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* Expected : {"Calibration certificate", "As left", "Tag: PT-101", "Serial number: 1234567",
                                 "Range: 0.0000 to 10.0000 bar", "Tolerance: 0.250 % of span",
                                 "50.0 5.0000 5.0500 0.500 12.0800 12.0000 0.500 FAIL", "Result: FAIL (3 points"})
        EXPECT_TRUE(page.simplified().contains(QString::fromLatin1(Expected))) << Expected << "\n"
                                                                               << page.toStdString();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished();
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).simplified().contains(QStringLiteral("Pages: 1")));
}
