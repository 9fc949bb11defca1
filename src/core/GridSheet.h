// The document: one rectangle of cells held in a single contiguous block.
// Every change goes through this API and is announced once per operation, so a view
// repaints once for a bulk change and a later undo stack can wrap each operation.
#pragma once

#include "core/Color.h"
#include "core/NumberField.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <vector>

class GridSheet : public QObject {
    Q_OBJECT
public:
    // The most cells a sheet holds (16 bytes each): pictures and files beyond it are refused.
    static constexpr qint64 kMaxCells = 50'000'000;
    static constexpr int kDefaultColumns = 25;
    static constexpr int kDefaultRows = 22;

    explicit GridSheet(QObject *parent = nullptr);
    GridSheet(int columns, int rows, QObject *parent = nullptr);

    int ColumnCount() const { return columns_; }
    int RowCount() const { return rows_; }
    qint64 CellCount() const { return qint64(columns_) * rows_; }
    // Counts below 0 act as 0. Cells inside both sizes keep text and colours; new cells
    // are white with black text. Returns false, changing nothing, beyond kMaxCells.
    bool SetColumnCount(int columns);
    bool SetRowCount(int rows);
    bool SetSize(int columns, int rows);
    static bool SizeFits(qint64 columns, qint64 rows);

    bool Contains(int column, int row) const
    {
        return column >= 1 && row >= 1 && column <= columns_ && row <= rows_;
    }

    // The current cell that BackColor, ForeColor and Text act on.
    int CurrentColumn() const { return currentColumn_; }
    int CurrentRow() const { return currentRow_; }
    void SetCurrentColumn(int column) { currentColumn_ = column; }
    void SetCurrentRow(int row) { currentRow_ = row; }
    Color BackColor() const { return BackColorAt(currentColumn_, currentRow_); }
    Color ForeColor() const { return ForeColorAt(currentColumn_, currentRow_); }
    bool SetBackColor(Color color);
    bool SetForeColor(Color color);
    bool SetText(const QString &text) { return SetCellText(currentColumn_, currentRow_, text); }

    // The user's cell cursor; always inside the sheet when the sheet has cells.
    int ActiveColumn() const { return activeColumn_; }
    int ActiveRow() const { return activeRow_; }
    void ActivateCurrentCell() { SetActiveCell(currentColumn_, currentRow_); }
    void SetActiveCell(int column, int row);

    // Addresses outside the sheet read as a never-painted empty cell and ignore writes.
    QString GetCellText(int column, int row) const { return CellTextView(column, row).toString(); }
    inline QStringView CellTextView(int column, int row) const;
    bool SetCellText(int column, int row, const QString &text);
    inline Color BackColorAt(int column, int row) const;
    inline Color ForeColorAt(int column, int row) const;
    bool SetCellColors(int column, int row, Color back, Color fore);
    // Paints count cells of one row from firstColumn on, announced as one change; false,
    // changing nothing, when they do not all lie inside the sheet.
    bool SetRowColors(int row, int firstColumn, const Color *back, const Color *fore, int count);

    void ClearAllText();

    // Takes size, texts and colours of another sheet whole (loading a file).
    void TakeContentFrom(GridSheet &other);

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

signals:
    void sizeAboutToChange();
    void sizeChanged();
    void cellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow);
    void activeCellChanged(int column, int row);

private:
    struct Cell {
        Color back = kWhite;
        Color fore = kBlack;
        char16_t text[2] = {0, 0};
        quint8 textLength = 0; // 0..2 held inline, kLongText: in longTexts_
    };
    static_assert(sizeof(Cell) == 16);
    static constexpr quint8 kLongText = 3;

    QStringView LongTextView(qint64 index) const;
    qint64 IndexOf(int column, int row) const { return qint64(row - 1) * columns_ + (column - 1); }
    void MarkChanged(int firstColumn, int firstRow, int lastColumn, int lastRow);
    void ClampActiveCell();

    int columns_ = 0;
    int rows_ = 0;
    std::vector<Cell> cells_;
    QHash<qint64, QString> longTexts_; // texts over two UTF-16 units, by cell index
    int currentColumn_ = 1;
    int currentRow_ = 1;
    int activeColumn_ = 1;
    int activeRow_ = 1;

    int batchDepth_ = 0;
    bool pending_ = false;
    int pendingFirstColumn_ = 0, pendingFirstRow_ = 0, pendingLastColumn_ = 0, pendingLastRow_ = 0;
};

enum class SheetResize { Done, TooLarge, OutOfMemory };

// The grid size dialog's change, in one step so that no half-applied size can pass the
// cell limit on the way; beyond kMaxCells or memory nothing changes.
SheetResize ResizeSheet(GridSheet &sheet, GridSize size);

// The reads are inline: the writers and the view call them once per cell.
inline QStringView GridSheet::CellTextView(int column, int row) const
{
    if (!Contains(column, row))
        return {};
    const qint64 index = IndexOf(column, row);
    const Cell &cell = cells_[size_t(index)];
    if (cell.textLength == kLongText)
        return LongTextView(index);
    return QStringView(cell.text, cell.textLength);
}

inline Color GridSheet::BackColorAt(int column, int row) const
{
    return Contains(column, row) ? cells_[size_t(IndexOf(column, row))].back : kWhite;
}

inline Color GridSheet::ForeColorAt(int column, int row) const
{
    return Contains(column, row) ? cells_[size_t(IndexOf(column, row))].fore : kBlack;
}
