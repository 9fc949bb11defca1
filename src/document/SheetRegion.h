// A saved rectangle of a sheet: what a command needs to put cells back as they were.
#pragma once

#include "core/Color.h"

#include <QRect>
#include <QString>

#include <vector>

class GridSheet;

class SheetRegion {
public:
    SheetRegion() = default;

    // The cells of `area` (columns and rows counted from 1) clipped to the sheet. A whole
    // sheet region also keeps the sheet's size, so that putting it back resizes the sheet.
    static SheetRegion of(const GridSheet &sheet, QRect area);
    // Two rectangles, each clipped: a block moved far keeps its two ends, not all between.
    static SheetRegion of(const GridSheet &sheet, QRect area, QRect secondArea);
    static SheetRegion ofWholeSheet(const GridSheet &sheet);
    // The size and active cell alone: enough to undo growing the sheet.
    static SheetRegion ofWholeSheetSizeOnly(const GridSheet &sheet);

    // Reads the same area of the sheet as it is now, writes this region back, and returns
    // what it overwrote: undo and redo swap. Throws std::bad_alloc with the sheet unchanged.
    SheetRegion swapInto(GridSheet &sheet) const;

    bool isWholeSheet() const { return wholeSheet_; }
    QRect area() const { return area_; }
    // What the region holds in memory, for the history's limit.
    qint64 byteCount() const;

private:
    static SheetRegion read(const GridSheet &sheet, QRect area, QRect secondArea, bool wholeSheet);
    // Calls visit(column, row) for every cell, the first area's before the second's.
    template <typename Visit> void forEachCell(Visit visit) const;
    void writeInto(GridSheet &sheet) const;

    bool wholeSheet_ = false;
    int columns_ = 0; // the sheet's size, for a whole sheet region
    int rows_ = 0;
    int activeColumn_ = 1;
    int activeRow_ = 1;
    QRect area_;
    QRect secondArea_; // cells read after area_'s; overlapping cells are held twice, alike
    std::vector<Color> back_;
    std::vector<Color> fore_;
    std::vector<quint32> textEnds_; // end of each cell's text in texts_
    std::u16string texts_;
};
