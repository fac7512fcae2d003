// The tool bars of the main window and its two pages, "Sensordata" and
// "Datalog", with the design values of their controls.

#include "app/UnitFrmMainForm.h"

#include "app/PortComboBox.h"
#include "app/UnitFrmMainUi.h"
#include "chart/NorvaneChart.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Room left of a chart's tick labels for its vertical axis title (12 pt bold,
// drawn upright from x = 2).
constexpr int ChartTitleMargin = 24;

// Tag and descriptor are shown and typed in upper case.
class TUpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& Input, int&) const override
    {
        Input = Input.toUpper();
        return Acceptable;
    }
};

}  // namespace

void TfrmMainForm::BuildToolBars()
{
    // The control bar: two rows of tool bars. The first holds the action and
    // language bars and either the port bar ("Sensordata" page) or the
    // monitoring bar ("Datalog" page); the datalog bar, on the "Datalog" page
    // only, has the second row to itself, so that nothing is cut at the
    // window's smallest width in either language.
    auto* rows = new QVBoxLayout(FUi.cntrbMain);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* firstRow = new QHBoxLayout;
    auto* secondRow = new QHBoxLayout;
    firstRow->setSpacing(4);
    secondRow->setSpacing(4);
    rows->addLayout(firstRow);
    rows->addLayout(secondRow);

    auto newBar = [this](const char* Name) {
        auto* bar = new QToolBar(FUi.cntrbMain);
        bar->setObjectName(QLatin1String(Name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(20, 20));
        return bar;
    };
    QStyle* style = QApplication::style();

    FUi.tbAction = newBar("tbAction");
    FUi.tbtnRead = NewSpeedButton(FUi.tbAction, "tbtnRead", FUi.acRead, style->standardIcon(QStyle::SP_BrowserReload));
    FUi.tbtnSet = NewSpeedButton(FUi.tbAction, "tbtnSet", FUi.acSet, style->standardIcon(QStyle::SP_ArrowUp));
    FUi.tbtnSave
        = NewSpeedButton(FUi.tbAction, "tbtnSave", FUi.acSave, style->standardIcon(QStyle::SP_DialogSaveButton));
    FUi.tbtnLoad
        = NewSpeedButton(FUi.tbAction, "tbtnLoad", FUi.acLoad, style->standardIcon(QStyle::SP_DialogOpenButton));
    firstRow->addWidget(FUi.tbAction);

    FUi.tbLanguage = newBar("tbLanguage");
    FUi.tbtnLangEng = NewSpeedButton(FUi.tbLanguage, "tbtnLangEng", FUi.acLangEng, QIcon());
    FUi.tbtnLangGer = NewSpeedButton(FUi.tbLanguage, "tbtnLangGer", FUi.acLangGer, QIcon());
    FUi.tbtnLangEng->setText(QStringLiteral("EN"));
    FUi.tbtnLangGer->setText(QStringLiteral("DE"));
    FUi.grpLanguage = new QButtonGroup(FUi.tbLanguage);
    FUi.grpLanguage->setObjectName(QStringLiteral("grpLanguage"));
    for (QToolButton* button : {FUi.tbtnLangEng, FUi.tbtnLangGer}) {
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        FUi.grpLanguage->addButton(button);
    }
    FUi.tbtnLangEng->setChecked(true);
    firstRow->addWidget(FUi.tbLanguage);

    FUi.tbPort = newBar("tbPort");
    SetHint(FUi.tbPort, QStringLiteral("Ports"));
    FUi.cmbPort = new TPortComboBox(FUi.tbPort);
    FUi.cmbPort->setObjectName(QStringLiteral("cmbPort"));
    FUi.cmbPort->setEditable(true);
    FUi.cmbPort->setInsertPolicy(QComboBox::NoInsert);
    FUi.cmbPort->setMinimumContentsLength(8);
    FUi.cmbPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FUi.tbPort->addWidget(FUi.cmbPort);
    FUi.chbUseUSB = new QCheckBox(QStringLiteral("Use USB"), FUi.tbPort);
    FUi.chbUseUSB->setObjectName(QStringLiteral("chbUseUSB"));
    FUi.tbPort->addWidget(FUi.chbUseUSB);
    FUi.cmbSensorType = new QComboBox(FUi.tbPort);
    FUi.cmbSensorType->setObjectName(QStringLiteral("cmbSensorType"));
    FUi.cmbSensorType->addItems({QStringLiteral("HART"), QStringLiteral("Orsa / Quill")});
    FUi.cmbSensorType->setMaxVisibleItems(3);
    FUi.tbPort->addWidget(FUi.cmbSensorType);
    firstRow->addWidget(FUi.tbPort);

    FUi.tbDatalog = newBar("tbDatalog");
    FUi.chbSaveDatalog = new QCheckBox(QStringLiteral("Save datalog"), FUi.tbDatalog);
    FUi.chbSaveDatalog->setObjectName(QStringLiteral("chbSaveDatalog"));
    FUi.chbSaveDatalog->setEnabled(false);
    FUi.tbDatalog->addWidget(FUi.chbSaveDatalog);
    FUi.lblCapacity = NewLabel(FUi.tbDatalog, "lblCapacity", QStringLiteral("Capacity  "));
    FUi.tbDatalog->addWidget(FUi.lblCapacity);
    FUi.edStorageCap = NewEdit(FUi.tbDatalog, "edStorageCap");
    SetHint(FUi.edStorageCap, QStringLiteral("Input a datalog capacity"));
    FUi.edStorageCap->setText(QStringLiteral("100"));
    FUi.edStorageCap->setMaxLength(5);
    FUi.edStorageCap->setFixedWidth(56);
    FUi.tbDatalog->addWidget(FUi.edStorageCap);
    // The captions' trailing blanks are lost in the language file; margins keep
    // the labels off their neighbours.
    FUi.lblCapacity->setContentsMargins(6, 0, 4, 0);
    FUi.lblRate = NewLabel(FUi.tbDatalog, "lblRate", QStringLiteral("Rate, s  "));
    FUi.lblRate->setContentsMargins(6, 0, 4, 0);
    FUi.tbDatalog->addWidget(FUi.lblRate);
    FUi.edRate = NewEdit(FUi.tbDatalog, "edRate");
    FUi.edRate->setText(QStringLiteral("1"));
    FUi.edRate->setFixedWidth(44);
    FUi.tbDatalog->addWidget(FUi.edRate);
    FUi.tbtnStartDatalog = NewSpeedButton(FUi.tbDatalog, "tbtnStartDatalog", FUi.acStartMonitoring,
                                          style->standardIcon(QStyle::SP_MediaPlay));
    FUi.tbtnStopDatalog = NewSpeedButton(FUi.tbDatalog, "tbtnStopDatalog", FUi.acStopMonitoring,
                                         style->standardIcon(QStyle::SP_MediaStop));
    FUi.grpDatalog = new QButtonGroup(FUi.tbDatalog);
    FUi.grpDatalog->setObjectName(QStringLiteral("grpDatalog"));
    for (QToolButton* button : {FUi.tbtnStartDatalog, FUi.tbtnStopDatalog}) {
        button->setCheckable(true);
        FUi.grpDatalog->addButton(button);
    }
    FUi.tbtnStopDatalog->setChecked(true);
    FUi.tbtnSaveDatalog = NewSpeedButton(FUi.tbDatalog, "tbtnSaveDatalog", FUi.acSaveDatalog,
                                         style->standardIcon(QStyle::SP_DialogSaveButton));
    FUi.tbDatalog->setVisible(false);
    secondRow->addWidget(FUi.tbDatalog);
    secondRow->addStretch(1);

    FUi.tbMonitoring = newBar("tbMonitoring");
    auto valueLabel = [this](const char* Name) {
        QLabel* label = NewLabel(FUi.tbMonitoring, Name, QString());
        label->setMinimumWidth(64);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        return label;
    };
    FUi.stCurrentCurrentValue = valueLabel("stCurrentCurrentValue");
    FUi.tbMonitoring->addWidget(FUi.stCurrentCurrentValue);
    FUi.lblCurrentUnit = NewLabel(FUi.tbMonitoring, "lblCurrentUnit", QStringLiteral("lblCurrentUnit"));
    FUi.lblCurrentUnit->setContentsMargins(3, 0, 8, 0);
    FUi.tbMonitoring->addWidget(FUi.lblCurrentUnit);
    FUi.chbCurrentLine = new QCheckBox(QStringLiteral("Current line"), FUi.tbMonitoring);
    FUi.chbCurrentLine->setObjectName(QStringLiteral("chbCurrentLine"));
    FUi.chbCurrentLine->setChecked(true);
    // Ticking either box runs its action, which shows or hides its chart.
    QObject::connect(FUi.chbCurrentLine, &QCheckBox::clicked, FUi.acCurrentLineVisibleChanged, &QAction::trigger);
    FUi.tbMonitoring->addWidget(FUi.chbCurrentLine);
    FUi.tbMonitoring->addSeparator();
    FUi.stCurrentPressureValue = valueLabel("stCurrentPressureValue");
    FUi.tbMonitoring->addWidget(FUi.stCurrentPressureValue);
    FUi.lblPressureUnit = NewLabel(FUi.tbMonitoring, "lblPressureUnit", QStringLiteral("lblPressureUnit"));
    FUi.lblPressureUnit->setContentsMargins(3, 0, 8, 0);
    FUi.tbMonitoring->addWidget(FUi.lblPressureUnit);
    FUi.chbPressureLine = new QCheckBox(QStringLiteral("Pressure line"), FUi.tbMonitoring);
    FUi.chbPressureLine->setObjectName(QStringLiteral("chbPressureLine"));
    FUi.chbPressureLine->setChecked(true);
    QObject::connect(FUi.chbPressureLine, &QCheckBox::clicked, FUi.acPressureLineVisibleChanged, &QAction::trigger);
    FUi.tbMonitoring->addWidget(FUi.chbPressureLine);
    for (QWidget* control :
         std::initializer_list<QWidget*> {FUi.stCurrentCurrentValue, FUi.lblCurrentUnit, FUi.chbCurrentLine,
                                          FUi.stCurrentPressureValue, FUi.lblPressureUnit, FUi.chbPressureLine})
        control->setEnabled(false);
    FUi.tbMonitoring->setVisible(false);
    firstRow->addWidget(FUi.tbMonitoring);
    firstRow->addStretch(1);
}

void TfrmMainForm::BuildSensordataPage(QWidget* Page)
{
    auto* pageLayout = new QVBoxLayout(Page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    FUi.pnlDataMain = NewPanel(Page, "pnlDataMain");
    pageLayout->addWidget(FUi.pnlDataMain);
    auto* column = new QVBoxLayout(FUi.pnlDataMain);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(4);

    auto newGroup = [this](const char* Name, const QString& Caption) {
        auto* group = new QGroupBox(Caption, FUi.pnlDataMain);
        group->setObjectName(QLatin1String(Name));
        return group;
    };
    auto newGrid = [](QGroupBox* Group) {
        auto* grid = new QGridLayout(Group);
        grid->setContentsMargins(8, 4, 8, 6);
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(4);
        return grid;
    };

    // Description: identity of the device, tag, descriptor and date.
    FUi.grbDescription = newGroup("grbDescription", QStringLiteral("Description"));
    auto* description = newGrid(FUi.grbDescription);
    FUi.lblTransType = NewLabel(FUi.grbDescription, "lblTransType", QStringLiteral("Transmitter type"));
    FUi.edTransType = NewEdit(FUi.grbDescription, "edTransType", true);
    FUi.lblManufacturer = NewLabel(FUi.grbDescription, "lblManufacturer", QStringLiteral("Manufacturer"));
    FUi.edManufacturer = NewEdit(FUi.grbDescription, "edManufacturer", true);
    FUi.lblSerialNr = NewLabel(FUi.grbDescription, "lblSerialNr", QStringLiteral("Serial number"));
    FUi.edSerialNr = NewEdit(FUi.grbDescription, "edSerialNr", true);
    FUi.lblDate = NewLabel(FUi.grbDescription, "lblDate", QStringLiteral("Date:"));
    FUi.medDate = NewEdit(FUi.grbDescription, "medDate");
    FUi.medDate->setInputMask(QStringLiteral("99.99.9999;_"));
    SetHint(FUi.medDate, QStringLiteral("Enter a valid date (dd.mm.yyyy)"));
    // The date is shown, not edited.
    FUi.medDate->setEnabled(false);
    FUi.lblTag = NewLabel(FUi.grbDescription, "lblTag", QStringLiteral("Tag"));
    FUi.edTag = NewEdit(FUi.grbDescription, "edTag");
    FUi.edTag->setMaxLength(8);
    FUi.edTag->setValidator(new TUpperCaseValidator(FUi.edTag));
    FUi.lblDesc = NewLabel(FUi.grbDescription, "lblDesc", QStringLiteral("Description"));
    FUi.edDesc = NewEdit(FUi.grbDescription, "edDesc");
    FUi.edDesc->setMaxLength(16);
    FUi.edDesc->setValidator(new TUpperCaseValidator(FUi.edDesc));
    description->addWidget(FUi.lblTransType, 0, 0);
    description->addWidget(FUi.edTransType, 0, 1);
    description->addWidget(FUi.lblManufacturer, 0, 2);
    description->addWidget(FUi.edManufacturer, 0, 3);
    description->addWidget(FUi.lblSerialNr, 1, 0);
    description->addWidget(FUi.edSerialNr, 1, 1);
    description->addWidget(FUi.lblDate, 1, 2);
    description->addWidget(FUi.medDate, 1, 3);
    description->addWidget(FUi.lblTag, 2, 0);
    description->addWidget(FUi.edTag, 2, 1);
    description->addWidget(FUi.lblDesc, 2, 2);
    description->addWidget(FUi.edDesc, 2, 3);
    description->setColumnStretch(1, 1);
    description->setColumnStretch(3, 1);
    column->addWidget(FUi.grbDescription);

    // Configuration with reference: trims against the applied pressure.
    FUi.grbReference = newGroup("grbReference", QStringLiteral("Configuration with Reference"));
    auto* reference = new QHBoxLayout(FUi.grbReference);
    reference->setContentsMargins(8, 4, 8, 6);
    auto newButton = [this](const char* Name, QAction* Action) {
        auto* button = new QPushButton(Action->text(), FUi.grbReference);
        button->setObjectName(QLatin1String(Name));
        SetHint(button, Action->statusTip());
        button->setEnabled(Action->isEnabled());
        QObject::connect(Action, &QAction::enabledChanged, button, &QWidget::setEnabled);
        QObject::connect(button, &QPushButton::clicked, Action, &QAction::trigger);
        return button;
    };
    FUi.bbtnSetUpperRange = newButton("bbtnSetUpperRange", FUi.acSetUR);
    FUi.bbtnSetLowerRange = newButton("bbtnSetLowerRange", FUi.acSetLR);
    FUi.bbtnSetZero = newButton("bbtnSetZero", FUi.acSetZero);
    reference->addWidget(FUi.bbtnSetUpperRange, 1);
    reference->addWidget(FUi.bbtnSetLowerRange, 1);
    reference->addWidget(FUi.bbtnSetZero, 1);
    column->addWidget(FUi.grbReference);

    // Pressure: range values, limits, unit, damping and minimum span.
    FUi.grbPressure = newGroup("grbPressure", QStringLiteral("  Pressure  "));
    auto* pressure = newGrid(FUi.grbPressure);
    FUi.lblUpper = NewLabel(FUi.grbPressure, "lblUpper", QStringLiteral("Upper"));
    FUi.lblLower = NewLabel(FUi.grbPressure, "lblLower", QStringLiteral("Lower"));
    FUi.lblUpperRange = NewLabel(FUi.grbPressure, "lblUpperRange", QStringLiteral("Range value:"));
    FUi.lblLowerRange = NewLabel(FUi.grbPressure, "lblLowerRange", QStringLiteral("Range value:"));
    FUi.lblUpperLimit = NewLabel(FUi.grbPressure, "lblUpperLimit", QStringLiteral("Limit:"));
    FUi.lblLowerLimit = NewLabel(FUi.grbPressure, "lblLowerLimit", QStringLiteral("Limit:"));
    FUi.edUpperRange = NewEdit(FUi.grbPressure, "edUpperRange");
    FUi.edLowerRange = NewEdit(FUi.grbPressure, "edLowerRange");
    FUi.edUpperLimit = NewEdit(FUi.grbPressure, "edUpperLimit", true);
    FUi.edLowerLimit = NewEdit(FUi.grbPressure, "edLowerLimit", true);
    FUi.lblUnit = NewLabel(FUi.grbPressure, "lblUnit", QStringLiteral("Units"));
    FUi.cmbUnit = new QComboBox(FUi.grbPressure);
    FUi.cmbUnit->setObjectName(QStringLiteral("cmbUnit"));
    FUi.cmbUnit->addItems({QStringLiteral("bar"), QStringLiteral("mbar"), QStringLiteral("kPa"), QStringLiteral("Pa"),
                           QStringLiteral("mmH2O"), QStringLiteral("psi"), QStringLiteral("mmHg"),
                           QStringLiteral("Torr"), QStringLiteral("kg/cm2"), QStringLiteral("g/cm2"),
                           QStringLiteral("atm")});
    FUi.cmbUnit->setPlaceholderText(QStringLiteral("unknown"));
    FUi.cmbUnit->setCurrentIndex(-1);
    FUi.cmbUnit->setMaxVisibleItems(11);
    FUi.lblDamping = NewLabel(FUi.grbPressure, "lblDamping", QStringLiteral("Damping, s"));
    FUi.edDamping = NewEdit(FUi.grbPressure, "edDamping");
    FUi.lblMinSpan = NewLabel(FUi.grbPressure, "lblMinSpan", QStringLiteral("Min. Span"));
    FUi.edMinSpan = NewEdit(FUi.grbPressure, "edMinSpan", true);
    pressure->addWidget(FUi.lblUpper, 0, 0);
    pressure->addWidget(FUi.lblUpperRange, 0, 1);
    pressure->addWidget(FUi.edUpperRange, 0, 2);
    pressure->addWidget(FUi.lblUpperLimit, 0, 3);
    pressure->addWidget(FUi.edUpperLimit, 0, 4);
    pressure->addWidget(FUi.lblLower, 1, 0);
    pressure->addWidget(FUi.lblLowerRange, 1, 1);
    pressure->addWidget(FUi.edLowerRange, 1, 2);
    pressure->addWidget(FUi.lblLowerLimit, 1, 3);
    pressure->addWidget(FUi.edLowerLimit, 1, 4);
    pressure->addWidget(FUi.lblUnit, 2, 0);
    pressure->addWidget(FUi.cmbUnit, 2, 2);
    pressure->addWidget(FUi.lblMinSpan, 2, 3);
    pressure->addWidget(FUi.edMinSpan, 2, 4);
    pressure->addWidget(FUi.lblDamping, 3, 0, 1, 2);
    pressure->addWidget(FUi.edDamping, 3, 2);
    pressure->setColumnStretch(2, 1);
    pressure->setColumnStretch(4, 1);
    column->addWidget(FUi.grbPressure);

    // Software revision levels.
    FUi.grbRevLevel = newGroup("grbRevLevel", QStringLiteral("Software Revision Level"));
    auto* revision = newGrid(FUi.grbRevLevel);
    FUi.lblTransmitter = NewLabel(FUi.grbRevLevel, "lblTransmitter", QStringLiteral("Transmitter"));
    FUi.edRevLevelTrans = NewEdit(FUi.grbRevLevel, "edRevLevelTrans", true);
    FUi.lblUnCommand = NewLabel(FUi.grbRevLevel, "lblUnCommand", QStringLiteral("Univ. Command"));
    FUi.edRevLevelComm = NewEdit(FUi.grbRevLevel, "edRevLevelComm", true);
    revision->addWidget(FUi.lblTransmitter, 0, 0);
    revision->addWidget(FUi.edRevLevelTrans, 0, 1);
    revision->addWidget(FUi.lblUnCommand, 0, 2);
    revision->addWidget(FUi.edRevLevelComm, 0, 3);
    revision->setColumnStretch(1, 1);
    revision->setColumnStretch(3, 1);
    column->addWidget(FUi.grbRevLevel);
    column->addStretch(1);
}

void TfrmMainForm::BuildDatalogPage(QWidget* Page)
{
    auto* pageLayout = new QVBoxLayout(Page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    FUi.pnlCharts = NewPanel(Page, "pnlCharts");
    pageLayout->addWidget(FUi.pnlCharts);
    auto* chartsLayout = new QVBoxLayout(FUi.pnlCharts);
    chartsLayout->setContentsMargins(0, 0, 0, 0);

    // The pressure chart above, the current chart below it behind the
    // splitter; the chart panels give the current chart its height.
    FUi.splCharts = new QSplitter(Qt::Vertical, FUi.pnlCharts);
    FUi.splCharts->setObjectName(QStringLiteral("splCharts"));
    FUi.splCharts->setChildrenCollapsible(false);
    chartsLayout->addWidget(FUi.splCharts);

    auto newChartPanel = [this](const char* Name) {
        QFrame* panel = NewPanel(FUi.splCharts, Name);
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        return panel;
    };
    FUi.pnlPressureLine = newChartPanel("pnlPressureLine");
    FUi.bdcPressure = new TNorvaneChart(FUi.pnlPressureLine);
    FUi.bdcPressure->setObjectName(QStringLiteral("bdcPressure"));
    FUi.bdcPressure->SetColor(QColor(255, 251, 240));  // cream
    FUi.bdcPressure->SetAxisTitle({QStringLiteral("P, bar"), QStringLiteral("t, s")});
    // The vertical axis title stands left of the tick labels, not over them.
    FUi.bdcPressure->SetLeftMargin(ChartTitleMargin);
    FUi.pnlPressureLine->layout()->addWidget(FUi.bdcPressure);

    FUi.pnlCurrentLine = newChartPanel("pnlCurrentLine");
    FUi.bdcCurrent = new TNorvaneChart(FUi.pnlCurrentLine);
    FUi.bdcCurrent->setObjectName(QStringLiteral("bdcCurrent"));
    FUi.bdcCurrent->SetColor(QApplication::palette().color(QPalette::Base));  // window colour
    FUi.bdcCurrent->SetAxisTitle({QStringLiteral("I, mA"), QStringLiteral("t, s")});
    FUi.bdcCurrent->SetLeftMargin(ChartTitleMargin);
    FUi.pnlCurrentLine->layout()->addWidget(FUi.bdcCurrent);
    FUi.pnlCurrentLine->setMinimumHeight(0);

    FUi.splCharts->addWidget(FUi.pnlPressureLine);
    FUi.splCharts->addWidget(FUi.pnlCurrentLine);
    FUi.splCharts->setStretchFactor(0, 1);
    FUi.splCharts->setStretchFactor(1, 0);

    for (TNorvaneChart* chart : {FUi.bdcPressure, FUi.bdcCurrent}) {
        // A steady signal is drawn below the top border, and the zoom text
        // stands above the plot, not on the curve.
        chart->SetRangeMargin(5);
        chart->SetTextScaleAbovePlot(true);
    }
    // One time axis: both plots start at the same distance from the left.
    FUi.bdcPressure->SetAlignedWith(FUi.bdcCurrent);
    FUi.bdcCurrent->SetAlignedWith(FUi.bdcPressure);
}
