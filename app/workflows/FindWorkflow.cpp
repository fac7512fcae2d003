// Addressing in the window: the address box, the master preference, the find
// dialog, the long tag, and the repeats of busy and delayed answers.

#include "app/workflows/FindWorkflow.h"

#include "app/DeviceBusy.h"
#include "app/FindDialog.h"
#include "app/OperatorDialogs.h"
#include "app/PortComboBox.h"
#include "app/UnitFrmMain.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "app/workflows/ReadWorkflow.h"
#include "hart/ErrorKeys.h"
#include "hart/RangeError.h"
#include "services/UnitLogger.h"
#include "transmitter/TransmitterRead.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolBar>

namespace {

QString Text(const std::string& Value)
{
    return QString::fromStdString(Value);
}

QAction* MenuItem(QMenu* Menu, QAction* Before, const char* Name, const QString& Caption, QAction* Action)
{
    auto* item = new QAction(Caption, Menu);
    item->setObjectName(QLatin1String(Name));
    item->setCheckable(Action->isCheckable());
    item->setChecked(Action->isChecked());
    QObject::connect(Action, &QAction::toggled, item, &QAction::setChecked);
    QObject::connect(Action, &QAction::enabledChanged, item, &QAction::setEnabled);
    QObject::connect(item, &QAction::triggered, Action, [item, Action] {
        if (item->isCheckable())
            item->setChecked(Action->isChecked());  // the action decides
        Action->trigger();
    });
    Menu->insertAction(Before, item);
    return item;
}

QAction* ActionAfter(QMenu* Menu, QAction* Item)
{
    const QList<QAction*> actions = Menu->actions();
    const qsizetype at = actions.indexOf(Item);
    return at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr;
}

}  // namespace

TFindWorkflow::TFindWorkflow(TMainView& View, TReadWorkflow& Read)
    : FView(View)
    , FRead(Read)
{
    AddControls();
    LoadPreference();
    TPatientLink& patient = FView.Hart().Patient();
    patient.OnRetry = [this](const TRetryNote& Note) { OnRetry(Note); };
    patient.OnSettled = [this] { OnSettled(); };
    patient.CancelRequested = [this] {
        // Only while the device lock keeps other exchanges out (a monitoring
        // tick's first repeat has not taken it yet).
        if (FView.DeviceBusy())
            QCoreApplication::processEvents();
        return FCancel || (FWaitBox && FWaitBox->wasCanceled());
    };
    FRead.AfterRead = [this] { ShowLongTag(); };
}

// The window lets the link go first (its callbacks point here); no command
// runs once the workflows are gone.
TFindWorkflow::~TFindWorkflow() = default;

void TFindWorkflow::AddControls()
{
    const TfrmMainUi& ui = FView.Ui();
    QWidget* window = FView.Window();

    // The polling address, right of the port.
    spnAddress = new QSpinBox(ui.tbPort);
    spnAddress->setObjectName(QStringLiteral("spnAddress"));
    spnAddress->setRange(0, 63);
    spnAddress->setPrefix(QStringLiteral("@ "));
    spnAddress->setToolTip(QStringLiteral("Polling address of the transmitter (0 for a single transmitter)"));
    spnAddress->setStatusTip(spnAddress->toolTip());
    QAction* afterPort = nullptr;
    for (QAction* action : ui.tbPort->actions())
        if (ui.tbPort->widgetForAction(action) == ui.chbUseUSB)
            afterPort = action;
    ui.tbPort->insertWidget(afterPort, spnAddress);
    QObject::connect(spnAddress, &QSpinBox::valueChanged, window, [this] { spnAddressChange(); });

    acFind = new QAction(QStringLiteral("Find transmitters…"), window);
    acFind->setObjectName(QStringLiteral("acFind"));
    QObject::connect(acFind, &QAction::triggered, window, [this] { acFindExecute(); });
    MenuItem(ui.mmiApp, ActionAfter(ui.mmiApp, ui.mmiRead), "mmiFind", acFind->text(), acFind);

    acPrimaryMaster = new QAction(QStringLiteral("Primary master"), window);
    acPrimaryMaster->setObjectName(QStringLiteral("acPrimaryMaster"));
    acPrimaryMaster->setCheckable(true);
    QObject::connect(acPrimaryMaster, &QAction::triggered, window, [this] { acPrimaryMasterExecute(); });
    MenuItem(ui.mmiView, ui.mmiSavePreferences, "mmiPrimaryMaster", acPrimaryMaster->text(), acPrimaryMaster);

    // The long tag under tag and descriptor.
    auto* grid = qobject_cast<QGridLayout*>(ui.grbDescription->layout());
    auto* label = new QLabel(QStringLiteral("Long tag"), ui.grbDescription);
    label->setObjectName(QStringLiteral("lblLongTag"));
    edLongTag = new QLineEdit(ui.grbDescription);
    edLongTag->setObjectName(QStringLiteral("edLongTag"));
    edLongTag->setMaxLength(32);
    edLongTag->setEnabled(false);
    bbtnWriteLongTag = new QPushButton(QStringLiteral("Write long tag"), ui.grbDescription);
    bbtnWriteLongTag->setObjectName(QStringLiteral("bbtnWriteLongTag"));
    bbtnWriteLongTag->setEnabled(false);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(edLongTag, row, 1, 1, 2);
    grid->addWidget(bbtnWriteLongTag, row, 3);
    QObject::connect(bbtnWriteLongTag, &QPushButton::clicked, window, [this] { bbtnWriteLongTagClick(); });
}

