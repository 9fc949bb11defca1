#include "document/commands/ConvertPicture.h"

#include <QObject>

ConvertPicture::ConvertPicture(GridSheet &sheet, QImage picture, QString blockSizeText, GridProgress progress)
    : SheetCommand(sheet, QObject::tr("To Grid"))
    , picture_(std::move(picture))
    , blockSizeText_(std::move(blockSizeText))
    , progress_(std::move(progress))
{
}

bool ConvertPicture::change()
{
    result_ = imageToGrid(picture_, blockSizeText_, sheet_, progress_);
    // The picture is not needed again: undo and redo swap saved cells.
    picture_ = QImage();
    return result_.outcome == ToGridOutcome::Done;
}
