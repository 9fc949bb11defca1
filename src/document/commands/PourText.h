// Import Text: every cell's text cleared and the file poured into the cells.
#pragma once

#include "document/commands/SheetCommand.h"
#include "text/TextPouring.h"

class PourText : public SheetCommand {
public:
    PourText(GridSheet &sheet, TextPouringInputs inputs, TextPouringResult *result = nullptr,
        TextFileOpener open = openTextFile);

protected:
    SheetRegion savedBeforeChange() const override { return SheetRegion::ofWholeSheet(sheet_); }
    bool change() override;

private:
    TextPouringInputs inputs_;
    TextFileOpener open_;
    TextPouringResult *result_;
};
