#include "app/workflows/LinkKeepAlive.h"

#include "app/workflows/MainView.h"
#include "hart/HartCommand.h"
#include "services/UnitLogger.h"

TLinkKeepAlive::TLinkKeepAlive(TMainView& View)
    : FView(View)
{
    FTimer.setInterval(IntervalMs);
    QObject::connect(&FTimer, &QTimer::timeout, [this] { Tick(); });
    FTimer.start();
}

void TLinkKeepAlive::Tick()
{
    if (!FView.Hart().NetworkLink() || FView.DeviceBusy())
        return;
    try {
        FView.Hart().KeepLinkAlive();
    } catch (const EHartComError& e) {
        // Nobody is waiting for this exchange: the next action meets the lost
        // link and reports it; the log keeps the cause.
        FView.Log().WriteLine(QStringLiteral("Keep-alive failed: %1").arg(QString::fromStdString(e.Message())));
    }
}