void TFindWorkflow::LoadPreference()
{
    QSettings settings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
    const bool primary
        = settings.value(TfrmMain::PreferencesKey + QLatin1Char('/') + QLatin1String(PrimaryMasterKey), true).toBool();
    acPrimaryMaster->setChecked(primary);
    FView.Hart().SetPrimaryMaster(primary);
}

void TFindWorkflow::acPrimaryMasterExecute()
{
    const bool primary = acPrimaryMaster->isChecked();
    FView.Hart().SetPrimaryMaster(primary);
    QSettings settings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
    settings.setValue(TfrmMain::PreferencesKey + QLatin1Char('/') + QLatin1String(PrimaryMasterKey), primary);
    FView.Log().WriteLine(primary ? QStringLiteral("Speaking as primary master")
                                  : QStringLiteral("Speaking as secondary master"));
}

void TFindWorkflow::spnAddressChange()
{
    // An address typed in names the transmitter: a tag found before no longer does.
    FView.Hart().SetPollingAddress(uint8_t(spnAddress->value()));
    FRead.FindTag.clear();
}

// --- the dialog ------------------------------------------------------------------

void TFindWorkflow::acFindExecute()
{
    if (!FDialog) {
        FDialog = new TFindDialog(FView.Window());
        QObject::connect(FDialog->bbtnScan, &QPushButton::clicked, FDialog, [this] { bbtnScanClick(); });
        QObject::connect(FDialog->bbtnCancelScan, &QPushButton::clicked, FDialog, [this] { bbtnCancelScanClick(); });
        QObject::connect(FDialog->bbtnFindTag, &QPushButton::clicked, FDialog, [this] { bbtnFindTagClick(); });
        QObject::connect(FDialog->bbtnSetAddress, &QPushButton::clicked, FDialog, [this] { bbtnSetAddressClick(); });
        QObject::connect(FDialog->bbtnUse, &QPushButton::clicked, FDialog, [this] { bbtnUseClick(); });
        QObject::connect(FDialog->tblFound, &QTableWidget::cellDoubleClicked, FDialog, [this] { bbtnUseClick(); });
    }
    FDialog->TranslateWith([this](const QString& Key) { return FView.Translate(Key); });
    FDialog->show();
    FDialog->raise();
}

bool TFindWorkflow::OpenPort()
{
    const QString port = FView.Ui().cmbPort->currentText();
    try {
        if (!FView.Hart().PortOpen()) {
            FView.Hart().OpenPort(FView.DevicePath(port).toStdString());
            FView.ApplyLineRules();
        }
    } catch (const EHartComError& e) {
        FView.ShowError(FView.Translate(Text(e.Message())));
        return false;
    }
    return true;
}

void TFindWorkflow::ShowFindStatus(const QString& Text)
{
    FDialog->stFindStatus->setText(Text);
}

