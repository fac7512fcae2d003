#include "app/FramesWindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QPushButton* NewButton(QWidget* Parent, const char* Name, const char* Caption)
{
    auto* button = new QPushButton(QString::fromLatin1(Caption), Parent);
    button->setObjectName(QLatin1String(Name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TFrmFrames::TFrmFrames(QWidget* Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmFrames"));
    setWindowTitle(QStringLiteral("Frames"));
    setModal(false);

    memFrames = new QPlainTextEdit(this);
    memFrames->setObjectName(QStringLiteral("memFrames"));
    memFrames->setReadOnly(true);
    memFrames->setLineWrapMode(QPlainTextEdit::NoWrap);
    memFrames->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // One block per exchange, so that the view keeps as many as the list.
    memFrames->setMaximumBlockCount(MaxExchanges);

    btnCopyFrames = NewButton(this, "btnCopyFrames", "Copy");
    btnSaveFrames = NewButton(this, "btnSaveFrames", "Save as text...");
    btnClearFrames = NewButton(this, "btnClearFrames", "Clear");
    btnCloseFrames = NewButton(this, "btnCloseFrames", "Close");
    connect(btnClearFrames, &QPushButton::clicked, this, [this] { Clear(); });
    connect(btnCloseFrames, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnCopyFrames);
    buttons->addWidget(btnSaveFrames);
    buttons->addWidget(btnClearFrames);
    buttons->addStretch(1);
    buttons->addWidget(btnCloseFrames);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memFrames, 1);
    layout->addLayout(buttons);
    resize(760, 420);
}

void TFrmFrames::Add(const QString& Exchange)
{
    QString entry = Exchange;
    while (entry.endsWith(QLatin1Char('\n')))
        entry.chop(1);
    FExchanges.push_back(entry);
    if (FExchanges.size() > size_t(MaxExchanges))
        FExchanges.pop_front();
    // Line separators keep the exchange one block of the view. The view
    // follows the newest exchange unless the operator scrolled up.
    QScrollBar* bar = memFrames->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    memFrames->appendPlainText(QString(entry).replace(QLatin1Char('\n'), QChar::LineSeparator));
    if (atEnd)
        bar->setValue(bar->maximum());
}

void TFrmFrames::Clear()
{
    FExchanges.clear();
    memFrames->clear();
}

QString TFrmFrames::Text() const
{
    QString text;
    for (const QString& exchange : FExchanges)
        text += exchange + QLatin1Char('\n');
    return text;
}
