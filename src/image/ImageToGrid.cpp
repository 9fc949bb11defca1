#include "image/ImageToGrid.h"

#include <QPainter>

#include <algorithm>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

GridPlan planGrid(QSize pictureSize, QStringView blockSizeText)
{
    GridPlan plan;
    const NumberFieldValue read = readNumberField(blockSizeText);
    if (read.outOfRange) {
        plan.refusal = GridRefusal::BlockSizeOutOfRange;
        return plan;
    }
    plan.blockSize = std::max(read.value, 1);
    plan.columns = blockCount(std::max(pictureSize.width(), 0), plan.blockSize);
    plan.rows = blockCount(std::max(pictureSize.height(), 0), plan.blockSize);
    if (!GridSheet::sizeFits(plan.columns, plan.rows))
        plan.refusal = GridRefusal::TooManyCells;
    return plan;
}

QImage toOpaqueRgb32(const QImage &picture)
{
    if (picture.isNull())
        return {};
    if (!picture.hasAlphaChannel())
        return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage opaque(picture.size(), QImage::Format_RGB32);
    if (opaque.isNull())
        return {}; // out of memory
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, picture);
    painter.end();
    return opaque;
}

namespace {

// Scan lines are summed per pixel column before the blocks are summed across: red and blue
// share one 32-bit word as two 16-bit lanes, which hold up to 257 lines of 255, so the
// vertical pass is two additions per pixel, four pixels at a time where SSE2 is there.
constexpr int kLinesPerPass = 256;

void addScanLine(const QRgb *line, quint32 *redBlue, quint32 *green, qsizetype width)
{
    qsizetype x = 0;
#if defined(__SSE2__)
    const __m128i redBlueMask = _mm_set1_epi32(0x00FF00FF);
    const __m128i lowByte = _mm_set1_epi32(0xFF);
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + x));
        auto *redBlueAt = reinterpret_cast<__m128i *>(redBlue + x);
        auto *greenAt = reinterpret_cast<__m128i *>(green + x);
        _mm_storeu_si128(redBlueAt, _mm_add_epi32(_mm_loadu_si128(redBlueAt), _mm_and_si128(pixels, redBlueMask)));
        _mm_storeu_si128(
            greenAt, _mm_add_epi32(_mm_loadu_si128(greenAt), _mm_and_si128(_mm_srli_epi32(pixels, 8), lowByte)));
    }
#endif
    for (; x < width; ++x) {
        redBlue[x] += line[x] & 0x00FF00FFu;
        green[x] += (line[x] >> 8) & 0xFFu;
    }
}

// The block's mean of one colour part; a lone pixel (block size 1) needs no division.
inline int mean(quint64 sum, quint64 count)
{
    if (count == 1)
        return int(sum);
    // Sums of blocks up to 4,000 pixels square fit 32 bits, where division is several times
    // faster; the rounding is DivideHalfToEven's.
    if (sum <= 0xFFFFFFFFu && count <= 0xFFFFFFFFu) {
        const quint32 quotient = quint32(sum) / quint32(count);
        const quint64 twiceRemainder = 2 * quint64(quint32(sum) % quint32(count));
        const bool up = twiceRemainder > count || (twiceRemainder == count && (quotient & 1));
        return int(quotient + (up ? 1 : 0));
    }
    return int(divideHalfToEven(sum, count));
}

// Paints the cells of the sheet from the picture; false, with the sheet untouched, when
// memory runs out. Everything is had before the sheet is resized.
bool paintBlocks(const QImage &pixels, const GridPlan &plan, GridSheet &sheet, const GridProgress &progress)
{
    const int columns = int(plan.columns);
    const int rows = int(plan.rows);
    BlockRowSummer summer(plan, pixels.width());
    std::vector<Color> back, fore;
    try {
        back.resize(size_t(columns));
        fore.resize(size_t(columns));
    } catch (const std::bad_alloc &) {
        return false;
    }
    // Both counts at once: columns first against the old row count could pass the cell limit
    // on the way even when the final size fits.
    if (!summer.ok() || !sheet.setSize(columns, rows))
        return false;
    const qint64 block = plan.blockSize;
    const qint64 height = pixels.height();
    for (int row = 0; row < rows; ++row) {
        if (progress)
            progress(row, rows);
        const qint64 top = block * row;
        const qint64 bottom = std::min(height, top + block);
        for (qint64 y = top; y < bottom; ++y)
            summer.addLine(reinterpret_cast<const QRgb *>(pixels.constScanLine(int(y))));
        summer.finishRow(back.data(), fore.data());
        sheet.setRowColors(row + 1, 1, back.data(), fore.data(), columns);
    }
    return true;
}

} // namespace

