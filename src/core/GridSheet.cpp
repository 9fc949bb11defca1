#include "core/GridSheet.h"

#include <QPoint>

#include <algorithm>
#include <new>

GridSheet::GridSheet()
    : GridSheet(kDefaultColumns, kDefaultRows)
{
}

GridSheet::GridSheet(GridSheet &&other) noexcept
{
    *this = std::move(other);
}

GridSheet &GridSheet::operator=(GridSheet &&other) noexcept
{
    if (this != &other) {
        const QPoint current(other.currentColumn_, other.currentRow_);
        const QPoint active(other.activeColumn_, other.activeRow_);
        GridSheet emptied(0, 0);
        takeContentFrom(other);
        other.takeContentFrom(emptied);
        currentColumn_ = current.x();
        currentRow_ = current.y();
        setActiveCell(active.x(), active.y());
    }
    return *this;
}

GridSheet::GridSheet(int columns, int rows)
{
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    if (sizeFits(columns, rows)) {
        cells_.resize(size_t(qint64(columns) * rows));
        columns_ = columns;
        rows_ = rows;
    }
}

bool GridSheet::sizeFits(qint64 columns, qint64 rows)
{
    columns = std::max<qint64>(columns, 0);
    rows = std::max<qint64>(rows, 0);
    return columns <= kMaxCells && rows <= kMaxCells && columns * rows <= kMaxCells;
}

bool GridSheet::setColumnCount(int columns)
{
    return setSize(columns, rows_);
}
bool GridSheet::setRowCount(int rows)
{
    return setSize(columns_, rows);
}

bool GridSheet::setSize(int columns, int rows)
{
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    if (!sizeFits(columns, rows))
        return false;
    if (columns == columns_ && rows == rows_)
        return true;

    std::vector<Cell> resized;
    try {
        resized.resize(size_t(qint64(columns) * rows));
    } catch (const std::bad_alloc &) {
        return false;
    }
    const int keptColumns = std::min(columns, columns_);
    const int keptRows = std::min(rows, rows_);
    for (int row = 0; row < keptRows; ++row) {
        const Cell *from = cells_.data() + qint64(row) * columns_;
        std::copy(from, from + keptColumns, resized.data() + qint64(row) * columns);
    }

    if (observer_)
        observer_->sheetSizeAboutToChange();
    cells_.swap(resized);
    columns_ = columns;
    rows_ = rows;
    // The long texts of the cells cut off are waste now.
    if (!arena_.empty()) {
        qint64 live = 0;
        for (const Cell &cell : cells_) {
            if (cell.textLength == kLongText)
                live += arenaFootprint(cell);
        }
        arenaWaste_ = qint64(arena_.size()) - live;
        compactIfWasteful();
    }
    clampActiveCell();
    if (observer_)
        observer_->sheetSizeChanged();
    return true;
}

SheetResize resizeSheet(GridSheet &sheet, GridSize size)
{
    if (!GridSheet::sizeFits(size.columns, size.rows))
        return SheetResize::TooLarge;
    return sheet.setSize(int(size.columns), int(size.rows)) ? SheetResize::Done : SheetResize::OutOfMemory;
}

void GridSheet::setActiveCell(int column, int row)
{
    if (!contains(column, row))
        return;
    if (column == activeColumn_ && row == activeRow_)
        return;
    activeColumn_ = column;
    activeRow_ = row;
    if (observer_)
        observer_->sheetActiveCellChanged(column, row);
}

void GridSheet::clampActiveCell()
{
    activeColumn_ = std::clamp(activeColumn_, 1, std::max(columns_, 1));
    activeRow_ = std::clamp(activeRow_, 1, std::max(rows_, 1));
}

// The units a long text takes in the arena, its length included.
qint64 GridSheet::arenaFootprint(const Cell &cell) const
{
    if (cell.longLength != kLengthInArena)
        return cell.longLength;
    return 2 + longTextView(cell).size();
}

// Points cell at a copy of text (over two units) at the arena's end. Throws std::bad_alloc,
// changing nothing, when the arena cannot grow.
void GridSheet::storeLongText(Cell &cell, QStringView text)
{
    const qsizetype length = text.size();
    const bool lengthInArena = length >= kLengthInArena;
    const qint64 offset = qint64(arena_.size());
    const qint64 end = offset + (lengthInArena ? 2 : 0) + length;
    if (length > kMaxLongText || end > kMaxArenaUnits)
        throw std::bad_alloc();
    if (size_t(end) > arena_.capacity()) {
        try {
            arena_.reserve(std::max(size_t(end), arena_.capacity() * 2));
        } catch (const std::bad_alloc &) {
            arena_.reserve(size_t(end));
        }
    }
    if (lengthInArena) {
        arena_.push_back(char16_t(length & 0xFFFF));
        arena_.push_back(char16_t(length >> 16));
    }
    arena_.insert(arena_.end(), text.utf16(), text.utf16() + length);
    cell.textLength = kLongText;
    setArenaOffset(cell, offset);
    cell.longLength = lengthInArena ? kLengthInArena : quint16(length);
}

