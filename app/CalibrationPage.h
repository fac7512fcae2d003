#pragma once
// The "Calibration" page of the main window: the loop test, the steps of a
// calibration in the order they are done (as found, sensor trims, output trim,
// as left, certificate) and the table of the latest check's points. Built in
// code like the rest of the form; its captions come from the language file.
// Its edits are named "cal...", not "ed...": a read clears every "ed" edit
// of the window, and these hold the operator's settings, not the device's.

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

struct TCalibrationPageUi {
    QGroupBox *grbLoopTest = nullptr, *grbCalSteps = nullptr, *grbCalPoints = nullptr;
    QLabel *lblLoopCurrent = nullptr, *stLoopState = nullptr;
    QLineEdit* calLoopCurrent = nullptr;
    QPushButton *bbtnFix4 = nullptr, *bbtnFix12 = nullptr, *bbtnFix20 = nullptr, *bbtnFixCurrent = nullptr;
    QPushButton* bbtnReleaseCurrent = nullptr;
    QLabel *lblCalPoints = nullptr, *lblTolerance = nullptr;
    QLineEdit *calPoints = nullptr, *calTolerance = nullptr;
    QCheckBox* chbFallingPoints = nullptr;
    QPushButton *bbtnAsFound = nullptr, *bbtnCalSetZero = nullptr, *bbtnCalSetLower = nullptr,
                *bbtnCalSetUpper = nullptr, *bbtnOutputTrim = nullptr, *bbtnAsLeft = nullptr,
                *bbtnSaveCertificate = nullptr, *bbtnPrintCertificate = nullptr;
    QLabel *stTrimResult = nullptr, *stCalResult = nullptr;
    QTableWidget* twCalPoints = nullptr;
};

// Adds the page to the notebook as its last page.
TCalibrationPageUi BuildCalibrationPage(QTabWidget& Notebook);
