#include "ui/StatusTexts.h"

#include <QLocale>

QString cellPositionText(int column, int row)
{
    return QStringLiteral("Column %1, Row %2").arg(column).arg(row);
}

QString cellColorsText(Color back, Color fore)
{
    return QStringLiteral("Back %1, Text %2").arg(colorToHex(back), colorToHex(fore));
}

QString sheetSizeText(int columns, int rows)
{
    return QStringLiteral("Size %1 × %2").arg(columns).arg(rows);
}

QString selectionSizeText(int columns, int rows)
{
    return QStringLiteral("%1 × %2 selected").arg(columns).arg(rows);
}

QString copiedCellsText(int columns, int rows)
{
    return QStringLiteral("Copied %1 × %2 cells").arg(columns).arg(rows);
}

QString pasteClippedText(int columns, int rows)
{
    const auto count = [](int number, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(number).arg(QLatin1String(number == 1 ? one : many));
    };
    QStringList parts;
    if (columns > 0)
        parts << count(columns, "column", "columns");
    if (rows > 0)
        parts << count(rows, "row", "rows");
    return QStringLiteral("Pasted in part: %1 did not fit").arg(parts.join(QStringLiteral(" and ")));
}

QString wroteFileText(const QString &fileName, qint64 bytes)
{
    const qint64 kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return QStringLiteral("Wrote %1, %2 KB")
        .arg(fileName, QLocale(QLocale::English, QLocale::UnitedStates).toString(kilobytes));
}

QString zoomText(int percent)
{
    return QStringLiteral("Zoom %1%").arg(percent);
}