bool GridSheet::setCellText(int column, int row, QStringView text)
{
    if (!contains(column, row))
        return false;
    Cell &cell = cells_[size_t(indexOf(column, row))];
    const bool wasLong = cell.textLength == kLongText;
    if (wasLong && text.size() > 2 && cell.longLength != kLengthInArena && text.size() <= cell.longLength) {
        // A text no longer than the one it replaces takes its place.
        std::copy(text.utf16(), text.utf16() + text.size(), arena_.begin() + arenaOffset(cell));
        arenaWaste_ += cell.longLength - text.size();
        cell.longLength = quint16(text.size());
    } else {
        const qint64 replaced = wasLong ? arenaFootprint(cell) : 0;
        if (text.size() <= 2) {
            cell.textLength = quint8(text.size());
            cell.text[0] = !text.isEmpty() ? text[0].unicode() : 0;
            cell.text[1] = text.size() > 1 ? text[1].unicode() : 0;
            cell.offsetHigh = 0;
            cell.longLength = 0;
        } else {
            storeLongText(cell, text);
        }
        arenaWaste_ += replaced;
    }
    compactIfWasteful();
    markChanged(column, row, column, row);
    return true;
}

// Compacting walks every cell, so it waits until the waste outgrows the cell count as
// well as the live texts: each write then pays a constant share of it, and the arena
// stays within twice the live texts plus one unit a cell.
void GridSheet::compactIfWasteful()
{
    const qint64 live = qint64(arena_.size()) - arenaWaste_;
    if (arenaWaste_ > live && arenaWaste_ > cellCount())
        compactArena();
}

void GridSheet::compactArena()
{
    std::vector<char16_t> compacted;
    try {
        compacted.reserve(size_t(qint64(arena_.size()) - arenaWaste_));
    } catch (const std::bad_alloc &) {
        return; // the waste stays until memory allows
    }
    for (Cell &cell : cells_) {
        if (cell.textLength != kLongText)
            continue;
        const auto from = arena_.cbegin() + arenaOffset(cell);
        const qint64 units = arenaFootprint(cell);
        const qint64 offset = qint64(compacted.size());
        compacted.insert(compacted.end(), from, from + units);
        setArenaOffset(cell, offset);
    }
    arena_.swap(compacted);
    arenaWaste_ = 0;
}

bool GridSheet::setCellColors(int column, int row, Color back, Color fore)
{
    if (!contains(column, row))
        return false;
    Cell &cell = cells_[size_t(indexOf(column, row))];
    cell.back = back;
    cell.fore = fore;
    markChanged(column, row, column, row);
    return true;
}

bool GridSheet::setRowColors(int row, int firstColumn, const Color *back, const Color *fore, int count)
{
    if (count <= 0)
        return count == 0;
    const int lastColumn = firstColumn + (count - 1);
    if (!contains(firstColumn, row) || count > columns_ - firstColumn + 1)
        return false;
    Cell *cell = cells_.data() + indexOf(firstColumn, row);
    for (int i = 0; i < count; ++i) {
        cell[i].back = back[i];
        cell[i].fore = fore[i];
    }
    markChanged(firstColumn, row, lastColumn, row);
    return true;
}

bool GridSheet::setBackColor(Color color)
{
    return setCellColors(currentColumn_, currentRow_, color, foreColor());
}

bool GridSheet::setForeColor(Color color)
{
    return setCellColors(currentColumn_, currentRow_, backColor(), color);
}

void GridSheet::clearAllText()
{
    for (Cell &cell : cells_) {
        cell.textLength = 0;
        cell.text[0] = cell.text[1] = 0;
        cell.offsetHigh = 0;
        cell.longLength = 0;
    }
    std::vector<char16_t>().swap(arena_);
    arenaWaste_ = 0;
    if (columns_ > 0 && rows_ > 0)
        markChanged(1, 1, columns_, rows_);
}

void GridSheet::takeContentFrom(GridSheet &other)
{
    ChangeBatch batch(*this);
    if (observer_)
        observer_->sheetSizeAboutToChange();
    cells_.swap(other.cells_);
    arena_.swap(other.arena_);
    std::swap(arenaWaste_, other.arenaWaste_);
    std::swap(columns_, other.columns_);
    std::swap(rows_, other.rows_);
    clampActiveCell();
    pending_ = false;
    if (observer_)
        observer_->sheetSizeChanged();
}

void GridSheet::markChanged(int firstColumn, int firstRow, int lastColumn, int lastRow)
{
    if (batchDepth_ == 0) {
        if (observer_)
            observer_->sheetCellsChanged(firstColumn, firstRow, lastColumn, lastRow);
        return;
    }
    if (!pending_) {
        pending_ = true;
        pendingFirstColumn_ = firstColumn;
        pendingFirstRow_ = firstRow;
        pendingLastColumn_ = lastColumn;
        pendingLastRow_ = lastRow;
        return;
    }
    pendingFirstColumn_ = std::min(pendingFirstColumn_, firstColumn);
    pendingFirstRow_ = std::min(pendingFirstRow_, firstRow);
    pendingLastColumn_ = std::max(pendingLastColumn_, lastColumn);
    pendingLastRow_ = std::max(pendingLastRow_, lastRow);
}

GridSheet::ChangeBatch::ChangeBatch(GridSheet &sheet)
    : sheet_(sheet)
{
    ++sheet_.batchDepth_;
}

GridSheet::ChangeBatch::~ChangeBatch()
{
    if (--sheet_.batchDepth_ > 0 || !sheet_.pending_)
        return;
    sheet_.pending_ = false;
    // A resize inside the batch may have cut the area short.
    const int lastColumn = std::min(sheet_.pendingLastColumn_, sheet_.columns_);
    const int lastRow = std::min(sheet_.pendingLastRow_, sheet_.rows_);
    if (sheet_.observer_ && sheet_.pendingFirstColumn_ <= lastColumn && sheet_.pendingFirstRow_ <= lastRow)
        sheet_.observer_->sheetCellsChanged(sheet_.pendingFirstColumn_, sheet_.pendingFirstRow_, lastColumn, lastRow);
}
