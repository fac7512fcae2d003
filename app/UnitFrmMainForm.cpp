// The controls of the main window with their design values: names, captions,
// hints, shortcuts, sizes and the enabled state at start. The behaviour is in
// UnitFrmMain.cpp; here the controls are only created, laid out and connected.

#include "app/UnitFrmMain.h"

#include "app/PortComboBox.h"
#include "chart/NorvaneChart.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Room left of a chart's tick labels for its vertical axis title (12 pt bold,
// drawn upright from x = 2).
constexpr int ChartTitleMargin = 24;

// Tag and descriptor are shown and typed in upper case.
class TUpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& Input, int&) const override
    {
        Input = Input.toUpper();
        return Acceptable;
    }
};

QLabel* NewLabel(QWidget* Parent, const char* Name, const QString& Caption)
{
    auto* label = new QLabel(Caption, Parent);
    label->setObjectName(QLatin1String(Name));
    return label;
}

QLineEdit* NewEdit(QWidget* Parent, const char* Name, bool ReadOnly = false)
{
    auto* edit = new QLineEdit(Parent);
    edit->setObjectName(QLatin1String(Name));
    edit->setReadOnly(ReadOnly);
    return edit;
}

void SetHint(QWidget* Widget, const QString& Hint)
{
    Widget->setToolTip(Hint);
    Widget->setStatusTip(Hint);
}

QFrame* NewPanel(QWidget* Parent, const char* Name)
{
    auto* panel = new QFrame(Parent);
    panel->setObjectName(QLatin1String(Name));
    return panel;
}

}  // namespace

void TfrmMain::BuildForm()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Calvista HART / Orsa / Quill"));
    resize(640, 512);
    setMinimumSize(640, 480);

    tmrMonitor = new QTimer(this);
    tmrMonitor->setObjectName(QStringLiteral("tmrMonitor"));
    tmrMonitor->setInterval(500);

    BuildActions();
    BuildMenu();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlMain"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(2, 0, 2, 0);
    centralLayout->setSpacing(2);
    setCentralWidget(central);

    cntrbMain = NewPanel(central, "cntrbMain");
    centralLayout->addWidget(cntrbMain);
    BuildToolBars();

    tbnMain = new QTabWidget(central);
    tbnMain->setObjectName(QStringLiteral("tbnMain"));
    auto* sensorPage = new QWidget;
    sensorPage->setObjectName(QStringLiteral("tbpSensordata"));
    auto* datalogPage = new QWidget;
    datalogPage->setObjectName(QStringLiteral("tbpDatalog"));
    tbnMain->addTab(sensorPage, QStringLiteral("Sensordata"));
    tbnMain->addTab(datalogPage, QStringLiteral("Datalog"));
    centralLayout->addWidget(tbnMain, 1);
    BuildSensordataPage(sensorPage);
    BuildDatalogPage(datalogPage);

    BuildStatusBar();
    ConnectEvents();
}

QAction* TfrmMain::NewAction(const char* Name, const QString& Caption, const QString& Hint,
                             const QKeySequence& Shortcut)
{
    auto* action = new QAction(Caption, alMain);
    action->setObjectName(QLatin1String(Name));
    action->setToolTip(Hint.isEmpty() ? QString(Caption).remove(QLatin1Char('&')) : Hint);
    action->setStatusTip(Hint);
    action->setShortcut(Shortcut);
    // Shortcuts work wherever the focus is in the window.
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    return action;
}