void TFindWorkflow::bbtnScanClick()
{
    if (FScanning || FView.DeviceBusy() || !OpenPort())
        return;
    const TDeviceBusy busy(FView.DeviceLock());
    FScanning = true;
    FCancel = false;
    FDialog->bbtnScan->setEnabled(false);
    FDialog->bbtnCancelScan->setEnabled(true);
    FFound.clear();
    ShowEntries();
    TTransmitterScan scan(FView.Hart(), FView.FrontEnd());
    scan.CancelRequested = [this] { return FCancel; };
    scan.Progress = [this](uint8_t Address, int Done, int Total) {
        FDialog->prbScan->setRange(0, Total);
        FDialog->prbScan->setValue(Done);
        ShowFindStatus(FView.Translate(QStringLiteral("infScanAddress")).arg(Address));
        QCoreApplication::processEvents();
    };
    const int first = FDialog->spnFirst->value(), last = std::max(first, FDialog->spnLast->value());
    try {
        FFound = scan.Scan(uint8_t(first), uint8_t(last));
        ShowFindStatus(FView.Translate(FCancel ? QStringLiteral("infScanCancelled") : QStringLiteral("infScanDone"))
                           .arg(FFound.size()));
    } catch (const EHartComError& e) {
        ShowFindStatus(FView.Translate(Text(e.Message())));
    }
    ShowEntries();
    FDialog->bbtnScan->setEnabled(true);
    FDialog->bbtnCancelScan->setEnabled(false);
    FScanning = false;
}

