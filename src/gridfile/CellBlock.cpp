#include "gridfile/CellBlock.h"

#include "core/AtomicFile.h"
#include "core/GridSheet.h"
#include "gridfile/Crc32.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// Files are read and written in pieces of at most this size, so memory stays flat for
// any sheet.
constexpr qsizetype kChunkSize = qsizetype(1) << 20;
// The smallest read buffer; it must hold a whole cell header.
constexpr qsizetype kMinReadChunk = 256;
constexpr qsizetype kMinWriteChunk = 256;
// Two colours and a text length of at most five bytes.
constexpr qsizetype kMaxCellHeader = 8 + 5;
constexpr quint32 kMaxTextBytes = 0x7FFFFFFF;
// Two UTF-16 units (the usual cell) take at most six bytes of UTF-8.
constexpr qsizetype kShortTextUnits = 2;
constexpr qsizetype kShortTextBytes = 6;
static_assert(kMaxCellHeader <= GridFile::kMinCellSize + GridFile::kChecksumSize);
static_assert(GridFile::kHeaderSize <= kMinReadChunk && kMaxCellHeader <= kMinReadChunk);
static_assert(kMaxCellHeader + kShortTextBytes <= kMinWriteChunk);

bool failAt(GridFileFailure *failure, GridFileError error, int column, int row)
{
    if (failure) {
        failure->error = error;
        failure->column = column;
        failure->row = row;
    }
    return false;
}

bool writeOut(QIODevice &device, QByteArrayView data, GridFileFailure *failure)
{
    QString reason;
    return writeAll(device, data, &reason) || failWith(failure, GridFileError::WriteFailed, reason);
}

void putUInt32(char *out, quint32 value)
{
    qToLittleEndian(value, out);
}
quint32 getUInt32(const char *in)
{
    return qFromLittleEndian<quint32>(in);
}

