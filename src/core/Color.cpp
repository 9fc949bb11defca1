#include "core/Color.h"

namespace {

int hexDigitValue(QChar c)
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

int readHexPair(QStringView text, qsizetype position)
{
    if (position >= text.size())
        return 0;
    const int high = hexDigitValue(text[position]);
    if (high < 0)
        return 0;
    if (position + 1 >= text.size())
        return high;
    const int low = hexDigitValue(text[position + 1]);
    return low < 0 ? high : high * 16 + low;
}

} // namespace

Color hexToColor(QStringView text)
{
    // Texts without the leading "#" keep white: only a colour text is read.
    if (text.isEmpty() || text[0] != u'#')
        return kWhite;
    return makeColor(readHexPair(text, 1), readHexPair(text, 3), readHexPair(text, 5));
}

QString colorToHex(Color color)
{
    static const char digits[] = "0123456789ABCDEF";
    const int parts[3] = {getRed(color), getGreen(color), getBlue(color)};
    QString text(7, u'#');
    for (int i = 0; i < 3; ++i) {
        text[1 + 2 * i] = QLatin1Char(digits[parts[i] >> 4]);
        text[2 + 2 * i] = QLatin1Char(digits[parts[i] & 15]);
    }
    return text;
}
