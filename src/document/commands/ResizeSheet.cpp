#include "document/commands/ResizeSheet.h"

#include <QObject>

ResizeSheet::ResizeSheet(GridSheet &sheet, GridSize size)
    : SheetCommand(sheet, QObject::tr("Grid Size"))
    , size_(size)
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
    result_ = resizeSheet(sheet_, size_);
    return result_ == SheetResize::Done && (sheet_.columnCount() != columns || sheet_.rowCount() != rows);
}
