#include "core/NumberField.h"

#include <algorithm>
#include <limits>

namespace {

// Magnitudes are accumulated up to here and no further: beyond every limit a reader checks,
// far below quint64's overflow.
constexpr quint64 kSaturation = 1'000'000'000'000'000'000;
// An exponent's magnitude is held to this: any bigger one says no more than "huge" or "tiny".
constexpr qint64 kExponentLimit = 1'000'000'000'000'000;
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

enum class Form {
    Leading, // the number at the start of the text, an exponent allowed, anything after it ignored
    WholeField, // the whole text is the number, blanks around it, full-width forms allowed
};

// A decimal number as typed, kept as its digits so that it rounds exactly: the value is
// the digits with the decimal point after pointAt of them (which may lie before the
// first digit or after the last).
class DecimalText {
public:
    // False when the text holds no number of the form.
    bool read(QStringView text, Form form)
    {
        text_ = text;
        wide_ = form == Form::WholeField;
        qsizetype i = 0;
        while (isBlank(at(i)))
            ++i;
        if (at(i) == u'+' || at(i) == u'-')
            negative_ = at(i++) == u'-';
        integerStart_ = i;
        while (isDigit(at(i)))
            ++i;
        integerDigits_ = i - integerStart_;
        if (at(i) == u'.') {
            fractionStart_ = ++i;
            while (isDigit(at(i)))
                ++i;
            fractionDigits_ = i - fractionStart_;
        }
        if (integerDigits_ + fractionDigits_ == 0)
            return false;
        qint64 exponent = 0;
        if (form == Form::Leading && (at(i) == u'e' || at(i) == u'E')) {
            // Without digits the "e" is trailing text: "12e" reads 12.
            qsizetype j = i + 1;
            bool negativeExponent = false;
            if (at(j) == u'+' || at(j) == u'-')
                negativeExponent = at(j++) == u'-';
            for (; isDigit(at(j)); ++j)
                exponent = std::min(exponent * 10 + (at(j) - u'0'), kExponentLimit);
            if (isDigit(at(j - 1)))
                i = j;
            if (negativeExponent)
                exponent = -exponent;
        }
        if (form == Form::WholeField) {
            while (isBlank(at(i)))
                ++i;
            if (i != text.size())
                return false;
        }
        pointAt_ = integerDigits_ + exponent;
        return true;
    }

    bool negative() const { return negative_; }

    // The magnitude rounded to a whole number, halves to the even one; at most kSaturation.
    quint64 roundedMagnitude() const
    {
        const qint64 digits = integerDigits_ + fractionDigits_;
        quint64 whole = 0;
        for (qint64 k = 0; k < std::min(pointAt_, digits); ++k)
            whole = std::min(whole * 10 + digit(k), kSaturation);
        // Zeros implied by the exponent; once saturated more of them change nothing.
        for (qint64 k = digits; k < pointAt_ && whole != 0 && whole < kSaturation; ++k)
            whole = std::min(whole * 10, kSaturation);
        if (pointAt_ < 0 || pointAt_ >= digits)
            return whole; // no digit after the point, or only implied zeros before the first
        const int first = digit(pointAt_);
        bool beyondHalf = false;
        for (qint64 k = pointAt_ + 1; k < digits && !beyondHalf; ++k)
            beyondHalf = digit(k) != 0;
        if (first > 5 || (first == 5 && (beyondHalf || whole % 2 == 1)))
            whole = std::min(whole + 1, kSaturation);
        return whole;
    }

private:
    char16_t at(qsizetype index) const
    {
        if (index >= text_.size())
            return u'\0';
        const char16_t unit = text_[index].unicode();
        return wide_ ? narrowForm(unit) : unit;
    }
    int digit(qint64 k) const
    {
        const qsizetype index = k < integerDigits_ ? integerStart_ + k : fractionStart_ + (k - integerDigits_);
        return at(index) - u'0';
    }

    QStringView text_;
    bool wide_ = false;
    bool negative_ = false;
    qsizetype integerStart_ = 0;
    qsizetype integerDigits_ = 0;
    qsizetype fractionStart_ = 0;
    qsizetype fractionDigits_ = 0;
    qint64 pointAt_ = 0;
};

} // namespace

NumberFieldValue readNumberField(QStringView text)
{
    DecimalText number;
    if (!number.read(text, Form::Leading))
        return {};
    const quint64 magnitude = number.roundedMagnitude();
    constexpr quint64 lowest = quint64(std::numeric_limits<qint32>::max()) + 1;
    if (number.negative()) {
        if (magnitude > lowest)
            return {std::numeric_limits<qint32>::min(), true};
        return {qint32(-qint64(magnitude)), false};
    }
    if (magnitude >= lowest)
        return {std::numeric_limits<qint32>::max(), true};
    return {qint32(magnitude), false};
}

std::optional<qint64> readCountField(QStringView text)
{
    DecimalText number;
    if (!number.read(text, Form::WholeField))
        return std::nullopt;
    const qint64 magnitude = qint64(std::min<quint64>(number.roundedMagnitude(), kCountCeiling));
    return number.negative() ? -magnitude : magnitude;
}

std::optional<GridSize> readGridSize(QStringView columns, QStringView rows)
{
    const std::optional<qint64> columnCount = readCountField(columns);
    const std::optional<qint64> rowCount = readCountField(rows);
    if (!columnCount || !rowCount)
        return std::nullopt;
    return GridSize {std::max<qint64>(*columnCount, 0), std::max<qint64>(*rowCount, 0)};
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
