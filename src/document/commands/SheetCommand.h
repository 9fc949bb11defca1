// The base of every change of the grid: it saves the part of the sheet it is about to
// change, makes the change once, and from then on undo and redo swap the saved part with
// the sheet's.
#pragma once

#include "document/SheetRegion.h"

#include <QUndoCommand>

class GridSheet;

class SheetCommand : public QUndoCommand {
public:
    // Makes the change the first time. False when the sheet is unchanged (a refused or
    // failed step), so that no empty step enters the history.
    bool apply();
    // True when memory was too short to save the old cells: the change was made all the
    // same, but it cannot be undone.
    bool cannotBeUndone() const { return cannotBeUndone_; }

    void undo() override;
    void redo() override;

    // The memory the step holds, for the history's limit.
    qint64 byteCount() const { return saved_.byteCount(); }
    GridSheet &sheet() const { return sheet_; }

protected:
    SheetCommand(GridSheet &sheet, const QString &text);

    // Takes over another applied step's saved state: the history moves its steps this way.
    void takeStateOf(SheetCommand &other);

    // What the change may touch: a rectangle, or the whole sheet when it may resize it.
    virtual SheetRegion savedBeforeChange() const = 0;
    // The change itself; false when it left the sheet untouched.
    virtual bool change() = 0;

    GridSheet &sheet_;

private:
    void swap();

    SheetRegion saved_;
    bool applied_ = false;
    bool cannotBeUndone_ = false;
};
