// The settings window: shows and changes the grid sheet's number of columns and rows.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Dialogs;
class Document;

class GridSizeDialog : public QDialog {
    Q_OBJECT
public:
    // Modal, owned by the main window; reads the sheet's size when created.
    GridSizeDialog(Document &document, Dialogs &dialogs, QWidget *owner);

public slots:
    void applySize();
    void cancel();

private:
    void showSheetSize();

    Document &document_;
    Dialogs &dialogs_;
    QGroupBox *sizeGroup_ = nullptr;
    QLabel *columnLabel_ = nullptr;
    QLineEdit *columnCountEdit_ = nullptr;
    QLabel *rowLabel_ = nullptr;
    QLineEdit *rowCountEdit_ = nullptr;
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
};
