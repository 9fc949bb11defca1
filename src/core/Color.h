// Colours as the grid holds them (0x00BBGGRR) and as the user types them ("#RRGGBB").
#pragma once

#include <QString>
#include <QStringView>

// 0x00BBGGRR; a value whose top byte is not zero counts as black.
using Color = qint32;

constexpr Color kWhite = 0x00FFFFFF;
constexpr Color kBlack = 0x00000000;

constexpr int GetRed(Color color) { return (quint32(color) >> 24) ? 0 : int(color & 0xFF); }
constexpr int GetGreen(Color color) { return (quint32(color) >> 24) ? 0 : int((color >> 8) & 0xFF); }
constexpr int GetBlue(Color color) { return (quint32(color) >> 24) ? 0 : int((color >> 16) & 0xFF); }
constexpr Color MakeColor(int red, int green, int blue) { return Color(red + 256 * green + 65536 * blue); }

constexpr bool IsNearColor(Color colorA, Color colorB, qint32 distance)
{
    auto difference = [](int a, int b) { return a > b ? a - b : b - a; };
    return difference(GetGreen(colorA), GetGreen(colorB)) < distance
        && difference(GetRed(colorA), GetRed(colorB)) < distance
        && difference(GetBlue(colorA), GetBlue(colorB)) < distance;
}

// "#" and six hexadecimal digits; other texts start from white and take each pair at
// positions 2-3, 4-5 and 6-7, a pair that is missing or does not start with a hex digit
// counting 0 and a pair whose second character is no hex digit counting its first alone.
Color HexToColor(QStringView text);

// "#RRGGBB" in upper case.
QString ColorToHex(Color color);
