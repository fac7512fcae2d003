// The Read workflow: the port is reset and opened, and the identity, output,
// unit and description of the transmitter are read into the window.

#include "app/UnitFrmMain.h"

#include "app/DeviceBusy.h"
#include "app/PortComboBox.h"
#include "app/SerialDeviceFactory.h"
#include "chart/NorvaneChart.h"
#include "services/LocaleDateTime.h"
#include "services/NumberFormat.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace {

// Numbers on the window: general format, 7 significant digits.
QString FormatNumber(float Value)
{
    return FormatGeneral(double(Value), 7);
}

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

    for (QWidget* control : std::initializer_list<QWidget*>{chbSaveDatalog, stCurrentCurrentValue, lblCurrentUnit,
                                                            chbCurrentLine, stCurrentPressureValue, lblPressureUnit,
                                                            chbPressureLine})
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

void TfrmMain::ReadDeviceIdentity()
{
    FLog->WriteLine(QStringLiteral("Read unique identifier"));
    QCoreApplication::processEvents();
    DevInfo = THartDevInfo();
    Hart1->ReadUniqueIdentifier(DevInfo);
    FLog->WriteLine(QStringLiteral("Main data:  ") + Text(DevInfo.Manufacturer) + QStringLiteral(";  ")
                    + Text(DevInfo.DeviceType) + QStringLiteral("; ") + Text(DevInfo.SerialNr));
    edManufacturer->setText(Text(DevInfo.Manufacturer));
    edTransType->setText(Text(DevInfo.DeviceType));
    edSerialNr->setText(Text(DevInfo.SerialNr));
    const QString revision = Text(DevInfo.DeviceRev) + QLatin1Char('/') + Text(DevInfo.SoftwareRev);
    FLog->WriteLine(QStringLiteral("Software: ") + revision + QStringLiteral(";  Univ. Command: ")
                    + Text(DevInfo.UnivCmdRev));
    edRevLevelTrans->setText(revision);
    edRevLevelComm->setText(Text(DevInfo.UnivCmdRev));
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadUniqueIdent"));
}

void TfrmMain::ReadDeviceOutput()
{
    SensorInfo = TSensorInfo();
    FLog->WriteLine(QStringLiteral("Read Primary Variable Output Information"));
    QCoreApplication::processEvents();
    Hart1->ReadSensorInfo(SensorInfo);
    const QString unit = Text(SensorInfo.Unit);
    edUpperLimit->setText(FormatNumber(SensorInfo.UpperLimit) + QLatin1Char(' ') + unit);
    edLowerLimit->setText(FormatNumber(SensorInfo.LowerLimit) + QStringLiteral("  ") + unit);
    edMinSpan->setText(FormatNumber(SensorInfo.MinSpan) + QStringLiteral("  ") + unit);

    Hart1->ReadPrVarInfo(OutputInfo);
    FLog->WriteLine(QStringLiteral("Current settings: Lower Range - ") + FormatNumber(OutputInfo.LowerRange)
                    + QLatin1Char(' ') + unit + QStringLiteral("  Upper Range - ")
                    + FormatNumber(OutputInfo.UpperRange) + QLatin1Char(' ') + unit + QStringLiteral("  Damping - ")
                    + FormatNumber(OutputInfo.Damping) + QStringLiteral(" s"));
    edUpperRange->setText(FormatNumber(OutputInfo.UpperRange));
    edLowerRange->setText(FormatNumber(OutputInfo.LowerRange));
    edDamping->setText(FormatNumber(OutputInfo.Damping));
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadOutput"));
}

void TfrmMain::ShowUnit()
{
    const QString unit = Text(SensorInfo.Unit);
    // The unit list holds the names as the language file gives them.
    int found = -1;
    for (int i = 0; i < cmbUnit->count() && found < 0; ++i)
        if (cmbUnit->itemText(i).compare(unit, Qt::CaseInsensitive) == 0)
            found = i;
    cmbUnit->setCurrentIndex(found);
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
    FLog->WriteLine(QStringLiteral("Read Tag, Descriptor, Date"));
    medDate->clear();
    edTag->clear();
    edDesc->clear();
    Hart1->ReadTagDescriptorDate(Tag, Descriptor, Day, Month, Year);

    // A device whose date was never set sends bytes that form no calendar date
    // (day 0, month 0): the field stays empty and the read goes on, so that the
    // device can still be configured and given a date.
    const QDate date(Year, Month, Day);
    if (date.isValid()) {
        medDate->setText(date.toString(QStringLiteral("dd.MM.yyyy")));
    } else {
        FLog->WriteLine(QStringLiteral("ReadTDD: the device's date is no valid date (day %1, month %2, year %3)")
                            .arg(Day)
                            .arg(Month)
                            .arg(Year));
    }
    edTag->setText(Text(Tag));
    edDesc->setText(Text(Descriptor));
    FLog->WriteLine(QStringLiteral("ReadTDD: ") + Text(Tag) + QStringLiteral("; ") + Text(Descriptor)
                    + QStringLiteral(";  ") + (date.isValid() ? ShortDateText(date) : QString()));
    DescriptionChanged = false;
    QCoreApplication::processEvents();
    ShowStepStatus(QStringLiteral("infReadAddInfo"));
}
