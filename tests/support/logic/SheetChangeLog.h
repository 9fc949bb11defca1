// Records what a sheet tells its observer, for tests of how changes are announced.
#pragma once

#include "core/GridSheet.h"

#include <QList>
#include <QRect>

class SheetChangeLog : public SheetObserver {
public:
    explicit SheetChangeLog(GridSheet &sheet)
        : sheet_(sheet)
    {
        sheet_.setObserver(this);
    }
    ~SheetChangeLog() { sheet_.setObserver(nullptr); }
    SheetChangeLog(const SheetChangeLog &) = delete;
    SheetChangeLog &operator=(const SheetChangeLog &) = delete;

    QList<QRect> cells; // the changed areas, columns and rows counted from 1
    int resizes = 0;

    void sheetSizeAboutToChange() override { }
    void sheetSizeChanged() override { ++resizes; }
    void sheetCellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow) override
    {
        cells.append(QRect(QPoint(firstColumn, firstRow), QPoint(lastColumn, lastRow)));
    }
    void sheetActiveCellChanged(int, int) override { }

private:
    GridSheet &sheet_;
};
