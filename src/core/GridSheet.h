// The grid: one rectangle of cells held in a single contiguous block. A plain value that
// moves but is never copied by accident; every change goes through this API and is told to
// its observer once per operation, so a view repaints once for a bulk change.
#pragma once

#include "core/Color.h"
#include "core/NumberField.h"

#include <QString>

#include <vector>

// Told of a sheet's changes (the document, which passes them on to the views).
class SheetObserver {
public:
    virtual void sheetSizeAboutToChange() = 0;
    virtual void sheetSizeChanged() = 0;
    virtual void sheetCellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow) = 0;
    virtual void sheetActiveCellChanged(int column, int row) = 0;

protected:
    ~SheetObserver() = default;
};

class GridSheet {
public:
    // The most cells a sheet holds (16 bytes each): pictures and files beyond it are refused.
    static constexpr qint64 kMaxCells = 50'000'000;
    static constexpr int kDefaultColumns = 25;
    static constexpr int kDefaultRows = 22;

    GridSheet();
    GridSheet(int columns, int rows);
    // A moved sheet takes the content, not the observer.
    GridSheet(GridSheet &&other) noexcept;
    GridSheet &operator=(GridSheet &&other) noexcept;
    GridSheet(const GridSheet &) = delete;
    GridSheet &operator=(const GridSheet &) = delete;

    void setObserver(SheetObserver *observer) { observer_ = observer; }

    int columnCount() const { return columns_; }
    int rowCount() const { return rows_; }
    qint64 cellCount() const { return qint64(columns_) * rows_; }
    // Counts below 0 act as 0. Cells inside both sizes keep text and colours; new cells
    // are white with black text. Returns false, changing nothing, beyond kMaxCells.
    bool setColumnCount(int columns);
    bool setRowCount(int rows);
    bool setSize(int columns, int rows);
    static bool sizeFits(qint64 columns, qint64 rows);

    bool contains(int column, int row) const { return column >= 1 && row >= 1 && column <= columns_ && row <= rows_; }

    // The current cell that BackColor, ForeColor and Text act on.
    int currentColumn() const { return currentColumn_; }
    int currentRow() const { return currentRow_; }
    void setCurrentColumn(int column) { currentColumn_ = column; }
    void setCurrentRow(int row) { currentRow_ = row; }
    Color backColor() const { return backColorAt(currentColumn_, currentRow_); }
    Color foreColor() const { return foreColorAt(currentColumn_, currentRow_); }
    bool setBackColor(Color color);
    bool setForeColor(Color color);
    bool setText(const QString &text) { return setCellText(currentColumn_, currentRow_, text); }

    // The user's cell cursor; always inside the sheet when the sheet has cells.
    int activeColumn() const { return activeColumn_; }
    int activeRow() const { return activeRow_; }
    void activateCurrentCell() { setActiveCell(currentColumn_, currentRow_); }
    void setActiveCell(int column, int row);

    // Addresses outside the sheet read as a never-painted empty cell and ignore writes. A
    // view stays valid until the next change of any text or of the size.
    QString getCellText(int column, int row) const { return cellTextView(column, row).toString(); }
    inline QStringView cellTextView(int column, int row) const;
    // The text must not be a view into this sheet: storing it may move the sheet's texts.
    bool setCellText(int column, int row, QStringView text);
    inline Color backColorAt(int column, int row) const;
    inline Color foreColorAt(int column, int row) const;
    bool setCellColors(int column, int row, Color back, Color fore);
    // Paints count cells of one row from firstColumn on, announced as one change; false,
    // changing nothing, when they do not all lie inside the sheet.
    bool setRowColors(int row, int firstColumn, const Color *back, const Color *fore, int count);

    // Calls visit(column, text, back, fore) for the cells firstColumn..lastColumn of a row
    // that lie inside the sheet, in order: the quick way through many cells (painting).
    template <class Visit> void visitRow(int row, int firstColumn, int lastColumn, Visit visit) const;

    void clearAllText();

    // Takes size, texts and colours of another sheet whole (loading a file).
    void takeContentFrom(GridSheet &other);

    // Groups the changes made while it lives into one cellsChanged announcement.
    class ChangeBatch {
    public:
        explicit ChangeBatch(GridSheet &sheet);
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch &) = delete;
        ChangeBatch &operator=(const ChangeBatch &) = delete;

    private:
        GridSheet &sheet_;
    };

