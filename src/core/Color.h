// Colours as the grid holds them (0x00BBGGRR) and as the user types them ("#RRGGBB").
#pragma once

#include <QString>
#include <QStringView>

// 0x00BBGGRR; a value whose top byte is not zero counts as black.
using Color = qint32;

constexpr Color kWhite = 0x00FFFFFF;
constexpr Color kBlack = 0x00000000;

constexpr int getRed(Color color)
{
    return (quint32(color) >> 24) ? 0 : int(color & 0xFF);
}
constexpr int getGreen(Color color)
{
    return (quint32(color) >> 24) ? 0 : int((color >> 8) & 0xFF);
}
constexpr int getBlue(Color color)
{
    return (quint32(color) >> 24) ? 0 : int((color >> 16) & 0xFF);
}
constexpr Color makeColor(int red, int green, int blue)
{
    return Color(red + 256 * green + 65536 * blue);
}

constexpr bool isNearColor(Color colorA, Color colorB, qint32 distance)
{
    auto difference = [](int a, int b) { return a > b ? a - b : b - a; };
    return difference(getGreen(colorA), getGreen(colorB)) < distance
        && difference(getRed(colorA), getRed(colorB)) < distance
        && difference(getBlue(colorA), getBlue(colorB)) < distance;
}

// "#" and six hexadecimal digits; other texts start from white and take each pair at
// positions 2-3, 4-5 and 6-7, a pair that is missing or does not start with a hex digit
// counting 0 and a pair whose second character is no hex digit counting its first alone.
Color hexToColor(QStringView text);

// "#RRGGBB" in upper case.
QString colorToHex(Color color);
