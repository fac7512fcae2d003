#include "app/OperatorDialogs.h"

#include "app/Application.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

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

std::optional<double> TQtOperatorDialogs::GetNumber(QWidget* Parent, const QString& Prompt, double Initial,
                                                    int Decimals)
{
    bool ok = false;
    const double value
        = QInputDialog::getDouble(Parent, TApplication::Title(), Prompt, Initial, -1e9, 1e9, Decimals, &ok);
    return ok ? std::optional(value) : std::nullopt;
}
