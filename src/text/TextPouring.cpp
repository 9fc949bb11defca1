// The file is read in chunks and split into lines on the bytes CR and LF, which never occur
// inside a two-byte code page 932 character nor inside a UTF-8 one; each piece of a line is
// decoded and fed to a small state machine that forms the cell texts and walks the cells.
#include "text/TextPouring.h"

#include "core/Color.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "core/NumberField.h"
#include "text/TextEncoding.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 kReadChunk = 1 << 20;
bool isTrailByte(quint8 byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// True when the bytes end in a lead byte whose trail byte has not been read yet.
bool endsInLeadByte(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        if (!Cp932::isLeadByte(quint8(bytes[i]))) {
            ++i;
            continue;
        }
        if (i + 1 == size)
            return true;
        i += isTrailByte(quint8(bytes[i + 1])) ? 2 : 1;
    }
    return false;
}

// Splits the byte stream into lines: CR LF, CR alone and LF alone each end a line; the last
// line needs no terminator, and a terminator at the very end adds no empty line.
class LineReader {
public:
    LineReader(CellTextPourer &pourer, TextEncoding encoding, qint64 &invalidBytes)
        : pourer_(pourer)
        , encoding_(encoding)
        , invalidBytes_(invalidBytes)
    {
    }

    void take(QByteArrayView bytes)
    {
        const char *data = bytes.data();
        const qsizetype size = bytes.size();
        qsizetype i = 0;
        while (i < size && !pourer_.finished()) {
            qsizetype end = i;
            while (end < size && data[end] != '\r' && data[end] != '\n')
                ++end;
            if (end > i) {
                lineOpen_ = true;
                afterCarriageReturn_ = false;
                feedBytes(QByteArrayView(data + i, end - i), end == size);
            }
            if (end == size)
                return;
            if (data[end] == '\n' && afterCarriageReturn_) {
                afterCarriageReturn_ = false;
            } else {
                endLine();
                afterCarriageReturn_ = data[end] == '\r';
            }
            i = end + 1;
        }
    }

    void finish()
    {
        if (lineOpen_ && !pourer_.finished())
            endLine();
    }

private:
    void feedBytes(QByteArrayView bytes, bool mayContinue)
    {
        if (pourer_.ignoringLine()) {
            carried_.clear();
            return;
        }
        QByteArray joined;
        if (!carried_.isEmpty()) {
            joined = carried_;
            joined += bytes;
            bytes = joined;
            carried_.clear();
        }
        if (mayContinue) {
            const qsizetype tail = incompleteTail(bytes);
            carried_ = bytes.last(tail).toByteArray();
            bytes.chop(tail);
        }
        decode(bytes);
    }

    qsizetype incompleteTail(QByteArrayView bytes) const
    {
        if (encoding_ == TextEncoding::Utf8)
            return Utf8::incompleteTail(bytes);
        return endsInLeadByte(bytes) ? 1 : 0;
    }

    void decode(QByteArrayView bytes)
    {
        qsizetype invalid = 0;
        const QString text
            = encoding_ == TextEncoding::Utf8 ? Utf8::decode(bytes, &invalid) : Cp932::decode(bytes, &invalid);
        invalidBytes_ += invalid;
        pourer_.feed(text);
    }

    void endLine()
    {
        if (!carried_.isEmpty()) {
            if (!pourer_.ignoringLine())
                decode(carried_); // a character cut short by the line end
            carried_.clear();
        }
        pourer_.endLine();
        lineOpen_ = false;
    }

    CellTextPourer &pourer_;
    const TextEncoding encoding_;
    qint64 &invalidBytes_;
    QByteArray carried_; // the start of a character whose other bytes are in the next chunk
    bool lineOpen_ = false;
    bool afterCarriageReturn_ = false;
};

} // namespace

CellTextPourer::CellTextPourer(GridSheet &sheet, const TextPouringInputs &inputs)
    : sheet_(sheet)
    , byLine_(inputs.mode == LineBreakMode::ByLine)
    , skipBackground_(inputs.skipBackground)
    , background_(hexToColor(inputs.backgroundText))
    , nearDistance_(readNumberField(inputs.nearText).value)
    , columns_(sheet.columnCount())
    , rows_(sheet.rowCount())
    , finished_(columns_ == 0 || rows_ == 0)
    , laying_(LayingOptions {inputs.skipBlanks, true})
{
}

void CellTextPourer::feed(QStringView text)
{
    if (!ignoringLine())
        laying_.feed(text, [this](const CellText &cell) { return place(cell); });
}

void CellTextPourer::endLine()
{
    if (!ignoringLine())
        laying_.finish([this](const CellText &cell) { return place(cell); });
    laying_.clear();
    if (finished_ || !byLine_)
        return;
    lineDropped_ = false;
    column_ = 1;
    if (++row_ > rows_)
        finished_ = true;
}

