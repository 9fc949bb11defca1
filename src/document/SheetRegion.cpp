#include "document/SheetRegion.h"

#include "core/GridSheet.h"

#include <new>

SheetRegion SheetRegion::of(const GridSheet &sheet, QRect area)
{
    return read(sheet, area.intersected(QRect(1, 1, sheet.columnCount(), sheet.rowCount())), false);
}

SheetRegion SheetRegion::ofWholeSheet(const GridSheet &sheet)
{
    return read(sheet, QRect(1, 1, sheet.columnCount(), sheet.rowCount()), true);
}

SheetRegion SheetRegion::ofWholeSheetSizeOnly(const GridSheet &sheet)
{
    return read(sheet, QRect(), true);
}

SheetRegion SheetRegion::read(const GridSheet &sheet, QRect area, bool wholeSheet)
{
    SheetRegion region;
    region.wholeSheet_ = wholeSheet;
    region.columns_ = sheet.columnCount();
    region.rows_ = sheet.rowCount();
    region.activeColumn_ = sheet.activeColumn();
    region.activeRow_ = sheet.activeRow();
    region.area_ = area.isValid() ? area : QRect();
    const size_t cells = size_t(qint64(region.area_.width()) * region.area_.height());
    region.back_.reserve(cells);
    region.fore_.reserve(cells);
    region.textEnds_.reserve(cells);
    for (int row = region.area_.top(); row <= region.area_.bottom(); ++row) {
        for (int column = region.area_.left(); column <= region.area_.right(); ++column) {
            region.back_.push_back(sheet.backColorAt(column, row));
            region.fore_.push_back(sheet.foreColorAt(column, row));
            const QStringView text = sheet.cellTextView(column, row);
            if (text.size() > qsizetype(UINT32_MAX - region.texts_.size()))
                throw std::bad_alloc();
            region.texts_.append(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
            region.textEnds_.push_back(quint32(region.texts_.size()));
        }
    }
    return region;
}

SheetRegion SheetRegion::swapInto(GridSheet &sheet) const
{
    SheetRegion current = !wholeSheet_ ? of(sheet, area_)
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
    for (int row = area_.top(); row <= area_.bottom(); ++row) {
        for (int column = area_.left(); column <= area_.right(); ++column, ++index) {
            const quint32 textEnd = textEnds_[index];
            sheet.setCellColors(column, row, back_[index], fore_[index]);
            sheet.setCellText(
                column, row, QString::fromUtf16(texts_.data() + textStart, qsizetype(textEnd - textStart)));
            textStart = textEnd;
        }
    }
    sheet.setActiveCell(activeColumn_, activeRow_);
}

qint64 SheetRegion::byteCount() const
{
    return qint64(sizeof(SheetRegion)) + qint64(back_.capacity() + fore_.capacity()) * qint64(sizeof(Color))
        + qint64(textEnds_.capacity()) * qint64(sizeof(quint32)) + qint64(texts_.capacity()) * qint64(sizeof(char16_t));
}
