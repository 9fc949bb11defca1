// Pours a code page 932 or UTF-8 text file into the cells of a sheet, character by character,
// either starting a new row at each line break or flowing through the rows.
#pragma once

#include "core/RegularFile.h"
#include "text/TextEncoding.h"
#include "text/TextLaying.h"

#include <QIODevice>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>

class GridSheet;

enum class LineBreakMode {
    ByLine, // each line starts a new row; what does not fit its row is dropped
    Flow, // line breaks are ignored; the text wraps from row to row
};

struct TextPouringInputs {
    QString path;
    LineBreakMode mode = LineBreakMode::ByLine;
    bool skipBlanks = false; // remove " ", "　" and tabs from every line first
    bool skipBackground = false; // leave cells near the background colour empty
    QString backgroundText = QStringLiteral("#FFFFFF"); // the background field, as typed
    QString nearText = QStringLiteral("8"); // the near-colour field, as typed
    FileKinds files = FileKinds::AnyReadable; // the editor reads regular files only
    TextEncoding encoding = TextEncoding::ShiftJis;
    // A file that starts with the UTF-8 byte order mark is UTF-8 whatever the encoding says.
    bool byteOrderMarkChooses = true;
};

enum class TextPouringOutcome {
    Done, // the file was read as far as the sheet takes it
    EmptyPath, // nothing touched; the caller asks for a file
    NoFile, // nothing at the path, or a folder; nothing touched
    OpenFailed, // the file could not be opened or is of a refused kind (see open); nothing touched
    ReadFailed, // the file could not be read (see systemReason); texts cleared, partly poured
};

struct TextPouringResult {
    TextPouringOutcome outcome = TextPouringOutcome::Done;
    OpenFailure open;
    QString systemReason;
    qint64 invalidBytes = 0; // byte sequences not valid in the encoding read, poured as U+FFFD
    TextEncoding encoding = TextEncoding::ShiftJis; // as read; a leading UTF-8 byte order mark is not poured
    bool done() const { return outcome == TextPouringOutcome::Done; }
};

// Forms cell texts from the characters of one line at a time and places them from column 1
// of row 1 on. It does not clear the sheet. A run ends when the sheet is passed; a surrogate
// pair is one full-width character.
class CellTextPourer {
public:
    CellTextPourer(GridSheet &sheet, const TextPouringInputs &inputs);

    // A piece of the current line; a line may be fed in any number of pieces.
    void feed(QStringView text);
    void endLine();

    bool finished() const { return finished_; }
    // True while nothing more of the current line can be placed.
    bool ignoringLine() const { return finished_ || lineDropped_; }

private:
    // Writes the cell text at the current cell; false once nothing more of the line fits.
    bool place(const CellText &cell);
    void passRowEnd();

    GridSheet &sheet_;
    const bool byLine_;
    const bool skipBackground_;
    const qint32 background_;
    const qint32 nearDistance_;
    const int columns_;
    const int rows_;
    int column_ = 1;
    int row_ = 1;
    bool finished_;
    bool lineDropped_ = false;
    TextLaying laying_;
};

// Opens the file for reading if it is of the kinds taken, or returns null with the reason.
using TextFileOpener
    = std::function<std::unique_ptr<QIODevice>(const QString &path, FileKinds kinds, OpenFailure *failure)>;
std::unique_ptr<QIODevice> openTextFile(const QString &path, FileKinds kinds, OpenFailure *failure);

// What a file's bytes say of its encoding.
struct TextFileTraits {
    bool byteOrderMark = false; // it starts with the UTF-8 byte order mark
    bool validUtf8 = true; // it is well-formed UTF-8
    bool nonAscii = false; // it holds a byte beyond ASCII (the byte order mark counts)
    qint64 firstInvalidUtf8Line = 0; // the line, from 1, of its first ill-formed UTF-8 sequence
    bool looksLikeUtf8() const { return validUtf8 && nonAscii; }
};

// Reads the file at inputs.path once, touching no sheet, as far as its traits can change: a
// file that is not UTF-8 is read up to the first ill-formed sequence. The outcomes are
// pourText's before any cell changes (Done, EmptyPath, NoFile, OpenFailed, ReadFailed).
TextPouringResult examineTextFile(
    const TextPouringInputs &inputs, TextFileTraits *traits, const TextFileOpener &open = openTextFile);

// One run: checks the path, opens the file, clears every cell's text and pours the file.
// The file is streamed in chunks, so its size is bounded by nothing but the disk.
// All changes to the sheet are announced as one.
TextPouringResult pourText(
    GridSheet &sheet, const TextPouringInputs &inputs, const TextFileOpener &open = openTextFile);
