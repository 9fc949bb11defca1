// Well-formed UTF-8 as Unicode defines it: no overlong forms, no surrogates, nothing above
// U+10FFFF. An ill-formed sequence is replaced as a whole up to the byte that breaks it, so
// that decoding a file in pieces gives the same text and count as decoding it at once.
#include "text/TextEncoding.h"

#include <algorithm>

namespace {

enum class StepKind { Character, IllFormed, Unfinished };

struct Step {
    StepKind kind;
    qsizetype length; // bytes of the character, of the ill-formed part, or of the unfinished start
};

// The sequence that starts at bytes[0], of which `available` bytes are there.
Step step(const uchar *bytes, qsizetype available)
{
    const uchar lead = bytes[0];
    if (lead < 0x80)
        return {StepKind::Character, 1};
    int trailing = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        if (lead == 0xE0)
            low = 0xA0; // overlong below
        else if (lead == 0xED)
            high = 0x9F; // surrogates above
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        if (lead == 0xF0)
            low = 0x90; // overlong below
        else if (lead == 0xF4)
            high = 0x8F; // beyond U+10FFFF above
    } else {
        return {StepKind::IllFormed, 1};
    }
    for (int k = 1; k <= trailing; ++k) {
        if (k >= available)
            return {StepKind::Unfinished, k};
        const uchar byte = bytes[k];
        if (byte < low || byte > high)
            return {StepKind::IllFormed, k};
        low = 0x80;
        high = 0xBF;
    }
    return {StepKind::Character, trailing + 1};
}

char32_t codePoint(const uchar *bytes, qsizetype length)
{
    switch (length) {
    case 1: return bytes[0];
    case 2: return char32_t(bytes[0] & 0x1F) << 6 | (bytes[1] & 0x3F);
    case 3: return char32_t(bytes[0] & 0x0F) << 12 | char32_t(bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F);
    default:
        return char32_t(bytes[0] & 0x07) << 18 | char32_t(bytes[1] & 0x3F) << 12 | char32_t(bytes[2] & 0x3F) << 6
            | (bytes[3] & 0x3F);
    }
}

} // namespace

namespace Utf8 {

QString decode(QByteArrayView bytes, qsizetype *invalidCount)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    // Never more UTF-16 units than bytes: four bytes give two units, every other form one.
    QString out(size, Qt::Uninitialized);
    char16_t *write = reinterpret_cast<char16_t *>(out.data());
    qsizetype written = 0;
    qsizetype invalid = 0;
    qsizetype i = 0;
    while (i < size) {
        if (data[i] < 0x80) {
            write[written++] = data[i++];
            continue;
        }
        const Step next = step(data + i, size - i);
        if (next.kind != StepKind::Character) {
            write[written++] = 0xFFFD;
            ++invalid;
        } else if (const char32_t code = codePoint(data + i, next.length); code >= 0x10000) {
            write[written++] = QChar::highSurrogate(code);
            write[written++] = QChar::lowSurrogate(code);
        } else {
            write[written++] = char16_t(code);
        }
        i += next.length;
    }
    out.truncate(written);
    if (invalidCount)
        *invalidCount = invalid;
    return out;
}

qsizetype incompleteTail(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    // Only a lead byte can start an unfinished sequence, and no lead byte is a trailing one.
    for (qsizetype start = std::max<qsizetype>(0, size - 3); start < size; ++start) {
        if (step(data + start, size - start).kind == StepKind::Unfinished)
            return size - start;
    }
    return 0;
}

} // namespace Utf8

void Utf8Check::take(QByteArrayView bytes)
{
    if (head_.size() < 3)
        head_ += bytes.first(std::min<qsizetype>(bytes.size(), 3 - head_.size()));
    if (!valid())
        return;
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    qsizetype size = bytes.size();
    if (tailSize_ > 0) {
        // Finish the carried character with the first bytes of this piece.
        uchar joined[4];
        std::copy(tail_, tail_ + tailSize_, joined);
        const qsizetype added = std::min<qsizetype>(size, 4 - tailSize_);
        std::copy(data, data + added, joined + tailSize_);
        const Step next = step(joined, tailSize_ + added);
        if (next.kind == StepKind::Unfinished) {
            std::copy(data, data + added, tail_ + tailSize_);
            tailSize_ += added;
            return;
        }
        if (next.kind == StepKind::IllFormed) {
            firstInvalidLine_ = line_;
            return;
        }
        const qsizetype used = next.length - tailSize_;
        tailSize_ = 0;
        data += used;
        size -= used;
    }
    check(data, size);
}

void Utf8Check::finish()
{
    if (valid() && tailSize_ > 0)
        firstInvalidLine_ = line_;
    tailSize_ = 0;
}

void Utf8Check::check(const uchar *bytes, qsizetype size)
{
    qsizetype i = 0;
    while (i < size) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        nonAscii_ = true;
        const Step next = step(bytes + i, size - i);
        if (next.kind == StepKind::IllFormed) {
            countLineEnds(bytes, i);
            firstInvalidLine_ = line_;
            return;
        }
        if (next.kind == StepKind::Unfinished) {
            std::copy(bytes + i, bytes + size, tail_);
            tailSize_ = size - i;
            break;
        }
        i += next.length;
    }
    countLineEnds(bytes, size);
}

// CR LF, CR alone and LF alone each end a line, as pouring reads them.
void Utf8Check::countLineEnds(const uchar *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const uchar byte = bytes[i];
        if (byte == '\n' && !afterCarriageReturn_)
            ++line_;
        else if (byte == '\r')
            ++line_;
        afterCarriageReturn_ = byte == '\r';
    }
}
