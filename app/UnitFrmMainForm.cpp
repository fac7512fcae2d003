// The main window's frame: the window itself, its actions, the menu and the
// status bar, and the small builders the pages use as well.

#include "app/UnitFrmMainForm.h"

#include "app/StatusIndicator.h"
#include "app/UnitFrmMainUi.h"

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
#include <QMainWindow>
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
#include <QVariant>

QLabel* TfrmMainForm::NewLabel(QWidget* Parent, const char* Name, const QString& Caption)
{
    auto* label = new QLabel(Caption, Parent);
    label->setObjectName(QLatin1String(Name));
    return label;
}

QLineEdit* TfrmMainForm::NewEdit(QWidget* Parent, const char* Name, bool ReadOnly)
{
    auto* edit = new QLineEdit(Parent);
    edit->setObjectName(QLatin1String(Name));
    edit->setReadOnly(ReadOnly);
    return edit;
}

void TfrmMainForm::SetHint(QWidget* Widget, const QString& Hint)
{
    Widget->setToolTip(Hint);
    Widget->setStatusTip(Hint);
}

QFrame* TfrmMainForm::NewPanel(QWidget* Parent, const char* Name)
{
    auto* panel = new QFrame(Parent);
    panel->setObjectName(QLatin1String(Name));
    return panel;
}

