#include "text/PlainTextExport.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "core/HtmlText.h"

#include <QBuffer>

#include <new>

namespace {

constexpr qsizetype kFlushSize = 1 << 20;

void appendCell(QByteArray& out, QStringView text)
{
    if (isBlankCellText(text)) {
        out += "\x81\x40";
        return;
    }
    const qsizetype before = out.size();
    Cp932::appendEncoded(out, text, Cp932::Unencodable::QuestionMark);
    if (out.size() - before == 1)
        out += ' ';
}

} // namespace

bool writePlainText(QIODevice& device, const GridSheet& sheet, QString* error)
{
    try {
        QByteArray out;
        out.reserve(kFlushSize + 4096);
        const int rows = sheet.rowCount();
        const int columns = sheet.columnCount();
        for (int row = 1; row <= rows; ++row) {
            for (int column = 1; column <= columns; ++column) {
                appendCell(out, sheet.cellTextView(column, row));
                if (out.size() >= kFlushSize) {
                    if (!writeAll(device, out, error))
                        return false;
                    out.truncate(0);
                }
            }
            out += "\r\n";
        }
        return writeAll(device, out, error);
    } catch (const std::bad_alloc&) {
        if (error)
            *error = QStringLiteral("Not enough memory to build the text.");
        return false;
    }
}

QByteArray plainText(const GridSheet& sheet)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    writePlainText(buffer, sheet);
    return text;
}
