#include "image/ImageToGrid.h"

#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <limits>
#include <new>
#include <vector>

GridPlan PlanGrid(QSize pictureSize, QStringView blockSizeText)
{
    GridPlan plan;
    const NumberFieldValue read = ReadNumberField(blockSizeText);
    if (read.outOfRange) {
        plan.error = QStringLiteral("ブロックの大きさが扱える範囲を超えています\r\n")
            + blockSizeText.toString();
        return plan;
    }
    plan.blockSize = std::max(read.value, 1);
    plan.columns = BlockCount(std::max(pictureSize.width(), 0), plan.blockSize);
    plan.rows = BlockCount(std::max(pictureSize.height(), 0), plan.blockSize);
    if (!GridSheet::SizeFits(plan.columns, plan.rows)) {
        const QLocale c(QLocale::English, QLocale::UnitedStates); // digits grouped by ","
        plan.error = QStringLiteral("グリッドが大きすぎます\r\n%1 × %2 = %3 セル (上限 %4 セル)\r\n"
                                    "ブロックの大きさを大きくしてください")
                         .arg(c.toString(plan.columns), c.toString(plan.rows),
                              c.toString(plan.columns * plan.rows), c.toString(GridSheet::kMaxCells));
    }
    return plan;
}

QImage ToOpaqueRgb32(const QImage &picture)
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

QString RowCaption(qint64 row, qint64 rows)
{
    return QStringLiteral("To Grid (") + QString::number(row) + u'/' + QString::number(rows) + u')';
}

// Paints the cells of the sheet from the picture; false when the sheet refuses the size.
bool PaintBlocks(const QImage &pixels, const GridPlan &plan, GridSheet &sheet, const GridProgress &progress)
{
    const int columns = int(plan.columns);
    const int rows = int(plan.rows);
    // Both counts at once: columns first against the old row count could pass the cell limit
    // on the way even when the final size fits.
    if (!sheet.SetSize(columns, rows))
        return false;

    const qint64 block = plan.blockSize;
    const qint64 width = pixels.width();
    const qint64 height = pixels.height();
    // Pixels right of the last column's block (a strip under a tenth of a block) are unused.
    const qint64 usedWidth = std::min(width, block * columns);

    // One accumulator per column, filled scan line by scan line for the current block row.
    std::vector<quint64> sums;
    try {
        sums.resize(size_t(columns) * 3);
    } catch (const std::bad_alloc &) {
        return false;
    }

    for (int row = 0; row < rows; ++row) {
        if (progress)
            progress(RowCaption(row, rows));
        std::fill(sums.begin(), sums.end(), 0);
        const qint64 top = block * row;
        const qint64 bottom = std::min(height, top + block);
        for (qint64 y = top; y < bottom; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(int(y)));
            quint64 *sum = sums.data();
            for (qint64 left = 0; left < usedWidth; left += block, sum += 3) {
                const QRgb *pixel = line + left;
                const QRgb *end = line + std::min(usedWidth, left + block);
                // A block row holds at most 2^31 pixels of 255: 32 bits would overflow.
                quint64 red = 0, green = 0, blue = 0;
                for (; pixel != end; ++pixel) {
                    red += qRed(*pixel);
                    green += qGreen(*pixel);
                    blue += qBlue(*pixel);
                }
                sum[0] += red;
                sum[1] += green;
                sum[2] += blue;
            }
        }
        const quint64 blockHeight = quint64(bottom - top);
        for (int column = 0; column < columns; ++column) {
            const qint64 left = block * column;
            const quint64 count = quint64(std::min(width, left + block) - left) * blockHeight;
            if (count == 0)
                continue; // a block with no pixel keeps its colours
            const quint64 *sum = sums.data() + size_t(column) * 3;
            const int red = int(DivideHalfToEven(sum[0], count));
            const int green = int(DivideHalfToEven(sum[1], count));
            const int blue = int(DivideHalfToEven(sum[2], count));
            sheet.SetCellColors(column + 1, row + 1, MakeColor(red, green, blue), TextColorFor(red, green, blue));
        }
    }
    return true;
}

} // namespace

void ImageToGrid(const QImage &picture, QStringView blockSizeText, GridSheet &sheet, const GridProgress &progress)
{
    if (!picture.isNull()) {
        const GridPlan plan = PlanGrid(picture.size(), blockSizeText);
        if (plan.Ok()) {
            const QImage pixels = ToOpaqueRgb32(picture);
            if (!pixels.isNull()) {
                GridSheet::ChangeBatch batch(sheet);
                PaintBlocks(pixels, plan, sheet, progress);
            }
        }
    }
    if (progress)
        progress(QStringLiteral("To Grid"));
}
