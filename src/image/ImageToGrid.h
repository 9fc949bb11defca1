// Cuts a picture into square blocks and paints one grid cell per block with the block's
// mean colour and a black or white text colour that stands out against it.
#pragma once

#include "core/GridSheet.h"

#include <QImage>
#include <QSize>
#include <QStringView>

#include <functional>
#include <vector>

// Cells along one edge: whole blocks, plus one for a remainder of at least a tenth of a
// block (the rule floor(length / block + 0.9), in integers so no rounding can creep in).
constexpr qint64 blockCount(qint64 length, qint64 blockSize)
{
    if (length <= 0 || blockSize <= 0)
        return 0;
    return length / blockSize + (10 * (length % blockSize) >= blockSize ? 1 : 0);
}

// Why a grid is refused before anything changes.
enum class GridRefusal {
    None,
    BlockSizeOutOfRange, // the block-size text reads as a number beyond the 32-bit range
    TooManyCells, // columns × rows is more than GridSheet::kMaxCells
};

// What a block-size text and a picture size come to, checked before anything changes.
struct GridPlan {
    int blockSize = 1;
    qint64 columns = 0;
    qint64 rows = 0;
    GridRefusal refusal = GridRefusal::None;
    bool ok() const { return refusal == GridRefusal::None; }
};

// The block size is the field read as a number, halves to even; below 1 it is 1. A value
// beyond the 32-bit range, or a grid beyond what the sheet holds, is refused.
GridPlan planGrid(QSize pictureSize, QStringView blockSizeText);

// Sums the blocks of one block row at a time from scan lines handed in top to bottom, so a
// picture can be converted while it is being decoded, without holding it whole. The sums
// are exact integers, so the colours do not depend on how the lines arrive.
class BlockRowSummer {
public:
    // ok() is false when its buffers cannot be had.
    BlockRowSummer(const GridPlan &plan, qsizetype pictureWidth);
    bool ok() const { return ok_; }

    // The next scan line of the current block row: opaque RGB32 pixels, pictureWidth of them.
    void addLine(const QRgb *line);
    // Ends the block row: each block's mean colour into back and its text colour into fore,
    // plan.columns of each. Every block of a planned grid holds at least one pixel.
    void finishRow(Color *back, Color *fore);

private:
    void foldLines();

    qint64 block_ = 1;
    int columns_ = 0;
    qsizetype width_ = 0; // the picture's width
    qsizetype usedWidth_ = 0; // pixels right of the last column's block are unused
    bool ok_ = false;
    int pendingLines_ = 0; // lines in the column lanes, not yet folded into the sums
    qint64 rowLines_ = 0; // lines of the current block row
    std::vector<quint32> redBlue_, green_;
    std::vector<quint64> sums_; // red, green, blue per block of the current block row
};

// Receives how far a conversion has come: the rows of cells painted so far, of rows. It is
// called on the thread that started the conversion.
using GridProgress = std::function<void(qint64 rowsDone, qint64 rows)>;

enum class ToGridOutcome {
    Done,
    NoPicture, // nothing loaded: only the caption is restored
    Refused, // the block size or the grid size is refused (the plan's refusal)
    OutOfMemory, // the grid, or the picture's 32-bit form, does not fit in memory
};

struct ToGridResult {
    ToGridOutcome outcome = ToGridOutcome::Done;
    GridPlan plan; // the grid asked for: why it was refused, or its size that did not fit
    bool failed() const { return outcome == ToGridOutcome::Refused || outcome == ToGridOutcome::OutOfMemory; }
};

// Resizes the sheet to one cell per block and paints every cell; texts stay. On any failure
// the sheet is untouched. Progress is told before each row is painted, (0, rows) first.
// Any picture format is accepted; transparent pixels count as painted over white.
ToGridResult imageToGrid(
    const QImage &picture, QStringView blockSizeText, GridSheet &sheet, const GridProgress &progress);

// The 32-bit RGB form the conversion reads: palettes expanded, transparency composited
// over white. A picture already in that form is shared, not copied.
QImage toOpaqueRgb32(const QImage &picture);

// Division rounded to the nearest integer, halves to even (sum, count >= 0, count > 0).
constexpr quint64 divideHalfToEven(quint64 sum, quint64 count)
{
    const quint64 quotient = sum / count;
    const quint64 twiceRemainder = 2 * (sum % count);
    if (twiceRemainder > count || (twiceRemainder == count && (quotient & 1)))
        return quotient + 1;
    return quotient;
}

// White text on dark blocks (r + g + b <= 382, a mean brightness below 128), black otherwise.
constexpr Color textColorFor(int red, int green, int blue)
{
    return red + green + blue <= 382 ? kWhite : kBlack;
}
