// Configuration files: the pressure settings of the "Sensordata" page (upper
// range, lower range, unit, damping) saved to a file and loaded again, for
// example to give several transmitters the same settings (load, then Set).

#include "app/workflows/ConfigWorkflow.h"

#include "app/OperatorDialogs.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "app/workflows/PendingEdits.h"
#include "app/workflows/ShortPathName.h"
#include "transmitter/ConfigFile.h"
#include "services/UnitLogger.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

namespace {

TFileDialogOptions ConfigDialogOptions(const QString& Title, const QString& Dir)
{
    TFileDialogOptions options;
    options.Title = Title;
    options.InitialDir = Dir;
    options.Filter = QStringLiteral("All Files (*.*)|*.*|Conf Files (*.cfg)|*.cfg");
    options.FilterIndex = 2;
    options.DefaultExt = QStringLiteral("cfg");
    return options;
}

}  // namespace

TConfigWorkflow::TConfigWorkflow(TMainView& View)
    : FView(View)
    , FUi(View.Ui())
{
}

TConfigItems TConfigWorkflow::ConfigItems() const
{
    return {FUi.edUpperRange->text(), FUi.edLowerRange->text(), FUi.cmbUnit->currentText(), FUi.edDamping->text()};
}

void TConfigWorkflow::ApplyConfigItems(const TConfigItems& Items)
{
    // Setting the edits marks range and damping as changed; selecting the unit
    // from here does not mark the unit.
    FUi.edUpperRange->setText(Items.UpperRange);
    FUi.edLowerRange->setText(Items.LowerRange);
    int found = -1;
    for (int i = 0; i < FUi.cmbUnit->count() && found < 0; ++i)
        if (FUi.cmbUnit->itemText(i).compare(Items.Unit, Qt::CaseInsensitive) == 0)
            found = i;
    FUi.cmbUnit->setCurrentIndex(found);
    FUi.edDamping->setText(Items.Damping);
}

void TConfigWorkflow::acSaveExecute()
{
    // The edits waiting to be written stay: saving them to a file does not
    // write them to the transmitter.
    const std::optional<QString> name
        = FView.Dialogs().GetSaveFileName(FView.Window(), ConfigDialogOptions(QStringLiteral("Save File"), CfgDir));
    if (!name)
        return;
    CfgDir = QFileInfo(*name).absolutePath();
    FView.Log().WriteLine(QStringLiteral("Config file ") + NativeName(*name) + QStringLiteral(" will be save"));
    TConfigFile::Save(*name, ConfigItems());
    FView.Log().WriteLine(QStringLiteral("Config file ") + NativeName(*name) + QStringLiteral(" is saved"));
}

void TConfigWorkflow::acLoadExecute()
{
    const std::optional<QString> name
        = FView.Dialogs().GetOpenFileName(FView.Window(), ConfigDialogOptions(QStringLiteral("Open File"), CfgDir));
    if (!name)
        return;
    CfgDir = QFileInfo(*name).absolutePath();
    FView.Log().WriteLine(QStringLiteral("Config file ") + ShortPathName(*name) + QStringLiteral(" will be open"));
    // All four items are read and checked first: a damaged file changes no field.
    ApplyConfigItems(TConfigFile::Load(*name));
    FView.Log().WriteLine(QStringLiteral("Config file is loaded"));
}
