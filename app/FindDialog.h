#pragma once
// The "Find transmitters" dialog: a scan of a range of polling addresses with
// its progress and Cancel, a table of the transmitters found, a search by tag,
// and the polling address of the chosen transmitter. The form only; what its
// buttons do is TFindWorkflow's. Its controls are named as the language file
// names their texts.

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TFindDialog : public QDialog {
public:
    explicit TFindDialog(QWidget* Parent);

    // Columns of the table.
    enum { ColAddress, ColManufacturer, ColDeviceType, ColDeviceId, ColRevision, ColTag, ColLongTag, ColumnCount };

    // Texts from the language file: Translate(Key) for each caption and header.
    template <class F> void TranslateWith(F&& Translate);

    QSpinBox *spnFirst = nullptr, *spnLast = nullptr, *spnNewAddress = nullptr;
    QLineEdit* edFindTag = nullptr;
    QPushButton *bbtnScan = nullptr, *bbtnCancelScan = nullptr, *bbtnFindTag = nullptr;
    QPushButton *bbtnSetAddress = nullptr, *bbtnUse = nullptr, *bbtnClose = nullptr;
    QProgressBar* prbScan = nullptr;
    QTableWidget* tblFound = nullptr;
    QLabel *lblAddresses = nullptr, *lblTo = nullptr, *lblFindTag = nullptr, *lblNewAddress = nullptr;
    QLabel* stFindStatus = nullptr;

private:
    void SetTexts(const std::function<QString(const QString&)>& Translate);
};

template <class F> void TFindDialog::TranslateWith(F&& Translate)
{
    SetTexts(std::function<QString(const QString&)>(std::forward<F>(Translate)));
}
