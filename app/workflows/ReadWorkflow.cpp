// The Read workflow: the port is reset and opened, and the identity, output,
// unit and description of the transmitter are read into the window. The
// commands and log lines are TTransmitterRead's, shared with calvista-cli;
// this file fills the fields.

#include "app/workflows/ReadWorkflow.h"

#include "app/DeviceBusy.h"
#include "app/PortComboBox.h"
#include "app/workflows/BurstOffer.h"
#include "ports/SerialDeviceFactory.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "app/workflows/PendingEdits.h"
#include "chart/NorvaneChart.h"
#include "transmitter/TransmitterRead.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QWidget>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

// Tag and descriptor come padded with blanks to their field widths; shown
// without them, so that the operator can type on at the end (the write pads
// them again).
QString WithoutTrailingBlanks(const std::string& Value)
{
    return Text(Value.substr(0, Value.find_last_not_of(' ') + 1));
}

}  // namespace

TReadWorkflow::TReadWorkflow(TMainView& View, TSerialDeviceFactory& Factory, TPendingEdits& Edits)
    : FView(View)
    , FUi(View.Ui())
    , FFactory(Factory)
    , FEdits(Edits)
{
}

void TReadWorkflow::acReadExecute()
{
    const TDeviceBusy busy(FView.DeviceLock());
    DeviceRead = false;
    FUi.stCurrentCurrentValue->clear();
    FUi.stCurrentPressureValue->clear();
    FUi.cmbSensorType->setEnabled(false);

    FView.Log().WriteLine(QStringLiteral("Clear all the controls"));
    for (QLineEdit* edit : FView.Window()->findChildren<QLineEdit*>())
        if (edit->objectName().startsWith(QLatin1String("ed")))
            edit->clear();
    FUi.cmbUnit->setCurrentIndex(-1);

    FEdits.DateAsRead.reset();
    Identity = THartIdentity();
    LongTag.clear();
    // The fields this sequence does not own follow every read's outcome.
    struct TAfterRead {
        const std::function<void()>& Call;
        ~TAfterRead()
        {
            if (Call)
                Call();
        }
    } afterRead {AfterRead};

    const QString port = FUi.cmbPort->currentText();
    ResetPort(port);
    const uint64_t burstFramesBefore = FView.Hart().BurstFramesPassed();
    try {
        FView.Hart().OpenPort(FView.DevicePath(port).toStdString());
        FView.ApplyLineRules();
        ReadDeviceIdentity();
        ReadDeviceOutput();
        ShowUnit();
        ReadDeviceDescription();
    } catch (const EHartComError& e) {
        FView.ShowError(FView.Translate(Text(e.Message())));
        return;
    }

    for (QWidget* control : std::initializer_list<QWidget*> {
             FUi.chbSaveDatalog, FUi.stCurrentCurrentValue, FUi.lblCurrentUnit, FUi.chbCurrentLine,
             FUi.stCurrentPressureValue, FUi.lblPressureUnit, FUi.chbPressureLine})
        control->setEnabled(true);
    FUi.acSet->setEnabled(true);
    FUi.acSave->setEnabled(true);
    FUi.tbnMain->setCurrentIndex(0);
    FEdits.Clear();
    DeviceRead = true;
    OfferBurstOff(FView, burstFramesBefore);
}

void TReadWorkflow::ResetPort(const QString& PortName)
{
    // Whatever another program left on the port (flow control, DTR and RTS
    // handling, parity checking) is switched off before the link takes it. A
    // port that cannot be opened, such as the one the link holds, is left alone.
    const std::string name = PortName.toStdString();
    std::unique_ptr<TSerialDevice> device = FFactory.CreateDevice(name);
    if (!device || device->Open(name) != TSerialOpenResult::Ok)
        return;
    TSerialLineSettings settings;
    if (device->GetLineSettings(settings)) {
        settings.Binary = false;
        settings.ParityCheck = false;
        settings.RtsToggle = false;
        device->SetLineSettings(settings);
    }
    device->SetDtr(false);
    device->SetRts(false);
    device->Close();
}

