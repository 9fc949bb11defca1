#include "document/commands/EditCells.h"

#include "core/GridSheet.h"

EditCells::EditCells(GridSheet &sheet, const QString &text, QList<CellTextEdit> edits, QPoint activeAfter)
    : SheetCommand(sheet, text)
    , edits_(std::move(edits))
    , activeAfter_(activeAfter)
{
}

SheetRegion EditCells::savedBeforeChange() const
{
    QRect area;
    for (const CellTextEdit &edit : edits_)
        area |= QRect(edit.column, edit.row, 1, 1);
    return SheetRegion::of(sheet_, area);
}

bool EditCells::change()
{
    bool changed = false;
    GridSheet::ChangeBatch batch(sheet_);
    for (const CellTextEdit &edit : edits_) {
        if (sheet_.cellTextView(edit.column, edit.row) != edit.text)
            changed = sheet_.setCellText(edit.column, edit.row, edit.text) || changed;
    }
    sheet_.setActiveCell(activeAfter_.x(), activeAfter_.y());
    return changed;
}
