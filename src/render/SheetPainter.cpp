#include "render/SheetPainter.h"

#include "core/GridSheet.h"
#include "core/HtmlText.h"
#include "render/SheetFonts.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <system_error>
#include <thread>

namespace {

QRgb toRgb(Color color)
{
    return qRgb(getRed(color), getGreen(color), getBlue(color));
}

// A text the glyph cache holds: up to two units, which nearly every cell has.
bool isShortText(QStringView text)
{
    return text.size() <= 2;
}

quint64 shortTextKey(QStringView text)
{
    quint64 key = quint64(text.size()) << 32;
    for (qsizetype i = 0; i < text.size(); ++i)
        key |= quint64(text[i].unicode()) << (16 * i);
    return key;
}

// The first cell at or after pixel `from` (clamped to the sheet), counted from 1.
qint64 cellAt(qint64 from, qint64 origin, int side)
{
    const qint64 offset = from - origin;
    return offset < 0 ? 1 : offset / side + 1;
}

} // namespace

SheetPainter::SheetPainter()
{
    setCellSide(side_);
}

void SheetPainter::setLook(Look look)
{
    if (look == look_)
        return;
    look_ = look;
    updateFont();
}

void SheetPainter::setCellSide(int side)
{
    side_ = std::max(side, 1);
    updateFont();
}

void SheetPainter::updateFont()
{
    // Text the page's way fills the cell, a full-width character one cell wide.
    textFont_ = look_ == Look::Page ? pageFont() : sheetFont();
    textFont_.setPixelSize(look_ == Look::Page ? side_ : cellTextPixels(side_));
    const QFontMetricsF metrics(textFont_);
    ascent_ = metrics.ascent();
    lineHeight_ = metrics.height();
    // Glyphs this large the painting engine draws as outlines, each time: they are drawn
    // once into masks instead.
    largeText_ = textFont_.pixelSize() >= kLargeTextPixels;
    largeMasks_.clear();
    shapes_.clear();
    rawFonts_.clear();
    batches_.clear();
    batchOf_.clear();
}

const SheetPainter::ShapedText &SheetPainter::shaped(QStringView text)
{
    const quint64 key = shortTextKey(text);
    if (const auto found = shapes_.constFind(key); found != shapes_.cend())
        return *found;
    QTextLayout layout(text.toString(), textFont_);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e6);
    layout.endLayout();
    ShapedText shape;
    if (line.isValid()) {
        shape.width = line.naturalTextWidth();
        for (const QGlyphRun &run : layout.glyphRuns()) {
            qsizetype font = rawFonts_.indexOf(run.rawFont());
            if (font < 0) {
                rawFonts_.append(run.rawFont());
                font = rawFonts_.size() - 1;
            }
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
                shape.glyphs.append({int(font), indexes[i], positions[i] - QPointF(0, line.ascent())});
        }
    }
    return *shapes_.insert(key, shape);
}

