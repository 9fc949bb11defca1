#include "document/commands/SetCellColors.h"

#include "core/GridSheet.h"

SetCellColors::SetCellColors(GridSheet &sheet, QRect area, std::optional<Color> back, std::optional<Color> fore)
    : SheetCommand(sheet, QStringLiteral("Cell Colours"))
    , area_(area.intersected(QRect(1, 1, sheet.columnCount(), sheet.rowCount())))
    , back_(back)
    , fore_(fore)
{
}

bool SetCellColors::change()
{
    bool changed = false;
    GridSheet::ChangeBatch batch(sheet_);
    for (int row = area_.top(); row <= area_.bottom(); ++row) {
        for (int column = area_.left(); column <= area_.right(); ++column) {
            const Color back = back_.value_or(sheet_.backColorAt(column, row));
            const Color fore = fore_.value_or(sheet_.foreColorAt(column, row));
            if (back != sheet_.backColorAt(column, row) || fore != sheet_.foreColorAt(column, row))
                changed = sheet_.setCellColors(column, row, back, fore) || changed;
        }
    }
    return changed;
}
