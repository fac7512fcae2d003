// The port box and the line: which ports are present, the path that opens a
// port, and what a change of port does to the link.

#include "app/UnitFrmMain.h"

#include "app/ConvertError.h"
#include "app/PortComboBox.h"
#include "app/SerialDeviceFactory.h"
#include "hart/HartCommand.h"
#include "services/TransmitterRead.h"
#include "services/UnitLogger.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStringList>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

bool PortAvailable(const TfrmMain& Window, TSerialDeviceFactory& Factory, const QString& Name)
{
    const std::string path = Window.DevicePath(Name).toStdString();
    std::unique_ptr<TSerialDevice> device = Factory.CreateDevice(path);
    if (!device || device->Open(path) != TSerialOpenResult::Ok)
        return false;
    device->Close();
    return true;
}

}  // namespace

QString TfrmMain::DevicePath(const QString& Name) const
{
#ifndef _WIN32
    // A path of the file system (a USB adapter listed by its path) is opened as
    // it is; Windows knows no such names.
    if (Name.startsWith(QLatin1Char('/')))
        return Name;
#endif
    // A port the factory serves by name (the demo transmitter "SIM") likewise.
    if (FFactory->IsVirtualPort(Name.toStdString()))
        return Name;
    const QString number = Name.endsWith(QLatin1Char(':')) ? Name.mid(3, Name.size() - 4) : Name.mid(3);
    // A decimal integer and nothing else: no blanks around it, no other base.
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const int n = decimal.match(number).hasMatch() ? number.toInt(&ok, 10) : 0;
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(number));
    if (n < 10)
        return Name;
    return QStringLiteral("\\\\.\\") + Name.left(5);
}

void TfrmMain::FillPortList()
{
    const QSignalBlocker blocker(FUi.cmbPort);
    FUi.cmbPort->clear();
    for (int n = 1; n <= 40; ++n)
        if (PortAvailable(*this, *FFactory, QStringLiteral("COM%1:").arg(n)))
            FUi.cmbPort->addItem(QStringLiteral("COM%1").arg(n));
    for (const std::string& name : FFactory->AdapterPorts())
        if (PortAvailable(*this, *FFactory, Text(name)))
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