void SheetPainter::paint(QPainter &painter, const GridSheet &sheet, QPoint origin, const QRect &clip)
{
    const int side = side_;
    const qint64 sheetRight = origin.x() + qint64(sheet.columnCount()) * side; // exclusive
    const qint64 sheetBottom = origin.y() + qint64(sheet.rowCount()) * side;
    const qint64 left = std::max<qint64>(clip.left(), origin.x());
    const qint64 top = std::max<qint64>(clip.top(), origin.y());
    const qint64 right = std::min<qint64>(qint64(clip.right()) + 1, sheetRight);
    const qint64 bottom = std::min<qint64>(qint64(clip.bottom()) + 1, sheetBottom);
    if (left >= right || top >= bottom)
        return;
    const int firstColumn = int(cellAt(left, origin.x(), side));
    const int lastColumn = int(cellAt(right - 1, origin.x(), side));
    const int firstRow = int(cellAt(top, origin.y(), side));
    const int lastRow = int(cellAt(bottom - 1, origin.y(), side));
    const QRect area(int(left), int(top), int(right - left), int(bottom - top));

    // The backgrounds, pixel for pixel: a cell row's line of pixels is built once and copied
    // down the cell's height.
    if (backgrounds_.width() < area.width() || backgrounds_.height() < area.height())
        backgrounds_ = QImage(area.size(), QImage::Format_RGB32);
    const bool colorOnly = !drawsText();
    const bool keepColors = !colorOnly; // the texts need them
    rowColors_.resize(size_t(lastColumn) - size_t(firstColumn) + 1);
    // Raw lines: scanLine() would detach the image from both threads at once.
    uchar *const bits = backgrounds_.bits();
    const qsizetype stride = backgrounds_.bytesPerLine();
    auto lineAt = [bits, stride](int y) { return reinterpret_cast<QRgb *>(bits + y * stride); };
    auto fillRow = [&](int row) {
        const qint64 cellTop = origin.y() + qint64(row - 1) * side;
        const int lineFrom = int(std::max(cellTop, top) - top);
        const int lineTo = int(std::min(cellTop + side, bottom) - top);
        QRgb *const line = lineAt(lineFrom);
        const qint64 lineStart = origin.x() - left; // column 1's left end on the line
        auto put = [&](int column, Color color) {
            const qint64 from = lineStart + qint64(column - 1) * side;
            std::fill(
                line + std::max<qint64>(from, 0), line + std::min<qint64>(from + side, area.width()), toRgb(color));
        };
        if (look_ == Look::Page) {
            visitPageRow(
                sheet, row, firstColumn, lastColumn, pageColors_, [&](int column, const PageCellColors &colors) {
                    if (keepColors)
                        rowColors_[size_t(column - firstColumn)] = colors;
                    // Too small to read, a character shows as its colour on the page.
                    put(column, colorOnly && !colors.blank ? colors.text : colors.back);
                });
        } else {
            sheet.visitRow(row, firstColumn, lastColumn, [&](int column, QStringView text, Color back, Color fore) {
                if (keepColors)
                    rowColors_[size_t(column - firstColumn)] = {fore, back, isBlankCellText(text)};
                put(column, back);
            });
        }
        for (int y = lineFrom + 1; y < lineTo; ++y)
            std::copy_n(line, area.width(), lineAt(y));
    };
    if (colorOnly) {
        // A cell a pixel or two: as many cells as pixels, read on two threads, each its own rows.
        const int middle = firstRow + (lastRow - firstRow + 1) / 2;
        std::thread worker;
        try {
            worker = std::thread([&] {
                for (int row = middle; row <= lastRow; ++row)
                    fillRow(row);
            });
        } catch (const std::system_error &) {
            for (int row = middle; row <= lastRow; ++row)
                fillRow(row);
        }
        for (int row = firstRow; row < middle; ++row)
            fillRow(row);
        if (worker.joinable())
            worker.join();
    } else {
        for (int row = firstRow; row <= lastRow; ++row) {
            fillRow(row);
            gatherTexts(sheet, row, origin, firstColumn, lastColumn);
        }
    }
    painter.drawImage(area.topLeft(), backgrounds_, QRect(QPoint(0, 0), area.size()));

    const bool gridLines = look_ == Look::Cells && gridLineColor_.isValid() && !colorOnly;
    if (gridLines) {
        for (int column = firstColumn; column <= lastColumn; ++column)
            painter.fillRect(int(origin.x() + qint64(column) * side - 1), area.top(), 1, area.height(), gridLineColor_);
        for (int row = firstRow; row <= lastRow; ++row)
            painter.fillRect(area.left(), int(origin.y() + qint64(row) * side - 1), area.width(), 1, gridLineColor_);
    }
    if (!colorOnly)
        drawTexts(painter, sheet, origin);
}

QRect SheetPainter::textArea(QPoint origin, int column, int row) const
{
    const int fill = side_ - (look_ == Look::Cells && gridLineColor_.isValid() ? 1 : 0);
    return QRect(int(origin.x() + qint64(column - 1) * side_), int(origin.y() + qint64(row - 1) * side_), fill, fill);
}

