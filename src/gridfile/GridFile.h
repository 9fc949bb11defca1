// The grid file: a whole sheet (its size and every cell's text and two colours) in a
// checksummed binary form; docs/grid-file-format.md describes the bytes.
#pragma once

#include "core/RegularFile.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

class GridSheet;

namespace GridFile {
inline constexpr char kMagic[8] = { 'G', 'L', 'Y', 'P', 'H', 'G', 'R', 'D' };
inline constexpr quint32 kVersion = 1;
// Magic, version, columns and rows.
inline constexpr qsizetype kHeaderSize = 20;
// The least a cell takes: two colours and a one-byte text length.
inline constexpr qsizetype kMinCellSize = 9;
inline constexpr qsizetype kChecksumSize = 4;
} // namespace GridFile

// Writes the whole sheet from the device's current position.
bool writeGridFile(QIODevice& device, const GridSheet& sheet, QString* error = nullptr);

// Reads a grid file from the device's current position to its end. The file is checked
// whole before `into` changes: on failure `into` is exactly as it was.
bool readGridFile(QIODevice& device, GridSheet& into, QString* error = nullptr);

// The file wrappers: saving replaces the file whole or leaves the old one untouched.
// Loading takes the kinds of file the caller reads (the editor: regular files only).
bool saveSheet(const GridSheet& sheet, const QString& path, QString* error = nullptr);
bool loadSheet(
    GridSheet& sheet, const QString& path, QString* error = nullptr, FileKinds kinds = FileKinds::AnyReadable);
