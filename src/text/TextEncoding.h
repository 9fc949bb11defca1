// The encodings a poem is read in, and UTF-8 decoding and checking that work on a file
// given in pieces and count what they cannot take.
#pragma once

#include <QByteArrayView>
#include <QString>

enum class TextEncoding {
    ShiftJis, // code page 932
    Utf8,
};

namespace Utf8 {

inline constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF", 3);

// Decodes bytes; each ill-formed sequence (its longest start that could have begun a
// character) becomes one U+FFFD, and is counted through invalidCount when given.
QString decode(QByteArrayView bytes, qsizetype *invalidCount = nullptr);

// How many bytes at the end begin a character that later bytes may still complete (0 to 3).
qsizetype incompleteTail(QByteArrayView bytes);

} // namespace Utf8

// Learns from a file's bytes, given in any number of pieces, whether it starts with the UTF-8
// byte order mark, whether it is well-formed UTF-8 and whether it holds more than ASCII.
class Utf8Check {
public:
    void take(QByteArrayView bytes);
    // The bytes end: a character left unfinished makes the file ill-formed.
    void finish();

    bool byteOrderMark() const { return head_.startsWith(Utf8::kByteOrderMark); }
    bool valid() const { return firstInvalidLine_ == 0; }
    bool nonAscii() const { return nonAscii_; }
    // The line, counted from 1, that holds the first ill-formed sequence; 0 when there is none.
    qint64 firstInvalidLine() const { return firstInvalidLine_; }

private:
    void check(const uchar *bytes, qsizetype size);
    void countLineEnds(const uchar *bytes, qsizetype size);

    QByteArray head_; // the first three bytes, for the byte order mark
    uchar tail_[3] = {}; // an unfinished character carried to the next piece
    qsizetype tailSize_ = 0;
    qint64 line_ = 1;
    bool afterCarriageReturn_ = false;
    bool nonAscii_ = false;
    qint64 firstInvalidLine_ = 0;
};
