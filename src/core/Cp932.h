// Code page 932 (Windows-31J) encoding and decoding through lookup tables.
// The tables come from Qt's own converter, but every conversion here is checked:
// nothing is substituted silently, the caller decides what an unencodable character becomes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace Cp932 {

// Bytes of one UTF-16 unit: 1 or 2, or 0 when code page 932 has no such character.
// Surrogates are never encodable.
struct EncodedUnit {
    quint8 length;
    quint8 bytes[2];
};
EncodedUnit encodeUnit(char16_t unit);

enum class Unencodable {
    QuestionMark, // "?" for each character (a surrogate pair is one character)
    NumericReference, // "&#N;" with the code point in decimal
};

// Appends the encoded text to out; returns the number of characters that code page 932
// could not encode (they are written as the policy says).
qsizetype appendEncoded(QByteArray &out, QStringView text, Unencodable policy);
QByteArray encode(QStringView text, Unencodable policy);

// Decodes bytes; every byte or byte pair that is not valid code page 932 becomes U+FFFD.
// Returns how many replacements were made through invalidCount when given.
QString decode(QByteArrayView bytes, qsizetype *invalidCount = nullptr);

// True when the byte may start a two-byte character.
bool isLeadByte(quint8 byte);

// Bytes of the text in code page 932; a character code page 932 cannot encode counts
// as full-width (2), a surrogate pair as one such character.
int byteLength(QStringView text);

} // namespace Cp932
