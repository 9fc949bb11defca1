#include "document/commands/PasteCells.h"

#include "text/TextLaying.h"

#include <algorithm>

namespace {

// As text pouring lays a line, tabs included; blanks are kept, to clear their cells.
constexpr LayingOptions kLaying {false, true};

// Calls line(QStringView) for each line, without its end, until it returns false. A text
// that ends with a line end has no empty line after it.
template <typename Line> void forEachLine(QStringView text, Line &&line)
{
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        if (!line(text.sliced(start, end - start)))
            return;
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
}

} // namespace

PasteCells::PasteCells(GridSheet &sheet, PasteContent content, PasteResult *result)
    : SheetCommand(sheet, QStringLiteral("Paste"))
    , content_(std::move(content))
    , result_(result)
{
    int width = 0;
    int height = 0;
    if (content_.kind == PasteContent::Kind::Cells) {
        width = content_.cells.columnCount();
        height = content_.cells.rowCount();
    } else if (content_.kind == PasteContent::Kind::Text) {
        forEachLine(content_.text, [&](QStringView line) {
            int cells = 0;
            auto count = [&cells](const CellText &) {
                ++cells;
                return true;
            };
            TextLaying laying(kLaying);
            laying.feed(line, count);
            laying.finish(count);
            width = std::max(width, cells);
            ++height;
            return true;
        });
    }
    const int column = sheet_.activeColumn();
    const int row = sheet_.activeRow();
    const int roomColumns = sheet_.cellCount() == 0 ? 0 : sheet_.columnCount() - column + 1;
    const int roomRows = sheet_.cellCount() == 0 ? 0 : sheet_.rowCount() - row + 1;
    clipped_ = {std::max(width - roomColumns, 0), std::max(height - roomRows, 0)};
    area_ = QRect(column, row, std::min(width, roomColumns), std::min(height, roomRows));
}

bool PasteCells::change()
{
    if (result_)
        *result_ = clipped_;
    bool changed = false;
    {
        GridSheet::ChangeBatch batch(sheet_);
        changed = content_.kind == PasteContent::Kind::Cells ? pasteCells() : pasteText();
    }
    // Undo and redo swap the saved region; the content is not needed again.
    content_ = PasteContent();
    return changed;
}

bool PasteCells::pasteCells()
{
    const GridSheet &cells = content_.cells;
    bool changed = false;
    for (int row = 1; row <= area_.height(); ++row) {
        const int sheetRow = area_.top() + row - 1;
        for (int column = 1; column <= area_.width(); ++column) {
            const int sheetColumn = area_.left() + column - 1;
            const Color back = cells.backColorAt(column, row);
            const Color fore = cells.foreColorAt(column, row);
            if (sheet_.backColorAt(sheetColumn, sheetRow) != back
                || sheet_.foreColorAt(sheetColumn, sheetRow) != fore) {
                sheet_.setCellColors(sheetColumn, sheetRow, back, fore);
                changed = true;
            }
            const QStringView text = cells.cellTextView(column, row);
            if (sheet_.cellTextView(sheetColumn, sheetRow) != text) {
                sheet_.setCellText(sheetColumn, sheetRow, text);
                changed = true;
            }
        }
    }
    return changed;
}

bool PasteCells::pasteText()
{
    bool changed = false;
    int row = area_.top();
    forEachLine(content_.text, [&](QStringView line) {
        if (row > area_.bottom())
            return false;
        int column = area_.left();
        auto place = [&](const CellText &cell) {
            if (column > area_.right())
                return false;
            const QStringView text = cell.isBlank() ? QStringView() : cell.view();
            if (sheet_.cellTextView(column, row) != text) {
                sheet_.setCellText(column, row, text);
                changed = true;
            }
            ++column;
            return true;
        };
        TextLaying laying(kLaying);
        if (laying.feed(line, place))
            laying.finish(place);
        ++row;
        return true;
    });
    return changed;
}
