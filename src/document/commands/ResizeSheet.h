// The grid size dialog and the batch's --size: the sheet's new size in one step.
#pragma once

#include "core/GridSheet.h"
#include "document/commands/SheetCommand.h"

class ResizeSheet : public SheetCommand {
public:
    ResizeSheet(GridSheet &sheet, GridSize size, SheetResize *result = nullptr);

protected:
    SheetRegion savedBeforeChange() const override;
    bool change() override;

private:
    GridSize size_;
    SheetResize *result_;
};
