#include "html/HtmlPageWriter.h"

#include "core/ByteSink.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "core/Color.h"
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

void PutHexByte(ByteSink &sink, int value)
{
    static const char digits[] = "0123456789ABCDEF";
    sink.Put(digits[value >> 4]);
    sink.Put(digits[value & 15]);
}

void PutReference(ByteSink &sink, char32_t codePoint)
{
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "&#%u;", unsigned(codePoint));
    sink.Put(digits, length);
}

bool IsSingleByteCharacter(QStringView text)
{
    return text.size() == 1 && (text[0].unicode() < 0x80 || Cp932::EncodeUnit(text[0].unicode()).length == 1);
}

// ToHtmlText(text) encoded in code page 932, straight into the sink. contentEnd is moved
// past every piece that is not a full-width space, for trimming the line end.
void PutHtmlText(ByteSink &sink, QStringView text, qsizetype &contentEnd)
{
    sink.Ensure(text.size() * 16 + 16);
    bool spacePending = false;
    auto putSpace = [&] {
        if (spacePending) {
            sink.PutLiteral(kFullWidthSpace);
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
            sink.PutLiteral("&nbsp;");
            spacePending = false;
        }
        switch (unit) {
        case u'&': sink.PutLiteral("&amp;"); break;
        case u'<': sink.PutLiteral("&lt;"); break;
        case u'>': sink.PutLiteral("&gt;"); break;
        case u'"': sink.PutLiteral("&quot;"); break;
        default:
            if (unit < 0x80) {
                sink.Put(char(unit));
                break;
            }
            const Cp932::EncodedUnit encoded = Cp932::EncodeUnit(unit);
            if (encoded.length != 0) {
                sink.Put(reinterpret_cast<const char *>(encoded.bytes), encoded.length);
                if (unit == 0x3000)
                    continue; // a full-width space of the text itself trims like any other
                break;
            }
            char32_t codePoint = unit;
            if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode()))
                codePoint = QChar::surrogateToUcs4(unit, text[++i].unicode());
            PutReference(sink, codePoint);
        }
        contentEnd = sink.Size();
    }
    if (IsSingleByteCharacter(text))
        putSpace();
    if (spacePending) {
        sink.PutLiteral("&nbsp;");
        contentEnd = sink.Size();
    }
}

void PutLine(ByteSink &sink, const QString &line)
{
    const QByteArray bytes = Cp932::Encode(line, Cp932::Unencodable::NumericReference);
    sink.Ensure(bytes.size() + 2);
    sink.Put(bytes.constData(), bytes.size());
    sink.PutLiteral("\r\n");
}

void PutRow(ByteSink &sink, const GridSheet &sheet, int row, qint32 nearDistance, Color pageBackground, bool asIs)
{
    const qsizetype lineStart = sink.Size();
    qsizetype contentEnd = lineStart;
    bool spanOpen = false;
    Color anchor = pageBackground;
    const int columns = sheet.ColumnCount();
    for (int column = 1; column <= columns; ++column) {
        const QStringView text = sheet.CellTextView(column, row);
        const bool blank = IsBlankCellText(text);
        if (!asIs && blank && sink.Size() == lineStart) {
            sink.Ensure(2);
            sink.PutLiteral(kFullWidthSpace);
            continue;
        }
        const Color back = sheet.BackColorAt(column, row);
        if (column == 1 || !IsNearColor(back, anchor, nearDistance)) {
            sink.Ensure(64);
            if (column != 1 && spanOpen)
                sink.PutLiteral("</FONT>");
            if (!asIs) {
                sink.PutLiteral("<FONT STYLE='color: #");
            } else if (GetRed(back) + GetGreen(back) + GetBlue(back) >= 383) {
                sink.PutLiteral("<FONT STYLE='color: #000000;background:#");
            } else {
                sink.PutLiteral("<FONT STYLE='color: #FFFFFF;background:#");
            }
            PutHexByte(sink, GetRed(back));
            PutHexByte(sink, GetGreen(back));
            PutHexByte(sink, GetBlue(back));
            sink.PutLiteral("'>");
            contentEnd = sink.Size();
            spanOpen = true;
            anchor = back;
        }
        if (blank) {
            sink.Ensure(2);
            sink.PutLiteral(kFullWidthSpace);
        } else {
            PutHtmlText(sink, text, contentEnd);
        }
    }
    if (!asIs)
        sink.Truncate(contentEnd); // trailing spaces, half- and full-width alike
    sink.Ensure(16);
    if (spanOpen)
        sink.PutLiteral("</FONT>");
    sink.PutLiteral("\r\n");
}

} // namespace

