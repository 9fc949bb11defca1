// A cell's text as the page shows it, and the user's own texts made safe for the page.
#pragma once

#include <QString>
#include <QStringView>

QString toHtmlText(QStringView text);

// Text with &, <, >, " and ' as references, safe inside an element or a quoted attribute:
// for what the user types that goes into the page (the background colour, the title).
QString escapeHtml(QStringView text);
// Appends toHtmlText(text) to out without building a string of its own.
void appendHtmlText(QString &out, QStringView text);

// True for "", " " and "  ", the cell texts written as a full-width space.
inline bool isBlankCellText(QStringView text)
{
    // Unit by unit: the writers and the painter ask it of every cell.
    switch (text.size()) {
    case 0: return true;
    case 1: return text[0] == u' ';
    case 2: return text[0] == u' ' && text[1] == u' ';
    default: return false;
    }
}
