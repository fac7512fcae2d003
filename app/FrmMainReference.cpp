// Configuration with reference: the upper range, the lower range or the zero
// set to the pressure applied to the transmitter now. The actions use the port
// and the address left by the last read; they neither open, close nor re-read.

#include "app/UnitFrmMain.h"

#include "app/DeviceBusy.h"
#include "app/OperatorDialogs.h"
#include "services/UnitLogger.h"

#include <QCoreApplication>

void TfrmMain::RunReferenceAction(int32_t (THart::*Command)(), const QString& DoneLine)
{
    const TDeviceBusy busy(*FDeviceLock);
    try {
        QCoreApplication::processEvents();
        ((*Hart1).*Command)();
        QCoreApplication::processEvents();
        FLog->WriteLine(DoneLine);
    } catch (const EHartComError& e) {
        ShowError(Translate(QString::fromStdString(e.Message())));
    }
}

void TfrmMain::acSetURExecute()
{
    FLog->WriteLine(QStringLiteral("Set upper range reference"));
    FDialogs->ShowMessage(this, QStringLiteral("Set Upper Range Reference"), TDialogIcon::Confirmation);
    if (FDialogs->AskYesNo(this, Translate(QStringLiteral("W0.frmMain")), TDialogIcon::Warning))
        RunReferenceAction(&THart::SetUpperRangeValue, QStringLiteral("Primary variable upper range was set"));
}

void TfrmMain::acSetLRExecute()
{
    FLog->WriteLine(QStringLiteral("Set lower range reference"));
    FDialogs->ShowMessage(this, Translate(QStringLiteral("W1.frmMain")), TDialogIcon::Confirmation);
    if (FDialogs->AskYesNo(this, Translate(QStringLiteral("W0.frmMain")), TDialogIcon::Warning))
        RunReferenceAction(&THart::SetLowerRangeValue, QStringLiteral("Primary variable lower range was set"));
}

void TfrmMain::acSetZeroExecute()
{
    FDialogs->ShowMessage(this, QStringLiteral("Set Zero Reference"), TDialogIcon::Confirmation);
    if (FDialogs->AskYesNo(this, Translate(QStringLiteral("W2.frmMain")), TDialogIcon::Confirmation))
        RunReferenceAction(&THart::SetPVZero, QStringLiteral("Primary variable Zero was set"));
}
