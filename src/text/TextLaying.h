// How a text is laid into cells: a full-width character (a surrogate pair is one) takes a
// cell of its own, two half-width characters in a row share one.
#pragma once

#include <QStringView>

struct LayingOptions {
    bool skipBlanks = false; // drop " ", "　" and tabs before laying
    bool tabsAsSpaces = false; // a tab laid beside another character (or before a full-width one) is a space
};

// One cell's text: one or two UTF-16 units.
struct CellText {
    char16_t units[2] = {};
    int length = 0;
    QStringView view() const { return QStringView(units, length); }
    // "", "  " and "　" leave a cell empty.
    bool isBlank() const;
};

// True for the characters that take one byte in code page 932: ASCII, tabs included, and
// half-width katakana.
bool isHalfWidthUnit(char16_t unit);

// Lays a text given in any number of pieces: a pair of half-width characters or a surrogate
// pair may be parted between two pieces. Each cell text goes to place(const CellText&),
// which returns false to stop; what is pending is then kept until clear() or finish().
class TextLaying {
public:
    explicit TextLaying(LayingOptions options = {})
        : options_(options)
    {
    }

    // Lays the text's characters; false when place stopped it.
    template <typename Place> bool feed(QStringView text, Place &&place);
    // The text ends: a character still waiting for its neighbour takes a cell alone, a tab
    // staying a tab. False when place stopped it.
    template <typename Place> bool finish(Place &&place);
    // Forgets what is pending, as when the rest of a line is dropped.
    void clear()
    {
        halfPending_ = false;
        highSurrogate_ = 0;
    }

private:
    template <typename Place> bool fullWidth(const char16_t *units, int length, Place &place);
    char16_t joined(char16_t unit) const { return options_.tabsAsSpaces && unit == u'\t' ? u' ' : unit; }
    static CellText cell(char16_t first, char16_t second = 0, int length = 1)
    {
        CellText text;
        text.units[0] = first;
        text.units[1] = second;
        text.length = length;
        return text;
    }

    LayingOptions options_;
    bool halfPending_ = false;
    char16_t pendingHalf_ = 0;
    char16_t highSurrogate_ = 0;
};

// The length in UTF-16 units of the first cell's text of a whole text (0 when it is empty).
qsizetype firstCellTextLength(QStringView text);

template <typename Place> bool TextLaying::feed(QStringView text, Place &&place)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (highSurrogate_ != 0) {
            const char16_t high = highSurrogate_;
            highSurrogate_ = 0;
            if (QChar::isLowSurrogate(unit)) {
                const char16_t pair[2] = {high, unit};
                if (!fullWidth(pair, 2, place))
                    return false;
                continue;
            }
            // A lone surrogate is a character of its own.
            if (!fullWidth(&high, 1, place))
                return false;
        }
        if (QChar::isHighSurrogate(unit)) {
            highSurrogate_ = unit;
            continue;
        }
        if (options_.skipBlanks && (unit == u' ' || unit == u'\u3000' || unit == u'\t'))
            continue;
        if (!isHalfWidthUnit(unit)) {
            if (!fullWidth(&unit, 1, place))
                return false;
        } else if (!halfPending_) {
            pendingHalf_ = unit;
            halfPending_ = true;
        } else {
            halfPending_ = false;
            if (!place(cell(joined(pendingHalf_), joined(unit), 2)))
                return false;
        }
    }
    return true;
}

template <typename Place> bool TextLaying::finish(Place &&place)
{
    if (highSurrogate_ != 0) {
        const char16_t high = highSurrogate_;
        highSurrogate_ = 0;
        if (!fullWidth(&high, 1, place))
            return false;
    }
    if (!halfPending_)
        return true;
    halfPending_ = false;
    return place(cell(pendingHalf_));
}

template <typename Place> bool TextLaying::fullWidth(const char16_t *units, int length, Place &place)
{
    if (halfPending_) {
        halfPending_ = false;
        if (!place(cell(joined(pendingHalf_))))
            return false;
    }
    return place(cell(units[0], length == 2 ? units[1] : char16_t(0), length));
}
