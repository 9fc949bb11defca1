// The coloured HTML page: one preformatted line per row, the cells' background colours
// as character colours (or, as-is, as backgrounds), grouped into spans of near colours.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

class GridSheet;

struct HtmlPageSettings {
    QString nearText = QStringLiteral("8"); // the near-colour field, as typed
    QString backgroundText = QStringLiteral("#FFFFFF"); // the background field, as typed
    bool asIs = false;
    QString pageTitle;
};

enum class HtmlPageError {
    None,
    WriteFailed, // see systemReason
    OutOfMemory,
};

struct HtmlPageFailure {
    HtmlPageError error = HtmlPageError::None;
    QString systemReason;
};

// The fonts the page asks for, first choice first: monospaced fonts with Japanese glyphs
// on Windows, macOS and Linux, then any monospaced font. The editor draws with them too.
QStringList pageFontFamilies();

// The chosen file's name cut before its first ".": spring.htm gives spring.
QString pageTitleFromFileTitle(const QString &fileTitle);

// Writes the page in code page 932; a character it cannot encode becomes "&#N;".
bool writeHtmlPage(
    QIODevice &device, const GridSheet &sheet, const HtmlPageSettings &settings, HtmlPageFailure *failure = nullptr);
QByteArray htmlPage(const GridSheet &sheet, const HtmlPageSettings &settings);

// The same bytes as WriteHtmlPage, the rows built in chunks on two threads in turn, each
// into its own buffer, and written in order. Nothing may change the sheet meanwhile.
bool writeHtmlPageOnTwoThreads(
    QIODevice &device, const GridSheet &sheet, const HtmlPageSettings &settings, HtmlPageFailure *failure = nullptr);
