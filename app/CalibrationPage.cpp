#include "app/CalibrationPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

template <typename T> T* Named(T* Widget, const char* Name)
{
    Widget->setObjectName(QLatin1String(Name));
    return Widget;
}

QPushButton* Button(const char* Name)
{
    return Named(new QPushButton(QLatin1String(Name)), Name);
}

}  // namespace

TCalibrationPageUi BuildCalibrationPage(QTabWidget& Notebook)
{
    TCalibrationPageUi ui;
    auto* page = Named(new QWidget, "tshCalibration");
    auto* columns = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    columns->addLayout(left);

    ui.grbLoopTest = Named(new QGroupBox(QStringLiteral("grbLoopTest")), "grbLoopTest");
    auto* loop = new QGridLayout(ui.grbLoopTest);
    ui.lblLoopCurrent = Named(new QLabel(QStringLiteral("lblLoopCurrent")), "lblLoopCurrent");
    ui.calLoopCurrent = Named(new QLineEdit(QStringLiteral("12")), "calLoopCurrent");
    ui.bbtnFix4 = Button("bbtnFix4");
    ui.bbtnFix12 = Button("bbtnFix12");
    ui.bbtnFix20 = Button("bbtnFix20");
    ui.bbtnFixCurrent = Button("bbtnFixCurrent");
    ui.bbtnReleaseCurrent = Button("bbtnReleaseCurrent");
    ui.stLoopState = Named(new QLabel, "stLoopState");
    loop->addWidget(ui.bbtnFix4, 0, 0);
    loop->addWidget(ui.bbtnFix12, 0, 1);
    loop->addWidget(ui.bbtnFix20, 0, 2);
    loop->addWidget(ui.lblLoopCurrent, 1, 0);
    loop->addWidget(ui.calLoopCurrent, 1, 1);
    loop->addWidget(ui.bbtnFixCurrent, 1, 2);
    loop->addWidget(ui.bbtnReleaseCurrent, 2, 0, 1, 3);
    loop->addWidget(ui.stLoopState, 3, 0, 1, 3);
    left->addWidget(ui.grbLoopTest);

    ui.grbCalSteps = Named(new QGroupBox(QStringLiteral("grbCalSteps")), "grbCalSteps");
    auto* steps = new QGridLayout(ui.grbCalSteps);
    ui.lblCalPoints = Named(new QLabel(QStringLiteral("lblCalPoints")), "lblCalPoints");
    ui.calPoints = Named(new QLineEdit(QStringLiteral("0, 25, 50, 75, 100")), "calPoints");
    ui.chbFallingPoints = Named(new QCheckBox(QStringLiteral("chbFallingPoints")), "chbFallingPoints");
    ui.lblTolerance = Named(new QLabel(QStringLiteral("lblTolerance")), "lblTolerance");
    ui.calTolerance = Named(new QLineEdit(QStringLiteral("0.25")), "calTolerance");
    ui.bbtnAsFound = Button("bbtnAsFound");
    ui.bbtnCalSetZero = Button("bbtnCalSetZero");
    ui.bbtnCalSetLower = Button("bbtnCalSetLower");
    ui.bbtnCalSetUpper = Button("bbtnCalSetUpper");
    ui.bbtnOutputTrim = Button("bbtnOutputTrim");
    ui.stTrimResult = Named(new QLabel, "stTrimResult");
    ui.bbtnAsLeft = Button("bbtnAsLeft");
    ui.bbtnSaveCertificate = Button("bbtnSaveCertificate");
    ui.bbtnPrintCertificate = Button("bbtnPrintCertificate");
    int row = 0;
    steps->addWidget(ui.lblCalPoints, row, 0);
    steps->addWidget(ui.calPoints, row++, 1, 1, 2);
    steps->addWidget(ui.chbFallingPoints, row++, 1, 1, 2);
    steps->addWidget(ui.lblTolerance, row, 0);
    steps->addWidget(ui.calTolerance, row++, 1);
    steps->addWidget(ui.bbtnAsFound, row++, 0, 1, 3);
    steps->addWidget(ui.bbtnCalSetZero, row, 0);
    steps->addWidget(ui.bbtnCalSetLower, row, 1);
    steps->addWidget(ui.bbtnCalSetUpper, row++, 2);
    steps->addWidget(ui.bbtnOutputTrim, row++, 0, 1, 3);
    steps->addWidget(ui.stTrimResult, row++, 0, 1, 3);
    steps->addWidget(ui.bbtnAsLeft, row++, 0, 1, 3);
    steps->addWidget(ui.bbtnSaveCertificate, row, 0, 1, 2);
    steps->addWidget(ui.bbtnPrintCertificate, row++, 2);
    left->addWidget(ui.grbCalSteps);
    left->addStretch(1);

    ui.grbCalPoints = Named(new QGroupBox(QStringLiteral("grbCalPoints")), "grbCalPoints");
    auto* points = new QVBoxLayout(ui.grbCalPoints);
    ui.twCalPoints = Named(new QTableWidget(0, 8), "twCalPoints");
    ui.twCalPoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.twCalPoints->verticalHeader()->setVisible(false);
    ui.twCalPoints->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui.stCalResult = Named(new QLabel, "stCalResult");
    points->addWidget(ui.twCalPoints, 1);
    points->addWidget(ui.stCalResult);
    columns->addWidget(ui.grbCalPoints, 1);

    Notebook.addTab(page, QStringLiteral("Calibration"));
    return ui;
}
