// Cell Colours: a background and a text colour, each with a check box saying whether the
// selected cells take it.
#pragma once

#include "core/Color.h"

#include <QDialog>

class Dialogs;
class QCheckBox;
class QPushButton;

// What the dialog shows and gives back; the main window keeps it between openings.
struct CellColorChoice {
    Color back = kWhite;
    Color fore = kBlack;
    bool setsBack = true;
    // Off at first, so that painting backgrounds keeps the text colours To Grid chose.
    bool setsFore = false;
};

class CellColorsDialog : public QDialog {
    Q_OBJECT
public:
    // Modal; each colour button asks `dialogs` for a colour.
    CellColorsDialog(Dialogs &dialogs, const CellColorChoice &choice, QWidget *owner);

    CellColorChoice choice() const;

public slots:
    void chooseBackColor();
    void chooseForeColor();

private:
    // Asks for a colour starting on `color`; a chosen one is kept and shown.
    void chooseColor(Color &color, QPushButton *button);
    static void showColor(QPushButton *button, Color color);

    Dialogs &dialogs_;
    Color back_;
    Color fore_;
    QPushButton *backButton_ = nullptr;
    QPushButton *foreButton_ = nullptr;
    QCheckBox *setsBackCheck_ = nullptr;
    QCheckBox *setsForeCheck_ = nullptr;
};
