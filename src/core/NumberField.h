// Every number the user types, in a field or on the command line, read by one set of rules:
// one reader that rounds on the decimal digits as typed, never through a binary double.
#pragma once

#include <QStringView>

#include <optional>

// A number field read as the number at the start of its text (an exponent included, so
// "9e9" is nine billion), rounded half to even. Values beyond the 32-bit range are clamped
// to it and flagged.
struct NumberFieldValue {
    qint32 value = 0;
    bool outOfRange = false;
};
NumberFieldValue readNumberField(QStringView text);

// A count as typed: optional blanks, an optional sign, digits with an optional decimal
// point and fraction, optional blanks; full-width forms count as their ASCII ones. Rounded
// to the nearest whole number, halves to the even one. Empty when the text is no number;
// magnitudes beyond 10^15 read as 10^15, far past any sheet's limit.
std::optional<qint64> readCountField(QStringView text);

// The grid's size as typed into its two count fields; a count below 0 means 0.
struct GridSize {
    qint64 columns = 0;
    qint64 rows = 0;
};
std::optional<GridSize> readGridSize(QStringView columns, QStringView rows);
// "COLUMNSxROWS" in one text, each count read as its field is; the two may be parted by
// x, X, × or a full-width x. Empty when either part is no count.
std::optional<GridSize> readGridSizeText(QStringView text);