void TfrmMain::BuildActions()
{
    alMain = new QObject(this);
    alMain->setObjectName(QStringLiteral("alMain"));

    acRead = NewAction("acRead", QStringLiteral("&Read"), QString(), QKeySequence(QStringLiteral("Ctrl+R")));
    acSet = NewAction("acSet", QStringLiteral("Se&t"), QStringLiteral("Click to set current settings to sensor"),
                      QKeySequence(QStringLiteral("Ctrl+T")));
    acSave = NewAction("acSave", QStringLiteral("&Save"), QStringLiteral("Click to save a settings file"),
                       QKeySequence(QStringLiteral("Ctrl+S")));
    acLoad = NewAction("acLoad", QStringLiteral("L&oad"), QString(), QKeySequence(QStringLiteral("Ctrl+O")));
    acSetUR = NewAction("acSetUR", QStringLiteral("Set Upper Range"),
                        QStringLiteral("Click to set current pressure as upper range"));
    acSetLR = NewAction("acSetLR", QStringLiteral("Set Lower Range"),
                        QStringLiteral("Click to set current pressure as lower range"));
    acSetZero = NewAction("acSetZero", QStringLiteral("Set Zero"), QStringLiteral("Click to set zero"));
    acStartMonitoring = NewAction("acStartMonitoring", QStringLiteral("Start"));
    acStopMonitoring = NewAction("acStopMonitoring", QStringLiteral("Stop"));
    acShowCurrent = NewAction("acShowCurrent", QStringLiteral("&Current line"), QString(),
                              QKeySequence(QStringLiteral("Ctrl+Alt+I")));
    acShowVoltage = NewAction("acShowVoltage", QStringLiteral("Voltage line"), QString(),
                              QKeySequence(QStringLiteral("Ctrl+Alt+U")));
    acPrintPresChart = NewAction("acPrintPresChart", QStringLiteral("Pressure line"));
    acPrintCurrChart = NewAction("acPrintCurrChart", QStringLiteral("Current line"));
    acCurrentLineVisibleChanged = NewAction("acCurrentLineVisibleChanged", QStringLiteral("Current line"));
    acPressureLineVisibleChanged = NewAction("acPressureLineVisibleChanged", QStringLiteral("Pressure line"));
    acTBActionShow
        = NewAction("acTBActionShow", QStringLiteral("&Action"), QString(), QKeySequence(QStringLiteral("Ctrl+Alt+A")));
    acTBLangShow
        = NewAction("acTBLangShow", QStringLiteral("Lang&uage"), QString(), QKeySequence(QStringLiteral("Ctrl+Alt+T")));
    acTBPortShow
        = NewAction("acTBPortShow", QStringLiteral("&Port"), QString(), QKeySequence(QStringLiteral("Ctrl+Alt+P")));
    acLangEng = NewAction("acLangEng", QStringLiteral("&English"));
    acLangGer = NewAction("acLangGer", QStringLiteral("&German"));
    acSavePreferences = NewAction("acSavePreferences", QStringLiteral("Save preferences"));
    acAbout
        = NewAction("acAbout", QStringLiteral("About"), QStringLiteral("Click to show information about the programm"));
    acQuit = NewAction("acQuit", QStringLiteral("&Quit"), QStringLiteral("Click for quit the application"),
                       QKeySequence(QStringLiteral("Ctrl+Q")));

    // Set and Save wait for a successful read.
    acSet->setEnabled(false);
    acSave->setEnabled(false);
}

QAction* TfrmMain::NewMenuItem(QMenu* Menu, const char* Name, QAction* Action)
{
    // A menu item is an action of its own that forwards to the window's action;
    // it shows the action's shortcut, which stays the action's alone.
    auto* item = new QAction(Action->text(), Menu);
    item->setObjectName(QLatin1String(Name));
    item->setToolTip(Action->toolTip());
    item->setStatusTip(Action->statusTip());
    item->setShortcut(Action->shortcut());
    item->setShortcutContext(Qt::WidgetShortcut);
    item->setEnabled(Action->isEnabled());
    connect(Action, &QAction::enabledChanged, item, &QAction::setEnabled);
    connect(item, &QAction::triggered, this, [item, Action] {
        // The action decides about the check marks of its menu items.
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        Action->trigger();
    });
    Menu->addAction(item);
    return item;
}

