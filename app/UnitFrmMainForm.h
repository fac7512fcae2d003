#pragma once
// Builds the controls of the main window into its Ui struct, with their design
// values: names, captions, hints, shortcuts, sizes and the enabled state at
// start. Menu items, tool buttons and reference buttons forward to their
// actions; what the actions do is wired by the window.

#include <QKeySequence>
#include <QString>

class QAction;
class QFrame;
class QIcon;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;
struct TfrmMainUi;

// Gives each menu item of Window the shortcut text of the action it forwards
// to, in the current Qt translation; after building and after a translation.
void ShowMenuShortcuts(QWidget* Window);

class TfrmMainForm {
public:
    TfrmMainForm(QMainWindow& Window, TfrmMainUi& Ui)
        : FWindow(Window)
        , FUi(Ui)
    {
    }

    void Build();

private:
    // UnitFrmMainForm.cpp: window, actions, menu, status bar.
    void BuildActions();
    void BuildMenu();
    void BuildStatusBar();
    QAction* NewAction(const char* Name, const QString& Caption, const QString& Hint = QString(),
                       const QKeySequence& Shortcut = QKeySequence());
    QAction* NewMenuItem(QMenu* Menu, const char* Name, QAction* Action);
    QToolButton* NewSpeedButton(QToolBar* Bar, const char* Name, QAction* Action, const QIcon& Icon);
    static QLabel* NewLabel(QWidget* Parent, const char* Name, const QString& Caption);
    static QLineEdit* NewEdit(QWidget* Parent, const char* Name, bool ReadOnly = false);
    static QFrame* NewPanel(QWidget* Parent, const char* Name);
    static void SetHint(QWidget* Widget, const QString& Hint);

    // UnitFrmMainFormPages.cpp: the tool bars and the two pages.
    void BuildToolBars();
    void BuildSensordataPage(QWidget* Page);
    void BuildDatalogPage(QWidget* Page);

    QMainWindow& FWindow;
    TfrmMainUi& FUi;
};
