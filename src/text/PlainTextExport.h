// The grid's characters as a fixed-width code page 932 text: one line per row, every cell
// the width of one full-width character.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

class GridSheet;

enum class PlainTextError {
    None,
    WriteFailed, // see systemReason
    OutOfMemory,
};

struct PlainTextFailure {
    PlainTextError error = PlainTextError::None;
    QString systemReason;
};

// Writes every row, each line ended by CR LF. A blank cell ("", " ", "  ") becomes the
// full-width space, a single half-width character is padded with a space, and a character
// code page 932 cannot encode becomes "?" (padded like a half-width one when it stands alone,
// so the line keeps its width).
bool writePlainText(QIODevice &device, const GridSheet &sheet, PlainTextFailure *failure = nullptr);
QByteArray plainText(const GridSheet &sheet);
