// Delete: the texts of a block of cells cleared, their colours kept.
#pragma once

#include "document/commands/SheetCommand.h"

#include <QRect>

class ClearTexts : public SheetCommand {
public:
    // `area` counts columns and rows from 1; its part outside the sheet is ignored.
    ClearTexts(GridSheet &sheet, QRect area);

protected:
    SheetRegion savedBeforeChange() const override { return SheetRegion::of(sheet_, area_); }
    bool change() override;

private:
    QRect area_;
};
