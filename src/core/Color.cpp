#include "core/Color.h"

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
