// Typing in a cell, an arrow of the typing aid, and later Delete and paste: new texts for
// a few cells, one step however many cells it writes.
#pragma once

#include "document/commands/SheetCommand.h"

#include <QList>
#include <QPoint>

struct CellTextEdit {
    int column = 1;
    int row = 1;
    QString text;
};

class EditCells : public SheetCommand {
public:
    // The active cell moves to `activeAfter` when it lies inside the sheet.
    EditCells(GridSheet &sheet, const QString &text, QList<CellTextEdit> edits, QPoint activeAfter = {});

protected:
    SheetRegion savedBeforeChange() const override;
    bool change() override;

private:
    QList<CellTextEdit> edits_;
    QPoint activeAfter_;
};
