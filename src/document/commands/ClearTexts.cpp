#include "document/commands/ClearTexts.h"

#include "core/GridSheet.h"

ClearTexts::ClearTexts(GridSheet &sheet, QRect area)
    : SheetCommand(sheet, QStringLiteral("Delete"))
    , area_(area.intersected(QRect(1, 1, sheet.columnCount(), sheet.rowCount())))
{
}

bool ClearTexts::change()
{
    bool changed = false;
    GridSheet::ChangeBatch batch(sheet_);
    for (int row = area_.top(); row <= area_.bottom(); ++row) {
        for (int column = area_.left(); column <= area_.right(); ++column) {
            if (!sheet_.cellTextView(column, row).isEmpty())
                changed = sheet_.setCellText(column, row, {}) || changed;
        }
    }
    return changed;
}
