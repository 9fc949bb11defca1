// The colours the HTML page gives each cell, for drawing the page's look in the editor.
#pragma once

#include "core/Color.h"
#include "core/GridSheet.h"
#include "core/HtmlText.h"
#include "core/NumberField.h"

#include <algorithm>

struct PageCellColors {
    Color text = kBlack; // the character's colour
    Color back = kWhite; // what shows behind it
    bool blank = true; // no character shows
};

struct PageColorSettings {
    qint32 nearDistance = 8;
    Color pageBackground = kWhite;
    bool asIs = false;
};

// The fields as typed, read as the page writer reads them.
inline PageColorSettings readPageColorSettings(QStringView nearText, QStringView backgroundText, bool asIs)
{
    return {readNumberField(nearText).value, hexToColor(backgroundText), asIs};
}

// Calls visit(column, colors) with the page's colours of the cells firstColumn..lastColumn
// of a row. A span of near colours takes the colour of its first cell, so the scan starts
// at the row's first cell whatever part of it is asked for.
template <class Visit>
void visitPageRow(
    const GridSheet &sheet, int row, int firstColumn, int lastColumn, const PageColorSettings &settings, Visit visit)
{
    // Before its first span a row's text takes the browser's default colour.
    Color anchor = settings.pageBackground;
    bool spanOpen = false;
    auto follow = [&](int column, Color back, bool blank) {
        // A blank first cell is written before any span opens.
        if (column == 1 ? settings.asIs || !blank : !isNearColor(back, anchor, settings.nearDistance)) {
            anchor = back;
            spanOpen = true;
        }
    };
    // The cells before the asked ones only move the span's colour along.
    sheet.visitRow(row, 1, std::min(firstColumn - 1, lastColumn), [&](int column, QStringView text, Color back, Color) {
        follow(column, back, column == 1 && isBlankCellText(text));
    });
    sheet.visitRow(row, firstColumn, lastColumn, [&](int column, QStringView text, Color back, Color) {
        const bool blank = isBlankCellText(text);
        follow(column, back, blank);
        if (settings.asIs) {
            const bool light = getRed(anchor) + getGreen(anchor) + getBlue(anchor) >= 383;
            visit(column, PageCellColors {light ? kBlack : kWhite, anchor, blank});
        } else {
            visit(column, PageCellColors {spanOpen ? anchor : kBlack, settings.pageBackground, blank});
        }
    });
}
