#include "html/PageColors.h"

#include "core/GridSheet.h"
#include "core/HtmlText.h"

void pageRowColors(const GridSheet &sheet, int row, int firstColumn, int lastColumn, const PageColorSettings &settings,
    PageCellColors *out)
{
    // Before its first span a row's text takes the browser's default colour.
    Color anchor = settings.pageBackground;
    bool spanOpen = false;
    for (int column = 1; column <= lastColumn; ++column) {
        // A blank first cell is written before any span opens.
        const bool skipped = !settings.asIs && column == 1 && isBlankCellText(sheet.cellTextView(column, row));
        if (!skipped) {
            const Color back = sheet.backColorAt(column, row);
            if (column == 1 || !isNearColor(back, anchor, settings.nearDistance)) {
                anchor = back;
                spanOpen = true;
            }
        }
        if (column < firstColumn)
            continue;
        PageCellColors &colors = out[column - firstColumn];
        if (settings.asIs) {
            const bool light = getRed(anchor) + getGreen(anchor) + getBlue(anchor) >= 383;
            colors = {light ? kBlack : kWhite, anchor};
        } else {
            colors = {spanOpen ? anchor : kBlack, settings.pageBackground};
        }
    }
}
