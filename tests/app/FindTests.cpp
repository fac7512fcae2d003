// The window on a multidrop line: the find dialog's scan and search by tag,
// a row chosen for the read, the polling address set from the dialog, the
// long tag, and the address box.
#include "tests/app/MainWindowFixture.h"

#include "app/FindDialog.h"
#include "app/UnitFrmMainUi.h"
#include "sim/SimDeviceList.h"

#include "app/PortComboBox.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

class TFindTest : public TMainWindowTest {
protected:
    TfrmMain& StartOnALine()
    {
        TSimTransmitter& first = AddTransmitter("COM1");
        PutDevicesOnLine(first, ParseDeviceList("address=0 tag=PT-101\n"
                                                "address=5 rev=6 id=1001 tag=PT-105 long-tag=\"Feed pump 5\"\n"
                                                "address=11 rev=7 id=1002 tag=PT-111\n",
                                                first.State()));
        Line = &first;
        TfrmMain& w = Start();
        w.Ui().cmbPort->setCurrentIndex(0);
        w.Ui().chbUseUSB->setChecked(true);
        w.findChild<QAction*>(QStringLiteral("acFind"))->trigger();
        Find = w.findChild<TFindDialog*>(QStringLiteral("frmFind"));
        return w;
    }
    QString Cell(int Row, int Column) const { return Find->tblFound->item(Row, Column)->text(); }

    TSimTransmitter* Line = nullptr;
    TFindDialog* Find = nullptr;
};

TEST_F(TFindTest, ScanFillsTheTableAndARowIsReadAtItsAddress)
{
    TfrmMain& w = StartOnALine();
    ASSERT_NE(Find, nullptr);
    EXPECT_EQ(Find->windowTitle(), Text("frmFind.Caption"));
    Find->bbtnScan->click();
    ASSERT_EQ(Find->tblFound->rowCount(), 3);
    const QStringList expected[] = {{"0", "Norvane", "Quill 20", "1234567", "5", "PT-101", ""},
                                    {"5", "Norvane", "Quill 20", "1001", "6", "PT-105", "Feed pump 5"},
                                    {"11", "Norvane", "Quill 20", "1002", "7", "PT-111", ""}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < TFindDialog::ColumnCount; ++column)
            EXPECT_EQ(Cell(row, column), expected[row][column]) << row << ", " << column;
    EXPECT_EQ(Find->stFindStatus->text(), Text("infScanDone").arg(3));

    Find->tblFound->selectRow(1);
    Find->bbtnUse->click();
    ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors()[0].toStdString();
    EXPECT_EQ(w.findChild<QSpinBox*>(QStringLiteral("spnAddress"))->value(), 5);
    EXPECT_EQ(w.Ui().edTag->text(), "PT-105");
    auto* longTag = w.findChild<QLineEdit*>(QStringLiteral("edLongTag"));
    EXPECT_TRUE(longTag->isEnabled());
    EXPECT_EQ(longTag->text(), "Feed pump 5");

    // The long tag written from the window, and read back.
    longTag->setText(QStringLiteral("Speisepumpe 5 Druckseite"));
    w.findChild<QPushButton*>(QStringLiteral("bbtnWriteLongTag"))->click();
    EXPECT_EQ(Line->LineDevices()[0]->State().LongTag, "Speisepumpe 5 Druckseite");
    EXPECT_EQ(w.StatusText(1), Text("infLongTagWritten"));
}

TEST_F(TFindTest, FindByTagThenSetAddressAfterTheQuestion)
{
    TfrmMain& w = StartOnALine();
    Find->edFindTag->setText(QStringLiteral("PT-111"));
    Find->bbtnFindTag->click();
    ASSERT_EQ(Find->tblFound->rowCount(), 1);
    EXPECT_EQ(Cell(0, TFindDialog::ColAddress), "?");
    EXPECT_EQ(Cell(0, TFindDialog::ColDeviceId), "1002");

    Find->spnNewAddress->setValue(12);
    Dialogs->QueueAnswer(false);
    Find->bbtnSetAddress->click();
    EXPECT_EQ(Line->LineDevices()[1]->State().PollingAddress, 11) << "No sends nothing";
    Dialogs->QueueAnswer(true);
    Find->bbtnSetAddress->click();
    EXPECT_EQ(Line->LineDevices()[1]->State().PollingAddress, 12);
    EXPECT_EQ(Cell(0, TFindDialog::ColAddress), "12");
    EXPECT_EQ(Find->stFindStatus->text(), Text("infAddressSet").arg(12));

    Find->edFindTag->setText(QStringLiteral("PT-999"));
    Find->bbtnFindTag->click();
    EXPECT_EQ(Find->tblFound->rowCount(), 0);
    EXPECT_EQ(Find->stFindStatus->text(), Text("146.TAGNOTFOUND"));

    // Chosen by tag, the read finds it by its tag; an HART 5 one has no long tag.
    Find->edFindTag->setText(QStringLiteral("PT-101"));
    Find->bbtnFindTag->click();
    Find->bbtnUse->click();
    EXPECT_EQ(w.Ui().edSerialNr->text(), "1234567");
    EXPECT_FALSE(w.findChild<QLineEdit*>(QStringLiteral("edLongTag"))->isEnabled());
}

TEST_F(TFindTest, ADelayedAnswerIsWaitedForWithEveryRepeatLogged)
{
    TSimTransmitter& tx = AddTransmitter("COM1");
    tx.StartDelayedResponse(3'000'000);
    TfrmMain& w = Start();
    w.Ui().cmbPort->setCurrentIndex(0);
    w.Ui().chbUseUSB->setChecked(true);
    MarkLog();
    w.Ui().acRead->trigger();
    ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors()[0].toStdString();
    EXPECT_EQ(w.Ui().edSerialNr->text(), "1234567");
    const QStringList repeats = LogSinceMark().filter(QStringLiteral("Delayed response: command 0 repeated"));
    EXPECT_GE(repeats.size(), 3);
    EXPECT_FALSE(w.DeviceBusy()) << "the lock taken for the repeats is given back";
    auto* box = w.findChild<QWidget*>(QStringLiteral("frmDelayedWait"));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isVisible());
}

}  // namespace
