// The colours the HTML page gives each cell, for drawing the page's look in the editor.
#pragma once

#include "core/Color.h"

class GridSheet;

struct PageCellColors {
    Color text = kBlack; // the character's colour
    Color back = kWhite; // what shows behind it
};

struct PageColorSettings {
    qint32 nearDistance = 8;
    Color pageBackground = kWhite;
    bool asIs = false;
};

// The page's colours of the cells firstColumn..lastColumn of a row, into out (one entry a
// cell). A span of near colours takes the colour of its first cell, so the scan starts at
// the row's first cell whatever part of it is asked for.
void pageRowColors(const GridSheet &sheet, int row, int firstColumn, int lastColumn, const PageColorSettings &settings,
    PageCellColors *out);
