// To Grid: the sheet resized to one cell per block of the picture and every cell painted.
#pragma once

#include "document/commands/SheetCommand.h"
#include "image/ImageToGrid.h"

#include <QImage>

class ConvertPicture : public SheetCommand {
public:
    // The outcome goes to `result` when given: why the sheet was left alone.
    ConvertPicture(
        GridSheet &sheet, QImage picture, QString blockSizeText, GridProgress progress, ToGridResult *result = nullptr);

protected:
    SheetRegion savedBeforeChange() const override { return SheetRegion::ofWholeSheet(sheet_); }
    bool change() override;

private:
    QImage picture_;
    QString blockSizeText_;
    GridProgress progress_;
    ToGridResult *result_;
};
