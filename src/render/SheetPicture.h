// The sheet as a picture: square cells of a chosen side in either look, written as PNG.
#pragma once

#include "render/SheetPainter.h"

#include <QIODevice>
#include <QString>

struct SheetPictureSettings {
    int cellSide = 16;
    SheetPainter::Look look = SheetPainter::Look::Cells;
    PageColorSettings pageColors; // for the page's look
};

namespace SheetPicture {

// Beyond either limit a picture is refused: image viewers and memory give out.
constexpr qint64 kMaxSide = 30'000;
constexpr qint64 kMaxBytes = qint64(1) << 30;
constexpr int kBytesPerPixel = 4;

bool fits(int columns, int rows, int cellSide);
// The largest side that fits the limits; 0 when not even one pixel a cell does.
int largestCellSide(int columns, int rows);

} // namespace SheetPicture

enum class SheetPictureError {
    None,
    TooLarge, // see largestCellSide
    OutOfMemory,
    WriteFailed, // see systemReason
};

struct SheetPictureFailure {
    SheetPictureError error = SheetPictureError::None;
    QString systemReason;
};

// Draws the sheet and writes it to the device as PNG. The same sheet and settings give the
// same bytes wherever they are written.
bool writeSheetPicture(
    QIODevice &device, const GridSheet &sheet, const SheetPictureSettings &settings, SheetPictureFailure *failure);
