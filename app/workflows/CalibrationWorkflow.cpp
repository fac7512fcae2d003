#include "app/workflows/CalibrationWorkflow.h"

#include "app/DeviceBusy.h"
#include "app/OperatorDialogs.h"
#include "app/UnitFrmMainUi.h"
#include "app/workflows/MainView.h"
#include "hart/DeviceStatus.h"
#include "hart/HartCommand.h"
#include "services/SafeSave.h"
#include "services/StreamError.h"
#include "services/UnitLogger.h"
#include "transmitter/CalibrationCheck.h"
#include "transmitter/CertificatePdf.h"
#include "transmitter/OutputStage.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

namespace {

std::optional<double> Number(QString Text)
{
    Text = Text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = Text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString Fixed(double Value, int Decimals)
{
    return QString::number(Value, 'f', Decimals);
}

// The device lock and the status bar's progress bar for the time a step talks
// to the transmitter; the bar goes again however the step ends.
class TCalibrationStep {
public:
    explicit TCalibrationStep(TMainView& View)
        : FView(View)
        , FBusy(View.DeviceLock())
    {
        FView.SetStatusPanel1OwnerDrawn(true);
        FView.Ui().prbProgress->setMaximum(0);
        FView.Ui().prbProgress->setValue(0);
    }
    ~TCalibrationStep()
    {
        FView.Ui().prbProgress->setVisible(false);
        FView.SetStatusPanel1OwnerDrawn(false);
    }
    TCalibrationStep(const TCalibrationStep&) = delete;
    TCalibrationStep& operator=(const TCalibrationStep&) = delete;

private:
    TMainView& FView;
    const TDeviceBusy FBusy;
};

}  // namespace

TCalibrationWorkflow::TCalibrationWorkflow(TMainView& View)
    : FView(View)
    , FPage(BuildCalibrationPage(*View.Ui().tbnMain))
{
    const auto on = [this](QPushButton* Button, auto Handler) {
        QObject::connect(Button, &QPushButton::clicked, Button, [this, Handler] { Handler(); });
    };
    on(FPage.bbtnFix4, [this] { FixCurrent(4.0); });
    on(FPage.bbtnFix12, [this] { FixCurrent(12.0); });
    on(FPage.bbtnFix20, [this] { FixCurrent(20.0); });
    on(FPage.bbtnFixCurrent, [this] { FixTypedCurrent(); });
    on(FPage.bbtnReleaseCurrent, [this] { ReleaseCurrent(); });
    on(FPage.bbtnAsFound, [this] { RunCheck(false); });
    on(FPage.bbtnAsLeft, [this] { RunCheck(true); });
    on(FPage.bbtnOutputTrim, [this] { OutputTrim(); });
    on(FPage.bbtnSaveCertificate, [this] { SaveCertificate(); });
    on(FPage.bbtnPrintCertificate, [this] { PrintCertificate(); });
    // The sensor trims are the reference actions of the "Sensordata" page.
    const TfrmMainUi& ui = View.Ui();
    for (const auto& [button, action] :
         {std::pair {FPage.bbtnCalSetZero, ui.acSetZero}, std::pair {FPage.bbtnCalSetLower, ui.acSetLR},
          std::pair {FPage.bbtnCalSetUpper, ui.acSetUR}}) {
        QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
        QObject::connect(action, &QAction::changed, button,
                         [button = button, action = action] { button->setEnabled(action->isEnabled()); });
        button->setEnabled(action->isEnabled());
    }
    // The window's one handler of failed releases, for the loop test's fixed
    // current and for burst mode alike (a release on close reaches it too).
    TOutputHold::SetFailureHandler([this](THoldKind Kind, const std::string& Key) {
        const bool Fixed = Kind == THoldKind::FixedCurrent;
        FView.Log().WriteLine((Fixed ? QStringLiteral("Release of the fixed loop current failed: ")
                                     : QStringLiteral("Turning burst mode off failed: "))
                              + QString::fromStdString(Key));
        FView.Dialogs().ShowWarning(
            FView.Window(), Translate(Fixed ? QStringLiteral("CAL.STILLFIXED") : QStringLiteral("W21.BURSTSTILLON")));
    });
    ShowLoopState();
}

TCalibrationWorkflow::~TCalibrationWorkflow()
{
    TOutputHold::SetFailureHandler(nullptr);
}

QString TCalibrationWorkflow::Translate(const QString& Key) const
{
    return FView.Translate(Key);
}

bool TCalibrationWorkflow::CurrentFixed() const
{
    return FFixed && FFixed->Held();
}

bool TCalibrationWorkflow::LinkReady()
{
    // Not inside another exchange (a box of a workflow still open).
    if (FView.DeviceBusy())
        return false;
    if (FView.Hart().PortOpen() && FView.Hart().LongAddressValid())
        return true;
    FView.ShowError(Translate(QStringLiteral("CAL.READFIRST")));
    return false;
}

bool TCalibrationWorkflow::LoopInManual()
{
    return FView.Dialogs().AskYesNo(FView.Window(), Translate(QStringLiteral("CAL.LOOPMANUAL")), TDialogIcon::Warning);
}

void TCalibrationWorkflow::ShowLoopState()
{
    FPage.stLoopState->setText(CurrentFixed() ? Translate(QStringLiteral("CAL.FIXEDAT")).arg(Fixed(FFixedMa, 3))
                                              : Translate(QStringLiteral("CAL.NOTFIXED")));
    FPage.bbtnReleaseCurrent->setEnabled(CurrentFixed());
}

// --- loop test ------------------------------------------------------------------------

void TCalibrationWorkflow::FixTypedCurrent()
{
    const std::optional<double> value = Number(FPage.calLoopCurrent->text());
    if (!value || *value < LowestLoopTestMa || *value > HighestLoopTestMa) {
        FView.ShowError(Translate(QString::fromLatin1(LoopCurrentRangeKey)));
        return;
    }
    FixCurrent(*value);
}

void TCalibrationWorkflow::FixCurrent(double Ma)
{
    if (!LinkReady())
        return;
    // Asked once per loop test: moving a current already fixed needs no new answer.
    if (!CurrentFixed() && !LoopInManual())
        return;
    const TCalibrationStep step(FView);
    if (!FFixed)
        FFixed = std::make_unique<TFixedCurrent>(FView.Hart(), FView.FrontEnd());
    try {
        FFixedMa = FFixed->Fix(Ma);
    } catch (const EHartComError& e) {
        // The hold (if the current was fixed before) tries the release now.
        FFixed.reset();
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
    }
    ShowLoopState();
}

void TCalibrationWorkflow::ReleaseCurrent()
{
    if (!FFixed)
        return;
    const TCalibrationStep step(FView);
    try {
        FFixed->Release();
        FView.Log().WriteLine(QStringLiteral("Loop current released"));
    } catch (const EHartComError& e) {
        // The failure handler has said that the current may still be fixed.
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
    }
    FFixed.reset();
    ShowLoopState();
}

void TCalibrationWorkflow::OfferReleaseAfterRead()
{
    if (CurrentFixed() || !FView.Hart().LongAddressValid() || !(FView.Hart().Response.Data[1] & LoopCurrentFixedBit))
        return;
    if (!FView.Dialogs().AskYesNo(FView.Window(), Translate(QStringLiteral("CAL.OFFERRELEASE")),
                                  TDialogIcon::Confirmation))
        return;
    const TCalibrationStep step(FView);
    try {
        float none = 0;
        FView.Hart().FixLoopCurrent(none);
        FView.Log().WriteLine(QStringLiteral("Loop current released"));
    } catch (const EHartComError& e) {
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
    }
}

// --- output trim ----------------------------------------------------------------------

void TCalibrationWorkflow::OutputTrim()
{
    if (!LinkReady() || !LoopInManual())
        return;
    // The trim fixes the current itself; a loop test still running ends first.
    if (CurrentFixed())
        ReleaseCurrent();
    const TCalibrationStep step(FView);
    const auto readMeter = [this](TTrimStep Step, double FixedMa) -> std::optional<double> {
        const bool check = Step == TTrimStep::CheckLow || Step == TTrimStep::CheckHigh;
        const QString prompt = Translate(check ? QStringLiteral("CAL.METERCHECK") : QStringLiteral("CAL.METERTRIM"))
                                   .arg(Fixed(FixedMa, 0));
        return FView.Dialogs().GetNumber(FView.Window(), prompt, FixedMa, 3);
    };
    try {
        const TOutputTrimResult result = TOutputTrim(FView.Hart(), FView.FrontEnd()).Run(readMeter);
        if (!result.Completed) {
            FPage.stTrimResult->setText(Translate(QStringLiteral("CAL.TRIMCANCELLED")));
            return;
        }
        FPage.stTrimResult->setText(
            Translate(QStringLiteral("CAL.TRIMDONE")).arg(Fixed(result.CheckLow, 3), Fixed(result.CheckHigh, 3)));
    } catch (const EHartComError& e) {
        FPage.stTrimResult->setText(Translate(QStringLiteral("CAL.TRIMCANCELLED")));
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
    }
}

// --- as found / as left -----------------------------------------------------------------

bool TCalibrationWorkflow::TakeSettings(std::vector<double>& Points, double& Tolerance)
{
    Points.clear();
    for (const QString& Item : FPage.calPoints->text()
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                   .join(QString())
                                   .split(QLatin1Char(';'), Qt::SkipEmptyParts)
                                   .join(QLatin1Char(','))
                                   .split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::optional<double> value = Number(Item);
        if (!value || *value < -25 || *value > 125) {
            FView.ShowError(Translate(QStringLiteral("CAL.BADPOINTS")));
            return false;
        }
        Points.push_back(*value);
    }
    const std::optional<double> tolerance = Number(FPage.calTolerance->text());
    if (Points.empty() || !tolerance || !(*tolerance > 0)) {
        FView.ShowError(Translate(QStringLiteral("CAL.BADPOINTS")));
        return false;
    }
    if (FPage.chbFallingPoints->isChecked())
        Points = Calibration::WithFallingPoints(Points);
    Tolerance = *tolerance;
    return true;
}

void TCalibrationWorkflow::RunCheck(bool AsLeft)
{
    std::vector<double> points;
    double tolerance = 0;
    if (!LinkReady() || !TakeSettings(points, tolerance))
        return;
    const TCalibrationStep step(FView);
    try {
        TCalibrationCheck check(FView.Hart(), FView.FrontEnd());
        TCalibrationRecord record = check.Begin(AsLeft, tolerance);
        for (const double Percent : points) {
            const double nominal = Calibration::PointPressure(record, Percent);
            const QString prompt
                = Translate(QStringLiteral("CAL.APPLY")).arg(Fixed(nominal, 4), record.Unit, QString::number(Percent));
            const std::optional<double> reference = FView.Dialogs().GetNumber(FView.Window(), prompt, nominal, 5);
            if (!reference) {
                FView.Log().WriteLine(QStringLiteral("Calibration check cancelled"));
                return;
            }
            check.MeasurePoint(record, Percent, *reference);
            ShowRecord(record);
        }
        FLast = record;
        ShowRecord(record);
        FView.Log().WriteLine(QStringLiteral("Calibration check done: ") + (record.Passed() ? "pass" : "fail"));
    } catch (const EHartComError& e) {
        FView.ShowError(Translate(QString::fromStdString(e.Message())));
    }
}

void TCalibrationWorkflow::ShowRecord(const TCalibrationRecord& Record)
{
    QTableWidget& table = *FPage.twCalPoints;
    table.setRowCount(static_cast<int>(Record.Points.size()));
    int row = 0;
    for (const TCalibrationPoint& P : Record.Points) {
        const QStringList cells
            = {Fixed(P.Percent, 1),
               Fixed(P.Reference, 4),
               Fixed(P.PV, 4) + QStringLiteral(" ±") + QString::number(P.PVSpread / 2, 'g', 2),
               Fixed(P.PVError, 3),
               Fixed(P.Current, 4) + QStringLiteral(" ±") + QString::number(P.CurrentSpread / 2, 'g', 2),
               Fixed(P.ExpectedCurrent, 4),
               Fixed(P.CurrentError, 3),
               Translate(P.Pass ? QStringLiteral("CAL.PASS") : QStringLiteral("CAL.FAIL"))};
        for (int column = 0; column < cells.size(); ++column)
            table.setItem(row, column, new QTableWidgetItem(cells[column]));
        ++row;
    }
    const QString kind = Translate(Record.AsLeft ? QStringLiteral("CAL.ASLEFT") : QStringLiteral("CAL.ASFOUND"));
    FPage.stCalResult->setText(QStringLiteral("%1: %2").arg(
        kind, Translate(Record.Passed() ? QStringLiteral("CAL.PASS") : QStringLiteral("CAL.FAIL"))));
}

void TCalibrationWorkflow::SaveCertificate()
{
    if (!FLast) {
        FView.ShowError(Translate(QStringLiteral("CAL.NORECORD")));
        return;
    }
    TFileDialogOptions options;
    options.Title = Translate(QStringLiteral("CAL.SAVETITLE"));
    options.Filter = QStringLiteral("PDF (*.pdf)|*.pdf|CSV (*.csv)|*.csv");
    options.DefaultExt = QStringLiteral("pdf");
    const std::optional<QString> file = FView.Dialogs().GetSaveFileName(FView.Window(), options);
    if (!file)
        return;
    const bool csv = file->endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    try {
        SaveFileBytes(*file, csv ? Calibration::Csv(*FLast) : Calibration::CertificatePdf(*FLast));
        FView.Log().WriteLine(QStringLiteral("Calibration certificate saved: ") + *file);
    } catch (const EStreamError& e) {
        FView.ShowError(e.Text([this](const QString& Key) { return Translate(Key); }));
    }
}

// The certificate's lines set on the printer's page as the PDF sets them: in
// points from the top-left margin, converted to the printer's dots.
void TCalibrationWorkflow::PrintCertificate()
{
    if (!FLast) {
        FView.ShowError(Translate(QStringLiteral("CAL.NORECORD")));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!FView.Dialogs().Print(FView.Window(), printer))
        return;
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        FView.ShowError(QStringLiteral("The printer could not be started."));
        return;
    }
    const double dots = printer.logicalDpiY() / 72.0;
    constexpr double Margin = 56;
    const double right = printer.width() / dots - Margin;
    double y = Margin;
    for (const TCertificateLine& Line : Calibration::CertificateLines(*FLast)) {
        QFont font(Line.Face == TCertificateFace::Fixed ? QStringLiteral("Courier") : QStringLiteral("Helvetica"));
        font.setStyleHint(Line.Face == TCertificateFace::Fixed ? QFont::TypeWriter : QFont::SansSerif);
        font.setBold(Line.Face == TCertificateFace::Bold);
        font.setPointSizeF(Line.Size);
        painter.setFont(font);
        y += Line.GapAbove + Line.Size + Line.Size / 2;
        painter.drawText(QPointF(Margin * dots, y * dots), Line.Text);
        if (Line.RuleBelow) {
            y += 4;
            painter.drawLine(QPointF(Margin * dots, y * dots), QPointF(right * dots, y * dots));
        }
    }
    painter.end();
    FView.Log().WriteLine(QStringLiteral("Calibration certificate printed"));
}

void TCalibrationWorkflow::Retranslate()
{
    QStringList headers;
    for (int column = 0; column < 8; ++column)
        headers << Translate(QStringLiteral("CAL.COLUMN%1").arg(column));
    FPage.twCalPoints->setHorizontalHeaderLabels(headers);
    FPage.twCalPoints->horizontalHeader()->setVisible(true);
    ShowLoopState();
    if (FLast)
        ShowRecord(*FLast);
}