// Unsigned LEB128; returns the bytes written (1 to 5).
int putLength(char *out, quint32 value)
{
    int size = 0;
    while (value >= 0x80) {
        out[size++] = char((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out[size++] = char(value);
    return size;
}

// Reads an unsigned LEB128 of at most five bytes from the available bytes; returns the
// bytes taken, or 0 when the length is malformed or beyond kMaxTextBytes.
int getLength(const char *in, qsizetype available, quint32 *value)
{
    quint64 result = 0;
    for (int i = 0; i < 5 && i < available; ++i) {
        const auto byte = quint8(in[i]);
        result |= quint64(byte & 0x7F) << (7 * i);
        if (!(byte & 0x80)) {
            if (result > kMaxTextBytes)
                return 0;
            *value = quint32(result);
            return i + 1;
        }
    }
    return 0;
}

// UTF-16 to UTF-8; an unpaired surrogate, which no character is, becomes U+FFFD.
// Writes at most 3 bytes per UTF-16 unit.
qsizetype encodeUtf8(QStringView text, char *out)
{
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        char32_t code = units[i];
        if (code < 0x80) {
            out[written++] = char(code);
            continue;
        }
        if (code < 0x800) {
            out[written++] = char(0xC0 | (code >> 6));
            out[written++] = char(0x80 | (code & 0x3F));
            continue;
        }
        if (QChar::isSurrogate(code)) {
            if (QChar::isHighSurrogate(code) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
                code = QChar::surrogateToUcs4(char16_t(code), units[++i]);
                out[written++] = char(0xF0 | (code >> 18));
                out[written++] = char(0x80 | ((code >> 12) & 0x3F));
                out[written++] = char(0x80 | ((code >> 6) & 0x3F));
                out[written++] = char(0x80 | (code & 0x3F));
                continue;
            }
            code = 0xFFFD;
        }
        out[written++] = char(0xE0 | (code >> 12));
        out[written++] = char(0x80 | ((code >> 6) & 0x3F));
        out[written++] = char(0x80 | (code & 0x3F));
    }
    return written;
}

// Strict UTF-8 to UTF-16: overlong forms, surrogates, code points beyond U+10FFFF and cut
// sequences are refused (-1). Writes at most one unit per input byte.
qsizetype decodeUtf8(const char *data, qsizetype size, char16_t *out)
{
    const auto *in = reinterpret_cast<const unsigned char *>(data);
    qsizetype i = 0;
    qsizetype written = 0;
    auto continuation = [&](qsizetype at) { return at < size && (in[at] & 0xC0) == 0x80; };
    while (i < size) {
        const unsigned lead = in[i];
        if (lead < 0x80) {
            out[written++] = char16_t(lead);
            ++i;
        } else if (lead < 0xC2) {
            return -1; // a stray continuation byte or an overlong two-byte form
        } else if (lead < 0xE0) {
            if (!continuation(i + 1))
                return -1;
            out[written++] = char16_t(((lead & 0x1F) << 6) | (in[i + 1] & 0x3F));
            i += 2;
        } else if (lead < 0xF0) {
            if (!continuation(i + 1) || !continuation(i + 2))
                return -1;
            const char32_t code = ((lead & 0x0F) << 12) | ((in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F);
            if (code < 0x800 || QChar::isSurrogate(code))
                return -1;
            out[written++] = char16_t(code);
            i += 3;
        } else if (lead < 0xF5) {
            if (!continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3))
                return -1;
            const char32_t code
                = ((lead & 0x07) << 18) | ((in[i + 1] & 0x3F) << 12) | ((in[i + 2] & 0x3F) << 6) | (in[i + 3] & 0x3F);
            if (code < 0x10000 || code > 0x10FFFF)
                return -1;
            out[written++] = QChar::highSurrogate(code);
            out[written++] = QChar::lowSurrogate(code);
            i += 4;
        } else {
            return -1;
        }
    }
    return written;
}

// Buffers the output and keeps the running checksum of everything written.
class ChunkWriter {
public:
    // sizeHint: about how much will be written, so that a small sheet takes a small buffer.
    ChunkWriter(QIODevice &device, qint64 sizeHint)
        : device_(device)
        , size_(std::clamp<qint64>(sizeHint, kMinWriteChunk, kChunkSize))
        , buffer_(new char[size_t(size_)])
    {
    }

    // Room for size (at most kMinWriteChunk) contiguous bytes; Commit says how many were used.
    char *room(qsizetype size, GridFileFailure *failure)
    {
        if (size_ - used_ < size && !flush(failure))
            return nullptr;
        return buffer_.get() + used_;
    }
    void commit(qsizetype size) { used_ += size; }

    bool append(const char *data, qsizetype size, GridFileFailure *failure)
    {
        while (size > 0) {
            if (used_ == size_ && !flush(failure))
                return false;
            const qsizetype part = std::min(size, size_ - used_);
            std::memcpy(buffer_.get() + used_, data, size_t(part));
            used_ += part;
            data += part;
            size -= part;
        }
        return true;
    }

    // Writes what is buffered and the checksum after it.
    bool finish(GridFileFailure *failure)
    {
        if (!flush(failure))
            return false;
        char checksum[GridFile::kChecksumSize];
        putUInt32(checksum, crc_.value());
        return writeOut(device_, QByteArrayView(checksum, sizeof checksum), failure);
    }

private:
    bool flush(GridFileFailure *failure)
    {
        crc_.update(buffer_.get(), used_);
        if (!writeOut(device_, QByteArrayView(buffer_.get(), used_), failure))
            return false;
        used_ = 0;
        return true;
    }

    QIODevice &device_;
    qsizetype size_ = 0;
    std::unique_ptr<char[]> buffer_;
    qsizetype used_ = 0;
    Crc32 crc_;
};

// Reads the input in chunks and keeps the running checksum of everything consumed.
class ChunkReader {
public:
    explicit ChunkReader(QIODevice &device)
        : device_(device)
        , deviceLeft_(std::max<qint64>(device.bytesAvailable(), 0))
        , size_(std::clamp<qint64>(deviceLeft_, kMinReadChunk, kChunkSize))
        , buffer_(new char[size_t(size_)])
    {
    }

    const char *data() const { return buffer_.get() + pos_; }
    qsizetype available() const { return end_ - pos_; }
    void skip(qsizetype size) { pos_ += size; }
    bool readFailed() const { return readFailed_; }

    // Makes at least size (at most kMinReadChunk) bytes available at data(); false when
    // the input ends first or cannot be read.
    bool ensure(qsizetype size)
    {
        while (available() < size) {
            if (!refill())
                return false;
        }
        return true;
    }

    bool read(char *out, qsizetype size)
    {
        while (size > 0) {
            if (available() == 0 && !refill())
                return false;
            const qsizetype part = std::min(size, available());
            std::memcpy(out, data(), size_t(part));
            pos_ += part;
            out += part;
            size -= part;
        }
        return true;
    }

    // Bytes still to come: those buffered and those the device has not yet given
    // (its size is taken once: asking the file system per cell is slow).
    qint64 remaining() const { return available() + std::max<qint64>(deviceLeft_ - fetched_, 0); }

    // The checksum of everything consumed so far.
    quint32 checksum()
    {
        foldConsumed();
        return crc_.value();
    }

private:
    void foldConsumed()
    {
        crc_.update(buffer_.get() + crcFrom_, pos_ - crcFrom_);
        crcFrom_ = pos_;
    }

    bool refill()
    {
        if (readFailed_)
            return false;
        foldConsumed();
        const qsizetype kept = available();
        std::memmove(buffer_.get(), buffer_.get() + pos_, size_t(kept));
        pos_ = crcFrom_ = 0;
        end_ = kept;
        const qint64 got = device_.read(buffer_.get() + end_, size_ - end_);
        if (got < 0) {
            readFailed_ = true;
            return false;
        }
        end_ += got;
        fetched_ += got;
        return got > 0;
    }

    QIODevice &device_;
    qint64 deviceLeft_ = 0;
    qint64 fetched_ = 0;
    qsizetype size_ = 0;
    std::unique_ptr<char[]> buffer_;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    qsizetype crcFrom_ = 0;
    bool readFailed_ = false;
    Crc32 crc_;
};

bool writeCells(ChunkWriter &writer, const GridSheet &sheet, GridFileFailure *failure)
{
    QByteArray longText;
    for (int row = 1; row <= sheet.rowCount(); ++row) {
        for (int column = 1; column <= sheet.columnCount(); ++column) {
            const QStringView text = sheet.cellTextView(column, row);
            const quint32 back = quint32(sheet.backColorAt(column, row));
            const quint32 fore = quint32(sheet.foreColorAt(column, row));
            if (text.size() <= kShortTextUnits) {
                char *out = writer.room(kMaxCellHeader + kShortTextBytes, failure);
                if (!out)
                    return false;
                char utf8[kShortTextBytes];
                const qsizetype length = encodeUtf8(text, utf8);
                putUInt32(out, back);
                putUInt32(out + 4, fore);
                const int lengthSize = putLength(out + 8, quint32(length));
                std::memcpy(out + 8 + lengthSize, utf8, size_t(length));
                writer.commit(8 + lengthSize + length);
                continue;
            }
            if (text.size() > qsizetype(kMaxTextBytes / 3))
                return failAt(failure, GridFileError::TextTooLong, column, row);
            longText.resize(text.size() * 3);
            const qsizetype length = encodeUtf8(text, longText.data());
            char *out = writer.room(kMaxCellHeader, failure);
            if (!out)
                return false;
            putUInt32(out, back);
            putUInt32(out + 4, fore);
            writer.commit(8 + putLength(out + 8, quint32(length)));
            if (!writer.append(longText.constData(), length, failure))
                return false;
        }
    }
    return true;
}

// Reports why the input ended early: a read error or a short file.
bool failEnded(const ChunkReader &reader, QIODevice &device, GridFileFailure *failure)
{
    if (reader.readFailed())
        return failWith(failure, GridFileError::ReadFailed, device.errorString());
    return failWith(failure, GridFileError::Truncated);
}

bool failForGrid(GridFileFailure *failure, GridFileError error, quint32 columns, quint32 rows)
{
    if (failure) {
        failure->columns = columns;
        failure->rows = rows;
    }
    return failWith(failure, error);
}

bool readRandomAccess(QIODevice &device, GridSheet &into, const CellBlockFormat &format, GridFileFailure *failure)
{
    ChunkReader reader(device);
    reader.ensure(GridFile::kHeaderSize);
    if (reader.readFailed())
        return failWith(failure, GridFileError::ReadFailed, device.errorString());
    if (reader.available() < CellBlockFormat::kMagicSize
        || std::memcmp(reader.data(), format.magic, size_t(CellBlockFormat::kMagicSize)) != 0)
        return failWith(failure, GridFileError::NotGridFile);
    if (reader.available() < GridFile::kHeaderSize)
        return failEnded(reader, device, failure);
    const quint32 version = getUInt32(reader.data() + 8);
    const quint32 columns = getUInt32(reader.data() + 12);
    const quint32 rows = getUInt32(reader.data() + 16);
    reader.skip(GridFile::kHeaderSize);
    if (version != format.version) {
        if (failure)
            failure->version = version;
        return failWith(failure, GridFileError::UnknownVersion);
    }
    if (!GridSheet::sizeFits(columns, rows))
        return failForGrid(failure, GridFileError::TooManyCells, columns, rows);
    // Every cell takes at least kMinCellSize bytes: a size the file cannot hold is refused
    // before anything is allocated for it.
    const qint64 cells = qint64(columns) * rows;
    if (reader.remaining() < cells * GridFile::kMinCellSize + GridFile::kChecksumSize)
        return failForGrid(failure, GridFileError::TooShort, columns, rows);

    GridSheet loaded(0, 0);
    if (!loaded.setSize(int(columns), int(rows)))
        return failForGrid(failure, GridFileError::NoMemoryForGrid, columns, rows);
    {
        GridSheet::ChangeBatch batch(loaded);
        QString text;
        QByteArray longText;
        for (int row = 1; row <= int(rows); ++row) {
            for (int column = 1; column <= int(columns); ++column) {
                // A cell of a valid file is followed at least by the checksum, so a whole
                // cell header is always there to look at.
                if (!reader.ensure(kMaxCellHeader))
                    return failEnded(reader, device, failure);
                const char *in = reader.data();
                const auto back = Color(getUInt32(in));
                const auto fore = Color(getUInt32(in + 4));
                quint32 length = 0;
                const int lengthSize = getLength(in + 8, reader.available() - 8, &length);
                if (lengthSize == 0)
                    return failAt(failure, GridFileError::BadTextLength, column, row);
                reader.skip(8 + lengthSize);
                loaded.setCellColors(column, row, back, fore);
                if (length == 0)
                    continue;
                if (qint64(length) + GridFile::kChecksumSize > reader.remaining())
                    return failEnded(reader, device, failure);
                const char *bytes = nullptr;
                if (qsizetype(length) <= reader.available()) {
                    bytes = reader.data();
                    reader.skip(length);
                } else {
                    longText.resize(length);
                    if (!reader.read(longText.data(), length))
                        return failEnded(reader, device, failure);
                    bytes = longText.constData();
                }
                text.resize(length);
                const qsizetype units = decodeUtf8(bytes, length, reinterpret_cast<char16_t *>(text.data()));
                if (units < 0)
                    return failAt(failure, GridFileError::BadText, column, row);
                text.truncate(units);
                loaded.setCellText(column, row, text);
            }
        }
    }

    const quint32 computed = reader.checksum();
    char stored[GridFile::kChecksumSize];
    if (!reader.read(stored, sizeof stored))
        return failEnded(reader, device, failure);
    if (getUInt32(stored) != computed)
        return failWith(failure, GridFileError::ChecksumMismatch);
    if (reader.ensure(1))
        return failWith(failure, GridFileError::DataAfterEnd);
    if (reader.readFailed())
        return failWith(failure, GridFileError::ReadFailed, device.errorString());
    into.takeContentFrom(loaded);
    return true;
}

} // namespace

bool writeCellBlock(QIODevice &device, const GridSheet &sheet, const CellBlockFormat &format, GridFileFailure *failure)
{
    if (!device.isWritable())
        return failWith(failure, GridFileError::NotWritable);
    try {
        ChunkWriter writer(device, GridFile::kHeaderSize + sheet.cellCount() * 12 + GridFile::kChecksumSize);
        char header[GridFile::kHeaderSize];
        std::memcpy(header, format.magic, size_t(CellBlockFormat::kMagicSize));
        putUInt32(header + 8, format.version);
        putUInt32(header + 12, quint32(sheet.columnCount()));
        putUInt32(header + 16, quint32(sheet.rowCount()));
        return writer.append(header, sizeof header, failure) && writeCells(writer, sheet, failure)
            && writer.finish(failure);
    } catch (const std::bad_alloc &) {
        return failWith(failure, GridFileError::NoMemoryToWrite);
    }
}

bool readCellBlock(QIODevice &device, GridSheet &into, const CellBlockFormat &format, GridFileFailure *failure)
{
    if (!device.isReadable())
        return failWith(failure, GridFileError::NotReadable);
    try {
        if (!device.isSequential())
            return readRandomAccess(device, into, format, failure);
        // A pipe does not tell its size: take it whole first (the memory grows only with
        // the bytes that actually arrive), then check it as any file.
        QByteArray whole;
        std::vector<char> chunk(static_cast<size_t>(kChunkSize));
        for (;;) {
            const qint64 got = device.read(chunk.data(), kChunkSize);
            if (got < 0)
                return failWith(failure, GridFileError::ReadFailed, device.errorString());
            if (got == 0 && !device.waitForReadyRead(-1))
                break;
            whole.append(chunk.data(), got);
            // Endless foreign input (a character device, say) is refused at once.
            if (whole.size() >= CellBlockFormat::kMagicSize
                && std::memcmp(whole.constData(), format.magic, size_t(CellBlockFormat::kMagicSize)) != 0)
                break;
        }
        QBuffer buffer(&whole);
        buffer.open(QIODevice::ReadOnly);
        return readRandomAccess(buffer, into, format, failure);
    } catch (const std::bad_alloc &) {
        return failWith(failure, GridFileError::NoMemoryToRead);
    }
}

bool failWith(GridFileFailure *failure, GridFileError error, const QString &systemReason)
{
    if (failure) {
        failure->error = error;
        failure->systemReason = systemReason;
    }
    return false;
}