void TfrmMain::BuildMenu()
{
    mmMain = new QMenuBar(this);
    mmMain->setObjectName(QStringLiteral("mmMain"));
    setMenuBar(mmMain);

    auto newMenu = [](QWidget* Parent, const char* Name, const QString& Title) {
        auto* menu = new QMenu(Title, Parent);
        menu->setObjectName(QLatin1String(Name));
        return menu;
    };
    auto separator = [](QMenu* Menu, const char* Name) {
        QAction* line = Menu->addSeparator();
        line->setObjectName(QLatin1String(Name));
        line->setText(QStringLiteral("-"));
    };

    mmiApp = newMenu(mmMain, "mmiApp", QStringLiteral("&Application"));
    mmiRead = NewMenuItem(mmiApp, "mmiRead", acRead);
    separator(mmiApp, "mmiSep1");
    mmiLoad = NewMenuItem(mmiApp, "mmiLoad", acLoad);
    mmiSave = NewMenuItem(mmiApp, "mmiSave", acSave);
    separator(mmiApp, "mmiSep2");
    mmiQuit = NewMenuItem(mmiApp, "mmiQuit", acQuit);
    mmMain->addMenu(mmiApp);

    mmiView = newMenu(mmMain, "mmiView", QStringLiteral("View"));
    mmiToolbarsShow = newMenu(mmiView, "mmiToolbarsShow", QStringLiteral("Tool&bars"));
    mmiTBActionShow = NewMenuItem(mmiToolbarsShow, "mmiTBActionShow", acTBActionShow);
    mmiTBLangShow = NewMenuItem(mmiToolbarsShow, "mmiTBLangShow", acTBLangShow);
    mmiTBPortShow = NewMenuItem(mmiToolbarsShow, "mmiTBPortShow", acTBPortShow);
    for (QAction* item : {mmiTBActionShow, mmiTBLangShow, mmiTBPortShow}) {
        item->setCheckable(true);
        item->setChecked(true);
    }
    mmiView->addMenu(mmiToolbarsShow);
    separator(mmiView, "mmiSep3");
    mmiCurrentLine = newMenu(mmiView, "mmiCurrentLine", QStringLiteral("Current line"));
    mmiCurrLine = NewMenuItem(mmiCurrentLine, "mmiCurrLine", acShowCurrent);
    mmiVoltLine = NewMenuItem(mmiCurrentLine, "mmiVoltLine", acShowVoltage);
    auto* lineGroup = new QActionGroup(mmiCurrentLine);
    lineGroup->setObjectName(QStringLiteral("grpCurrentLine"));
    for (QAction* item : {mmiCurrLine, mmiVoltLine}) {
        item->setCheckable(true);
        lineGroup->addAction(item);
    }
    mmiCurrLine->setChecked(true);
    mmiView->addMenu(mmiCurrentLine);
    mmiPrint = newMenu(mmiView, "mmiPrint", QStringLiteral("Print"));
    mmiPLPrint = NewMenuItem(mmiPrint, "mmiPLPrint", acPrintPresChart);
    mmiCLPrint = NewMenuItem(mmiPrint, "mmiCLPrint", acPrintCurrChart);
    mmiView->addMenu(mmiPrint);
    mmiSavePreferences = NewMenuItem(mmiView, "mmiSavePreferences", acSavePreferences);
    mmMain->addMenu(mmiView);

    mmiLanguage = newMenu(mmMain, "mmiLanguage", QStringLiteral("&Language"));
    SetHint(mmiLanguage, QStringLiteral("Click to select the interface language"));
    mmiLanguage->menuAction()->setStatusTip(QStringLiteral("Click to select the interface language"));
    mmiLangEng = NewMenuItem(mmiLanguage, "mmiLangEng", acLangEng);
    mmiLangGer = NewMenuItem(mmiLanguage, "mmiLangGer", acLangGer);
    mmiLangEng->setCheckable(true);
    mmiLangGer->setCheckable(true);
    mmiLangEng->setChecked(true);
    mmMain->addMenu(mmiLanguage);

    // "About" is an item of the menu bar itself.
    mmiAbout = new QAction(acAbout->text(), mmMain);
    mmiAbout->setObjectName(QStringLiteral("mmiAbout"));
    mmiAbout->setToolTip(acAbout->toolTip());
    mmiAbout->setStatusTip(acAbout->statusTip());
    connect(mmiAbout, &QAction::triggered, acAbout, &QAction::trigger);
    mmMain->addAction(mmiAbout);
}

