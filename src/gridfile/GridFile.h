// The grid file: a whole sheet (its size and every cell's text and two colours) in a
// checksummed binary form; docs/grid-file-format.md describes the bytes.
#pragma once

#include "core/RegularFile.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

class GridSheet;

namespace GridFile {
inline constexpr char kMagic[8] = {'G', 'L', 'Y', 'P', 'H', 'G', 'R', 'D'};
inline constexpr quint32 kVersion = 1;
// Magic, version, columns and rows.
inline constexpr qsizetype kHeaderSize = 20;
// The least a cell takes: two colours and a one-byte text length.
inline constexpr qsizetype kMinCellSize = 9;
inline constexpr qsizetype kChecksumSize = 4;
} // namespace GridFile

enum class GridFileError {
    None,
    NotReadable, // the device is not open for reading
    NotWritable, // the device is not open for writing
    Folder, // the path names a folder
    OpenFailed, // see open
    ReadFailed, // see systemReason
    WriteFailed, // see systemReason
    NotGridFile, // the magic is missing
    Truncated, // the file ends early
    UnknownVersion, // see version
    TooManyCells, // columns x rows beyond the sheet's limit
    TooShort, // the file cannot hold columns x rows cells
    NoMemoryForGrid, // columns x rows cells could not be allocated
    BadTextLength, // the length of cell (column, row) is malformed
    BadText, // the text of cell (column, row) is not valid UTF-8
    ChecksumMismatch,
    DataAfterEnd,
    NoMemoryToRead,
    TextTooLong, // the text of cell (column, row) is beyond the format's limit
    NoMemoryToWrite,
};

// Why reading or writing failed, with what the words need.
struct GridFileFailure {
    GridFileError error = GridFileError::None;
    quint32 version = 0; // the file's
    quint32 columns = 0; // the file's grid size
    quint32 rows = 0;
    int column = 0; // the cell at fault
    int row = 0;
    QString systemReason;
    OpenFailure open;
};

// Writes the whole sheet from the device's current position.
bool writeGridFile(QIODevice &device, const GridSheet &sheet, GridFileFailure *failure = nullptr);

// Reads a grid file from the device's current position to its end. The file is checked
// whole before `into` changes: on failure `into` is exactly as it was.
bool readGridFile(QIODevice &device, GridSheet &into, GridFileFailure *failure = nullptr);

// The file wrappers: saving replaces the file whole or leaves the old one untouched (a
// failure to put it in place is a WriteFailed). Loading takes the kinds of file the caller
// reads (the editor: regular files only).
bool saveSheet(const GridSheet &sheet, const QString &path, GridFileFailure *failure = nullptr);
bool loadSheet(GridSheet &sheet, const QString &path, GridFileFailure *failure = nullptr,
    FileKinds kinds = FileKinds::AnyReadable);
