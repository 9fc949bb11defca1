#include "document/commands/PourText.h"

#include <QObject>

PourText::PourText(GridSheet &sheet, TextPouringInputs inputs, TextFileOpener open)
    : SheetCommand(sheet, QObject::tr("Import Text"))
    , inputs_(std::move(inputs))
    , open_(std::move(open))
{
}

bool PourText::change()
{
    result_ = pourText(sheet_, inputs_, open_);
    // A read that failed part way has cleared and partly filled the sheet: that is a
    // change the user may want to undo.
    return result_.outcome == TextPouringOutcome::Done || result_.outcome == TextPouringOutcome::ReadFailed;
}
