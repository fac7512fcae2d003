// Configuration with reference: the upper range, the lower range or the zero
// set to the pressure applied to the transmitter now. The actions use the port
// and the address left by the last read; they neither open, close nor re-read.

#include "app/workflows/ReferenceWorkflow.h"

#include "app/DeviceBusy.h"
#include "app/OperatorDialogs.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "hart/HartCommand.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QCoreApplication>

void TReferenceWorkflow::RunReferenceAction(int32_t (THart::*Command)(), const QString& DoneLine)
{
    const TDeviceBusy busy(FView.DeviceLock());
    try {
        QCoreApplication::processEvents();
        (FView.Hart().*Command)();
        QCoreApplication::processEvents();
        FView.Log().WriteLine(DoneLine);
    } catch (const EHartComError& e) {
        FView.ShowError(FView.Translate(QString::fromStdString(e.Message())));
    }
}

void TReferenceWorkflow::UpdateEnabled(bool Recording)
{
    // Once closed (a Set of unit, range or damping, a port change, the end of
    // monitoring) the port may lead to another transmitter when it opens again.
    if (!FView.Hart().PortOpen())
        FPortFromRead = false;
    const TfrmMainUi& ui = FView.Ui();
    for (QAction* action : {ui.acSetUR, ui.acSetLR, ui.acSetZero})
        action->setEnabled(FPortFromRead && !Recording);
}

void TReferenceWorkflow::acSetURExecute()
{
    FView.Log().WriteLine(QStringLiteral("Set upper range reference"));
    FView.Dialogs().ShowMessage(FView.Window(), QStringLiteral("Set Upper Range Reference"), TDialogIcon::Confirmation);
    if (FView.Dialogs().AskYesNo(FView.Window(), FView.Translate(QStringLiteral("W0.frmMain")), TDialogIcon::Warning))
        RunReferenceAction(&THart::SetUpperRangeValue, QStringLiteral("Primary variable upper range was set"));
}

void TReferenceWorkflow::acSetLRExecute()
{
    FView.Log().WriteLine(QStringLiteral("Set lower range reference"));
    FView.Dialogs().ShowMessage(FView.Window(), FView.Translate(QStringLiteral("W1.frmMain")),
                                TDialogIcon::Confirmation);
    if (FView.Dialogs().AskYesNo(FView.Window(), FView.Translate(QStringLiteral("W0.frmMain")), TDialogIcon::Warning))
        RunReferenceAction(&THart::SetLowerRangeValue, QStringLiteral("Primary variable lower range was set"));
}

void TReferenceWorkflow::acSetZeroExecute()
{
    FView.Dialogs().ShowMessage(FView.Window(), QStringLiteral("Set Zero Reference"), TDialogIcon::Confirmation);
    if (FView.Dialogs().AskYesNo(FView.Window(), FView.Translate(QStringLiteral("W2.frmMain")),
                                 TDialogIcon::Confirmation))
        RunReferenceAction(&THart::SetPVZero, QStringLiteral("Primary variable Zero was set"));
}
