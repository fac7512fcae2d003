#include "app/OperatorDialogs.h"

#include "app/Application.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <utility>

QStringList TOperatorDialogs::NameFilters(const QString& Filter)
{
    // "All Files (*.*)|*.*|Conf Files (*.cfg)|*.cfg": the pattern of each entry is
    // already part of its text, as Qt's name filters want it.
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        filters << QStringLiteral("%1 (%2)").arg(parts[i].section(QLatin1String(" ("), 0, 0), pattern);
    }
    return filters;
}

// --- Qt's dialogs -------------------------------------------------------------

namespace {

QMessageBox::Icon BoxIcon(TDialogIcon Icon)
{
    switch (Icon) {
        case TDialogIcon::Error: return QMessageBox::Critical;
        case TDialogIcon::Warning: return QMessageBox::Warning;
        case TDialogIcon::Confirmation: return QMessageBox::Question;
        case TDialogIcon::Information: break;
    }
    return QMessageBox::Information;
}

std::optional<QString> RunFileDialog(QWidget* Parent, const TFileDialogOptions& Options, QFileDialog::AcceptMode Mode)
{
    QFileDialog dialog(Parent, Options.Title, Options.InitialDir);
    dialog.setAcceptMode(Mode);
    dialog.setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = TOperatorDialogs::NameFilters(Options.Filter);
    dialog.setNameFilters(filters);
    if (Options.FilterIndex >= 1 && Options.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[Options.FilterIndex - 1]);
    dialog.setDefaultSuffix(Options.DefaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

void TQtOperatorDialogs::ShowMessage(QWidget* Parent, const QString& Text, TDialogIcon Icon)
{
    QMessageBox box(BoxIcon(Icon), TApplication::Title(), Text, QMessageBox::Ok, Parent);
    box.exec();
}

bool TQtOperatorDialogs::AskYesNo(QWidget* Parent, const QString& Text, TDialogIcon Icon)
{
    QMessageBox box(BoxIcon(Icon), TApplication::Title(), Text, QMessageBox::Yes | QMessageBox::No, Parent);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> TQtOperatorDialogs::GetSaveFileName(QWidget* Parent, const TFileDialogOptions& Options)
{
    return RunFileDialog(Parent, Options, QFileDialog::AcceptSave);
}

std::optional<QString> TQtOperatorDialogs::GetOpenFileName(QWidget* Parent, const TFileDialogOptions& Options)
{
    return RunFileDialog(Parent, Options, QFileDialog::AcceptOpen);
}

TDialogAnswer TQtOperatorDialogs::AskYesNoCancel(QWidget* Parent, const QString& Text, TDialogIcon Icon)
{
    QMessageBox box(BoxIcon(Icon), TApplication::Title(), Text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes: return TDialogAnswer::Yes;
        case QMessageBox::No: return TDialogAnswer::No;
        default: return TDialogAnswer::Cancel;
    }
}

bool TQtOperatorDialogs::PageSetup(QWidget* Parent, QPrinter& Printer)
{
    QPageSetupDialog dialog(&Printer, Parent);
    return dialog.exec() == QDialog::Accepted;
}

bool TQtOperatorDialogs::Print(QWidget* Parent, QPrinter& Printer)
{
    QPrintDialog dialog(&Printer, Parent);
    return dialog.exec() == QDialog::Accepted;
}

// --- the scripted stand-in ------------------------------------------------------

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
