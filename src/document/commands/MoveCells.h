// Dragging a block of cells: moved (the cells it leaves turn blank) or copied, texts and
// both colours together, cut off at the sheet's edges.
#pragma once

#include "document/commands/SheetCommand.h"

#include <QPoint>
#include <QRect>

class MoveCells : public SheetCommand {
public:
    enum class Kind { Move, Copy };

    // Takes `source` (columns and rows counted from 1) to the block whose top left cell is
    // `target`; the active cell goes to the block's top left cell within the sheet.
    MoveCells(GridSheet &sheet, QRect source, QPoint target, Kind kind = Kind::Move);

    // Where the block lands: its part inside the sheet, empty when none is.
    static QRect landingArea(const GridSheet &sheet, QRect source, QPoint target);

protected:
    SheetRegion savedBeforeChange() const override;
    bool change() override;

private:
    QRect source_;
    QPoint target_;
    Kind kind_;
};
