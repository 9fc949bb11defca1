#include "gridfile/GridFile.h"

#include "core/AtomicFile.h"
#include "gridfile/CellBlock.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

constexpr CellBlockFormat kGridFileFormat {GridFile::kMagic, GridFile::kVersion};

} // namespace

bool writeGridFile(QIODevice &device, const GridSheet &sheet, GridFileFailure *failure)
{
    return writeCellBlock(device, sheet, kGridFileFormat, failure);
}

bool readGridFile(QIODevice &device, GridSheet &into, GridFileFailure *failure)
{
    return readCellBlock(device, into, kGridFileFormat, failure);
}

bool saveSheet(const GridSheet &sheet, const QString &path, GridFileFailure *failure)
{
    GridFileFailure writing;
    QString reason;
    const bool saved = writeFileAtomically(
        path, [&](QIODevice &device, QString *) { return writeGridFile(device, sheet, &writing); }, &reason);
    if (saved)
        return true;
    if (writing.error == GridFileError::None)
        return failWith(failure, GridFileError::WriteFailed, reason);
    if (failure)
        *failure = writing;
    return false;
}

bool loadSheet(GridSheet &sheet, const QString &path, GridFileFailure *failure, FileKinds kinds)
{
    if (QFileInfo(path).isDir())
        return failWith(failure, GridFileError::Folder);
    OpenFailure opening;
    const std::unique_ptr<QFile> file = openForReading(path, kinds, &opening);
    if (!file) {
        if (failure)
            failure->open = opening;
        return failWith(failure, GridFileError::OpenFailed);
    }
    return readGridFile(*file, sheet, failure);
}