void SheetPainter::gatherTexts(const GridSheet &sheet, int row, QPoint origin, int firstColumn, int lastColumn)
{
    for (int column = firstColumn; column <= lastColumn; ++column) {
        const PageCellColors &colors = rowColors_[size_t(column - firstColumn)];
        if (colors.blank)
            continue;
        const QStringView text = sheet.cellTextView(column, row);
        const Color color = colors.text;
        const QRect cell = textArea(origin, column, row);
        const ShapedText *shape = isShortText(text) ? &shaped(text) : nullptr;
        // Long and wide texts are clipped to their cell, one by one.
        if (!shape || shape->width > cell.width() + 0.5) {
            clippedTexts_.push_back({column, row, color});
            continue;
        }
        if (largeText_) {
            largeTexts_.push_back({column, row, color});
            continue;
        }
        const QPointF at = textOrigin(cell, *shape);
        for (const Glyph &glyph : shape->glyphs) {
            const quint64 key = quint64(quint32(color)) << 32 | quint32(glyph.font);
            auto [found, added] = batchOf_.try_emplace(key, batches_.size());
            if (added)
                batches_.push_back({color, glyph.font, {}, {}});
            Batch &batch = batches_[found->second];
            batch.indexes.append(glyph.index);
            batch.positions.append(at + glyph.position);
        }
    }
}

void SheetPainter::drawTexts(QPainter &painter, const GridSheet &sheet, QPoint origin)
{
    for (Batch &batch : batches_) {
        if (batch.indexes.isEmpty())
            continue;
        QGlyphRun run;
        run.setRawFont(rawFonts_[batch.font]);
        run.setGlyphIndexes(batch.indexes);
        run.setPositions(batch.positions);
        painter.setPen(QColor(toRgb(batch.color)));
        painter.drawGlyphRun(QPointF(), run);
        batch.indexes.clear();
        batch.positions.clear();
    }
    // Many colours would keep as many empty batches: start afresh beyond a few hundred.
    if (batches_.size() > 512) {
        batches_.clear();
        batchOf_.clear();
    }
    for (const ClippedText &text : largeTexts_) {
        const QRect cell = textArea(origin, text.column, text.row);
        const QImage &mask = largeTextMask(sheet.cellTextView(text.column, text.row), cell.size());
        painter.drawImage(cell.topLeft(), colored(mask, text.color));
    }
    largeTexts_.clear();
    if (clippedTexts_.empty())
        return;
    painter.save();
    painter.setFont(textFont_);
    const Qt::Alignment alignment = look_ == Look::Page ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
    for (const ClippedText &text : clippedTexts_) {
        const QRect cell = textArea(origin, text.column, text.row);
        painter.setClipRect(cell);
        painter.setPen(QColor(toRgb(text.color)));
        // The cell shows a few characters: laying out a huge text would stall the paint.
        painter.drawText(cell, int(alignment), sheet.cellTextView(text.column, text.row).left(256).toString());
    }
    painter.restore();
    clippedTexts_.clear();
}

QPointF SheetPainter::textOrigin(const QRect &cell, const ShapedText &shape) const
{
    // Centred as an item view centres it, or at the cell's left as the page sets it.
    const int x = look_ == Look::Page ? cell.left() : cell.left() + (cell.width() - qCeil(shape.width)) / 2;
    const int top = cell.top() + (cell.height() - qCeil(lineHeight_)) / 2;
    return QPointF(x, top + ascent_);
}

const QImage &SheetPainter::largeTextMask(QStringView text, QSize size)
{
    const quint64 key = shortTextKey(text);
    if (const auto found = largeMasks_.constFind(key); found != largeMasks_.cend())
        return *found;
    QImage mask(size, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        const ShapedText &shape = shaped(text);
        QPainter painter(&mask);
        painter.setPen(Qt::black);
        const QPointF at = textOrigin(QRect(QPoint(0, 0), size), shape);
        for (const Glyph &glyph : shape.glyphs) {
            QGlyphRun run;
            run.setRawFont(rawFonts_[glyph.font]);
            run.setGlyphIndexes({glyph.index});
            run.setPositions({at + glyph.position});
            painter.drawGlyphRun(QPointF(), run);
        }
    }
    return *largeMasks_.insert(key, mask);
}

const QImage &SheetPainter::colored(const QImage &mask, Color color)
{
    if (coloredText_.size() != mask.size())
        coloredText_ = QImage(mask.size(), QImage::Format_ARGB32_Premultiplied);
    const int red = getRed(color);
    const int green = getGreen(color);
    const int blue = getBlue(color);
    const int width = mask.width();
    const int height = mask.height();
    for (int y = 0; y < height; ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(coloredText_.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int alpha = qAlpha(from[x]);
            to[x] = alpha == 0 ? 0 : qRgba(red * alpha / 255, green * alpha / 255, blue * alpha / 255, alpha);
        }
    }
    return coloredText_;
}
