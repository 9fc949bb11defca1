// Tables are built once, on first use, from Qt's ICU-backed "windows-31j" converter:
// each valid byte sequence is decoded, each decoded character encoded back, and only
// exact round trips are kept.
#include "core/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstring>
#include <memory>

namespace Cp932 {
namespace {

    constexpr char16_t kNoCharacter = 0xFFFF; // not a character; marks an unmapped sequence

    bool isTrailByte(quint8 byte)
    {
        return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
    }
    bool isSingleByte(quint8 byte)
    {
        return byte <= 0x7F || (byte >= 0xA1 && byte <= 0xDF);
    }

    struct Tables {
        std::array<char16_t, 256> single {};
        // Indexed by (lead << 8 | trail).
        std::array<char16_t, 65536> pair {};
        // Indexed by UTF-16 unit: 0 = unencodable; else (length << 16) | bytes.
        std::array<quint32, 65536> encode {};

        Tables()
        {
            single.fill(kNoCharacter);
            pair.fill(kNoCharacter);
            QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
            QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
            if (!decoder.isValid() || !encoder.isValid())
                qFatal("Qt has no windows-31j converter: Qt must be built with ICU");

            auto decodeOne = [&decoder](const char *bytes, qsizetype size) -> char16_t {
                const QString text = decoder.decode(QByteArrayView(bytes, size));
                decoder.resetState();
                if (text.size() != 1)
                    return kNoCharacter;
                const char16_t unit = text.at(0).unicode();
                if (unit == 0xFFFD || unit == 0x1A || QChar::isSurrogate(unit))
                    return kNoCharacter;
                return unit;
            };

            for (int byte = 0; byte < 256; ++byte) {
                if (!isSingleByte(quint8(byte)))
                    continue;
                const char b = char(byte);
                // 0x1A decodes to itself; every other single byte is checked by the decoder.
                single[byte] = byte == 0x1A ? char16_t(0x1A) : decodeOne(&b, 1);
            }
            for (int lead = 0x81; lead <= 0xFC; ++lead) {
                if (!isLeadByte(quint8(lead)))
                    continue;
                for (int trail = 0x40; trail <= 0xFC; ++trail) {
                    if (!isTrailByte(quint8(trail)))
                        continue;
                    const char bytes[2] = {char(lead), char(trail)};
                    pair[(lead << 8) | trail] = decodeOne(bytes, 2);
                }
            }

            // Several byte pairs may decode to one character; the encoder picks the preferred one.
            auto learn = [&](char16_t unit) {
                if (unit == kNoCharacter || encode[unit] != 0)
                    return;
                const QByteArray bytes = encoder.encode(QStringView(&unit, 1));
                encoder.resetState();
                if (bytes.size() == 1 && single[quint8(bytes[0])] == unit)
                    encode[unit] = (1u << 16) | quint8(bytes[0]);
                else if (bytes.size() == 2 && pair[(quint8(bytes[0]) << 8) | quint8(bytes[1])] == unit)
                    encode[unit] = (2u << 16) | (quint32(quint8(bytes[0])) << 8) | quint8(bytes[1]);
            };
            for (char16_t unit : single)
                learn(unit);
            for (char16_t unit : pair)
                learn(unit);
        }
    };

    const Tables &theTables()
    {
        static const auto tables = std::make_unique<Tables>();
        return *tables;
    }

    void appendReference(QByteArray &out, char32_t codePoint)
    {
        out += "&#";
        out += QByteArray::number(quint32(codePoint));
        out += ';';
    }

} // namespace

bool isLeadByte(quint8 byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

EncodedUnit encodeUnit(char16_t unit)
{
    const quint32 entry = theTables().encode[unit];
    const quint8 length = quint8(entry >> 16);
    if (length == 1)
        return {1, {quint8(entry), 0}};
    if (length == 2)
        return {2, {quint8(entry >> 8), quint8(entry)}};
    return {0, {0, 0}};
}

qsizetype appendEncoded(QByteArray &out, QStringView text, Unencodable policy)
{
    const Tables &tables = theTables();
    qsizetype failures = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            out += char(unit);
            continue;
        }
        const quint32 entry = tables.encode[unit];
        const quint32 length = entry >> 16;
        if (length == 2) {
            out += char(quint8(entry >> 8));
            out += char(quint8(entry));
            continue;
        }
        if (length == 1) {
            out += char(quint8(entry));
            continue;
        }
        ++failures;
        char32_t codePoint = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode())) {
            codePoint = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            ++i;
        }
        if (policy == Unencodable::QuestionMark)
            out += '?';
        else
            appendReference(out, codePoint);
    }
    return failures;
}

int byteLength(QStringView text)
{
    int length = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            length += 1;
            continue;
        }
        const EncodedUnit encoded = encodeUnit(unit);
        if (encoded.length != 0) {
            length += encoded.length;
            continue;
        }
        length += 2;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
    }
    return length;
}

QByteArray encode(QStringView text, Unencodable policy)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    appendEncoded(out, text, policy);
    return out;
}

QString decode(QByteArrayView bytes, qsizetype *invalidCount)
{
    const Tables &tables = theTables();
    QString out;
    out.resize(bytes.size());
    char16_t *write = reinterpret_cast<char16_t *>(out.data());
    qsizetype written = 0;
    qsizetype invalid = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Pages and plain texts are mostly ASCII: eight bytes at a time while they are.
        while (i + 8 <= size) {
            quint64 eight;
            std::memcpy(&eight, bytes.data() + i, sizeof eight);
            if (eight & 0x8080808080808080u)
                break;
            for (int k = 0; k < 8; ++k)
                write[written + k] = quint8(bytes[i + k]);
            written += 8;
            i += 8;
        }
        if (i == size)
            break;
        const quint8 byte = quint8(bytes[i]);
        if (byte < 0x80) {
            write[written++] = byte;
            continue;
        }
        if (isLeadByte(byte) && i + 1 < size && isTrailByte(quint8(bytes[i + 1]))) {
            const char16_t unit = tables.pair[(byte << 8) | quint8(bytes[i + 1])];
            ++i; // a lead with a proper trail is one sequence, mapped or not
            if (unit == kNoCharacter) {
                ++invalid;
                write[written++] = 0xFFFD;
            } else {
                write[written++] = unit;
            }
            continue;
        }
        const char16_t unit = tables.single[byte];
        if (unit == kNoCharacter) {
            ++invalid;
            write[written++] = 0xFFFD;
        } else {
            write[written++] = unit;
        }
    }
    out.truncate(written);
    if (invalidCount)
        *invalidCount = invalid;
    return out;
}

} // namespace Cp932