QToolButton* TfrmMain::NewSpeedButton(QToolBar* Bar, const char* Name, QAction* Action, const QIcon& Icon)
{
    auto* button = new QToolButton(Bar);
    button->setObjectName(QLatin1String(Name));
    button->setIcon(Icon);
    button->setAutoRaise(true);
    SetHint(button, Action->statusTip());
    // The button triggers the action and follows its enabled state; its own hint
    // stays its own (the translator sets it).
    button->setEnabled(Action->isEnabled());
    connect(Action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    connect(button, &QToolButton::clicked, Action, &QAction::trigger);
    Bar->addWidget(button);
    return button;
}

void TfrmMain::BuildToolBars()
{
    // The control bar: two rows of tool bars. The first holds the action and
    // language bars and either the port bar ("Sensordata" page) or the
    // monitoring bar ("Datalog" page); the datalog bar, on the "Datalog" page
    // only, has the second row to itself, so that nothing is cut at the
    // window's smallest width in either language.
    auto* rows = new QVBoxLayout(cntrbMain);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* firstRow = new QHBoxLayout;
    auto* secondRow = new QHBoxLayout;
    firstRow->setSpacing(4);
    secondRow->setSpacing(4);
    rows->addLayout(firstRow);
    rows->addLayout(secondRow);

    auto newBar = [this](const char* Name) {
        auto* bar = new QToolBar(cntrbMain);
        bar->setObjectName(QLatin1String(Name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(20, 20));
        return bar;
    };
    QStyle* style = QApplication::style();

    tbAction = newBar("tbAction");
    tbtnRead = NewSpeedButton(tbAction, "tbtnRead", acRead, style->standardIcon(QStyle::SP_BrowserReload));
    tbtnSet = NewSpeedButton(tbAction, "tbtnSet", acSet, style->standardIcon(QStyle::SP_ArrowUp));
    tbtnSave = NewSpeedButton(tbAction, "tbtnSave", acSave, style->standardIcon(QStyle::SP_DialogSaveButton));
    tbtnLoad = NewSpeedButton(tbAction, "tbtnLoad", acLoad, style->standardIcon(QStyle::SP_DialogOpenButton));
    firstRow->addWidget(tbAction);

    tbLanguage = newBar("tbLanguage");
    tbtnLangEng = NewSpeedButton(tbLanguage, "tbtnLangEng", acLangEng, QIcon());
    tbtnLangGer = NewSpeedButton(tbLanguage, "tbtnLangGer", acLangGer, QIcon());
    tbtnLangEng->setText(QStringLiteral("EN"));
    tbtnLangGer->setText(QStringLiteral("DE"));
    grpLanguage = new QButtonGroup(tbLanguage);
    grpLanguage->setObjectName(QStringLiteral("grpLanguage"));
    for (QToolButton* button : {tbtnLangEng, tbtnLangGer}) {
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        grpLanguage->addButton(button);
    }
    tbtnLangEng->setChecked(true);
    firstRow->addWidget(tbLanguage);

    tbPort = newBar("tbPort");
    SetHint(tbPort, QStringLiteral("Ports"));
    cmbPort = new TPortComboBox(tbPort);
    cmbPort->setObjectName(QStringLiteral("cmbPort"));
    cmbPort->setEditable(true);
    cmbPort->setInsertPolicy(QComboBox::NoInsert);
    cmbPort->setMinimumContentsLength(8);
    cmbPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    tbPort->addWidget(cmbPort);
    chbUseUSB = new QCheckBox(QStringLiteral("Use USB"), tbPort);
    chbUseUSB->setObjectName(QStringLiteral("chbUseUSB"));
    tbPort->addWidget(chbUseUSB);
    cmbSensorType = new QComboBox(tbPort);
    cmbSensorType->setObjectName(QStringLiteral("cmbSensorType"));
    cmbSensorType->addItems({QStringLiteral("HART"), QStringLiteral("Orsa / Quill")});
    cmbSensorType->setMaxVisibleItems(3);
    tbPort->addWidget(cmbSensorType);
    firstRow->addWidget(tbPort);

    tbDatalog = newBar("tbDatalog");
    chbSaveDatalog = new QCheckBox(QStringLiteral("Save datalog"), tbDatalog);
    chbSaveDatalog->setObjectName(QStringLiteral("chbSaveDatalog"));
    chbSaveDatalog->setEnabled(false);
    tbDatalog->addWidget(chbSaveDatalog);
    lblCapacity = NewLabel(tbDatalog, "lblCapacity", QStringLiteral("Capacity  "));
    tbDatalog->addWidget(lblCapacity);
    edStorageCap = NewEdit(tbDatalog, "edStorageCap");
    SetHint(edStorageCap, QStringLiteral("Input a datalog capacity"));
    edStorageCap->setText(QStringLiteral("100"));
    edStorageCap->setMaxLength(5);
    edStorageCap->setFixedWidth(56);
    tbDatalog->addWidget(edStorageCap);
    // The captions' trailing blanks are lost in the language file; margins keep
    // the labels off their neighbours.
    lblCapacity->setContentsMargins(6, 0, 4, 0);
    lblRate = NewLabel(tbDatalog, "lblRate", QStringLiteral("Rate, s  "));
    lblRate->setContentsMargins(6, 0, 4, 0);
    tbDatalog->addWidget(lblRate);
    edRate = NewEdit(tbDatalog, "edRate");
    edRate->setText(QStringLiteral("1"));
    edRate->setFixedWidth(44);
    tbDatalog->addWidget(edRate);
    tbtnStartDatalog
        = NewSpeedButton(tbDatalog, "tbtnStartDatalog", acStartMonitoring, style->standardIcon(QStyle::SP_MediaPlay));
    tbtnStopDatalog
        = NewSpeedButton(tbDatalog, "tbtnStopDatalog", acStopMonitoring, style->standardIcon(QStyle::SP_MediaStop));
    grpDatalog = new QButtonGroup(tbDatalog);
    grpDatalog->setObjectName(QStringLiteral("grpDatalog"));
    for (QToolButton* button : {tbtnStartDatalog, tbtnStopDatalog}) {
        button->setCheckable(true);
        grpDatalog->addButton(button);
    }
    tbtnStopDatalog->setChecked(true);
    tbDatalog->setVisible(false);
    secondRow->addWidget(tbDatalog);
    secondRow->addStretch(1);

    tbMonitoring = newBar("tbMonitoring");
    auto valueLabel = [this](const char* Name) {
        QLabel* label = NewLabel(tbMonitoring, Name, QString());
        label->setMinimumWidth(64);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        return label;
    };
    stCurrentCurrentValue = valueLabel("stCurrentCurrentValue");
    tbMonitoring->addWidget(stCurrentCurrentValue);
    lblCurrentUnit = NewLabel(tbMonitoring, "lblCurrentUnit", QStringLiteral("lblCurrentUnit"));
    lblCurrentUnit->setContentsMargins(3, 0, 8, 0);
    tbMonitoring->addWidget(lblCurrentUnit);
    chbCurrentLine = new QCheckBox(QStringLiteral("Current line"), tbMonitoring);
    chbCurrentLine->setObjectName(QStringLiteral("chbCurrentLine"));
    chbCurrentLine->setChecked(true);
    // Ticking either box runs its action, which shows or hides its chart.
    connect(chbCurrentLine, &QCheckBox::clicked, acCurrentLineVisibleChanged, &QAction::trigger);
    tbMonitoring->addWidget(chbCurrentLine);
    tbMonitoring->addSeparator();
    stCurrentPressureValue = valueLabel("stCurrentPressureValue");
    tbMonitoring->addWidget(stCurrentPressureValue);
    lblPressureUnit = NewLabel(tbMonitoring, "lblPressureUnit", QStringLiteral("lblPressureUnit"));
    lblPressureUnit->setContentsMargins(3, 0, 8, 0);
    tbMonitoring->addWidget(lblPressureUnit);
    chbPressureLine = new QCheckBox(QStringLiteral("Pressure line"), tbMonitoring);
    chbPressureLine->setObjectName(QStringLiteral("chbPressureLine"));
    chbPressureLine->setChecked(true);
    connect(chbPressureLine, &QCheckBox::clicked, acPressureLineVisibleChanged, &QAction::trigger);
    tbMonitoring->addWidget(chbPressureLine);
    for (QWidget* control : std::initializer_list<QWidget*> {stCurrentCurrentValue, lblCurrentUnit, chbCurrentLine,
                                                             stCurrentPressureValue, lblPressureUnit, chbPressureLine})
        control->setEnabled(false);
    tbMonitoring->setVisible(false);
    firstRow->addWidget(tbMonitoring);
    firstRow->addStretch(1);
}

void TfrmMain::BuildSensordataPage(QWidget* Page)
{
    auto* pageLayout = new QVBoxLayout(Page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pnlDataMain = NewPanel(Page, "pnlDataMain");
    pageLayout->addWidget(pnlDataMain);
    auto* column = new QVBoxLayout(pnlDataMain);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(4);

    auto newGroup = [this](const char* Name, const QString& Caption) {
        auto* group = new QGroupBox(Caption, pnlDataMain);
        group->setObjectName(QLatin1String(Name));
        return group;
    };
    auto newGrid = [](QGroupBox* Group) {
        auto* grid = new QGridLayout(Group);
        grid->setContentsMargins(8, 4, 8, 6);
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(4);
        return grid;
    };

    // Description: identity of the device, tag, descriptor and date.
    grbDescription = newGroup("grbDescription", QStringLiteral("Description"));
    auto* description = newGrid(grbDescription);
    lblTransType = NewLabel(grbDescription, "lblTransType", QStringLiteral("Transmitter type"));
    edTransType = NewEdit(grbDescription, "edTransType", true);
    lblManufacturer = NewLabel(grbDescription, "lblManufacturer", QStringLiteral("Manufacturer"));
    edManufacturer = NewEdit(grbDescription, "edManufacturer", true);
    lblSerialNr = NewLabel(grbDescription, "lblSerialNr", QStringLiteral("Serial number"));
    edSerialNr = NewEdit(grbDescription, "edSerialNr", true);
    lblDate = NewLabel(grbDescription, "lblDate", QStringLiteral("Date:"));
    medDate = NewEdit(grbDescription, "medDate");
    medDate->setInputMask(QStringLiteral("99.99.9999;_"));
    SetHint(medDate, QStringLiteral("Enter a valid date (dd.mm.yyyy)"));
    // The date is shown, not edited.
    medDate->setEnabled(false);
    lblTag = NewLabel(grbDescription, "lblTag", QStringLiteral("Tag"));
    edTag = NewEdit(grbDescription, "edTag");
    edTag->setMaxLength(8);
    edTag->setValidator(new TUpperCaseValidator(edTag));
    lblDesc = NewLabel(grbDescription, "lblDesc", QStringLiteral("Description"));
    edDesc = NewEdit(grbDescription, "edDesc");
    edDesc->setMaxLength(16);
    edDesc->setValidator(new TUpperCaseValidator(edDesc));
    description->addWidget(lblTransType, 0, 0);
    description->addWidget(edTransType, 0, 1);
    description->addWidget(lblManufacturer, 0, 2);
    description->addWidget(edManufacturer, 0, 3);
    description->addWidget(lblSerialNr, 1, 0);
    description->addWidget(edSerialNr, 1, 1);
    description->addWidget(lblDate, 1, 2);
    description->addWidget(medDate, 1, 3);
    description->addWidget(lblTag, 2, 0);
    description->addWidget(edTag, 2, 1);
    description->addWidget(lblDesc, 2, 2);
    description->addWidget(edDesc, 2, 3);
    description->setColumnStretch(1, 1);
    description->setColumnStretch(3, 1);
    column->addWidget(grbDescription);

    // Configuration with reference: trims against the applied pressure.
    grbReference = newGroup("grbReference", QStringLiteral("Configuration with Reference"));
    auto* reference = new QHBoxLayout(grbReference);
    reference->setContentsMargins(8, 4, 8, 6);
    auto newButton = [this](const char* Name, QAction* Action) {
        auto* button = new QPushButton(Action->text(), grbReference);
        button->setObjectName(QLatin1String(Name));
        SetHint(button, Action->statusTip());
        button->setEnabled(Action->isEnabled());
        connect(Action, &QAction::enabledChanged, button, &QWidget::setEnabled);
        connect(button, &QPushButton::clicked, Action, &QAction::trigger);
        return button;
    };
    bbtnSetUpperRange = newButton("bbtnSetUpperRange", acSetUR);
    bbtnSetLowerRange = newButton("bbtnSetLowerRange", acSetLR);
    bbtnSetZero = newButton("bbtnSetZero", acSetZero);
    reference->addWidget(bbtnSetUpperRange, 1);
    reference->addWidget(bbtnSetLowerRange, 1);
    reference->addWidget(bbtnSetZero, 1);
    column->addWidget(grbReference);

    // Pressure: range values, limits, unit, damping and minimum span.
    grbPressure = newGroup("grbPressure", QStringLiteral("  Pressure  "));
    auto* pressure = newGrid(grbPressure);
    lblUpper = NewLabel(grbPressure, "lblUpper", QStringLiteral("Upper"));
    lblLower = NewLabel(grbPressure, "lblLower", QStringLiteral("Lower"));
    lblUpperRange = NewLabel(grbPressure, "lblUpperRange", QStringLiteral("Range value:"));
    lblLowerRange = NewLabel(grbPressure, "lblLowerRange", QStringLiteral("Range value:"));
    lblUpperLimit = NewLabel(grbPressure, "lblUpperLimit", QStringLiteral("Limit:"));
    lblLowerLimit = NewLabel(grbPressure, "lblLowerLimit", QStringLiteral("Limit:"));
    edUpperRange = NewEdit(grbPressure, "edUpperRange");
    edLowerRange = NewEdit(grbPressure, "edLowerRange");
    edUpperLimit = NewEdit(grbPressure, "edUpperLimit", true);
    edLowerLimit = NewEdit(grbPressure, "edLowerLimit", true);
    lblUnit = NewLabel(grbPressure, "lblUnit", QStringLiteral("Units"));
    cmbUnit = new QComboBox(grbPressure);
    cmbUnit->setObjectName(QStringLiteral("cmbUnit"));
    cmbUnit->addItems({QStringLiteral("bar"), QStringLiteral("mbar"), QStringLiteral("kPa"), QStringLiteral("Pa"),
                       QStringLiteral("mmH2O"), QStringLiteral("psi"), QStringLiteral("mmHg"), QStringLiteral("Torr"),
                       QStringLiteral("kg/cm2"), QStringLiteral("g/cm2"), QStringLiteral("atm")});
    cmbUnit->setPlaceholderText(QStringLiteral("unknown"));
    cmbUnit->setCurrentIndex(-1);
    cmbUnit->setMaxVisibleItems(11);
    lblDamping = NewLabel(grbPressure, "lblDamping", QStringLiteral("Damping, s"));
    edDamping = NewEdit(grbPressure, "edDamping");
    lblMinSpan = NewLabel(grbPressure, "lblMinSpan", QStringLiteral("Min. Span"));
    edMinSpan = NewEdit(grbPressure, "edMinSpan", true);
    pressure->addWidget(lblUpper, 0, 0);
    pressure->addWidget(lblUpperRange, 0, 1);
    pressure->addWidget(edUpperRange, 0, 2);
    pressure->addWidget(lblUpperLimit, 0, 3);
    pressure->addWidget(edUpperLimit, 0, 4);
    pressure->addWidget(lblLower, 1, 0);
    pressure->addWidget(lblLowerRange, 1, 1);
    pressure->addWidget(edLowerRange, 1, 2);
    pressure->addWidget(lblLowerLimit, 1, 3);
    pressure->addWidget(edLowerLimit, 1, 4);
    pressure->addWidget(lblUnit, 2, 0);
    pressure->addWidget(cmbUnit, 2, 2);
    pressure->addWidget(lblMinSpan, 2, 3);
    pressure->addWidget(edMinSpan, 2, 4);
    pressure->addWidget(lblDamping, 3, 0, 1, 2);
    pressure->addWidget(edDamping, 3, 2);
    pressure->setColumnStretch(2, 1);
    pressure->setColumnStretch(4, 1);
    column->addWidget(grbPressure);

    // Software revision levels.
    grbRevLevel = newGroup("grbRevLevel", QStringLiteral("Software Revision Level"));
    auto* revision = newGrid(grbRevLevel);
    lblTransmitter = NewLabel(grbRevLevel, "lblTransmitter", QStringLiteral("Transmitter"));
    edRevLevelTrans = NewEdit(grbRevLevel, "edRevLevelTrans", true);
    lblUnCommand = NewLabel(grbRevLevel, "lblUnCommand", QStringLiteral("Univ. Command"));
    edRevLevelComm = NewEdit(grbRevLevel, "edRevLevelComm", true);
    revision->addWidget(lblTransmitter, 0, 0);
    revision->addWidget(edRevLevelTrans, 0, 1);
    revision->addWidget(lblUnCommand, 0, 2);
    revision->addWidget(edRevLevelComm, 0, 3);
    revision->setColumnStretch(1, 1);
    revision->setColumnStretch(3, 1);
    column->addWidget(grbRevLevel);
    column->addStretch(1);
}

void TfrmMain::BuildDatalogPage(QWidget* Page)
{
    auto* pageLayout = new QVBoxLayout(Page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pnlCharts = NewPanel(Page, "pnlCharts");
    pageLayout->addWidget(pnlCharts);
    auto* chartsLayout = new QVBoxLayout(pnlCharts);
    chartsLayout->setContentsMargins(0, 0, 0, 0);

    // The pressure chart fills the page; the current chart sits below it, 70
    // pixels high, behind the splitter.
    splCharts = new QSplitter(Qt::Vertical, pnlCharts);
    splCharts->setObjectName(QStringLiteral("splCharts"));
    splCharts->setChildrenCollapsible(false);
    chartsLayout->addWidget(splCharts);

    auto newChartPanel = [this](const char* Name) {
        QFrame* panel = NewPanel(splCharts, Name);
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        return panel;
    };
    pnlPressureLine = newChartPanel("pnlPressureLine");
    bdcPressure = new TNorvaneChart(pnlPressureLine);
    bdcPressure->setObjectName(QStringLiteral("bdcPressure"));
    bdcPressure->SetColor(QColor(255, 251, 240));  // cream
    bdcPressure->SetAxisTitle({QStringLiteral("P, bar"), QStringLiteral("t, s")});
    // The vertical axis title stands left of the tick labels, not over them.
    bdcPressure->SetLeftMargin(ChartTitleMargin);
    pnlPressureLine->layout()->addWidget(bdcPressure);

    pnlCurrentLine = newChartPanel("pnlCurrentLine");
    bdcCurrent = new TNorvaneChart(pnlCurrentLine);
    bdcCurrent->setObjectName(QStringLiteral("bdcCurrent"));
    bdcCurrent->SetColor(QApplication::palette().color(QPalette::Base));  // window colour
    bdcCurrent->SetAxisTitle({QStringLiteral("I, mA"), QStringLiteral("t, s")});
    bdcCurrent->SetLeftMargin(ChartTitleMargin);
    pnlCurrentLine->layout()->addWidget(bdcCurrent);
    pnlCurrentLine->setMinimumHeight(0);

    splCharts->addWidget(pnlPressureLine);
    splCharts->addWidget(pnlCurrentLine);
    splCharts->setStretchFactor(0, 1);
    splCharts->setStretchFactor(1, 0);
}

void TfrmMain::BuildStatusBar()
{
    stbMain = new QStatusBar(this);
    stbMain->setObjectName(QStringLiteral("stbMain"));
    stbMain->setSizeGripEnabled(false);
    setStatusBar(stbMain);

    // Three panels side by side, without gaps: 230 pixels, the rest, 120 pixels.
    auto* panels = new QWidget(stbMain);
    panels->setObjectName(QStringLiteral("stbPanels"));
    auto* row = new QHBoxLayout(panels);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const char* names[3] = {"stbPanel0", "stbPanel1", "stbPanel2"};
    for (int i = 0; i < 3; ++i) {
        stbPanels[i] = NewLabel(panels, names[i], QString());
        stbPanels[i]->setFrameShape(QFrame::Panel);
        stbPanels[i]->setFrameShadow(QFrame::Sunken);
        stbPanels[i]->setTextFormat(Qt::PlainText);
        // A long text is cut, it never widens its panel.
        stbPanels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        row->addWidget(stbPanels[i], i == 1 ? 1 : 0);
    }
    stbPanels[0]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    stbPanels[2]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    stbPanels[0]->setFixedWidth(230);
    stbPanels[2]->setFixedWidth(120);
    stbPanels[2]->setText(QStringLiteral("Version 2.3"));
    stbMain->addWidget(panels, 1);

    prbProgress = new QProgressBar(this);
    prbProgress->setObjectName(QStringLiteral("prbProgress"));
    prbProgress->setTextVisible(false);
    prbProgress->setVisible(false);
}
