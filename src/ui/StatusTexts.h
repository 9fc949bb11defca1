// The texts of the main window's status bar.
#pragma once

#include "core/Color.h"

#include <QString>

// "Column 3, Row 2"
QString cellPositionText(int column, int row);
// "Back #FFCC99, Text #000000"
QString cellColorsText(Color back, Color fore);
// "Size 25 × 22": columns by rows.
QString sheetSizeText(int columns, int rows);
// "3 × 2 selected": the selected block's columns by rows.
QString selectionSizeText(int columns, int rows);
// "Copied 6 × 3 cells"
QString copiedCellsText(int columns, int rows);
// "Pasted in part: 2 columns and 1 row did not fit": what a paste left out at the sheet's edges.
QString pasteClippedText(int columns, int rows);
// "Zoom 150%"
QString zoomText(int percent);
// "Wrote poem.htm, 12 KB". A kilobyte is 1,024 bytes and the size rounds up, as file
// managers show it, so that a file with anything in it never reads as 0 KB.
QString wroteFileText(const QString &fileName, qint64 bytes);
