#include "text/TextLaying.h"

#include "core/Cp932.h"

bool CellText::isBlank() const
{
    return (length == 1 && units[0] == u'\u3000') || (length == 2 && units[0] == u' ' && units[1] == u' ');
}

bool isHalfWidthUnit(char16_t unit)
{
    return unit < 0x80 || Cp932::encodeUnit(unit).length == 1;
}

qsizetype firstCellTextLength(QStringView text)
{
    TextLaying laying;
    qsizetype length = 0;
    auto take = [&length](const CellText &cell) {
        length = cell.length;
        return false; // the first is all that is asked for
    };
    if (laying.feed(text, take))
        laying.finish(take);
    return length;
}
