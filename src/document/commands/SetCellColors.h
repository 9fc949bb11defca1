// Cell Colours: a background colour, a text colour or both set on a block of cells; the
// colour left out stays as each cell has it.
#pragma once

#include "core/Color.h"
#include "document/commands/SheetCommand.h"

#include <QRect>

#include <optional>

class SetCellColors : public SheetCommand {
public:
    // `area` counts columns and rows from 1; its part outside the sheet is ignored.
    SetCellColors(GridSheet &sheet, QRect area, std::optional<Color> back, std::optional<Color> fore);

protected:
    SheetRegion savedBeforeChange() const override { return SheetRegion::of(sheet_, area_); }
    bool change() override;

private:
    QRect area_;
    std::optional<Color> back_;
    std::optional<Color> fore_;
};
