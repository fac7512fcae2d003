// Recording in burst mode: with "Burst" ticked beside the rate, the recording
// puts the transmitter in burst mode at its first tick and each tick takes the
// next burst frame as its sample. Burst mode ends with the recording, however
// it ends: Stop, a full log, a link error, the window closing.

#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "app/workflows/MonitorWorkflow.h"
#include "hart/ErrorKeys.h"
#include "hart/HartCommand.h"
#include "transmitter/BurstSession.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolBar>

void TMonitorWorkflow::AddBurstChoice()
{
    FBurstChoice = new QCheckBox(QStringLiteral("Burst"), FUi.tbDatalog);
    FBurstChoice->setObjectName(QStringLiteral("chbBurst"));
    FBurstChoice->setToolTip(QStringLiteral("Let the transmitter send its values unasked, as fast as the line allows"));
    // Beside the rate, which it replaces while ticked.
    QAction* Before = nullptr;
    const QList<QAction*> Actions = FUi.tbDatalog->actions();
    for (qsizetype i = 0; i + 1 < Actions.size(); ++i)
        if (FUi.tbDatalog->widgetForAction(Actions[i]) == FUi.edRate)
            Before = Actions[i + 1];
    FUi.tbDatalog->insertWidget(Before, FBurstChoice);
    QObject::connect(FBurstChoice, &QCheckBox::toggled, FUi.edRate, [this](bool On) { FUi.edRate->setDisabled(On); });
}

bool TMonitorWorkflow::BurstChosen() const
{
    return FBurstChoice && FBurstChoice->isChecked();
}

void TMonitorWorkflow::TakeBurstSample(TMonitoringSample& Sample, int64_t& LinkUs)
{
    THart& Hart = FView.Hart();
    if (!FBurst)
        FBurst = std::make_unique<TBurstSession>(Hart, TBurstSession::FoundBursting(Hart));
    // Two frame periods without a frame: the transmitter has stopped sending.
    if (!FBurst->NextSample(Sample, LinkUs, 2 * TBurstSession::GapWaitMs))
        throw EHartComError(HartKey::TransmitterTimeout);
}

void TMonitorWorkflow::EndBurst()
{
    FBurstChoice->setEnabled(true);
    if (!FBurst)
        return;
    const std::unique_ptr<TBurstSession> Burst = std::move(FBurst);
    try {
        Burst->Stop();
    } catch (const EHartComError& e) {
        // The transmitter may still burst: the operator has to know.
        FView.ShowError(FView.Translate(QString::fromStdString(e.Message())));
    }
}
