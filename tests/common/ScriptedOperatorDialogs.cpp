#include "tests/common/ScriptedOperatorDialogs.h"

#include <QPrinter>

#include <utility>

void TScriptedOperatorDialogs::ShowMessage(QWidget*, const QString& Text, TDialogIcon Icon)
{
    FShown.append({TKind::Message, Icon, Text, {}});
}

bool TScriptedOperatorDialogs::AskYesNo(QWidget*, const QString& Text, TDialogIcon Icon)
{
    FShown.append({TKind::Question, Icon, Text, {}});
    RunWhileOpen();
    if (FAnswers.empty()) {
        ++FUnanswered;
        return false;
    }
    const bool yes = FAnswers.front();
    FAnswers.pop_front();
    return yes;
}

TDialogAnswer TScriptedOperatorDialogs::AskYesNoCancel(QWidget*, const QString& Text, TDialogIcon Icon)
{
    FShown.append({TKind::Question, Icon, Text, {}});
    RunWhileOpen();
    if (FChoices.empty()) {
        ++FUnanswered;
        return TDialogAnswer::Cancel;
    }
    const TDialogAnswer answer = FChoices.front();
    FChoices.pop_front();
    return answer;
}

std::optional<QString> TScriptedOperatorDialogs::GetSaveFileName(QWidget*, const TFileDialogOptions& Options)
{
    FShown.append({TKind::SaveFile, TDialogIcon::Information, Options.Title, Options});
    return NextFileName();
}

std::optional<QString> TScriptedOperatorDialogs::GetOpenFileName(QWidget*, const TFileDialogOptions& Options)
{
    FShown.append({TKind::OpenFile, TDialogIcon::Information, Options.Title, Options});
    return NextFileName();
}

void TScriptedOperatorDialogs::RunWhileOpen()
{
    // Once only: what runs may open a box itself.
    if (const std::function<void()> events = std::exchange(FWhileOpen, nullptr))
        events();
}

std::optional<QString> TScriptedOperatorDialogs::NextFileName()
{
    if (FFileNames.empty()) {
        ++FUnanswered;
        return std::nullopt;
    }
    const TFileAnswer answer = FFileNames.front();
    FFileNames.pop_front();
    if (answer.Cancel)
        return std::nullopt;
    return std::optional<QString>(answer.Name);
}

bool TScriptedOperatorDialogs::NextPrintAnswer()
{
    if (FPrintAnswers.empty()) {
        ++FUnanswered;
        return false;
    }
    const bool ok = FPrintAnswers.front();
    FPrintAnswers.pop_front();
    return ok;
}

bool TScriptedOperatorDialogs::PageSetup(QWidget*, QPrinter& Printer)
{
    FShown.append({TKind::PageSetup, TDialogIcon::Information, {}, {}});
    const bool confirmed = NextPrintAnswer();
    if (confirmed && FPageLayout)
        Printer.setPageLayout(*FPageLayout);
    return confirmed;
}

bool TScriptedOperatorDialogs::Print(QWidget*, QPrinter& Printer)
{
    FShown.append({TKind::Print, TDialogIcon::Information, {}, {}});
    const bool confirmed = NextPrintAnswer();
    // Never a real printer: a confirmed print without a file goes nowhere.
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(FPrintFile);
    return confirmed && !FPrintFile.isEmpty();
}

QStringList TScriptedOperatorDialogs::Messages(TDialogIcon Icon) const
{
    QStringList texts;
    for (const TShown& shown : FShown)
        if (shown.Kind == TKind::Message && shown.Icon == Icon)
            texts << shown.Text;
    return texts;
}

void TScriptedOperatorDialogs::Clear()
{
    FShown.clear();
    FAnswers.clear();
    FFileNames.clear();
    FPrintAnswers.clear();
    FChoices.clear();
    FUnanswered = 0;
}

std::optional<double> TScriptedOperatorDialogs::GetNumber(QWidget*, const QString& Prompt, double, int)
{
    FShown.append({TKind::Number, TDialogIcon::Information, Prompt, {}});
    if (!FNumbers.empty()) {
        const std::optional<double> value = FNumbers.front();
        FNumbers.pop_front();
        return value;
    }
    if (FNumberAnswer)
        return FNumberAnswer(Prompt);
    ++FUnanswered;
    return std::nullopt;
}
