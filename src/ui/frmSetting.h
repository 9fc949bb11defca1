// The settings window: shows and changes the grid sheet's number of columns and rows.
#pragma once

#include <QDialog>

#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Dialogs;
class GridSheet;

// A count as typed: optional blanks, an optional sign, digits with an optional decimal
// point and fraction, optional blanks; full-width forms count as their ASCII ones. Rounded
// to the nearest whole number, halves to the even one. Empty when the text is no number;
// magnitudes beyond 10^15 read as 10^15, far past any sheet's limit.
std::optional<qint64> ReadCountField(QStringView text);

class frmSetting : public QDialog {
    Q_OBJECT
public:
    // Modal, owned by the main window; reads the sheet's size when created.
    frmSetting(GridSheet &sheet, Dialogs &dialogs, QWidget *owner);

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *txtMaxCol = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtMaxRow = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

public slots:
    void btnOK_Click();
    void btnCancel_Click();

private:
    void Form_Load();

    GridSheet &sheet_;
    Dialogs &dialogs_;
};
