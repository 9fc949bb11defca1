#include "core/NumberField.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

NumberFieldValue readNumberField(QStringView text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < size && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < size && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    bool anyDigit = i > digitsStart;
    if (i < size && text[i] == u'.') {
        const qsizetype fractionStart = ++i;
        while (i < size && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        anyDigit = anyDigit || i > fractionStart;
    }
    if (!anyDigit)
        return {};
    // An exponent is read too, so "9e9" means nine billion and is caught as out of range.
    if (i < size && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < size && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype exponentDigits = j;
        while (j < size && text[j] >= u'0' && text[j] <= u'9')
            ++j;
        if (j > exponentDigits)
            i = j;
    }
    // from_chars ignores the locale and takes no "+".
    const qsizetype unsignedStart = text[start] == u'+' ? start + 1 : start;
    const QByteArray number = text.sliced(unsignedStart, i - unsignedStart).toLatin1();
    double value = 0;
    const auto [end, error] = std::from_chars(number.constBegin(), number.constEnd(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range) {
        // Too small rounds to 0; too large is clamped below.
        const bool underflow = number.contains("e-") || number.contains("E-");
        value = underflow ? 0.0 : (text[start] == u'-' ? -HUGE_VAL : HUGE_VAL);
    }
    const double rounded = std::nearbyint(value); // the default mode rounds halves to even
    constexpr double low = std::numeric_limits<qint32>::min();
    constexpr double high = std::numeric_limits<qint32>::max();
    if (!(rounded >= low))
        return { std::numeric_limits<qint32>::min(), true };
    if (!(rounded <= high))
        return { std::numeric_limits<qint32>::max(), true };
    return { qint32(rounded), false };
}

namespace {

constexpr qint64 kCountCeiling = 1'000'000'000'000'000;

// Full-width digits, signs and point as typed with the Japanese input method on.
char16_t narrowForm(char16_t unit)
{
    if (unit >= u'０' && unit <= u'９')
        return char16_t(u'0' + (unit - u'０'));
    switch (unit) {
    case u'＋': return u'+';
    case u'－': return u'-';
    case u'．': return u'.';
    case u'　': return u' ';
    default: return unit;
    }
}

bool isBlank(char16_t unit)
{
    return unit == u' ' || unit == u'\t';
}
bool isDigit(char16_t unit)
{
    return unit >= u'0' && unit <= u'9';
}

} // namespace

std::optional<qint64> readCountField(QStringView text)
{
    QString narrow(text.size(), Qt::Uninitialized);
    std::transform(
        text.begin(), text.end(), narrow.begin(), [](QChar unit) { return QChar(narrowForm(unit.unicode())); });

    qsizetype i = 0;
    const qsizetype size = narrow.size();
    auto at = [&](qsizetype index) { return index < size ? narrow[index].unicode() : u'\0'; };
    while (isBlank(at(i)))
        ++i;
    bool negative = false;
    if (at(i) == u'+' || at(i) == u'-')
        negative = narrow[i++] == u'-';

    qint64 whole = 0;
    qsizetype digits = 0;
    for (; isDigit(at(i)); ++i, ++digits)
        whole = std::min(whole * 10 + (at(i) - u'0'), kCountCeiling);
    int firstFraction = 0;
    bool moreFraction = false;
    if (at(i) == u'.') {
        ++i;
        for (qsizetype place = 0; isDigit(at(i)); ++i, ++place, ++digits) {
            if (place == 0)
                firstFraction = at(i) - u'0';
            else if (at(i) != u'0')
                moreFraction = true;
        }
    }
    if (digits == 0)
        return std::nullopt;
    while (isBlank(at(i)))
        ++i;
    if (i != size)
        return std::nullopt;

    // Half to even: 2.5 gives 2, 3.5 gives 4; the sign does not change the magnitude.
    if (firstFraction > 5 || (firstFraction == 5 && (moreFraction || whole % 2 == 1)))
        whole = std::min(whole + 1, kCountCeiling);
    return negative ? -whole : whole;
}

std::optional<GridSize> readGridSize(QStringView columns, QStringView rows)
{
    const std::optional<qint64> columnCount = readCountField(columns);
    const std::optional<qint64> rowCount = readCountField(rows);
    if (!columnCount || !rowCount)
        return std::nullopt;
    return GridSize { std::max<qint64>(*columnCount, 0), std::max<qint64>(*rowCount, 0) };
}

std::optional<GridSize> readGridSizeText(QStringView text)
{
    const qsizetype separator = std::find_if(text.begin(), text.end(), [](QChar c) {
        return c == u'x' || c == u'X' || c == u'×' || c == u'ｘ' || c == u'Ｘ';
    }) - text.begin();
    if (separator == text.size())
        return std::nullopt;
    return readGridSize(text.first(separator), text.sliced(separator + 1));
}
