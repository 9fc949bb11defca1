#include "document/commands/ResizeSheet.h"

ResizeSheet::ResizeSheet(GridSheet &sheet, GridSize size, SheetResize *result)
    : SheetCommand(sheet, QStringLiteral("Setting"))
    , size_(size)
    , result_(result)
{
}

SheetRegion ResizeSheet::savedBeforeChange() const
{
    // Growing drops nothing: the old size and active cell are all undo needs.
    const bool grows = size_.columns >= sheet_.columnCount() && size_.rows >= sheet_.rowCount();
    return grows ? SheetRegion::ofWholeSheetSizeOnly(sheet_) : SheetRegion::ofWholeSheet(sheet_);
}

bool ResizeSheet::change()
{
    const int columns = sheet_.columnCount();
    const int rows = sheet_.rowCount();
    const SheetResize result = resizeSheet(sheet_, size_);
    if (result_)
        *result_ = result;
    return result == SheetResize::Done && (sheet_.columnCount() != columns || sheet_.rowCount() != rows);
}
