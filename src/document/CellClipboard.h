// Copy and paste of cells. A copy puts three forms on the clipboard at once: the cells with
// both colours in the program's own format (docs/clipboard-format.md), the text Export Plain
// Text writes for them, and the page Make Html writes; a paste reads the own form back, or
// else the text.
#pragma once

#include "document/commands/PasteCells.h"
#include "gridfile/GridFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMimeData>
#include <QRect>

#include <memory>

class Document;
class GridSheet;

namespace CellClipboard {
inline constexpr char kMimeType[] = "application/x-glyphscape-cells";
inline constexpr char kMagic[8] = {'G', 'L', 'Y', 'P', 'H', 'C', 'L', 'P'};
inline constexpr quint32 kVersion = 1;
} // namespace CellClipboard

// Reads the own format, checked whole before anything is allocated for the cells: on
// failure `into` is exactly as it was and failure says why (GridFileError::NotGridFile:
// the magic is not the clipboard's).
bool decodeCells(QByteArrayView bytes, GridSheet &into, GridFileFailure *failure = nullptr);

// The three forms of a copy of `area` (columns and rows counted from 1, clipped to the
// sheet), the page made with the document's Near Color, Back Ground and as-is. Null when
// the area holds no cell of the sheet or memory runs out.
std::unique_ptr<QMimeData> mimeDataForCells(const Document &document, QRect area);

// What a paste of the clipboard's data lays down: the own form when it is there, else the
// plain text. Kind::Nothing when there is nothing to paste, or when the own form is
// damaged: failure then says why.
PasteContent pasteContentOf(const QMimeData &data, GridFileFailure *failure = nullptr);
