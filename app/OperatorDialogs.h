#pragma once
// Every modal box and every file, page-setup and print dialog of the main window
// goes through TOperatorDialogs. The program uses TQtOperatorDialogs (Qt's own
// dialogs); tests use a scripted stand-in (tests/common), which records what
// would have been shown and answers as it is told, so no test ever waits on a
// modal dialog.

#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

class QWidget;
class QPrinter;

// The answer to a question with the buttons Yes, No and Cancel.
enum class TDialogAnswer { Yes, No, Cancel };

// The icon of a message box.
enum class TDialogIcon { Error, Information, Warning, Confirmation };

// What a file dialog is prepared with. Filter uses the "Text|pattern|Text|pattern"
// form of the window's dialogs; FilterIndex counts its entries from 1.
struct TFileDialogOptions {
    QString Title;
    QString InitialDir;
    QString Filter;
    int FilterIndex = 1;
    QString DefaultExt;
};

class TOperatorDialogs {
public:
    virtual ~TOperatorDialogs() = default;

    // A box with the given icon, the text and one OK button.
    virtual void ShowMessage(QWidget* Parent, const QString& Text, TDialogIcon Icon) = 0;
    // A box with the given icon and the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(QWidget* Parent, const QString& Text, TDialogIcon Icon) = 0;
    // A box with the buttons Yes, No and Cancel; closing it answers Cancel.
    virtual TDialogAnswer AskYesNoCancel(QWidget* Parent, const QString& Text, TDialogIcon Icon) = 0;
    // The chosen file's full name, or nothing when the operator cancels.
    virtual std::optional<QString> GetSaveFileName(QWidget* Parent, const TFileDialogOptions& Options) = 0;
    virtual std::optional<QString> GetOpenFileName(QWidget* Parent, const TFileDialogOptions& Options) = 0;
    // Page set-up; true when confirmed (Printer then holds the choice).
    virtual bool PageSetup(QWidget* Parent, QPrinter& Printer) = 0;
    // Print dialog; true when the operator chose to print.
    virtual bool Print(QWidget* Parent, QPrinter& Printer) = 0;
    // A number the operator types (a meter's reading), prepared with Initial;
    // nothing when the operator cancels.
    virtual std::optional<double> GetNumber(QWidget* Parent, const QString& Prompt, double Initial, int Decimals) = 0;

    void ShowError(QWidget* Parent, const QString& Text) { ShowMessage(Parent, Text, TDialogIcon::Error); }
    void ShowInformation(QWidget* Parent, const QString& Text) { ShowMessage(Parent, Text, TDialogIcon::Information); }
    void ShowWarning(QWidget* Parent, const QString& Text) { ShowMessage(Parent, Text, TDialogIcon::Warning); }

    // Qt's name filters for a "Text|pattern|..." filter.
    static QStringList NameFilters(const QString& Filter);
};

// Qt's message boxes and file dialogs.
class TQtOperatorDialogs : public TOperatorDialogs {
public:
    void ShowMessage(QWidget* Parent, const QString& Text, TDialogIcon Icon) override;
    bool AskYesNo(QWidget* Parent, const QString& Text, TDialogIcon Icon) override;
    TDialogAnswer AskYesNoCancel(QWidget* Parent, const QString& Text, TDialogIcon Icon) override;
    std::optional<QString> GetSaveFileName(QWidget* Parent, const TFileDialogOptions& Options) override;
    std::optional<QString> GetOpenFileName(QWidget* Parent, const TFileDialogOptions& Options) override;
    bool PageSetup(QWidget* Parent, QPrinter& Printer) override;
    bool Print(QWidget* Parent, QPrinter& Printer) override;
    std::optional<double> GetNumber(QWidget* Parent, const QString& Prompt, double Initial, int Decimals) override;
};
