// Load Grid Image: the whole sheet replaced by a grid file's.
#pragma once

#include "document/commands/SheetCommand.h"
#include "gridfile/GridFile.h"

class ReplaceSheet : public SheetCommand {
public:
    ReplaceSheet(GridSheet &sheet, QString path, FileKinds kinds, GridFileFailure *failure = nullptr);

protected:
    SheetRegion savedBeforeChange() const override { return SheetRegion::ofWholeSheet(sheet_); }
    bool change() override;

private:
    QString path_;
    FileKinds kinds_;
    GridFileFailure *failure_;
};
