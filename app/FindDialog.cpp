#include "app/FindDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>

namespace {

template <class T> T* Named(T* Widget, const char* Name)
{
    Widget->setObjectName(QLatin1String(Name));
    return Widget;
}

QSpinBox* AddressBox(QWidget* Parent, const char* Name, int Value)
{
    auto* box = Named(new QSpinBox(Parent), Name);
    box->setRange(0, 63);
    box->setValue(Value);
    return box;
}

}  // namespace

TFindDialog::TFindDialog(QWidget* Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find transmitters"));
    auto* column = new QVBoxLayout(this);

    auto* scanRow = new QHBoxLayout;
    lblAddresses = Named(new QLabel(QStringLiteral("Polling addresses"), this), "lblAddresses");
    spnFirst = AddressBox(this, "spnFirst", 0);
    lblTo = Named(new QLabel(QStringLiteral("to"), this), "lblTo");
    spnLast = AddressBox(this, "spnLast", 15);
    bbtnScan = Named(new QPushButton(QStringLiteral("Scan"), this), "bbtnScan");
    bbtnCancelScan = Named(new QPushButton(QStringLiteral("Cancel"), this), "bbtnCancelScan");
    bbtnCancelScan->setEnabled(false);
    for (QWidget* widget :
         std::initializer_list<QWidget*> {lblAddresses, spnFirst, lblTo, spnLast, bbtnScan, bbtnCancelScan})
        scanRow->addWidget(widget);
    scanRow->addStretch(1);
    column->addLayout(scanRow);

    prbScan = Named(new QProgressBar(this), "prbScan");
    prbScan->setTextVisible(false);
    column->addWidget(prbScan);

    tblFound = Named(new QTableWidget(0, ColumnCount, this), "tblFound");
    tblFound->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblFound->setSelectionMode(QAbstractItemView::SingleSelection);
    tblFound->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFound->verticalHeader()->setVisible(false);
    tblFound->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(tblFound, 1);

    auto* tagRow = new QGridLayout;
    lblFindTag = Named(new QLabel(QStringLiteral("Find by tag"), this), "lblFindTag");
    edFindTag = Named(new QLineEdit(this), "edFindTag");
    edFindTag->setMaxLength(8);
    bbtnFindTag = Named(new QPushButton(QStringLiteral("Find"), this), "bbtnFindTag");
    lblNewAddress = Named(new QLabel(QStringLiteral("New polling address"), this), "lblNewAddress");
    spnNewAddress = AddressBox(this, "spnNewAddress", 1);
    bbtnSetAddress = Named(new QPushButton(QStringLiteral("Set address"), this), "bbtnSetAddress");
    tagRow->addWidget(lblFindTag, 0, 0);
    tagRow->addWidget(edFindTag, 0, 1);
    tagRow->addWidget(bbtnFindTag, 0, 2);
    tagRow->addWidget(lblNewAddress, 1, 0);
    tagRow->addWidget(spnNewAddress, 1, 1);
    tagRow->addWidget(bbtnSetAddress, 1, 2);
    tagRow->setColumnStretch(3, 1);
    column->addLayout(tagRow);

    stFindStatus = Named(new QLabel(this), "stFindStatus");
    stFindStatus->setWordWrap(true);
    column->addWidget(stFindStatus);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bbtnUse = Named(new QPushButton(QStringLiteral("Talk to this transmitter"), this), "bbtnUse");
    bbtnClose = Named(new QPushButton(QStringLiteral("Close"), this), "bbtnClose");
    buttons->addWidget(bbtnUse);
    buttons->addWidget(bbtnClose);
    column->addLayout(buttons);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    resize(760, 420);
}

void TFindDialog::SetTexts(const std::function<QString(const QString&)>& Translate)
{
    setWindowTitle(Translate(objectName() + QStringLiteral(".Caption")));
    for (QLabel* label : {lblAddresses, lblTo, lblFindTag, lblNewAddress})
        label->setText(Translate(label->objectName() + QStringLiteral(".Caption")));
    for (QPushButton* button : {bbtnScan, bbtnCancelScan, bbtnFindTag, bbtnSetAddress, bbtnUse, bbtnClose})
        button->setText(Translate(button->objectName() + QStringLiteral(".Caption")));
    QStringList headers;
    for (int column = 0; column < ColumnCount; ++column)
        headers << Translate(QStringLiteral("tblFound.Col%1").arg(column));
    tblFound->setHorizontalHeaderLabels(headers);
}