void TFindWorkflow::ShowEntries()
{
    QTableWidget* table = FDialog->tblFound;
    table->setRowCount(int(FFound.size()));
    for (int row = 0; row < int(FFound.size()); ++row) {
        const TScanEntry& entry = FFound[size_t(row)];
        const QString texts[TFindDialog::ColumnCount]
            = {FRead.FindTag.empty() || entry.Tag != FRead.FindTag || row != 0 ? QString::number(entry.Address)
                                                                               : QStringLiteral("?"),
               ScanManufacturerText(entry),
               ScanDeviceTypeText(entry),
               QString::number(entry.DevInfo.DeviceId),
               ScanRevisionText(entry),
               Text(entry.Tag),
               Text(entry.LongTag)};
        for (int column = 0; column < TFindDialog::ColumnCount; ++column)
            table->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    table->resizeColumnsToContents();
    if (!FFound.empty())
        table->selectRow(0);
}

const TScanEntry* TFindWorkflow::SelectedEntry() const
{
    const int row = FDialog->tblFound->currentRow();
    return row >= 0 && row < int(FFound.size()) ? &FFound[size_t(row)] : nullptr;
}

void TFindWorkflow::bbtnFindTagClick()
{
    const std::string tag = FDialog->edFindTag->text().trimmed().toUpper().toStdString();
    if (tag.empty() || FView.DeviceBusy() || !OpenPort())
        return;
    const TDeviceBusy busy(FView.DeviceLock());
    FCancel = false;
    try {
        TScanEntry entry = TTransmitterScan(FView.Hart(), FView.FrontEnd()).FindByTag(tag);
        entry.Address = 0xFF;  // command 11 does not say where it polls
        FFound = {entry};
        ShowFindStatus(FView.Translate(QStringLiteral("infScanDone")).arg(1));
    } catch (const EHartComError& e) {
        FFound.clear();
        ShowFindStatus(FView.Translate(Text(e.Message())));
    }
    ShowEntries();
    if (!FFound.empty())
        FDialog->tblFound->item(0, TFindDialog::ColAddress)->setText(QStringLiteral("?"));
}

void TFindWorkflow::bbtnSetAddressClick()
{
    const TScanEntry* entry = SelectedEntry();
    if (!entry || FView.DeviceBusy() || !OpenPort())
        return;
    const uint8_t address = uint8_t(FDialog->spnNewAddress->value());
    const QString question = FView.Translate(SetAddressQuestionKey(address)).arg(address);
    if (!FView.Dialogs().AskYesNo(FDialog, question, TDialogIcon::Confirmation))
        return;
    const TDeviceBusy busy(FView.DeviceLock());
    try {
        const TScanEntry moved
            = TTransmitterScan(FView.Hart(), FView.FrontEnd()).SetPollingAddress(entry->Identity, address);
        FFound[size_t(FDialog->tblFound->currentRow())] = moved;
        ShowFindStatus(FView.Translate(QStringLiteral("infAddressSet")).arg(address));
    } catch (const EHartComError& e) {
        ShowFindStatus(FView.Translate(Text(e.Message())));
    }
    ShowEntries();
}

void TFindWorkflow::bbtnUseClick()
{
    const TScanEntry* entry = SelectedEntry();
    if (!entry || FView.DeviceBusy())
        return;
    // Found by its tag: the read finds it by its tag again; otherwise at its address.
    const std::string tag = entry->Address == 0xFF ? entry->Tag : std::string();
    if (tag.empty())
        spnAddress->setValue(entry->Address);
    FRead.FindTag = tag;
    FDialog->hide();
    FView.Ui().acRead->trigger();
}

// --- the long tag ----------------------------------------------------------------

void TFindWorkflow::ShowLongTag()
{
    const bool has = FRead.DeviceRead && FRead.Identity.HasLongTag();
    edLongTag->setEnabled(has);
    bbtnWriteLongTag->setEnabled(has);
    edLongTag->setText(has ? Text(FRead.LongTag) : QString());
    // What a HART 6 or 7 identity adds shows where its revision does.
    const QString more = FRead.DeviceRead ? IdentityExtensionLines(FRead.Identity).join(QLatin1Char('\n')) : QString();
    FView.Ui().edRevLevelComm->setToolTip(more);
}

void TFindWorkflow::bbtnWriteLongTagClick()
{
    if (FView.DeviceBusy() || !FRead.DeviceRead)
        return;
    const TDeviceBusy busy(FView.DeviceLock());
    std::string value = edLongTag->text().toStdString();
    try {
        FView.Log().WriteLine(QStringLiteral("Write long tag ") + edLongTag->text());
        FView.Hart().WriteLongTag(value);
        std::string readBack;
        FView.Hart().ReadLongTag(readBack);
        FRead.LongTag = readBack;
        edLongTag->setText(Text(readBack));
        FView.SetStatusText(1, FView.Translate(readBack == edLongTag->text().toStdString()
                                                   ? QStringLiteral("infLongTagWritten")
                                                   : QStringLiteral("E7.frmMain")));
    } catch (const ERangeError&) {
        FView.ShowError(FView.Translate(QStringLiteral("errLongTagText")));
    } catch (const EHartComError& e) {
        FView.ShowError(FView.Translate(Text(e.Message())));
    }
}

// --- patience ---------------------------------------------------------------------

void TFindWorkflow::OnRetry(const TRetryNote& Note)
{
    if (!FRepeating)
        FRepeating = std::make_unique<TDeviceBusy>(FView.DeviceLock());
    const bool busy = Note.ResponseCode == 32;
    FView.Log().WriteLine(QStringLiteral("%1: command %2 repeated (%3), %4 s")
                              .arg(busy ? QStringLiteral("Busy") : QStringLiteral("Delayed response"))
                              .arg(Note.Command)
                              .arg(Note.Repeat)
                              .arg(double(Note.ElapsedUs) / 1e6, 0, 'f', 1));
    FView.SetStatusText(1, busy ? FView.Translate(QStringLiteral("infBusyRepeat"))
                                : FView.Translate(QStringLiteral("infDelayedWait")).arg(Note.ElapsedUs / 1000000));
    if (!busy) {
        if (!FWaitBox) {
            FWaitBox = new QProgressDialog(FView.Window());
            FWaitBox->setObjectName(QStringLiteral("frmDelayedWait"));
            FWaitBox->setMinimumDuration(0);
            FWaitBox->setAutoReset(false);
            FWaitBox->setAutoClose(false);
        }
        FWaitBox->setLabelText(FView.Translate(QStringLiteral("infDelayedWait")).arg(Note.ElapsedUs / 1000000));
        FWaitBox->setCancelButtonText(FView.Translate(QStringLiteral("bbtnCancelScan.Caption")));
        FWaitBox->setRange(0, int(Note.BoundUs / 1000000));
        FWaitBox->setValue(int(Note.ElapsedUs / 1000000));
        FWaitBox->show();
    }
    QCoreApplication::processEvents();
}

void TFindWorkflow::OnSettled()
{
    FRepeating.reset();
    if (FWaitBox) {
        FWaitBox->hide();
        FWaitBox->reset();
    }
}
