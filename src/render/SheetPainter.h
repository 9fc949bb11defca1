// Draws a sheet's cells straight from the sheet: the backgrounds as one image of the painted
// area, the texts as glyph runs batched by colour, so a screenful of cells costs a few
// draw calls rather than one item delegate call a cell. Below a legible size, colour only.
#pragma once

#include "core/Color.h"
#include "html/PageColors.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <algorithm>
#include <unordered_map>
#include <vector>

class GridSheet;
class QPainter;

class SheetPainter {
public:
    enum class Look {
        Cells, // each cell's background, its text in its text colour, centred
        Page, // what the HTML page shows, in the page's monospaced font
    };

    // Below this side a cell is drawn as colour only: its text would not be legible.
    static constexpr int kMinTextSide = 8;

    SheetPainter();

    void setLook(Look look);
    Look look() const { return look_; }
    void setPageColors(const PageColorSettings &settings) { pageColors_ = settings; }
    // Lines between the cells in the cells' look, drawn on each cell's last pixel row and
    // column as a table view draws them; an invalid colour draws none.
    void setGridLineColor(const QColor &color) { gridLineColor_ = color; }
    // Square cells of this many pixels; the text size follows.
    void setCellSide(int side);
    int cellSide() const { return side_; }
    bool drawsText() const { return side_ >= kMinTextSide; }
    // The cells' look sets its text in this many pixels: the margin a 12-pixel text has in a
    // 16-pixel cell.
    static int cellTextPixels(int side) { return std::max(1, qRound(side * 0.75)); }

    // Paints the cells that meet `clip` (in the painter's pixels), with the top-left corner
    // of cell (1, 1) at origin.
    void paint(QPainter &painter, const GridSheet &sheet, QPoint origin, const QRect &clip);

private:
    struct Glyph {
        int font; // in rawFonts_
        quint32 index;
        QPointF position; // from the text's left end on its baseline
    };
    struct ShapedText {
        QList<Glyph> glyphs;
        qreal width = 0;
    };
    struct Batch {
        Color color;
        int font;
        QList<quint32> indexes;
        QList<QPointF> positions;
    };

    struct ClippedText {
        int column;
        int row;
        Color color;
    };

    void updateFont();
    const ShapedText &shaped(QStringView text);
    // Where a cell's text goes: the cell less its grid lines.
    QRect textArea(QPoint origin, int column, int row) const;
    void gatherTexts(const GridSheet &sheet, int row, QPoint origin, int firstColumn, int lastColumn);
    void drawTexts(QPainter &painter, const GridSheet &sheet, QPoint origin);
    // Where a shaped text's left end sits on its baseline in a cell.
    QPointF textOrigin(const QRect &cell, const ShapedText &shape) const;
    // A short text drawn once, opaque, in a cell-sized image; colored() tints it.
    const QImage &largeTextMask(QStringView text, QSize size);
    const QImage &colored(const QImage &mask, Color color);

    Look look_ = Look::Cells;
    PageColorSettings pageColors_;
    QColor gridLineColor_;
    int side_ = 16;
    QFont textFont_;
    qreal ascent_ = 0;
    qreal lineHeight_ = 0;

    QHash<quint64, ShapedText> shapes_; // short texts by their units, at the current font
    QList<QRawFont> rawFonts_;
    std::vector<Batch> batches_;
    std::unordered_map<quint64, size_t> batchOf_; // colour and font to batches_
    std::vector<PageCellColors> rowColors_;
    std::vector<ClippedText> clippedTexts_;
    static constexpr int kLargeTextPixels = 64;
    bool largeText_ = false;
    std::vector<ClippedText> largeTexts_;
    QHash<quint64, QImage> largeMasks_;
    QImage coloredText_;
    QImage backgrounds_; // kept between paints to spare the allocation
};
