#include "document/commands/ReplaceSheet.h"

#include <QObject>

ReplaceSheet::ReplaceSheet(GridSheet &sheet, QString path, FileKinds kinds)
    : SheetCommand(sheet, QObject::tr("Load Grid Image"))
    , path_(std::move(path))
    , kinds_(kinds)
{
}

bool ReplaceSheet::change()
{
    return loadSheet(sheet_, path_, &failure_, kinds_);
}
