#include "document/commands/MoveCells.h"

#include "core/GridSheet.h"

namespace {

QRect sheetArea(const GridSheet &sheet)
{
    return QRect(1, 1, sheet.columnCount(), sheet.rowCount());
}

} // namespace

MoveCells::MoveCells(GridSheet &sheet, QRect source, QPoint target, Kind kind)
    : SheetCommand(sheet, kind == Kind::Move ? QStringLiteral("Move") : QStringLiteral("Copy"))
    , source_(source.intersected(sheetArea(sheet)))
    , target_(target + (source_.topLeft() - source.topLeft()))
    , kind_(kind)
{
}

QRect MoveCells::landingArea(const GridSheet &sheet, QRect source, QPoint target)
{
    const QRect clipped = source.intersected(sheetArea(sheet));
    return QRect(target + (clipped.topLeft() - source.topLeft()), clipped.size()).intersected(sheetArea(sheet));
}

SheetRegion MoveCells::savedBeforeChange() const
{
    const QRect landing = landingArea(sheet_, source_, target_);
    return kind_ == Kind::Move ? SheetRegion::of(sheet_, source_, landing) : SheetRegion::of(sheet_, landing);
}

bool MoveCells::change()
{
    const QPoint offset = target_ - source_.topLeft();
    const QRect landing = landingArea(sheet_, source_, target_);
    if (source_.isEmpty() || offset.isNull() || (landing.isEmpty() && kind_ == Kind::Copy))
        return false;
    GridSheet::ChangeBatch batch(sheet_);
    // Cells go over in place, in the order that reads each cell of an overlapping block
    // before it is written over, as memmove does.
    const QRect from = landing.translated(-offset);
    const int rowStep = offset.y() > 0 ? -1 : 1;
    const int columnStep = offset.x() > 0 ? -1 : 1;
    const int firstRow = rowStep > 0 ? from.top() : from.bottom();
    const int firstColumn = columnStep > 0 ? from.left() : from.right();
    for (int row = firstRow; from.contains(from.left(), row); row += rowStep) {
        for (int column = firstColumn; from.contains(column, row); column += columnStep) {
            const QStringView text = sheet_.cellTextView(column, row);
            // A long text lives in the sheet's arena, which the write may move.
            if (text.size() > 2)
                sheet_.setCellText(column + offset.x(), row + offset.y(), text.toString());
            else
                sheet_.setCellText(column + offset.x(), row + offset.y(), text);
            sheet_.setCellColors(column + offset.x(), row + offset.y(), sheet_.backColorAt(column, row),
                sheet_.foreColorAt(column, row));
        }
    }
    if (kind_ == Kind::Move) {
        // The cells left behind become new cells.
        for (int row = source_.top(); row <= source_.bottom(); ++row) {
            for (int column = source_.left(); column <= source_.right(); ++column) {
                if (landing.contains(column, row))
                    continue;
                sheet_.setCellText(column, row, {});
                sheet_.setCellColors(column, row, kWhite, kBlack);
            }
        }
    }
    if (!landing.isEmpty())
        sheet_.setActiveCell(landing.left(), landing.top());
    return true;
}
