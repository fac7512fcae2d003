#include "app/DeviceStatusDialog.h"

#include "app/StatusIndicator.h"
#include "services/LocaleDateTime.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

QLabel* NewLabel(QWidget* Parent, const char* Name, const char* Caption)
{
    auto* label = new QLabel(QString::fromLatin1(Caption), Parent);
    label->setObjectName(QLatin1String(Name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* NewButton(QWidget* Parent, const char* Name, const char* Caption)
{
    auto* button = new QPushButton(QString::fromLatin1(Caption), Parent);
    button->setObjectName(QLatin1String(Name));
    button->setAutoDefault(false);
    return button;
}

QString Hex(const std::vector<uint8_t>& Bytes)
{
    QStringList bytes;
    for (const uint8_t byte : Bytes)
        bytes << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return bytes.join(QLatin1Char(' '));
}

}  // namespace

QString StatusWordText(const TStatusWord& Word, const TTranslate& Translate)
{
    QString text = Translate(QString::fromStdString(Word.Key));
    for (const int arg : Word.Args)
        text = text.arg(arg);
    return text;
}

QString StatusWordLines(const std::vector<TStatusWord>& Words, const TTranslate& Translate)
{
    QStringList lines;
    for (const TStatusWord& word : Words)
        lines << StatusWordText(word, Translate);
    return lines.isEmpty() ? Translate(QStringLiteral("DS.NONE")) : lines.join(QLatin1Char('\n'));
}

TFrmDeviceStatus::TFrmDeviceStatus(QWidget* Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmDeviceStatus"));
    setWindowTitle(QStringLiteral("Device status"));
    setModal(false);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
    const auto row = [this, form](const char* Name, const char* Caption, QLabel*& Value, const char* ValueName) {
        Value = NewLabel(this, ValueName, "");
        Value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(NewLabel(this, Name, Caption), Value);
    };
    row("lblStatusClass", "NE 107 class:", stStatusClass, "stStatusClass");
    row("lblStatusBits", "Device status:", stStatusBits, "stStatusBits");
    row("lblStatusAdditional", "Additional status:", stStatusAdditional, "stStatusAdditional");
    row("lblStatusWriteProtect", "Write protection:", stStatusWriteProtect, "stStatusWriteProtect");
    row("lblStatusUpdated", "Last update:", stStatusUpdated, "stStatusUpdated");
    stStatusClass->setAutoFillBackground(true);
    stStatusClass->setMargin(3);

    btnReadStatus = NewButton(this, "btnReadStatus", "Read again");
    btnResetChanged = NewButton(this, "btnResetChanged", "Reset configuration changed");
    btnCloseStatus = NewButton(this, "btnCloseStatus", "Close");
    connect(btnCloseStatus, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnReadStatus);
    buttons->addWidget(btnResetChanged);
    buttons->addStretch(1);
    buttons->addWidget(btnCloseStatus);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(460);
}

void TFrmDeviceStatus::ShowHealth(const TDeviceHealth* Health, TNe107Class Class, const QDateTime& Updated,
                                  const TTranslate& Translate)
{
    setWindowTitle(Translate(QStringLiteral("frmDeviceStatus.Caption")));
    QPalette colours = stStatusClass->palette();
    if (!Health) {
        const QString unknown = Translate(QStringLiteral("DS.UNKNOWN"));
        for (QLabel* label : {stStatusClass, stStatusBits, stStatusAdditional, stStatusWriteProtect, stStatusUpdated})
            label->setText(unknown);
        stStatusClass->setPalette(QPalette());
        return;
    }
    const QColor background = TStatusIndicator::ClassColor(Class);
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::WindowText, background.lightness() > 140 ? Qt::black : Qt::white);
    stStatusClass->setPalette(colours);
    stStatusClass->setText(Translate(QString::fromLatin1(DeviceStatus::Ne107Name(Class).Key)));

    stStatusBits->setText(QStringLiteral("%1\n").arg(Hex({Health->DeviceStatus}))
                          + StatusWordLines(DeviceStatus::DeviceStatusWords(Health->DeviceStatus), Translate));
    stStatusAdditional->setText(
        Health->AdditionalRead
            ? Hex(Health->Additional) + QLatin1Char('\n')
                  + StatusWordLines(DeviceStatus::AdditionalStatusWords(Health->Additional), Translate)
            : Translate(Health->AdditionalNotImplemented ? QStringLiteral("AS.NOTIMPLEMENTED")
                                                         : QStringLiteral("AS.NOTREAD")));
    stStatusWriteProtect->setText(Health->WriteProtectRead
                                      ? StatusWordText(DeviceStatus::WriteProtectWord(Health->WriteProtect), Translate)
                                      : Translate(QStringLiteral("AS.NOTREAD")));
    stStatusUpdated->setText(FullYearDateText(Updated.date()) + QLatin1Char(' ') + LongTimeText(Updated.time()));
    // Longer texts than before (more bits, another language) widen the window.
    resize(size().expandedTo(sizeHint()));
}
