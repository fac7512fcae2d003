#pragma once
// Configuration files: the pressure settings of the "Sensordata" page (upper
// range, lower range, unit, damping) saved to a file and loaded again, for
// example to give several transmitters the same settings (load, then Set).

#include <QString>

class TMainView;
struct TConfigItems;
struct TfrmMainUi;

class TConfigWorkflow {
public:
    explicit TConfigWorkflow(TMainView& View);

    void acSaveExecute();
    void acLoadExecute();

    // Where the file dialogs open: the folder of the last file saved or loaded.
    QString CfgDir;

private:
    TConfigItems ConfigItems() const;
    void ApplyConfigItems(const TConfigItems& Items);

    TMainView& FView;
    const TfrmMainUi& FUi;
};
