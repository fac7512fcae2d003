// The port box and the line: which ports are present, the path that opens a
// port, and what a change of port does to the link.

#include "app/UnitFrmMain.h"

#include "app/ConvertError.h"
#include "app/PortComboBox.h"
#include "ports/PortList.h"
#include "ports/PortNames.h"
#include "ports/SerialDeviceFactory.h"
#include "hart/HartCommand.h"
#include "transmitter/TransmitterRead.h"
#include "services/UnitLogger.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringList>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

}  // namespace

QString TfrmMain::DevicePath(const QString& Name) const
{
    const TPortName port = ParsePortName(Name.toStdString());
#ifndef _WIN32
    // A path of the file system (a USB adapter listed by its path) is opened as
    // it is; Windows knows no such names.
    if (port.Kind == TPortName::Path)
        return Name;
#endif
    // A port the factory serves by name (the demo transmitter "SIM") and a
    // HART-IP address likewise.
    if (FFactory->IsVirtualPort(Name.toStdString()) || port.Kind == TPortName::HartIp)
        return Name;
    // COMn or COMn: with a decimal number and nothing else.
    if (port.Kind != TPortName::Com || port.DeviceNamespace) {
        const QString number = Name.endsWith(QLatin1Char(':')) ? Name.mid(3, Name.size() - 4) : Name.mid(3);
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(number));
    }
    if (port.Number < 10)
        return Name;
    return QStringLiteral("\\\\.\\") + Name.left(5);
}

void TfrmMain::FillPortList()
{
    const QSignalBlocker blocker(FUi.cmbPort);
    FUi.cmbPort->clear();
    const auto available = [this](const std::string& Name) {
        const std::string path = DevicePath(Text(Name)).toStdString();
        return PortOpens(FFactory->CreateDevice(path).get(), path);
    };
    for (const std::string& name : OpenablePorts(FFactory->AdapterPorts(), available))
        FUi.cmbPort->addItem(Text(name));
}

void TfrmMain::cmbPortDropDown()
{
    // The list is rebuilt from the ports present now; the chosen text stays.
    const QString text = FUi.cmbPort->currentText();
    FillPortList();
    const QSignalBlocker blocker(FUi.cmbPort);
    const int index = FUi.cmbPort->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    FUi.cmbPort->setCurrentIndex(index);
    if (index < 0)
        FUi.cmbPort->setEditText(text);
}

void TfrmMain::cmbPortChange()
{
    FUi.cmbSensorType->setEnabled(true);
    QString error;
    try {
        FHart->ClosePort();
    } catch (const EHartComError& e) {
        error = Translate(Text(e.Message()));
    }
    static const QStringList comNames
        = {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4"),
           QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8")};
    const int com = comNames.indexOf(FUi.cmbPort->currentText());
    if (com >= 0)
        FHart->SetCommPort(TDeviceName(Com1 + com));
    if (!error.isEmpty())
        ShowError(error);
}

void TfrmMain::ApplyLineRules()
{
    ::ApplyLineRules(*FHart, FUi.chbUseUSB->isChecked(), FUi.cmbSensorType->currentIndex() == 0);
}
