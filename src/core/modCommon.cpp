#include "core/modCommon.h"

#include "core/Cp932.h"


QString VersionText()
{
    const int minor = GLYPHSCAPE_VERSION_MINOR;
    const QString minorText = (QStringLiteral("00") + QString::number(minor)).right(2);
    return QString::number(GLYPHSCAPE_VERSION_MAJOR) + u'.' + minorText
        + QString::number(GLYPHSCAPE_VERSION_PATCH) + u'b';
}

QString ApplicationTitle() { return QStringLiteral("Glyphscape"); }

namespace {

int HexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

int ReadHexPair(QStringView text, qsizetype position)
{
    if (position >= text.size())
        return 0;
    const int high = HexDigitValue(text[position]);
    if (high < 0)
        return 0;
    if (position + 1 >= text.size())
        return high;
    const int low = HexDigitValue(text[position + 1]);
    return low < 0 ? high : high * 16 + low;
}

} // namespace

Color HexToColor(QStringView text)
{
    // Texts without the leading "#" keep white: only a colour text is read.
    if (text.isEmpty() || text[0] != u'#')
        return kWhite;
    return MakeColor(ReadHexPair(text, 1), ReadHexPair(text, 3), ReadHexPair(text, 5));
}

QString ColorToHex(Color color)
{
    static const char digits[] = "0123456789ABCDEF";
    const int parts[3] = {GetRed(color), GetGreen(color), GetBlue(color)};
    QString text(7, u'#');
    for (int i = 0; i < 3; ++i) {
        text[1 + 2 * i] = QLatin1Char(digits[parts[i] >> 4]);
        text[2 + 2 * i] = QLatin1Char(digits[parts[i] & 15]);
    }
    return text;
}

int ByteLength(QStringView text)
{
    int length = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            length += 1;
            continue;
        }
        const Cp932::EncodedUnit encoded = Cp932::EncodeUnit(unit);
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

QString ToHtmlText(QStringView text)
{
    QString out;
    AppendHtmlText(out, text);
    return out;
}

QString EscapeHtml(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

void AppendHtmlText(QString &out, QStringView text)
{
    // Steps 2 to 6 touch distinct characters, so one pass does them in order; a space
    // (from the text, a tab or the padding) is held back until the next character tells
    // whether it pairs into a full-width space.
    bool spacePending = false;
    auto emitSpace = [&]() {
        if (spacePending) {
            out += QChar(0x3000);
            spacePending = false;
        } else {
            spacePending = true;
        }
    };
    auto emitOther = [&](QStringView piece) {
        if (spacePending) {
            out += u"&nbsp;";
            spacePending = false;
        }
        out += piece;
    };
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&': emitOther(u"&amp;"); break;
        case u'<': emitOther(u"&lt;"); break;
        case u'>': emitOther(u"&gt;"); break;
        case u'"': emitOther(u"&quot;"); break;
        case u'\t':
        case u' ': emitSpace(); break;
        default: emitOther(QStringView(&c, 1));
        }
    }
    if (ByteLength(text) == 1)
        emitSpace();
    if (spacePending)
        out += u"&nbsp;";
}
