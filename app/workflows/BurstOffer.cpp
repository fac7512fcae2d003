#include "app/workflows/BurstOffer.h"

#include "app/OperatorDialogs.h"
#include "app/workflows/MainView.h"
#include "hart/HartCommand.h"
#include "services/UnitLogger.h"
#include "transmitter/BurstSession.h"
#include "transmitter/OutputHold.h"

void OfferBurstOff(TMainView& View, uint64_t BurstFramesBefore)
{
    THart& Hart = View.Hart();
    if (Hart.BurstFramesPassed() == BurstFramesBefore || TOutputHold::AnyHeld())
        return;
    if (!View.Dialogs().AskYesNo(View.Window(), View.Translate(QStringLiteral("I21.BURSTFOUND")),
                                 TDialogIcon::Confirmation))
        return;
    try {
        Hart.WriteBurstMode(false, TBurstSession::GapWaitMs);
        View.Log().WriteLine(QStringLiteral("Burst mode turned off"));
    } catch (const EHartComError& e) {
        View.ShowError(View.Translate(QString::fromStdString(e.Message())));
    }
}