TTransmitterRead TReadWorkflow::Reader()
{
    TTransmitterRead reader(FView.Hart(), FView.FrontEnd());
    reader.SetFindTag(FindTag);
    return reader;
}

void TReadWorkflow::ReadDeviceIdentity()
{
    Reader().ReadIdentity(DevInfo);
    Identity = FView.Hart().Identity();
    FUi.edManufacturer->setText(Text(DevInfo.Manufacturer));
    FUi.edTransType->setText(Text(DevInfo.DeviceType));
    FUi.edSerialNr->setText(Text(DevInfo.SerialNr));
    FUi.edRevLevelTrans->setText(RevisionText(DevInfo));
    FUi.edRevLevelComm->setText(Text(DevInfo.UnivCmdRev));
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadUniqueIdent"));
}

void TReadWorkflow::ReadDeviceOutput()
{
    TTransmitterRead reader = Reader();
    reader.ReadLimits(SensorInfo);
    FUi.edUpperLimit->setText(UpperLimitText(SensorInfo));
    FUi.edLowerLimit->setText(LowerLimitText(SensorInfo));
    FUi.edMinSpan->setText(MinSpanText(SensorInfo));

    reader.ReadOutput(OutputInfo, SensorInfo.Unit);
    FUi.edUpperRange->setText(ReadNumberText(OutputInfo.UpperRange));
    FUi.edLowerRange->setText(ReadNumberText(OutputInfo.LowerRange));
    FUi.edDamping->setText(ReadNumberText(OutputInfo.Damping));
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadOutput"));
}

void TReadWorkflow::ShowUnit()
{
    const QString unit = Text(SensorInfo.Unit);
    // The unit list holds the names as the language file gives them.
    QStringList names;
    for (int i = 0; i < FUi.cmbUnit->count(); ++i)
        names << FUi.cmbUnit->itemText(i);
    const QString entry = UnitListEntry(names, SensorInfo.Unit);
    FUi.cmbUnit->setCurrentIndex(entry.isEmpty() ? -1 : int(names.indexOf(entry)));
    SetPressureAxisTitle(QStringLiteral("P, ") + unit);
    FUi.lblPressureUnit->setText(unit);
    FUi.lblCurrentUnit->setText(FUi.mmiCurrLine->isChecked() ? QStringLiteral("mA") : QStringLiteral("V"));
}

void TReadWorkflow::SetPressureAxisTitle(const QString& Title)
{
    FUi.bdcPressure->SetAxisTitleLine(0, Title);
}

void TReadWorkflow::ReadDeviceDescription()
{
    FUi.medDate->clear();
    FUi.edTag->clear();
    FUi.edDesc->clear();
    TTransmitterData data;
    Reader().ReadDescription(data);
    data.Identity = Identity;
    Reader().ReadLongTag(data);
    LongTag = data.LongTag;
    Tag = data.Tag;
    Descriptor = data.Descriptor;
    Day = data.Day;
    Month = data.Month;
    Year = data.Year;
    FEdits.DateAsRead = TDateBytes {Day, Month, Year};
    // A date never set leaves the field empty.
    FUi.medDate->setText(DescriptionDateText(data));
    FUi.edTag->setText(WithoutTrailingBlanks(Tag));
    FUi.edDesc->setText(WithoutTrailingBlanks(Descriptor));
    FEdits.DescriptionChanged = false;
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadAddInfo"));
}

// The end of a read step: the progress bar goes, panel 1 shows the step's text.
void TReadWorkflow::ShowStepStatus(const QString& Key)
{
    FUi.prbProgress->setVisible(false);
    FView.SetStatusPanel1OwnerDrawn(false);
    FView.SetStatusText(1, FView.Translate(Key));
}