void TfrmMainForm::Build()
{
    FWindow.setObjectName(QStringLiteral("frmMain"));
    FWindow.setWindowTitle(QStringLiteral("Calvista HART / Orsa / Quill"));
    FWindow.resize(640, 512);
    FWindow.setMinimumSize(640, 480);

    FUi.tmrMonitor = new QTimer(&FWindow);
    FUi.tmrMonitor->setObjectName(QStringLiteral("tmrMonitor"));
    FUi.tmrMonitor->setInterval(500);

    BuildActions();
    BuildMenu();

    auto* central = new QWidget(&FWindow);
    central->setObjectName(QStringLiteral("pnlMain"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(2, 0, 2, 0);
    centralLayout->setSpacing(2);
    FWindow.setCentralWidget(central);

    FUi.cntrbMain = NewPanel(central, "cntrbMain");
    centralLayout->addWidget(FUi.cntrbMain);
    BuildToolBars();

    FUi.tbnMain = new QTabWidget(central);
    FUi.tbnMain->setObjectName(QStringLiteral("tbnMain"));
    auto* sensorPage = new QWidget;
    sensorPage->setObjectName(QStringLiteral("tbpSensordata"));
    auto* datalogPage = new QWidget;
    datalogPage->setObjectName(QStringLiteral("tbpDatalog"));
    FUi.tbnMain->addTab(sensorPage, QStringLiteral("Sensordata"));
    FUi.tbnMain->addTab(datalogPage, QStringLiteral("Datalog"));
    centralLayout->addWidget(FUi.tbnMain, 1);
    BuildSensordataPage(sensorPage);
    BuildDatalogPage(datalogPage);

    BuildStatusBar();
}

QAction* TfrmMainForm::NewAction(const char* Name, const QString& Caption, const QString& Hint,
                                 const QKeySequence& Shortcut)
{
    auto* action = new QAction(Caption, FUi.alMain);
    action->setObjectName(QLatin1String(Name));
    action->setToolTip(Hint.isEmpty() ? QString(Caption).remove(QLatin1Char('&')) : Hint);
    action->setStatusTip(Hint);
    action->setShortcut(Shortcut);
    // Shortcuts work wherever the focus is in the window.
    action->setShortcutContext(Qt::WindowShortcut);
    FWindow.addAction(action);
    return action;
}

void TfrmMainForm::BuildActions()
{
    FUi.alMain = new QObject(&FWindow);
    FUi.alMain->setObjectName(QStringLiteral("alMain"));

    FUi.acRead = NewAction("acRead", QStringLiteral("&Read"), QString(), QKeySequence(QStringLiteral("Ctrl+R")));
    FUi.acSet = NewAction("acSet", QStringLiteral("Se&t"), QStringLiteral("Click to set current settings to sensor"),
                          QKeySequence(QStringLiteral("Ctrl+T")));
    FUi.acSave = NewAction("acSave", QStringLiteral("&Save"), QStringLiteral("Click to save a settings file"),
                           QKeySequence(QStringLiteral("Ctrl+S")));
    FUi.acLoad = NewAction("acLoad", QStringLiteral("L&oad"), QString(), QKeySequence(QStringLiteral("Ctrl+O")));
    FUi.acSetUR = NewAction("acSetUR", QStringLiteral("Set Upper Range"),
                            QStringLiteral("Click to set current pressure as upper range"));
    FUi.acSetLR = NewAction("acSetLR", QStringLiteral("Set Lower Range"),
                            QStringLiteral("Click to set current pressure as lower range"));
    FUi.acSetZero = NewAction("acSetZero", QStringLiteral("Set Zero"), QStringLiteral("Click to set zero"));
    FUi.acStartMonitoring = NewAction("acStartMonitoring", QStringLiteral("Start"));
    FUi.acStopMonitoring = NewAction("acStopMonitoring", QStringLiteral("Stop"));
    FUi.acSaveDatalog = NewAction("acSaveDatalog", QStringLiteral("Save data &log\u2026"),
                                  QStringLiteral("Click to save the recorded samples to a data-log file"));
    FUi.acShowCurrent = NewAction("acShowCurrent", QStringLiteral("&Current line"), QString(),
                                  QKeySequence(QStringLiteral("Ctrl+Alt+I")));
    FUi.acShowVoltage = NewAction("acShowVoltage", QStringLiteral("Voltage line"), QString(),
                                  QKeySequence(QStringLiteral("Ctrl+Alt+U")));
    FUi.acPrintPresChart = NewAction("acPrintPresChart", QStringLiteral("Pressure line"));
    FUi.acPrintCurrChart = NewAction("acPrintCurrChart", QStringLiteral("Current line"));
    FUi.acCurrentLineVisibleChanged = NewAction("acCurrentLineVisibleChanged", QStringLiteral("Current line"));
    FUi.acPressureLineVisibleChanged = NewAction("acPressureLineVisibleChanged", QStringLiteral("Pressure line"));
    FUi.acTBActionShow
        = NewAction("acTBActionShow", QStringLiteral("&Action"), QString(), QKeySequence(QStringLiteral("Ctrl+Alt+A")));
    FUi.acTBLangShow
        = NewAction("acTBLangShow", QStringLiteral("Lang&uage"), QString(), QKeySequence(QStringLiteral("Ctrl+Alt+T")));
    FUi.acTBPortShow
        = NewAction("acTBPortShow", QStringLiteral("&Port"), QString(), QKeySequence(QStringLiteral("Ctrl+Alt+P")));
    FUi.acLangEng = NewAction("acLangEng", QStringLiteral("&English"));
    FUi.acLangGer = NewAction("acLangGer", QStringLiteral("&German"));
    FUi.acSavePreferences = NewAction("acSavePreferences", QStringLiteral("Save preferences"));
    FUi.acAbout
        = NewAction("acAbout", QStringLiteral("About"), QStringLiteral("Click to show information about the programm"));
    FUi.acQuit = NewAction("acQuit", QStringLiteral("&Quit"), QStringLiteral("Click for quit the application"),
                           QKeySequence(QStringLiteral("Ctrl+Q")));

    FUi.acDeviceStatus = NewAction("acDeviceStatus", QStringLiteral("&Device status\u2026"),
                                   QStringLiteral("Show the device status of the transmitter in words"));
    FUi.acFrames = NewAction("acFrames", QStringLiteral("&Frames"),
                             QStringLiteral("Show every request and reply on the line, decoded"));

    // Set and Save wait for a successful read, the reference actions for one
    // that left the port open.
    for (QAction* action : {FUi.acSet, FUi.acSave, FUi.acSetUR, FUi.acSetLR, FUi.acSetZero})
        action->setEnabled(false);
    // Enabled while a recording's samples wait to be saved.
    FUi.acSaveDatalog->setEnabled(false);
}

namespace {

// The window's action a menu item forwards to.
const char* const ForwardsTo = "forwardsTo";

}  // namespace

QAction* TfrmMainForm::NewMenuItem(QMenu* Menu, const char* Name, QAction* Action)
{
    // A menu item is an action of its own that forwards to the window's action.
    // The shortcut is the action's alone: a second owner of the same keys makes
    // them ambiguous whenever the menu bar has the focus, and then neither
    // fires. The item only shows it (ShowMenuShortcuts).
    auto* item = new QAction(Action->text(), Menu);
    item->setObjectName(QLatin1String(Name));
    item->setToolTip(Action->toolTip());
    item->setStatusTip(Action->statusTip());
    item->setProperty(ForwardsTo, QVariant::fromValue<QObject*>(Action));
    item->setEnabled(Action->isEnabled());
    QObject::connect(Action, &QAction::enabledChanged, item, &QAction::setEnabled);
    QObject::connect(item, &QAction::triggered, &FWindow, [item, Action] {
        // The action decides about the check marks of its menu items.
        if (item->isCheckable())
            item->setChecked(!item->isChecked());
        Action->trigger();
    });
    Menu->addAction(item);
    return item;
}

void ShowMenuShortcuts(QWidget* Window)
{
    // QMenu shows the text after a tab in its shortcut column; the key names
    // ("Ctrl", "Strg") come from the loaded Qt translation.
    for (QAction* item : Window->findChildren<QAction*>()) {
        const auto* action = qobject_cast<QAction*>(item->property(ForwardsTo).value<QObject*>());
        if (!action)
            continue;
        QString text = item->text().section(QLatin1Char('\t'), 0, 0);
        if (!action->shortcut().isEmpty())
            text += QLatin1Char('\t') + action->shortcut().toString(QKeySequence::NativeText);
        item->setText(text);
    }
}

void TfrmMainForm::BuildMenu()
{
    FUi.mmMain = new QMenuBar(&FWindow);
    FUi.mmMain->setObjectName(QStringLiteral("mmMain"));
    FWindow.setMenuBar(FUi.mmMain);

    auto newMenu = [](QWidget* Parent, const char* Name, const QString& Title) {
        auto* menu = new QMenu(Title, Parent);
        menu->setObjectName(QLatin1String(Name));
        return menu;
    };
    auto separator = [](QMenu* Menu, const char* Name) {
        QAction* line = Menu->addSeparator();
        // A separator has no text: a style draws a separator's text beside its line.
        line->setObjectName(QLatin1String(Name));
    };

    FUi.mmiApp = newMenu(FUi.mmMain, "mmiApp", QStringLiteral("&Application"));
    FUi.mmiRead = NewMenuItem(FUi.mmiApp, "mmiRead", FUi.acRead);
    FUi.mmiDeviceStatus = NewMenuItem(FUi.mmiApp, "mmiDeviceStatus", FUi.acDeviceStatus);
    separator(FUi.mmiApp, "mmiSep1");
    FUi.mmiLoad = NewMenuItem(FUi.mmiApp, "mmiLoad", FUi.acLoad);
    FUi.mmiSave = NewMenuItem(FUi.mmiApp, "mmiSave", FUi.acSave);
    FUi.mmiSaveDatalog = NewMenuItem(FUi.mmiApp, "mmiSaveDatalog", FUi.acSaveDatalog);
    separator(FUi.mmiApp, "mmiSep2");
    FUi.mmiQuit = NewMenuItem(FUi.mmiApp, "mmiQuit", FUi.acQuit);
    FUi.mmMain->addMenu(FUi.mmiApp);

    FUi.mmiView = newMenu(FUi.mmMain, "mmiView", QStringLiteral("View"));
    FUi.mmiToolbarsShow = newMenu(FUi.mmiView, "mmiToolbarsShow", QStringLiteral("Tool&bars"));
    FUi.mmiTBActionShow = NewMenuItem(FUi.mmiToolbarsShow, "mmiTBActionShow", FUi.acTBActionShow);
    FUi.mmiTBLangShow = NewMenuItem(FUi.mmiToolbarsShow, "mmiTBLangShow", FUi.acTBLangShow);
    FUi.mmiTBPortShow = NewMenuItem(FUi.mmiToolbarsShow, "mmiTBPortShow", FUi.acTBPortShow);
    for (QAction* item : {FUi.mmiTBActionShow, FUi.mmiTBLangShow, FUi.mmiTBPortShow}) {
        item->setCheckable(true);
        item->setChecked(true);
    }
    FUi.mmiView->addMenu(FUi.mmiToolbarsShow);
    separator(FUi.mmiView, "mmiSep3");
    FUi.mmiCurrentLine = newMenu(FUi.mmiView, "mmiCurrentLine", QStringLiteral("Current line"));
    FUi.mmiCurrLine = NewMenuItem(FUi.mmiCurrentLine, "mmiCurrLine", FUi.acShowCurrent);
    FUi.mmiVoltLine = NewMenuItem(FUi.mmiCurrentLine, "mmiVoltLine", FUi.acShowVoltage);
    auto* lineGroup = new QActionGroup(FUi.mmiCurrentLine);
    lineGroup->setObjectName(QStringLiteral("grpCurrentLine"));
    for (QAction* item : {FUi.mmiCurrLine, FUi.mmiVoltLine}) {
        item->setCheckable(true);
        lineGroup->addAction(item);
    }
    FUi.mmiCurrLine->setChecked(true);
    FUi.mmiView->addMenu(FUi.mmiCurrentLine);
    FUi.mmiPrint = newMenu(FUi.mmiView, "mmiPrint", QStringLiteral("Print"));
    FUi.mmiPLPrint = NewMenuItem(FUi.mmiPrint, "mmiPLPrint", FUi.acPrintPresChart);
    FUi.mmiCLPrint = NewMenuItem(FUi.mmiPrint, "mmiCLPrint", FUi.acPrintCurrChart);
    FUi.mmiView->addMenu(FUi.mmiPrint);
    FUi.mmiFrames = NewMenuItem(FUi.mmiView, "mmiFrames", FUi.acFrames);
    FUi.mmiSavePreferences = NewMenuItem(FUi.mmiView, "mmiSavePreferences", FUi.acSavePreferences);
    FUi.mmMain->addMenu(FUi.mmiView);

    FUi.mmiLanguage = newMenu(FUi.mmMain, "mmiLanguage", QStringLiteral("&Language"));
    SetHint(FUi.mmiLanguage, QStringLiteral("Click to select the interface language"));
    FUi.mmiLanguage->menuAction()->setStatusTip(QStringLiteral("Click to select the interface language"));
    FUi.mmiLangEng = NewMenuItem(FUi.mmiLanguage, "mmiLangEng", FUi.acLangEng);
    FUi.mmiLangGer = NewMenuItem(FUi.mmiLanguage, "mmiLangGer", FUi.acLangGer);
    FUi.mmiLangEng->setCheckable(true);
    FUi.mmiLangGer->setCheckable(true);
    FUi.mmiLangEng->setChecked(true);
    FUi.mmMain->addMenu(FUi.mmiLanguage);

    // "About" is an item of the menu bar itself.
    FUi.mmiAbout = new QAction(FUi.acAbout->text(), FUi.mmMain);
    FUi.mmiAbout->setObjectName(QStringLiteral("mmiAbout"));
    FUi.mmiAbout->setToolTip(FUi.acAbout->toolTip());
    FUi.mmiAbout->setStatusTip(FUi.acAbout->statusTip());
    QObject::connect(FUi.mmiAbout, &QAction::triggered, FUi.acAbout, &QAction::trigger);
    FUi.mmMain->addAction(FUi.mmiAbout);
    ShowMenuShortcuts(&FWindow);
}

QToolButton* TfrmMainForm::NewSpeedButton(QToolBar* Bar, const char* Name, QAction* Action, const QIcon& Icon)
{
    auto* button = new QToolButton(Bar);
    button->setObjectName(QLatin1String(Name));
    button->setIcon(Icon);
    button->setAutoRaise(true);
    SetHint(button, Action->statusTip());
    // The button triggers the action and follows its enabled state; its own hint
    // stays its own (the translator sets it).
    button->setEnabled(Action->isEnabled());
    QObject::connect(Action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    QObject::connect(button, &QToolButton::clicked, Action, &QAction::trigger);
    Bar->addWidget(button);
    return button;
}

void TfrmMainForm::BuildStatusBar()
{
    FUi.stbMain = new QStatusBar(&FWindow);
    FUi.stbMain->setObjectName(QStringLiteral("stbMain"));
    FUi.stbMain->setSizeGripEnabled(false);
    FWindow.setStatusBar(FUi.stbMain);

    // Three panels side by side, without gaps: 230 pixels, the rest, 120 pixels.
    auto* panels = new QWidget(FUi.stbMain);
    panels->setObjectName(QStringLiteral("stbPanels"));
    auto* row = new QHBoxLayout(panels);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const char* names[3] = {"stbPanel0", "stbPanel1", "stbPanel2"};
    for (int i = 0; i < 3; ++i) {
        FUi.stbPanels[i] = NewLabel(panels, names[i], QString());
        FUi.stbPanels[i]->setFrameShape(QFrame::Panel);
        FUi.stbPanels[i]->setFrameShadow(QFrame::Sunken);
        FUi.stbPanels[i]->setTextFormat(Qt::PlainText);
        // A long text is cut, it never widens its panel.
        FUi.stbPanels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        row->addWidget(FUi.stbPanels[i], i == 1 ? 1 : 0);
    }
    FUi.stbPanels[0]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    FUi.stbPanels[2]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    FUi.stbPanels[0]->setFixedWidth(230);
    FUi.stbPanels[2]->setFixedWidth(120);
    FUi.stbPanels[2]->setText(QStringLiteral("Version 2.3"));
    FUi.stbMain->addWidget(panels, 1);
    FUi.stDeviceStatus = new TStatusIndicator(FUi.stbMain);
    FUi.stbMain->addPermanentWidget(FUi.stDeviceStatus);

    FUi.prbProgress = new QProgressBar(&FWindow);
    FUi.prbProgress->setObjectName(QStringLiteral("prbProgress"));
    FUi.prbProgress->setTextVisible(false);
    FUi.prbProgress->setVisible(false);
}