QString PageTitleFromFileTitle(const QString &fileTitle)
{
    const qsizetype dot = fileTitle.indexOf(u'.');
    return dot < 0 ? fileTitle : fileTitle.left(dot);
}

namespace {

void PutHeader(ByteSink &sink, const HtmlPageSettings &settings)
{
    const QString header[] = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<META http-equiv=Content-Type content='text/html; charset=shift_jis;'>"),
        QStringLiteral("<META name=Generator content='") + ApplicationTitle() + QStringLiteral(" ver. ")
            + VersionText() + QStringLiteral("'>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("<TITLE>") + EscapeHtml(settings.pageTitle) + QStringLiteral("</TITLE>"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<BODY>"),
        QStringLiteral("<PRE STYLE=\"font: 12pt /15px 'ＭＳ ゴシック',Osaka-等幅;background-color:")
            + EscapeHtml(settings.backgroundText) + QStringLiteral("\">"),
    };
    for (const QString &line : header)
        PutLine(sink, line);
}

void PutFooter(ByteSink &sink)
{
    for (const QString &line : {QStringLiteral("</PRE>"), QStringLiteral("</BODY>"), QStringLiteral("</HTML>")})
        PutLine(sink, line);
}

// Rows [first, end) into the sink; false when memory runs out on the way.
bool PutRows(ByteSink &sink, const GridSheet &sheet, int first, int end, qint32 nearDistance, Color pageBackground,
             bool asIs)
{
    try {
        for (int row = first; row < end; ++row)
            PutRow(sink, sheet, row, nearDistance, pageBackground, asIs);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

bool OutOfMemory(QString *error)
{
    if (error)
        *error = QStringLiteral("Not enough memory to build the page.");
    return false;
}

} // namespace

bool WriteHtmlPage(QIODevice &device, const GridSheet &sheet, const HtmlPageSettings &settings,
                   QString *error)
{
    const qint32 nearDistance = ReadNumberField(settings.nearText).value;
    const Color pageBackground = HexToColor(settings.backgroundText);
    try {
        ByteSink sink;
        PutHeader(sink, settings);
        const int rows = sheet.RowCount();
        for (int row = 1; row <= rows; ++row) {
            PutRow(sink, sheet, row, nearDistance, pageBackground, settings.asIs);
            if (!sink.FlushIfFull(device, error))
                return false;
        }
        PutFooter(sink);
        return sink.Flush(device, error);
    } catch (const std::bad_alloc &) {
        return OutOfMemory(error);
    }
}

bool WriteHtmlPageOnTwoThreads(QIODevice &device, const GridSheet &sheet, const HtmlPageSettings &settings,
                               QString *error)
{
    const qint32 nearDistance = ReadNumberField(settings.nearText).value;
    const Color pageBackground = HexToColor(settings.backgroundText);
    // Chunks of about this many cells keep both buffers small and both threads busy.
    constexpr qint64 kCellsPerChunk = 1 << 18;
    const int rows = sheet.RowCount();
    const int chunkRows = int(std::clamp<qint64>(kCellsPerChunk / std::max(sheet.ColumnCount(), 1), 1,
                                                 std::max(rows, 1)));
    try {
        ByteSink sink;
        ByteSink other;
        PutHeader(sink, settings);
        for (int first = 1; first <= rows; first += 2 * chunkRows) {
            const int middle = int(std::min<qint64>(rows + 1, qint64(first) + chunkRows));
            const int end = int(std::min<qint64>(rows + 1, qint64(middle) + chunkRows));
            bool otherBuilt = true;
            std::thread worker;
            auto buildOther = [&, middle, end] {
                otherBuilt = PutRows(other, sheet, middle, end, nearDistance, pageBackground, settings.asIs);
            };
            if (middle < end) {
                try {
                    worker = std::thread(buildOther);
                } catch (const std::system_error &) {
                    buildOther(); // no second thread to be had
                }
            }
            const bool built = PutRows(sink, sheet, first, middle, nearDistance, pageBackground, settings.asIs);
            if (worker.joinable())
                worker.join();
            if (!built || !otherBuilt)
                return OutOfMemory(error);
            if (!sink.Flush(device, error) || !other.Flush(device, error))
                return false;
        }
        PutFooter(sink);
        return sink.Flush(device, error);
    } catch (const std::bad_alloc &) {
        return OutOfMemory(error);
    }
}

QByteArray HtmlPage(const GridSheet &sheet, const HtmlPageSettings &settings)
{
    QByteArray page;
    QBuffer buffer(&page);
    buffer.open(QIODevice::WriteOnly);
    WriteHtmlPage(buffer, sheet, settings);
    return page;
}
