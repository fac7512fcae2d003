// The About action of the main window.
#include "app/UnitFrmMain.h"

#include "about/UnitFrmAbout.h"
#include "services/UnitLangManager.h"

// The box lives only while it is shown; it borrows the window's language
// manager and log.
void TfrmMain::acAboutExecute()
{
    TFrmAbout about(this);
    about.LangManager = FLangManager.get();
    about.AppLog = FLog.get();
    about.PrepareInfo(FLangManager ? FLangManager->Language() : 0);
    about.exec();
}
