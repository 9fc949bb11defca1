#include "html/HtmlPageWriter.h"

#include "core/ByteSink.h"
#include "core/Color.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "core/HtmlText.h"
#include "core/NumberField.h"
#include "core/Version.h"

#include <QBuffer>

#include <algorithm>
#include <cstdio>
#include <new>
#include <system_error>
#include <thread>

namespace {

// Bytes of the full-width space U+3000 in code page 932.
constexpr char kFullWidthSpace[] = "\x81\x40";

void putHexByte(ByteSink &sink, int value)
{
    static const char digits[] = "0123456789ABCDEF";
    sink.put(digits[value >> 4]);
    sink.put(digits[value & 15]);
}

void putReference(ByteSink &sink, char32_t codePoint)
{
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "&#%u;", unsigned(codePoint));
    sink.put(digits, length);
}

bool isSingleByteCharacter(QStringView text)
{
    return text.size() == 1 && (text[0].unicode() < 0x80 || Cp932::encodeUnit(text[0].unicode()).length == 1);
}

// toHtmlText(text) encoded in code page 932, straight into the sink. contentEnd is moved
// past every piece that is not a full-width space, for trimming the line end.
void putHtmlText(ByteSink &sink, QStringView text, qsizetype &contentEnd)
{
    sink.ensure(text.size() * 16 + 16);
    bool spacePending = false;
    auto putSpace = [&] {
        if (spacePending) {
            sink.putLiteral(kFullWidthSpace);
            spacePending = false;
        } else {
            spacePending = true;
        }
    };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u' ' || unit == u'\t') {
            putSpace();
            continue;
        }
        if (spacePending) {
            sink.putLiteral("&nbsp;");
            spacePending = false;
        }
        switch (unit) {
        case u'&': sink.putLiteral("&amp;"); break;
        case u'<': sink.putLiteral("&lt;"); break;
        case u'>': sink.putLiteral("&gt;"); break;
        case u'"': sink.putLiteral("&quot;"); break;
        default:
            if (unit < 0x80) {
                sink.put(char(unit));
                break;
            }
            const Cp932::EncodedUnit encoded = Cp932::encodeUnit(unit);
            if (encoded.length != 0) {
                sink.put(reinterpret_cast<const char *>(encoded.bytes), encoded.length);
                if (unit == 0x3000)
                    continue; // a full-width space of the text itself trims like any other
                break;
            }
            char32_t codePoint = unit;
            if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode()))
                codePoint = QChar::surrogateToUcs4(unit, text[++i].unicode());
            putReference(sink, codePoint);
        }
        contentEnd = sink.size();
    }
    if (isSingleByteCharacter(text))
        putSpace();
    if (spacePending) {
        sink.putLiteral("&nbsp;");
        contentEnd = sink.size();
    }
}

void putLine(ByteSink &sink, const QString &line)
{
    const QByteArray bytes = Cp932::encode(line, Cp932::Unencodable::NumericReference);
    sink.ensure(bytes.size() + 2);
    sink.put(bytes.constData(), bytes.size());
    sink.putLiteral("\r\n");
}

void putRow(ByteSink &sink, const GridSheet &sheet, int row, qint32 nearDistance, Color pageBackground, bool asIs)
{
    const qsizetype lineStart = sink.size();
    qsizetype contentEnd = lineStart;
    bool spanOpen = false;
    Color anchor = pageBackground;
    const int columns = sheet.columnCount();
    for (int column = 1; column <= columns; ++column) {
        const QStringView text = sheet.cellTextView(column, row);
        const bool blank = isBlankCellText(text);
        if (!asIs && blank && sink.size() == lineStart) {
            sink.ensure(2);
            sink.putLiteral(kFullWidthSpace);
            continue;
        }
        const Color back = sheet.backColorAt(column, row);
        if (column == 1 || !isNearColor(back, anchor, nearDistance)) {
            sink.ensure(64);
            if (column != 1 && spanOpen)
                sink.putLiteral("</FONT>");
            if (!asIs) {
                sink.putLiteral("<FONT STYLE='color: #");
            } else if (getRed(back) + getGreen(back) + getBlue(back) >= 383) {
                sink.putLiteral("<FONT STYLE='color: #000000;background:#");
            } else {
                sink.putLiteral("<FONT STYLE='color: #FFFFFF;background:#");
            }
            putHexByte(sink, getRed(back));
            putHexByte(sink, getGreen(back));
            putHexByte(sink, getBlue(back));
            sink.putLiteral("'>");
            contentEnd = sink.size();
            spanOpen = true;
            anchor = back;
        }
        if (blank) {
            sink.ensure(2);
            sink.putLiteral(kFullWidthSpace);
        } else {
            putHtmlText(sink, text, contentEnd);
        }
    }
    if (!asIs)
        sink.truncate(contentEnd); // trailing spaces, half- and full-width alike
    sink.ensure(16);
    if (spanOpen)
        sink.putLiteral("</FONT>");
    sink.putLiteral("\r\n");
}

} // namespace

