#include "app/DeviceBusy.h"

#include <QAction>
#include <QActionGroup>
#include <QWidget>

TDeviceLock::TDeviceLock(const QList<QAction*>& Actions, QWidget* PortControls, QObject* Parent)
    : FActions(new QActionGroup(Parent))
    , FPortControls(PortControls)
{
    FActions->setObjectName(QStringLiteral("grpDeviceActions"));
    FActions->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (QAction* action : Actions)
        FActions->addAction(action);
}

void TDeviceLock::Enter()
{
    if (FDepth++ > 0)
        return;
    // A disabled action triggers neither by its shortcut nor by trigger(), so
    // menu items and buttons forwarding to it do nothing either.
    FActions->setEnabled(false);
    FPortControls->setEnabled(false);
}

void TDeviceLock::Leave()
{
    if (--FDepth > 0)
        return;
    FActions->setEnabled(true);
    FPortControls->setEnabled(true);
}
