// The "Calibration" page against the simulated transmitter: the loop test and
// its release when the window closes or after a lost link, the output trim
// against the simulated converter, and an as-found check saved as certificate.
#include "MainWindowFixture.h"
#include "app/PortComboBox.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>

namespace {

QPushButton& Button(TfrmMain& Window, const char* Name)
{
    auto* button = Window.findChild<QPushButton*>(QLatin1String(Name));
    EXPECT_NE(button, nullptr) << Name;
    return *button;
}

}  // namespace

TEST_F(TMainWindowTest, LoopTestIsReleasedOnCloseAndOfferedAfterALostLink)
{
    TSimTransmitter& tx = AddTransmitter("COM1");
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();

    Dialogs->QueueAnswer(false);  // the loop is not in manual
    Button(w, "bbtnFix12").click();
    EXPECT_EQ(tx.FixedCurrent(), 0.0);
    Dialogs->QueueAnswer(true);
    Button(w, "bbtnFix12").click();
    Button(w, "bbtnFix20").click();  // moved without a second question
    EXPECT_EQ(tx.FixedCurrent(), 20.0);
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("stLoopState"))->text(),
              QStringLiteral("Loop current fixed at 20.000 mA"));

    // The link goes: the release fails, and the operator is told.
    TSimPeer* peer = Line("COM1").Peer();
    Line("COM1").SetPeer(nullptr);
    Button(w, "bbtnReleaseCurrent").click();
    EXPECT_EQ(tx.FixedCurrent(), 20.0);
    EXPECT_EQ(Dialogs->Messages(TDialogIcon::Warning), QStringList {Text(QStringLiteral("CAL.STILLFIXED"))});
    Line("COM1").SetPeer(peer);

    // The next read sees the bit and offers the release.
    Dialogs->QueueAnswer(true);
    w.Ui().acRead->trigger();
    EXPECT_EQ(Dialogs->Shown().back().Text, Text(QStringLiteral("CAL.OFFERRELEASE")));
    EXPECT_EQ(tx.FixedCurrent(), 0.0);

    // Fixed again, then the window closes.
    Dialogs->QueueAnswer(true);
    Button(w, "bbtnFix4").click();
    EXPECT_EQ(tx.FixedCurrent(), 4.0);
    w.close();
    EXPECT_EQ(tx.FixedCurrent(), 0.0);
}

TEST_F(TMainWindowTest, TrimAndAsFoundCheckFromThePage)
{
    TSimDeviceState state;
    state.DacOffsetMa = 0.03;
    state.DacGainError = -0.002;
    state.Damping = 0;
    TSimTransmitter& tx = AddTransmitter("COM1", state);
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().acRead->trigger();

    Dialogs->QueueAnswer(true);
    Dialogs->SetNumberAnswer([&](const QString&) { return std::optional(tx.MeterCurrent()); });
    Button(w, "bbtnOutputTrim").click();
    ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join(' ').toStdString();
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("stTrimResult"))->text(),
              QStringLiteral("Output trimmed: the meter reads 4.000 mA at 4 mA and 20.000 mA at 20 mA."));
    EXPECT_EQ(tx.FixedCurrent(), 0.0);

    // The applied pressure is 2.5 bar throughout: only the 25 % point passes.
    Dialogs->SetNumberAnswer(nullptr);
    for (double reference : {0.0, 2.5, 5.0})
        Dialogs->QueueNumber(reference);
    w.findChild<QLineEdit*>(QStringLiteral("calPoints"))->setText(QStringLiteral("0, 25, 50"));
    Button(w, "bbtnAsFound").click();
    ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join(QLatin1Char(' ')).toStdString();
    const QTableWidget& table = *w.findChild<QTableWidget*>(QStringLiteral("twCalPoints"));
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.item(1, 3)->text(), QStringLiteral("0.000"));
    EXPECT_EQ(table.item(1, 7)->text(), QStringLiteral("pass"));
    EXPECT_EQ(table.item(2, 6)->text(), QStringLiteral("-25.000"));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("stCalResult"))->text(), QStringLiteral("As found: fail"));

    const QString pdf = QStringLiteral("certificate.pdf"), csv = QStringLiteral("points.csv");
    Dialogs->QueueFileName(pdf);
    Button(w, "bbtnSaveCertificate").click();
    Dialogs->QueueFileName(csv);
    Button(w, "bbtnSaveCertificate").click();
    QFile pdfFile(pdf), csvFile(csv);
    ASSERT_TRUE(pdfFile.open(QIODevice::ReadOnly) && csvFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdfFile.readAll().contains("(Result: FAIL \\(3 points, tolerance 0.250 % of span\\)) Tj"));
    EXPECT_EQ(csvFile.readAll().split('\n').size(), 5);  // header, three points, the final line end

    // Printed through the print dialog: one page saying the same.
    Dialogs->SetPrintFile(QStringLiteral("printed.pdf"));
    Dialogs->QueuePrintAnswer(true);
    Button(w, "bbtnPrintCertificate").click();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("printed.pdf"), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished());
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("Calibration certificate"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Result: FAIL (3 points, tolerance 0.250 % of span)")));
}
