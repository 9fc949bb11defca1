#include "document/commands/ReplaceSheet.h"

ReplaceSheet::ReplaceSheet(GridSheet &sheet, QString path, FileKinds kinds, GridFileFailure *failure)
    : SheetCommand(sheet, QStringLiteral("Load Grid Image"))
    , path_(std::move(path))
    , kinds_(kinds)
    , failure_(failure)
{
}

bool ReplaceSheet::change()
{
    return loadSheet(sheet_, path_, failure_, kinds_);
}