private:
    // Texts of up to two UTF-16 units (nearly every cell) are held in the cell; longer ones
    // in arena_, so that a sheet full of them costs a few bytes a cell, not a heap string.
    struct Cell {
        Color back = kWhite;
        Color fore = kBlack;
        // Held inline: the text's units. In the arena: bits 0..31 of where it starts there.
        char16_t text[2] = {0, 0};
        quint8 textLength = 0; // 0..2 held inline, kLongText: in the arena
        quint8 offsetHigh = 0; // bits 32..39 of where a long text starts
        quint16 longLength = 0; // a long text's length, or kLengthInArena
    };
    static_assert(sizeof(Cell) == 16);
    static constexpr quint8 kLongText = 3;
    // Longer texts keep their length in two units before the text.
    static constexpr quint16 kLengthInArena = 0xFFFF;
    // What a cell can point at; beyond it a write fails as if memory had run out.
    static constexpr qint64 kMaxArenaUnits = qint64(1) << 40;
    static constexpr qint64 kMaxLongText = 0xFFFF'FFFF;

    static qint64 arenaOffset(const Cell &cell)
    {
        return qint64(cell.text[0]) | qint64(cell.text[1]) << 16 | qint64(cell.offsetHigh) << 32;
    }
    static void setArenaOffset(Cell &cell, qint64 offset)
    {
        cell.text[0] = char16_t(offset & 0xFFFF);
        cell.text[1] = char16_t((offset >> 16) & 0xFFFF);
        cell.offsetHigh = quint8(offset >> 32);
    }
    inline QStringView longTextView(const Cell &cell) const;
    qint64 arenaFootprint(const Cell &cell) const;
    void storeLongText(Cell &cell, QStringView text);
    void compactIfWasteful();
    void compactArena();
    qint64 indexOf(int column, int row) const { return qint64(row - 1) * columns_ + (column - 1); }
    void markChanged(int firstColumn, int firstRow, int lastColumn, int lastRow);
    void clampActiveCell();

    int columns_ = 0;
    int rows_ = 0;
    std::vector<Cell> cells_;
    // The texts over two units, one after another; overwritten ones stay behind as waste
    // until it outgrows both the live texts and the cell count, then the arena is compacted.
    std::vector<char16_t> arena_;
    qint64 arenaWaste_ = 0; // units of arena_ no cell points at
    int currentColumn_ = 1;
    int currentRow_ = 1;
    int activeColumn_ = 1;
    int activeRow_ = 1;

    SheetObserver *observer_ = nullptr;
    int batchDepth_ = 0;
    bool pending_ = false;
    int pendingFirstColumn_ = 0, pendingFirstRow_ = 0, pendingLastColumn_ = 0, pendingLastRow_ = 0;
};

enum class SheetResize { Done, TooLarge, OutOfMemory };

// The grid size dialog's change, in one step so that no half-applied size can pass the
// cell limit on the way; beyond kMaxCells or memory nothing changes.
SheetResize resizeSheet(GridSheet &sheet, GridSize size);

// The reads are inline: the writers and the view call them once per cell.
inline QStringView GridSheet::cellTextView(int column, int row) const
{
    if (!contains(column, row))
        return {};
    const Cell &cell = cells_[size_t(indexOf(column, row))];
    if (cell.textLength == kLongText)
        return longTextView(cell);
    return QStringView(cell.text, cell.textLength);
}

inline QStringView GridSheet::longTextView(const Cell &cell) const
{
    const char16_t *at = arena_.data() + arenaOffset(cell);
    if (cell.longLength != kLengthInArena)
        return QStringView(at, cell.longLength);
    return QStringView(at + 2, qsizetype(at[0]) | qsizetype(at[1]) << 16);
}

inline Color GridSheet::backColorAt(int column, int row) const
{
    return contains(column, row) ? cells_[size_t(indexOf(column, row))].back : kWhite;
}

inline Color GridSheet::foreColorAt(int column, int row) const
{
    return contains(column, row) ? cells_[size_t(indexOf(column, row))].fore : kBlack;
}

template <class Visit> void GridSheet::visitRow(int row, int firstColumn, int lastColumn, Visit visit) const
{
    if (row < 1 || row > rows_)
        return;
    firstColumn = firstColumn < 1 ? 1 : firstColumn;
    lastColumn = lastColumn > columns_ ? columns_ : lastColumn;
    const Cell *cell = cells_.data() + indexOf(firstColumn, row);
    for (int column = firstColumn; column <= lastColumn; ++column, ++cell) {
        const QStringView text
            = cell->textLength == kLongText ? longTextView(*cell) : QStringView(cell->text, cell->textLength);
        visit(column, text, cell->back, cell->fore);
    }
}
