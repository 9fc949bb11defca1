#include "document/commands/ConvertPicture.h"

ConvertPicture::ConvertPicture(
    GridSheet &sheet, QImage picture, QString blockSizeText, GridProgress progress, ToGridResult *result)
    : SheetCommand(sheet, QStringLiteral("To Grid"))
    , picture_(std::move(picture))
    , blockSizeText_(std::move(blockSizeText))
    , progress_(std::move(progress))
    , result_(result)
{
}

bool ConvertPicture::change()
{
    const ToGridResult result = imageToGrid(picture_, blockSizeText_, sheet_, progress_);
    if (result_)
        *result_ = result;
    // Neither is needed again: undo and redo swap saved cells.
    picture_ = QImage();
    progress_ = nullptr;
    return result.outcome == ToGridOutcome::Done;
}
