// The Japanese Gothic fonts of the windows.
#pragma once

#include <QFont>

class QWidget;

// The grid sheet's font: the first of the preferred Gothic families the machine has, 9 points.
QFont gridSheetFont();
// The captions' font: the same families, small enough for the designed control sizes.
QFont windowFont();
// Gives a window and all its controls the captions' font; a widget with the property
// "keepFont" set keeps its own (the grid sheet).
void applyWindowFont(QWidget *window);
