#include "render/SheetPicture.h"

#include "core/GridSheet.h"
#include "render/PngWriter.h"

#include <QPainter>

#include <algorithm>

bool SheetPicture::fits(int columns, int rows, int cellSide)
{
    const qint64 width = qint64(columns) * cellSide;
    const qint64 height = qint64(rows) * cellSide;
    return cellSide >= 1 && width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide
        && width * height <= kMaxBytes / kBytesPerPixel;
}

int SheetPicture::largestCellSide(int columns, int rows)
{
    if (columns < 1 || rows < 1)
        return 0;
    int side = int(std::min(kMaxSide / columns, kMaxSide / rows));
    while (side > 0 && !fits(columns, rows, side))
        --side;
    return side;
}

namespace {

bool fail(SheetPictureFailure *failure, SheetPictureError error, const QString &reason = {})
{
    if (failure)
        *failure = {error, reason};
    return false;
}

} // namespace

bool writeSheetPicture(
    QIODevice &device, const GridSheet &sheet, const SheetPictureSettings &settings, SheetPictureFailure *failure)
{
    const int side = settings.cellSide;
    if (!SheetPicture::fits(sheet.columnCount(), sheet.rowCount(), side))
        return fail(failure, SheetPictureError::TooLarge);
    QImage picture(sheet.columnCount() * side, sheet.rowCount() * side, QImage::Format_RGB32);
    if (picture.isNull())
        return fail(failure, SheetPictureError::OutOfMemory);
    SheetPainter painter;
    painter.setLook(settings.look);
    painter.setPageColors(settings.pageColors);
    painter.setCellSide(side);
    {
        QPainter on(&picture);
        // In bands, so that the painter's own buffer stays small beside the picture.
        constexpr int kBandPixels = 1 << 22;
        const int band = std::max(side, kBandPixels / picture.width() / side * side);
        for (int top = 0; top < picture.height(); top += band)
            painter.paint(on, sheet, QPoint(0, 0), QRect(0, top, picture.width(), band));
    }
    QString reason;
    if (!writePng(device, picture, &reason))
        return fail(
            failure, reason.isEmpty() ? SheetPictureError::OutOfMemory : SheetPictureError::WriteFailed, reason);
    return true;
}
