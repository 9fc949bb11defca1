#include "document/commands/PourText.h"

PourText::PourText(GridSheet &sheet, TextPouringInputs inputs, TextPouringResult *result, TextFileOpener open)
    : SheetCommand(sheet, QStringLiteral("Import Text"))
    , inputs_(std::move(inputs))
    , open_(std::move(open))
    , result_(result)
{
}

bool PourText::change()
{
    const TextPouringResult result = pourText(sheet_, inputs_, open_);
    if (result_)
        *result_ = result;
    // A read that failed part way has cleared and partly filled the sheet: that is a
    // change the user may want to undo.
    return result.outcome == TextPouringOutcome::Done || result.outcome == TextPouringOutcome::ReadFailed;
}
