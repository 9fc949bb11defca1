#include "gridfile/GridFile.h"

#include "core/AtomicFile.h"
#include "core/GridSheet.h"
#include "gridfile/Crc32.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
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

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString CellName(int column, int row)
{
    return QStringLiteral("cell (column %1, row %2)").arg(column).arg(row);
}

void PutUInt32(char *out, quint32 value) { qToLittleEndian(value, out); }
quint32 GetUInt32(const char *in) { return qFromLittleEndian<quint32>(in); }

// Unsigned LEB128; returns the bytes written (1 to 5).
int PutLength(char *out, quint32 value)
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
int GetLength(const char *in, qsizetype available, quint32 *value)
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
qsizetype EncodeUtf8(QStringView text, char *out)
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
qsizetype DecodeUtf8(const char *data, qsizetype size, char16_t *out)
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
            const char32_t code = ((lead & 0x07) << 18) | ((in[i + 1] & 0x3F) << 12) | ((in[i + 2] & 0x3F) << 6)
                | (in[i + 3] & 0x3F);
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
    char *Room(qsizetype size, QString *error)
    {
        if (size_ - used_ < size && !Flush(error))
            return nullptr;
        return buffer_.get() + used_;
    }
    void Commit(qsizetype size) { used_ += size; }

    bool Append(const char *data, qsizetype size, QString *error)
    {
        while (size > 0) {
            if (used_ == size_ && !Flush(error))
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
    bool Finish(QString *error)
    {
        if (!Flush(error))
            return false;
        char checksum[GridFile::kChecksumSize];
        PutUInt32(checksum, crc_.Value());
        return WriteAll(device_, QByteArrayView(checksum, sizeof checksum), error);
    }

private:
    bool Flush(QString *error)
    {
        crc_.Update(buffer_.get(), used_);
        if (!WriteAll(device_, QByteArrayView(buffer_.get(), used_), error))
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

    const char *Data() const { return buffer_.get() + pos_; }
    qsizetype Available() const { return end_ - pos_; }
    void Skip(qsizetype size) { pos_ += size; }
    bool ReadFailed() const { return readFailed_; }

    // Makes at least size (at most kMinReadChunk) bytes available at Data(); false when
    // the input ends first or cannot be read.
    bool Ensure(qsizetype size)
    {
        while (Available() < size) {
            if (!Refill())
                return false;
        }
        return true;
    }

    bool Read(char *out, qsizetype size)
    {
        while (size > 0) {
            if (Available() == 0 && !Refill())
                return false;
            const qsizetype part = std::min(size, Available());
            std::memcpy(out, Data(), size_t(part));
            pos_ += part;
            out += part;
            size -= part;
        }
        return true;
    }

    // Bytes still to come: those buffered and those the device has not yet given
    // (its size is taken once: asking the file system per cell is slow).
    qint64 Remaining() const { return Available() + std::max<qint64>(deviceLeft_ - fetched_, 0); }

    // The checksum of everything consumed so far.
    quint32 Checksum()
    {
        FoldConsumed();
        return crc_.Value();
    }

private:
    void FoldConsumed()
    {
        crc_.Update(buffer_.get() + crcFrom_, pos_ - crcFrom_);
        crcFrom_ = pos_;
    }

    bool Refill()
    {
        if (readFailed_)
            return false;
        FoldConsumed();
        const qsizetype kept = Available();
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

bool WriteCells(ChunkWriter &writer, const GridSheet &sheet, QString *error)
{
    QByteArray longText;
    for (int row = 1; row <= sheet.RowCount(); ++row) {
        for (int column = 1; column <= sheet.ColumnCount(); ++column) {
            const QStringView text = sheet.CellTextView(column, row);
            const quint32 back = quint32(sheet.BackColorAt(column, row));
            const quint32 fore = quint32(sheet.ForeColorAt(column, row));
            if (text.size() <= kShortTextUnits) {
                char *out = writer.Room(kMaxCellHeader + kShortTextBytes, error);
                if (!out)
                    return false;
                char utf8[kShortTextBytes];
                const qsizetype length = EncodeUtf8(text, utf8);
                PutUInt32(out, back);
                PutUInt32(out + 4, fore);
                const int lengthSize = PutLength(out + 8, quint32(length));
                std::memcpy(out + 8 + lengthSize, utf8, size_t(length));
                writer.Commit(8 + lengthSize + length);
                continue;
            }
            if (text.size() > qsizetype(kMaxTextBytes / 3)) {
                SetError(error, QStringLiteral("The text of %1 is too long to be saved.").arg(CellName(column, row)));
                return false;
            }
            longText.resize(text.size() * 3);
            const qsizetype length = EncodeUtf8(text, longText.data());
            char *out = writer.Room(kMaxCellHeader, error);
            if (!out)
                return false;
            PutUInt32(out, back);
            PutUInt32(out + 4, fore);
            writer.Commit(8 + PutLength(out + 8, quint32(length)));
            if (!writer.Append(longText.constData(), length, error))
                return false;
        }
    }
    return true;
}

QString TruncatedText() { return QStringLiteral("The file is truncated."); }

// Reports why the input ended early: a read error or a short file.
bool FailEnded(const ChunkReader &reader, QIODevice &device, QString *error)
{
    SetError(error, reader.ReadFailed() ? device.errorString() : TruncatedText());
    return false;
}

bool ReadRandomAccess(QIODevice &device, GridSheet &into, QString *error)
{
    ChunkReader reader(device);
    reader.Ensure(GridFile::kHeaderSize);
    if (reader.ReadFailed()) {
        SetError(error, device.errorString());
        return false;
    }
    if (reader.Available() < qsizetype(sizeof GridFile::kMagic)
        || std::memcmp(reader.Data(), GridFile::kMagic, sizeof GridFile::kMagic) != 0) {
        SetError(error, QStringLiteral("This is not a grid file."));
        return false;
    }
    if (reader.Available() < GridFile::kHeaderSize)
        return FailEnded(reader, device, error);
    const quint32 version = GetUInt32(reader.Data() + 8);
    const quint32 columns = GetUInt32(reader.Data() + 12);
    const quint32 rows = GetUInt32(reader.Data() + 16);
    reader.Skip(GridFile::kHeaderSize);
    if (version != GridFile::kVersion) {
        SetError(error, QStringLiteral("The grid file has format version %1; this program reads version %2.")
                            .arg(version)
                            .arg(GridFile::kVersion));
        return false;
    }
    if (!GridSheet::SizeFits(columns, rows)) {
        SetError(error, QStringLiteral("The grid of %1 columns and %2 rows is beyond the limit of %3 cells.")
                            .arg(columns)
                            .arg(rows)
                            .arg(GridSheet::kMaxCells));
        return false;
    }
    // Every cell takes at least kMinCellSize bytes: a size the file cannot hold is refused
    // before anything is allocated for it.
    const qint64 cells = qint64(columns) * rows;
    if (reader.Remaining() < cells * GridFile::kMinCellSize + GridFile::kChecksumSize) {
        SetError(error, QStringLiteral("The file is too short for a grid of %1 columns and %2 rows.")
                            .arg(columns)
                            .arg(rows));
        return false;
    }

    GridSheet loaded(0, 0);
    if (!loaded.SetSize(int(columns), int(rows))) {
        SetError(error, QStringLiteral("Not enough memory for a grid of %1 columns and %2 rows.")
                            .arg(columns)
                            .arg(rows));
        return false;
    }
    {
        GridSheet::ChangeBatch batch(loaded);
        QString text;
        QByteArray longText;
        for (int row = 1; row <= int(rows); ++row) {
            for (int column = 1; column <= int(columns); ++column) {
                // A cell of a valid file is followed at least by the checksum, so a whole
                // cell header is always there to look at.
                if (!reader.Ensure(kMaxCellHeader))
                    return FailEnded(reader, device, error);
                const char *in = reader.Data();
                const auto back = Color(GetUInt32(in));
                const auto fore = Color(GetUInt32(in + 4));
                quint32 length = 0;
                const int lengthSize = GetLength(in + 8, reader.Available() - 8, &length);
                if (lengthSize == 0) {
                    SetError(error, QStringLiteral("The file is damaged: the text length of %1 is invalid.")
                                        .arg(CellName(column, row)));
                    return false;
                }
                reader.Skip(8 + lengthSize);
                loaded.SetCellColors(column, row, back, fore);
                if (length == 0)
                    continue;
                if (qint64(length) + GridFile::kChecksumSize > reader.Remaining())
                    return FailEnded(reader, device, error);
                const char *bytes = nullptr;
                if (qsizetype(length) <= reader.Available()) {
                    bytes = reader.Data();
                    reader.Skip(length);
                } else {
                    longText.resize(length);
                    if (!reader.Read(longText.data(), length))
                        return FailEnded(reader, device, error);
                    bytes = longText.constData();
                }
                text.resize(length);
                const qsizetype units = DecodeUtf8(bytes, length, reinterpret_cast<char16_t *>(text.data()));
                if (units < 0) {
                    SetError(error, QStringLiteral("The file is damaged: the text of %1 is not valid UTF-8.")
                                        .arg(CellName(column, row)));
                    return false;
                }
                text.truncate(units);
                loaded.SetCellText(column, row, text);
            }
        }
    }

    const quint32 computed = reader.Checksum();
    char stored[GridFile::kChecksumSize];
    if (!reader.Read(stored, sizeof stored))
        return FailEnded(reader, device, error);
    if (GetUInt32(stored) != computed) {
        SetError(error, QStringLiteral("The file is damaged: its checksum does not match."));
        return false;
    }
    if (reader.Ensure(1)) {
        SetError(error, QStringLiteral("The file is damaged: there is more data after its end."));
        return false;
    }
    if (reader.ReadFailed()) {
        SetError(error, device.errorString());
        return false;
    }
    into.TakeContentFrom(loaded);
    return true;
}

} // namespace

bool WriteGridFile(QIODevice &device, const GridSheet &sheet, QString *error)
{
    if (!device.isWritable()) {
        SetError(error, QStringLiteral("The output is not open for writing."));
        return false;
    }
    try {
        ChunkWriter writer(device, GridFile::kHeaderSize + sheet.CellCount() * 12 + GridFile::kChecksumSize);
        char header[GridFile::kHeaderSize];
        std::memcpy(header, GridFile::kMagic, sizeof GridFile::kMagic);
        PutUInt32(header + 8, GridFile::kVersion);
        PutUInt32(header + 12, quint32(sheet.ColumnCount()));
        PutUInt32(header + 16, quint32(sheet.RowCount()));
        return writer.Append(header, sizeof header, error) && WriteCells(writer, sheet, error)
            && writer.Finish(error);
    } catch (const std::bad_alloc &) {
        SetError(error, QStringLiteral("Not enough memory to write the grid."));
        return false;
    }
}

bool ReadGridFile(QIODevice &device, GridSheet &into, QString *error)
{
    if (!device.isReadable()) {
        SetError(error, QStringLiteral("The input is not open for reading."));
        return false;
    }
    try {
        if (!device.isSequential())
            return ReadRandomAccess(device, into, error);
        // A pipe does not tell its size: take it whole first (the memory grows only with
        // the bytes that actually arrive), then check it as any file.
        QByteArray whole;
        std::vector<char> chunk(static_cast<size_t>(kChunkSize));
        for (;;) {
            const qint64 got = device.read(chunk.data(), kChunkSize);
            if (got < 0) {
                SetError(error, device.errorString());
                return false;
            }
            if (got == 0 && !device.waitForReadyRead(-1))
                break;
            whole.append(chunk.data(), got);
            // Endless foreign input (a character device, say) is refused at once.
            if (whole.size() >= qsizetype(sizeof GridFile::kMagic)
                && std::memcmp(whole.constData(), GridFile::kMagic, sizeof GridFile::kMagic) != 0)
                break;
        }
        QBuffer buffer(&whole);
        buffer.open(QIODevice::ReadOnly);
        return ReadRandomAccess(buffer, into, error);
    } catch (const std::bad_alloc &) {
        SetError(error, QStringLiteral("Not enough memory to read the grid file."));
        return false;
    }
}

bool SaveSheet(const GridSheet &sheet, const QString &path, QString *error)
{
    return WriteFileAtomically(
        path, [&sheet](QIODevice &device, QString *writeError) { return WriteGridFile(device, sheet, writeError); },
        error);
}

bool LoadSheet(GridSheet &sheet, const QString &path, QString *error, FileKinds kinds)
{
    if (QFileInfo(path).isDir()) {
        SetError(error, QStringLiteral("This is a folder, not a file."));
        return false;
    }
    const std::unique_ptr<QFile> file = OpenForReading(path, kinds, error);
    return file && ReadGridFile(*file, sheet, error);
}
