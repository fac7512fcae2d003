#include "app/WindowFrontEnd.h"

#include "services/UnitLogger.h"

#include <QCoreApplication>
#include <QProgressBar>

void TWindowFrontEnd::Log(const QString& Line)
{
    FLog.WriteLine(Line);
}

void TWindowFrontEnd::StepStarted()
{
    FProgress.setVisible(true);
    FProgress.setMaximum(FProgress.maximum() + 1);
    // Shown before the transaction blocks the window.
    QCoreApplication::processEvents();
}

void TWindowFrontEnd::StepDone()
{
    FProgress.setValue(FProgress.value() + 1);
    QCoreApplication::processEvents();
}

void TWindowFrontEnd::Pending()
{
    QCoreApplication::processEvents();
}
