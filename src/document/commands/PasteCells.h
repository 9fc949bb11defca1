// Paste: cells with both colours, or a text laid into cells that keep theirs, from the
// active cell on and clipped at the sheet's right and bottom edges. The active cell stays.
#pragma once

#include "core/GridSheet.h"
#include "document/commands/SheetCommand.h"

#include <QRect>
#include <QString>

// What a paste lays down.
struct PasteContent {
    enum class Kind { Nothing, Cells, Text };
    Kind kind = Kind::Nothing;
    // Kind::Cells: texts and colours, the top-left cell landing on the active cell.
    GridSheet cells {0, 0};
    // Kind::Text: one line per row (LF, CR LF or CR end a line), laid as text pouring lays
    // it; a blank cell text ("　" or two spaces) clears its cell's text.
    QString text;
};

// How much did not fit: columns beyond the right edge (of the widest line, for a text) and
// rows beyond the bottom.
struct PasteResult {
    int clippedColumns = 0;
    int clippedRows = 0;
};

class PasteCells : public SheetCommand {
public:
    // The content is held until the step is applied, then let go: undo and redo need only
    // the saved region.
    PasteCells(GridSheet &sheet, PasteContent content, PasteResult *result = nullptr);

protected:
    SheetRegion savedBeforeChange() const override { return SheetRegion::of(sheet_, area_); }
    bool change() override;

private:
    bool pasteCells();
    bool pasteText();

    PasteContent content_;
    QRect area_; // where the content lands, clipped to the sheet
    PasteResult clipped_;
    PasteResult *result_;
};