bool CellTextPourer::place(const CellText &cell)
{
    if (skipBackground_) {
        while (isNearColor(sheet_.backColorAt(column_, row_), background_, nearDistance_)) {
            if (++column_ > columns_) {
                passRowEnd();
                if (ignoringLine())
                    return false;
            }
        }
    }
    if (!cell.isBlank()) {
        // At most two units: the sheet copies them inline, so the raw view is safe.
        sheet_.setCellText(
            column_, row_, QString::fromRawData(reinterpret_cast<const QChar *>(cell.units), cell.length));
    }
    if (++column_ > columns_)
        passRowEnd();
    return !ignoringLine();
}

void CellTextPourer::passRowEnd()
{
    if (byLine_) {
        lineDropped_ = true;
        return;
    }
    column_ = 1;
    if (++row_ > rows_)
        finished_ = true;
}

std::unique_ptr<QIODevice> openTextFile(const QString &path, FileKinds kinds, OpenFailure *failure)
{
    return openForReading(path, kinds, failure);
}

namespace {

// The path checks and the opening that examining and pouring share; null with the outcome set
// when the file is not to be read.
std::unique_ptr<QIODevice> openChecked(
    const TextPouringInputs &inputs, const TextFileOpener &open, TextPouringResult &result)
{
    if (inputs.path.isEmpty()) {
        result.outcome = TextPouringOutcome::EmptyPath;
        return nullptr;
    }
    // A FIFO or a device is no missing file: the opener takes it or says why not.
    const QFileInfo info(inputs.path);
    if (!info.exists() || info.isDir()) {
        result.outcome = TextPouringOutcome::NoFile;
        return nullptr;
    }
    std::unique_ptr<QIODevice> device = open(inputs.path, inputs.files, &result.open);
    if (!device)
        result.outcome = TextPouringOutcome::OpenFailed;
    return device;
}

// Reads into buffer[filled...]; false with the outcome set when the read fails.
bool readChunk(QIODevice &device, QByteArray &buffer, qint64 filled, qint64 *got, TextPouringResult &result)
{
    *got = device.read(buffer.data() + filled, buffer.size() - filled);
    if (*got >= 0)
        return true;
    result.outcome = TextPouringOutcome::ReadFailed;
    result.systemReason = device.errorString();
    return false;
}

} // namespace

TextPouringResult examineTextFile(const TextPouringInputs &inputs, TextFileTraits *traits, const TextFileOpener &open)
{
    TextPouringResult result;
    const std::unique_ptr<QIODevice> device = openChecked(inputs, open, result);
    if (!device)
        return result;
    Utf8Check check;
    QByteArray chunk(kReadChunk, Qt::Uninitialized);
    qint64 got = 0;
    while (check.valid()) {
        if (!readChunk(*device, chunk, 0, &got, result))
            return result;
        if (got == 0)
            break;
        check.take(QByteArrayView(chunk.constData(), got));
    }
    check.finish();
    if (traits)
        *traits = {check.byteOrderMark(), check.valid(), check.nonAscii(), check.firstInvalidLine()};
    return result;
}

TextPouringResult pourText(GridSheet &sheet, const TextPouringInputs &inputs, const TextFileOpener &open)
{
    TextPouringResult result;
    const std::unique_ptr<QIODevice> device = openChecked(inputs, open, result);
    if (!device)
        return result;

    // The first bytes, read before any cell changes, say whether a byte order mark chooses UTF-8.
    QByteArray chunk(kReadChunk, Qt::Uninitialized);
    const qsizetype markSize = Utf8::kByteOrderMark.size();
    qint64 filled = 0;
    qint64 got = 1;
    while (filled < markSize && got > 0) {
        if (!readChunk(*device, chunk, filled, &got, result))
            return result;
        filled += got;
    }
    const bool marked = QByteArrayView(chunk.constData(), filled).startsWith(Utf8::kByteOrderMark);
    result.encoding = marked && inputs.byteOrderMarkChooses ? TextEncoding::Utf8 : inputs.encoding;
    const qint64 skipped = marked && result.encoding == TextEncoding::Utf8 ? markSize : 0;

    GridSheet::ChangeBatch batch(sheet);
    sheet.clearAllText();
    CellTextPourer pourer(sheet, inputs);
    LineReader lines(pourer, result.encoding, result.invalidBytes);
    lines.take(QByteArrayView(chunk.constData() + skipped, filled - skipped));
    while (!pourer.finished() && got > 0) {
        if (!readChunk(*device, chunk, 0, &got, result))
            return result;
        lines.take(QByteArrayView(chunk.constData(), got));
    }
    lines.finish();
    return result;
}
