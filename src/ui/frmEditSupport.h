// The edit support window: a typed text laid into the grid sheet one cell after the
// other, from the active cell in the direction of the arrow pressed.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class GridSheet;

class frmEditSupport : public QDialog {
    Q_OBJECT
public:
    // Modeless, owned by the main window, whose sheet it writes; deleted when closed so that
    // the next opening starts with an empty field.
    frmEditSupport(GridSheet &sheet, QWidget *owner);

    QLineEdit *txtEdit = nullptr;
    QPushButton *btnUp = nullptr;
    QPushButton *btnDown = nullptr;
    QPushButton *btnLeft = nullptr;
    QPushButton *btnRight = nullptr;

public slots:
    void btnUp_Click();
    void btnDown_Click();
    void btnLeft_Click();
    void btnRight_Click();

private:
    void MoveAndWrite(int columnStep, int rowStep);

    GridSheet &sheet_;
};