BlockRowSummer::BlockRowSummer(const GridPlan &plan, qsizetype pictureWidth)
    : block_(std::max(plan.blockSize, 1))
    , columns_(int(plan.columns))
    , width_(pictureWidth)
    , usedWidth_(qsizetype(std::min<qint64>(pictureWidth, block_ * plan.columns)))
{
    try {
        redBlue_.assign(size_t(usedWidth_), 0);
        green_.assign(size_t(usedWidth_), 0);
        sums_.assign(size_t(columns_) * 3, 0);
        ok_ = true;
    } catch (const std::bad_alloc &) {
        ok_ = false;
    }
}

void BlockRowSummer::addLine(const QRgb *line)
{
    addScanLine(line, redBlue_.data(), green_.data(), usedWidth_);
    if (++pendingLines_ == kLinesPerPass)
        foldLines();
}

void BlockRowSummer::foldLines()
{
    quint64 *sum = sums_.data();
    for (qint64 left = 0; left < usedWidth_; left += block_, sum += 3) {
        const qsizetype end = qsizetype(std::min<qint64>(usedWidth_, left + block_));
        quint64 red = 0, greens = 0, blue = 0;
        for (qsizetype x = qsizetype(left); x < end; ++x) {
            red += redBlue_[size_t(x)] >> 16;
            blue += redBlue_[size_t(x)] & 0xFFFFu;
            greens += green_[size_t(x)];
        }
        sum[0] += red;
        sum[1] += greens;
        sum[2] += blue;
    }
    std::fill(redBlue_.begin(), redBlue_.end(), 0);
    std::fill(green_.begin(), green_.end(), 0);
    rowLines_ += pendingLines_;
    pendingLines_ = 0;
}

void BlockRowSummer::finishRow(Color *back, Color *fore)
{
    if (pendingLines_ > 0)
        foldLines();
    const quint64 blockHeight = quint64(rowLines_);
    for (int column = 0; column < columns_; ++column) {
        const qint64 left = block_ * column;
        const quint64 count
            = quint64(std::max<qint64>(std::min<qint64>(width_, left + block_) - left, 0)) * blockHeight;
        quint64 *sum = sums_.data() + size_t(column) * 3;
        const int red = count ? mean(sum[0], count) : 0;
        const int green = count ? mean(sum[1], count) : 0;
        const int blue = count ? mean(sum[2], count) : 0;
        back[column] = makeColor(red, green, blue);
        fore[column] = textColorFor(red, green, blue);
        sum[0] = sum[1] = sum[2] = 0;
    }
    rowLines_ = 0;
}

ToGridResult imageToGrid(
    const QImage &picture, QStringView blockSizeText, GridSheet &sheet, const GridProgress &progress)
{
    if (picture.isNull())
        return {ToGridOutcome::NoPicture, {}};
    const GridPlan plan = planGrid(picture.size(), blockSizeText);
    if (!plan.ok())
        return {ToGridOutcome::Refused, plan};
    const QImage pixels = toOpaqueRgb32(picture);
    if (pixels.isNull())
        return {ToGridOutcome::OutOfMemory, plan};
    GridSheet::ChangeBatch batch(sheet);
    if (!paintBlocks(pixels, plan, sheet, progress))
        return {ToGridOutcome::OutOfMemory, plan};
    return {ToGridOutcome::Done, plan};
}
