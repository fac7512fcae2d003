// The Read workflow: the port is reset and opened, and the identity, output,
// unit and description of the transmitter are read into the window. The
// commands and log lines are TTransmitterRead's, shared with calvista-cli;
// this file fills the fields.

#include "app/UnitFrmMain.h"

#include "app/DeviceBusy.h"
#include "app/PortComboBox.h"
#include "app/WindowFrontEnd.h"
#include "ports/SerialDeviceFactory.h"
#include "chart/NorvaneChart.h"
#include "transmitter/TransmitterRead.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

}  // namespace

void TfrmMain::acReadExecute()
{
    const TDeviceBusy busy(*FDeviceLock);
    stCurrentCurrentValue->clear();
    stCurrentPressureValue->clear();
    cmbSensorType->setEnabled(false);

    FLog->WriteLine(QStringLiteral("Clear all the controls"));
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        if (edit->objectName().startsWith(QLatin1String("ed")))
            edit->clear();
    cmbUnit->setCurrentIndex(-1);

    const QString port = cmbPort->currentText();
    ResetPort(port);
    try {
        Hart1->OpenPort(DevicePath(port).toStdString());
        ApplyLineRules();
        ReadDeviceIdentity();
        ReadDeviceOutput();
        ShowUnit();
        ReadDeviceDescription();
    } catch (const EHartComError& e) {
        ShowError(Translate(Text(e.Message())));
        return;
    }

    for (QWidget* control :
         std::initializer_list<QWidget*> {chbSaveDatalog, stCurrentCurrentValue, lblCurrentUnit, chbCurrentLine,
                                          stCurrentPressureValue, lblPressureUnit, chbPressureLine})
        control->setEnabled(true);
    acSet->setEnabled(true);
    acSave->setEnabled(true);
    tbnMain->setCurrentIndex(0);
    RangeChanged = UnitChanged = DampingChanged = DescriptionChanged = false;
}

void TfrmMain::ResetPort(const QString& PortName)
{
    // Whatever another program left on the port (flow control, DTR and RTS
    // handling, parity checking) is switched off before the link takes it. A
    // port that cannot be opened, such as the one the link holds, is left alone.
    const std::string name = PortName.toStdString();
    std::unique_ptr<TSerialDevice> device = FFactory->CreateDevice(name);
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

TTransmitterRead TfrmMain::Reader()
{
    return TTransmitterRead(*Hart1, *FFrontEnd);
}

void TfrmMain::ReadDeviceIdentity()
{
    Reader().ReadIdentity(DevInfo);
    edManufacturer->setText(Text(DevInfo.Manufacturer));
    edTransType->setText(Text(DevInfo.DeviceType));
    edSerialNr->setText(Text(DevInfo.SerialNr));
    edRevLevelTrans->setText(RevisionText(DevInfo));
    edRevLevelComm->setText(Text(DevInfo.UnivCmdRev));
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadUniqueIdent"));
}

void TfrmMain::ReadDeviceOutput()
{
    TTransmitterRead reader = Reader();
    reader.ReadLimits(SensorInfo);
    edUpperLimit->setText(UpperLimitText(SensorInfo));
    edLowerLimit->setText(LowerLimitText(SensorInfo));
    edMinSpan->setText(MinSpanText(SensorInfo));

    reader.ReadOutput(OutputInfo, SensorInfo.Unit);
    edUpperRange->setText(ReadNumberText(OutputInfo.UpperRange));
    edLowerRange->setText(ReadNumberText(OutputInfo.LowerRange));
    edDamping->setText(ReadNumberText(OutputInfo.Damping));
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadOutput"));
}

void TfrmMain::ShowUnit()
{
    const QString unit = Text(SensorInfo.Unit);
    // The unit list holds the names as the language file gives them.
    QStringList names;
    for (int i = 0; i < cmbUnit->count(); ++i)
        names << cmbUnit->itemText(i);
    const QString entry = UnitListEntry(names, SensorInfo.Unit);
    cmbUnit->setCurrentIndex(entry.isEmpty() ? -1 : int(names.indexOf(entry)));
    SetPressureAxisTitle(QStringLiteral("P, ") + unit);
    lblPressureUnit->setText(unit);
    lblCurrentUnit->setText(mmiCurrLine->isChecked() ? QStringLiteral("mA") : QStringLiteral("V"));
}

void TfrmMain::SetPressureAxisTitle(const QString& Title)
{
    bdcPressure->SetAxisTitleLine(0, Title);
}

void TfrmMain::ReadDeviceDescription()
{
    medDate->clear();
    edTag->clear();
    edDesc->clear();
    TTransmitterData data;
    Reader().ReadDescription(data);
    Tag = data.Tag;
    Descriptor = data.Descriptor;
    Day = data.Day;
    Month = data.Month;
    Year = data.Year;
    // A date never set leaves the field empty.
    medDate->setText(DescriptionDateText(data));
    edTag->setText(Text(Tag));
    edDesc->setText(Text(Descriptor));
    DescriptionChanged = false;
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadAddInfo"));
}
