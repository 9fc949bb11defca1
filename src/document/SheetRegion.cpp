#include "document/SheetRegion.h"

#include "core/GridSheet.h"

#include <new>

SheetRegion SheetRegion::of(const GridSheet &sheet, QRect area)
{
    return of(sheet, area, QRect());
}

SheetRegion SheetRegion::of(const GridSheet &sheet, QRect area, QRect secondArea)
{
    const QRect cells(1, 1, sheet.columnCount(), sheet.rowCount());
    return read(sheet, area.intersected(cells), secondArea.intersected(cells), false);
}

SheetRegion SheetRegion::ofWholeSheet(const GridSheet &sheet)
{
    return read(sheet, QRect(1, 1, sheet.columnCount(), sheet.rowCount()), QRect(), true);
}

SheetRegion SheetRegion::ofWholeSheetSizeOnly(const GridSheet &sheet)
{
    return read(sheet, QRect(), QRect(), true);
}

template <typename Visit> void SheetRegion::forEachCell(Visit visit) const
{
    for (const QRect &area : {area_, secondArea_}) {
        for (int row = area.top(); row <= area.bottom(); ++row) {
            for (int column = area.left(); column <= area.right(); ++column)
                visit(column, row);
        }
    }
}

SheetRegion SheetRegion::read(const GridSheet &sheet, QRect area, QRect secondArea, bool wholeSheet)
{
    SheetRegion region;
    region.wholeSheet_ = wholeSheet;
    region.columns_ = sheet.columnCount();
    region.rows_ = sheet.rowCount();
    region.activeColumn_ = sheet.activeColumn();
    region.activeRow_ = sheet.activeRow();
    region.area_ = area.isValid() ? area : QRect();
    region.secondArea_ = secondArea.isValid() ? secondArea : QRect();
    const size_t cells = size_t(qint64(region.area_.width()) * region.area_.height()
        + qint64(region.secondArea_.width()) * region.secondArea_.height());
    region.back_.reserve(cells);
    region.fore_.reserve(cells);
    region.textEnds_.reserve(cells);
    region.forEachCell([&](int column, int row) {
        region.back_.push_back(sheet.backColorAt(column, row));
        region.fore_.push_back(sheet.foreColorAt(column, row));
        const QStringView text = sheet.cellTextView(column, row);
        if (text.size() > qsizetype(UINT32_MAX - region.texts_.size()))
            throw std::bad_alloc();
        region.texts_.append(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
        region.textEnds_.push_back(quint32(region.texts_.size()));
    });
    return region;
}

SheetRegion SheetRegion::swapInto(GridSheet &sheet) const
{
    SheetRegion current = !wholeSheet_ ? of(sheet, area_, secondArea_)
        : area_.isEmpty()              ? ofWholeSheetSizeOnly(sheet)
                                       : ofWholeSheet(sheet);
    writeInto(sheet);
    return current;
}

void SheetRegion::writeInto(GridSheet &sheet) const
{
    GridSheet::ChangeBatch batch(sheet);
    if (wholeSheet_ && !sheet.setSize(columns_, rows_))
        throw std::bad_alloc();
    size_t index = 0;
    quint32 textStart = 0;
    forEachCell([&](int column, int row) {
        const quint32 textEnd = textEnds_[index];
        sheet.setCellColors(column, row, back_[index], fore_[index]);
        // A view, not a QString a cell: undoing a cleared million cells allocates nothing.
        sheet.setCellText(column, row, QStringView(texts_.data() + textStart, qsizetype(textEnd - textStart)));
        textStart = textEnd;
        ++index;
    });
    sheet.setActiveCell(activeColumn_, activeRow_);
}

qint64 SheetRegion::byteCount() const
{
    return qint64(sizeof(SheetRegion)) + qint64(back_.capacity() + fore_.capacity()) * qint64(sizeof(Color))
        + qint64(textEnds_.capacity()) * qint64(sizeof(quint32)) + qint64(texts_.capacity()) * qint64(sizeof(char16_t));
}
