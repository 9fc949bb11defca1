// The settings window: shows and changes the grid sheet's number of columns and rows.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Dialogs;
class GridSheet;

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
