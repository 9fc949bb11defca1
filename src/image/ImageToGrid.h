// Cuts a picture into square blocks and paints one grid cell per block with the block's
// mean colour and a black or white text colour that stands out against it.
#pragma once

#include "core/GridSheet.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringView>

#include <functional>

// Cells along one edge: whole blocks, plus one for a remainder of at least a tenth of a
// block (the rule floor(length / block + 0.9), in integers so no rounding can creep in).
constexpr qint64 BlockCount(qint64 length, qint64 blockSize)
{
    if (length <= 0 || blockSize <= 0)
        return 0;
    return length / blockSize + (10 * (length % blockSize) >= blockSize ? 1 : 0);
}

// What a block-size text and a picture size come to, checked before anything changes.
struct GridPlan {
    int blockSize = 1;
    qint64 columns = 0;
    qint64 rows = 0;
    QString error; // empty when the conversion may go ahead
    bool Ok() const { return error.isEmpty(); }
};

// The block size is the field read as a number, halves to even; below 1 it is 1. A value
// beyond the 32-bit range, or a grid beyond what the sheet holds, is refused.
GridPlan PlanGrid(QSize pictureSize, QStringView blockSizeText);

// Receives the To Grid button's caption: once per row, and "To Grid" at the end.
using GridProgress = std::function<void(const QString &caption)>;

// Resizes the sheet to one cell per block and paints every cell; texts stay. A null picture
// (nothing loaded) only restores the caption; a refused plan or a failed resize ends
// the run without touching the sheet further. Any picture format is accepted; transparent
// pixels count as painted over white.
void ImageToGrid(const QImage &picture, QStringView blockSizeText, GridSheet &sheet, const GridProgress &progress);

// The 32-bit RGB form the conversion reads: palettes expanded, transparency composited
// over white. A picture already in that form is shared, not copied.
QImage ToOpaqueRgb32(const QImage &picture);

// Division rounded to the nearest integer, halves to even (sum, count >= 0, count > 0).
constexpr quint64 DivideHalfToEven(quint64 sum, quint64 count)
{
    const quint64 quotient = sum / count;
    const quint64 twiceRemainder = 2 * (sum % count);
    if (twiceRemainder > count || (twiceRemainder == count && (quotient & 1)))
        return quotient + 1;
    return quotient;
}

// White text on dark blocks (r + g + b <= 382, a mean brightness below 128), black otherwise.
constexpr Color TextColorFor(int red, int green, int blue)
{
    return red + green + blue <= 382 ? kWhite : kBlack;
}