QStringList pageFontFamilies()
{
    return {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Osaka-等幅"), QStringLiteral("IPAGothic"),
        QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace")};
}

QString pageTitleFromFileTitle(const QString &fileTitle)
{
    const qsizetype dot = fileTitle.indexOf(u'.');
    return dot < 0 ? fileTitle : fileTitle.left(dot);
}

namespace {

void putHeader(ByteSink &sink, const HtmlPageSettings &settings)
{
    const QString header[] = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<META http-equiv=Content-Type content='text/html; charset=shift_jis;'>"),
        QStringLiteral("<META name=Generator content='") + applicationTitle() + QStringLiteral(" ver. ") + versionText()
            + QStringLiteral("'>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("<TITLE>") + escapeHtml(settings.pageTitle) + QStringLiteral("</TITLE>"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<BODY>"),
        QStringLiteral("<PRE STYLE=\"font: 12pt /15px 'ＭＳ ゴシック',Osaka-等幅,'IPAGothic',"
                       "'Noto Sans Mono CJK JP',monospace;background-color:")
            + escapeHtml(settings.backgroundText) + QStringLiteral("\">"),
    };
    for (const QString &line : header)
        putLine(sink, line);
}

void putFooter(ByteSink &sink)
{
    for (const QString &line : {QStringLiteral("</PRE>"), QStringLiteral("</BODY>"), QStringLiteral("</HTML>")})
        putLine(sink, line);
}

// Rows [first, end) into the sink; false when memory runs out on the way.
bool putRows(
    ByteSink &sink, const GridSheet &sheet, int first, int end, qint32 nearDistance, Color pageBackground, bool asIs)
{
    try {
        for (int row = first; row < end; ++row)
            putRow(sink, sheet, row, nearDistance, pageBackground, asIs);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

bool outOfMemory(HtmlPageFailure *failure)
{
    if (failure)
        *failure = {HtmlPageError::OutOfMemory, QString()};
    return false;
}

// The sink's write failure, in its own words.
bool writeFailed(HtmlPageFailure *failure, const QString &systemReason)
{
    if (failure)
        *failure = {HtmlPageError::WriteFailed, systemReason};
    return false;
}

} // namespace

bool writeHtmlPage(
    QIODevice &device, const GridSheet &sheet, const HtmlPageSettings &settings, HtmlPageFailure *failure)
{
    const qint32 nearDistance = readNumberField(settings.nearText).value;
    const Color pageBackground = hexToColor(settings.backgroundText);
    QString reason;
    try {
        ByteSink sink;
        putHeader(sink, settings);
        const int rows = sheet.rowCount();
        for (int row = 1; row <= rows; ++row) {
            putRow(sink, sheet, row, nearDistance, pageBackground, settings.asIs);
            if (!sink.flushIfFull(device, &reason))
                return writeFailed(failure, reason);
        }
        putFooter(sink);
        return sink.flush(device, &reason) || writeFailed(failure, reason);
    } catch (const std::bad_alloc &) {
        return outOfMemory(failure);
    }
}

bool writeHtmlPageOnTwoThreads(
    QIODevice &device, const GridSheet &sheet, const HtmlPageSettings &settings, HtmlPageFailure *failure)
{
    const qint32 nearDistance = readNumberField(settings.nearText).value;
    const Color pageBackground = hexToColor(settings.backgroundText);
    // Chunks of about this many cells keep both buffers small and both threads busy.
    constexpr qint64 kCellsPerChunk = 1 << 18;
    const int rows = sheet.rowCount();
    const int chunkRows
        = int(std::clamp<qint64>(kCellsPerChunk / std::max(sheet.columnCount(), 1), 1, std::max(rows, 1)));
    QString reason;
    try {
        ByteSink sink;
        ByteSink other;
        putHeader(sink, settings);
        for (int first = 1; first <= rows; first += 2 * chunkRows) {
            const int middle = int(std::min<qint64>(rows + 1, qint64(first) + chunkRows));
            const int end = int(std::min<qint64>(rows + 1, qint64(middle) + chunkRows));
            bool otherBuilt = true;
            std::thread worker;
            auto buildOther = [&, middle, end] {
                otherBuilt = putRows(other, sheet, middle, end, nearDistance, pageBackground, settings.asIs);
            };
            if (middle < end) {
                try {
                    worker = std::thread(buildOther);
                } catch (const std::system_error &) {
                    buildOther(); // no second thread to be had
                }
            }
            const bool built = putRows(sink, sheet, first, middle, nearDistance, pageBackground, settings.asIs);
            if (worker.joinable())
                worker.join();
            if (!built || !otherBuilt)
                return outOfMemory(failure);
            if (!sink.flush(device, &reason) || !other.flush(device, &reason))
                return writeFailed(failure, reason);
        }
        putFooter(sink);
        return sink.flush(device, &reason) || writeFailed(failure, reason);
    } catch (const std::bad_alloc &) {
        return outOfMemory(failure);
    }
}

QByteArray htmlPage(const GridSheet &sheet, const HtmlPageSettings &settings)
{
    QByteArray page;
    QBuffer buffer(&page);
    buffer.open(QIODevice::WriteOnly);
    writeHtmlPage(buffer, sheet, settings);
    return page;
}
