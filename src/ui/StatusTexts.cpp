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

QString wroteFileText(const QString &fileName, qint64 bytes)
{
    const qint64 kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return QStringLiteral("Wrote %1, %2 KB")
        .arg(fileName, QLocale(QLocale::English, QLocale::UnitedStates).toString(kilobytes));
}
