#include "document/CellClipboard.h"

#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "document/Document.h"
#include "gridfile/CellBlock.h"
#include "html/HtmlPageWriter.h"
#include "text/PlainTextExport.h"

#include <QBuffer>

#include <new>
#include <system_error>
#include <thread>

namespace {

constexpr CellBlockFormat kClipboardFormat {CellClipboard::kMagic, CellClipboard::kVersion};

QString mimeType()
{
    return QString::fromLatin1(CellClipboard::kMimeType);
}

QRect clippedToSheet(const GridSheet &sheet, QRect area)
{
    return area.intersected(QRect(1, 1, sheet.columnCount(), sheet.rowCount()));
}

// The cells of an area inside the sheet as a sheet of their own, so that every writer runs
// over them unchanged.
GridSheet cellsOf(const GridSheet &sheet, QRect area)
{
    GridSheet cells(0, 0);
    if (!cells.setSize(area.width(), area.height()))
        throw std::bad_alloc();
    GridSheet::ChangeBatch batch(cells);
    for (int row = 1; row <= area.height(); ++row) {
        const int sheetRow = area.top() + row - 1;
        for (int column = 1; column <= area.width(); ++column) {
            const int sheetColumn = area.left() + column - 1;
            cells.setCellColors(
                column, row, sheet.backColorAt(sheetColumn, sheetRow), sheet.foreColorAt(sheetColumn, sheetRow));
            cells.setCellText(column, row, sheet.cellTextView(sheetColumn, sheetRow));
        }
    }
    return cells;
}

QByteArray encodeWhole(const GridSheet &cells)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeCellBlock(buffer, cells, kClipboardFormat))
        throw std::bad_alloc(); // a QBuffer fails only for memory
    return bytes;
}

// The text Export Plain Text writes, with the line ends of a clipboard text.
QString plainTextOf(const GridSheet &cells)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writePlainText(buffer, cells))
        throw std::bad_alloc();
    buffer.close();
    // Every line end is the writer's CR LF: no byte of a two-byte character is a CR or LF.
    return Cp932::decode(bytes.replace("\r\n", "\n"));
}

// The page Make Html writes, its META naming the clipboard text's encoding.
QString htmlPageOf(const GridSheet &cells, const Document &document)
{
    HtmlPageSettings settings;
    settings.nearText = document.nearColorText();
    settings.backgroundText = document.backgroundText();
    settings.asIs = document.isAsIs();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeHtmlPageOnTwoThreads(buffer, cells, settings))
        throw std::bad_alloc();
    buffer.close();
    QString page = Cp932::decode(bytes);
    // The META is in the header, before any cell's text.
    const QString shiftJis = QStringLiteral("charset=shift_jis;");
    const qsizetype at = page.indexOf(shiftJis);
    if (at >= 0)
        page.replace(at, shiftJis.size(), QStringLiteral("charset=utf-8;"));
    return page;
}

} // namespace

bool decodeCells(QByteArrayView bytes, GridSheet &into, GridFileFailure *failure)
{
    QBuffer buffer;
    buffer.setData(QByteArray::fromRawData(bytes.data(), bytes.size()));
    buffer.open(QIODevice::ReadOnly);
    return readCellBlock(buffer, into, kClipboardFormat, failure);
}

std::unique_ptr<QMimeData> mimeDataForCells(const Document &document, QRect area)
{
    area = clippedToSheet(document.sheet(), area);
    if (area.isEmpty())
        return nullptr;
    try {
        const GridSheet cells = cellsOf(document.sheet(), area);
        // The page takes longest: the other two forms are made meanwhile on a thread of
        // their own. Nothing changes the cells while both threads read them.
        QByteArray own;
        QString text;
        bool madeBoth = false;
        auto makeBoth = [&] {
            try {
                own = encodeWhole(cells);
                text = plainTextOf(cells);
                madeBoth = true;
            } catch (const std::bad_alloc &) {
            }
        };
        std::thread worker;
        try {
            worker = std::thread(makeBoth);
        } catch (const std::system_error &) {
            makeBoth(); // no second thread to be had
        }
        QString page;
        try {
            page = htmlPageOf(cells, document);
        } catch (const std::bad_alloc &) {
            // The worker is joined before the failure is told.
        }
        if (worker.joinable())
            worker.join();
        if (!madeBoth || page.isEmpty())
            return nullptr;
        auto data = std::make_unique<QMimeData>();
        data->setData(mimeType(), own);
        data->setText(text);
        data->setHtml(page);
        return data;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

PasteContent pasteContentOf(const QMimeData &data, GridFileFailure *failure)
{
    PasteContent content;
    if (data.hasFormat(mimeType())) {
        // A damaged own form is refused even when a text came with it: the text would land
        // without the copied colours and with padded texts, something other than what was
        // copied, and the user would not know. Saying why lets them copy again.
        if (decodeCells(data.data(mimeType()), content.cells, failure))
            content.kind = PasteContent::Kind::Cells;
        return content;
    }
    if (data.hasText()) {
        content.text = data.text();
        if (!content.text.isEmpty())
            content.kind = PasteContent::Kind::Text;
    }
    return content;
}
