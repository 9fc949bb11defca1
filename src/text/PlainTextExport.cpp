#include "text/PlainTextExport.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "core/HtmlText.h"

#include <QBuffer>

#include <new>

namespace {

constexpr qsizetype kFlushSize = 1 << 20;

void AppendCell(QByteArray &out, QStringView text)
{
    if (IsBlankCellText(text)) {
        out += "\x81\x40";
        return;
    }
    const qsizetype before = out.size();
    Cp932::AppendEncoded(out, text, Cp932::Unencodable::QuestionMark);
    if (out.size() - before == 1)
        out += ' ';
}

} // namespace

bool WritePlainText(QIODevice &device, const GridSheet &sheet, QString *error)
{
    try {
        QByteArray out;
        out.reserve(kFlushSize + 4096);
        const int rows = sheet.RowCount();
        const int columns = sheet.ColumnCount();
        for (int row = 1; row <= rows; ++row) {
            for (int column = 1; column <= columns; ++column) {
                AppendCell(out, sheet.CellTextView(column, row));
                if (out.size() >= kFlushSize) {
                    if (!WriteAll(device, out, error))
                        return false;
                    out.truncate(0);
                }
            }
            out += "\r\n";
        }
        return WriteAll(device, out, error);
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("Not enough memory to build the text.");
        return false;
    }
}

QByteArray PlainText(const GridSheet &sheet)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    WritePlainText(buffer, sheet);
    return text;
}
