#include "document/commands/SheetCommand.h"

#include "core/GridSheet.h"

#include <new>

SheetCommand::SheetCommand(GridSheet &sheet, const QString &text)
    : QUndoCommand(text)
    , sheet_(sheet)
{
}

void SheetCommand::takeStateOf(SheetCommand &other)
{
    saved_ = std::move(other.saved_);
    applied_ = true;
}

bool SheetCommand::apply()
{
    try {
        saved_ = savedBeforeChange();
    } catch (const std::bad_alloc &) {
        // The user's step matters more than its undo: make it, and let the history go.
        saved_ = {};
        cannotBeUndone_ = true;
    }
    if (!change()) {
        saved_ = {};
        return false;
    }
    applied_ = true;
    return true;
}

void SheetCommand::redo()
{
    // The stack redoes a step as it is pushed; the first time it has already been applied.
    if (applied_) {
        applied_ = false;
        return;
    }
    swap();
}

void SheetCommand::undo()
{
    applied_ = false;
    swap();
}

void SheetCommand::swap()
{
    try {
        saved_ = saved_.swapInto(sheet_);
    } catch (const std::bad_alloc &) {
        // Too little memory to hold both states at once: the sheet stays as it is.
    }
}
