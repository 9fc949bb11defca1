#include "text/PlainTextExport.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "core/HtmlText.h"

#include <QBuffer>

#include <new>

namespace {

constexpr qsizetype kFlushSize = 1 << 20;

void appendCell(QByteArray &out, QStringView text)
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

bool writeOut(QIODevice &device, QByteArrayView data, PlainTextFailure *failure)
{
    QString reason;
    if (writeAll(device, data, &reason))
        return true;
    if (failure)
        *failure = {PlainTextError::WriteFailed, reason};
    return false;
}

} // namespace

bool writePlainText(QIODevice &device, const GridSheet &sheet, PlainTextFailure *failure)
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
                    if (!writeOut(device, out, failure))
                        return false;
                    out.truncate(0);
                }
            }
            out += "\r\n";
        }
        return writeOut(device, out, failure);
    } catch (const std::bad_alloc &) {
        if (failure)
            *failure = {PlainTextError::OutOfMemory, QString()};
        return false;
    }
}

QByteArray plainText(const GridSheet &sheet)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    writePlainText(buffer, sheet);
    return text;
}
