#include "html/HtmlPageWriter.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "core/modCommon.h"

#include <QBuffer>

namespace {

constexpr char16_t kFullWidthSpace = 0x3000;
constexpr qsizetype kFlushSize = 1 << 20;

void AppendHexByte(QString &out, int value)
{
    static const char16_t digits[] = u"0123456789ABCDEF";
    out += QChar(digits[value >> 4]);
    out += QChar(digits[value & 15]);
}

void AppendColorDigits(QString &out, Color color)
{
    AppendHexByte(out, GetRed(color));
    AppendHexByte(out, GetGreen(color));
    AppendHexByte(out, GetBlue(color));
}

void AppendLine(QByteArray &out, QStringView line)
{
    Cp932::AppendEncoded(out, line, Cp932::Unencodable::NumericReference);
    out += "\r\n";
}

void BuildRow(QString &line, const GridSheet &sheet, int row, qint32 nearDistance,
              Color pageBackground, bool asIs)
{
    line.truncate(0);
    bool spanOpen = false;
    Color anchor = pageBackground;
    const int columns = sheet.ColumnCount();
    for (int column = 1; column <= columns; ++column) {
        QStringView text = sheet.CellTextView(column, row);
        const bool blank = IsBlankCellText(text);
        if (!asIs && line.isEmpty() && blank) {
            line += QChar(kFullWidthSpace);
            continue;
        }
        const Color back = sheet.BackColorAt(column, row);
        if (column == 1 || !IsNearColor(back, anchor, nearDistance)) {
            if (column != 1 && spanOpen)
                line += u"</FONT>";
            if (asIs) {
                const int sum = GetRed(back) + GetGreen(back) + GetBlue(back);
                line += sum >= 383 ? u"<FONT STYLE='color: #000000;background:#"
                                   : u"<FONT STYLE='color: #FFFFFF;background:#";
            } else {
                line += u"<FONT STYLE='color: #";
            }
            AppendColorDigits(line, back);
            line += u"'>";
            spanOpen = true;
            anchor = back;
        }
        if (blank)
            line += QChar(kFullWidthSpace);
        else
            AppendHtmlText(line, text);
    }
    if (!asIs) {
        qsizetype end = line.size();
        while (end > 0 && (line[end - 1] == u' ' || line[end - 1] == QChar(kFullWidthSpace)))
            --end;
        line.truncate(end);
    }
    if (spanOpen)
        line += u"</FONT>";
}

} // namespace

QString PageTitleFromFileTitle(const QString &fileTitle)
{
    const qsizetype dot = fileTitle.indexOf(u'.');
    return dot < 0 ? fileTitle : fileTitle.left(dot);
}

bool WriteHtmlPage(QIODevice &device, const GridSheet &sheet, const HtmlPageSettings &settings,
                   QString *error)
{
    const qint32 nearDistance = ReadNumberField(settings.nearText).value;
    const Color pageBackground = HexToColor(settings.backgroundText);

    QByteArray out;
    out.reserve(kFlushSize + (kFlushSize >> 2));
    const QString header[] = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<META http-equiv=Content-Type content='text/html; charset=shift_jis;'>"),
        QStringLiteral("<META name=Generator content='") + ApplicationTitle() + QStringLiteral(" ver. ")
            + VersionText() + QStringLiteral("'>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("<TITLE>") + settings.pageTitle + QStringLiteral("</TITLE>"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<BODY>"),
        QStringLiteral("<PRE STYLE=\"font: 12pt /15px 'ＭＳ ゴシック',Osaka-等幅;background-color:")
            + settings.backgroundText + QStringLiteral("\">"),
    };
    for (const QString &line : header)
        AppendLine(out, line);

    QString line;
    line.reserve(qsizetype(sheet.ColumnCount()) * 48 + 16);
    const int rows = sheet.RowCount();
    for (int row = 1; row <= rows; ++row) {
        BuildRow(line, sheet, row, nearDistance, pageBackground, settings.asIs);
        AppendLine(out, line);
        if (out.size() >= kFlushSize) {
            if (!WriteAll(device, out, error))
                return false;
            out.truncate(0);
        }
    }
    out += "</PRE>\r\n</BODY>\r\n</HTML>\r\n";
    return WriteAll(device, out, error);
}

QByteArray HtmlPage(const GridSheet &sheet, const HtmlPageSettings &settings)
{
    QByteArray page;
    QBuffer buffer(&page);
    buffer.open(QIODevice::WriteOnly);
    WriteHtmlPage(buffer, sheet, settings);
    return page;
}
