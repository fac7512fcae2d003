#pragma once
// The window's dialogs in tests: every box and file, page-setup and print
// dialog is recorded and answered from queues, so no test waits on a modal
// dialog.

#include "app/OperatorDialogs.h"

#include <QList>
#include <QPageLayout>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

// Records every dialog and answers from queues. A question or file dialog with no
// answer queued answers No or Cancel and is counted as unanswered, so a test can
// see that the program asked something it did not expect.
class TScriptedOperatorDialogs : public TOperatorDialogs {
public:
    enum class TKind { Message, Question, SaveFile, OpenFile, PageSetup, Print, Number };
    struct TShown {
        TKind Kind;
        TDialogIcon Icon = TDialogIcon::Information;
        QString Text;  // message or question text; a file dialog's title
        TFileDialogOptions Options;
    };

    void ShowMessage(QWidget* Parent, const QString& Text, TDialogIcon Icon) override;
    bool AskYesNo(QWidget* Parent, const QString& Text, TDialogIcon Icon) override;
    TDialogAnswer AskYesNoCancel(QWidget* Parent, const QString& Text, TDialogIcon Icon) override;
    std::optional<QString> GetSaveFileName(QWidget* Parent, const TFileDialogOptions& Options) override;
    std::optional<QString> GetOpenFileName(QWidget* Parent, const TFileDialogOptions& Options) override;
    bool PageSetup(QWidget* Parent, QPrinter& Printer) override;
    bool Print(QWidget* Parent, QPrinter& Printer) override;
    std::optional<double> GetNumber(QWidget* Parent, const QString& Prompt, double Initial, int Decimals) override;
    // Typed numbers, used in order; nothing stands for Cancel. Answer, when
    // set, answers every number box not queued (a meter read by the test).
    void QueueNumber(std::optional<double> Value) { FNumbers.push_back(Value); }
    void SetNumberAnswer(std::function<std::optional<double>(const QString& Prompt)> Answer)
    {
        FNumberAnswer = std::move(Answer);
    }

    // Answers, used in order.
    void QueueChoice(TDialogAnswer Answer) { FChoices.push_back(Answer); }
    // A confirmed print goes as PDF into FileName; a confirmed page set-up
    // leaves Layout in the printer (when one is given).
    void SetPrintFile(const QString& FileName) { FPrintFile = FileName; }
    void SetPageLayout(const QPageLayout& Layout) { FPageLayout = Layout; }
    void QueueAnswer(bool Yes) { FAnswers.push_back(Yes); }
    void QueueFileName(const QString& FileName) { FFileNames.push_back({false, FileName}); }
    void QueueCancel() { FFileNames.push_back({true, QString()}); }
    void QueuePrintAnswer(bool Confirm) { FPrintAnswers.push_back(Confirm); }
    // Runs Events once while the next question box is open, before it is
    // answered, as timers run in the nested event loop of a modal box.
    void RunWhileNextQuestionIsOpen(std::function<void()> Events) { FWhileOpen = std::move(Events); }

    const QList<TShown>& Shown() const { return FShown; }
    // The texts of the boxes shown with the given icon, in order.
    QStringList Messages(TDialogIcon Icon) const;
    QStringList Errors() const { return Messages(TDialogIcon::Error); }
    int Unanswered() const { return FUnanswered; }
    void Clear();

private:
    struct TFileAnswer {
        bool Cancel;
        QString Name;
    };
    std::optional<QString> NextFileName();
    void RunWhileOpen();
    bool NextPrintAnswer();

    QList<TShown> FShown;
    std::deque<bool> FAnswers;
    std::deque<TFileAnswer> FFileNames;
    std::deque<bool> FPrintAnswers;
    std::deque<TDialogAnswer> FChoices;
    std::deque<std::optional<double>> FNumbers;
    std::function<std::optional<double>(const QString& Prompt)> FNumberAnswer;
    QString FPrintFile;
    std::optional<QPageLayout> FPageLayout;
    int FUnanswered = 0;
    std::function<void()> FWhileOpen;
};
