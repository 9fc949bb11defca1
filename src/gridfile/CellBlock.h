// A sheet's cells behind a magic, a format version and the size, ended by a CRC-32: the
// layout the grid file and the clipboard's cells share (docs/grid-file-format.md).
#pragma once

#include "gridfile/GridFile.h"

#include <QIODevice>

class GridSheet;

struct CellBlockFormat {
    static constexpr qsizetype kMagicSize = 8;
    const char *magic; // kMagicSize bytes
    quint32 version;
};

// Writes the whole sheet from the device's current position.
bool writeCellBlock(
    QIODevice &device, const GridSheet &sheet, const CellBlockFormat &format, GridFileFailure *failure = nullptr);

// Reads a block from the device's current position to its end, checked whole before `into`
// changes: on failure `into` is exactly as it was. NotGridFile: the magic differs.
bool readCellBlock(
    QIODevice &device, GridSheet &into, const CellBlockFormat &format, GridFileFailure *failure = nullptr);

// Records why, when the caller asked, and returns false: how the readers and writers fail.
bool failWith(GridFileFailure *failure, GridFileError error, const QString &systemReason = {});
