// Copying and pasting cells: between documents in the program's own form, as text, and
// refusing damaged cells. The cell block's decoding is the grid file's, tested there.
#include "core/Cp932.h"
#include "document/CellClipboard.h"
#include "document/Document.h"
#include "gridfile/Crc32.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/SheetBuilder.h"
#include "text/PlainTextExport.h"

#include <QTest>
#include <QtEndian>

namespace {

// Cell (column, row) of a sheet filled from `origin` holds what cell (column, row) + origin
// holds in one filled from (0, 0): any rectangle of one is another filled further on.
void fill(GridSheet &sheet, QPoint origin)
{
    const QString texts[] = {QStringLiteral("春"), QStringLiteral("ab"), QString(), QStringLiteral("x"),
        QStringLiteral("long text"), QStringLiteral("𠀋")};
    for (int row = 1; row <= sheet.rowCount(); ++row) {
        for (int column = 1; column <= sheet.columnCount(); ++column) {
            const int c = column + origin.x();
            const int r = row + origin.y();
            sheet.setCellText(column, row, texts[(c * 3 + r) % 6]);
            sheet.setCellColors(column, row, Color(0x00010203 * c + 0x00100000 * r), Color(0x00FF0000 - r * c));
        }
    }
}

QString cellAt(const GridSheet &sheet, int column, int row)
{
    return sheet.getCellText(column, row) + u'|' + QString::number(sheet.backColorAt(column, row), 16) + u'|'
        + QString::number(sheet.foreColorAt(column, row), 16);
}

// The same forms from their bytes alone, as another program's clipboard would give them.
std::unique_ptr<QMimeData> freshCopy(const QMimeData &data)
{
    auto fresh = std::make_unique<QMimeData>();
    for (const QString &format : data.formats())
        fresh->setData(format, data.data(format));
    return fresh;
}

// The own form with the given counts and cells, its checksum right.
QByteArray cellBlock(quint32 columns, quint32 rows, const QByteArray &cells, QByteArray magic = "GLYPHCLP")
{
    QByteArray bytes = gridFileHeader(columns, rows).replace(0, 8, magic) + cells;
    char checksum[4];
    qToLittleEndian(Crc32::of(bytes.constData(), bytes.size()), checksum);
    return bytes + QByteArray(checksum, 4);
}

} // namespace

class CellClipboardTest : public QObject {
    Q_OBJECT
private slots:
    void copiedCellsPasteIntoAnotherDocument_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("active");
        QTest::addColumn<int>("clippedColumns");
        QTest::addColumn<int>("clippedRows");

        QTest::newRow("rectangle") << QRect(2, 2, 3, 2) << QPoint(1, 1) << 0 << 0;
        QTest::newRow("copy beyond the sheet") << QRect(5, 4, 5, 5) << QPoint(1, 1) << 0 << 0;
        QTest::newRow("clipped at the right") << QRect(1, 1, 4, 2) << QPoint(5, 2) << 1 << 0;
        QTest::newRow("clipped at the bottom") << QRect(1, 1, 2, 4) << QPoint(1, 4) << 0 << 1;
        QTest::newRow("whole sheet, clipped at both") << QRect(1, 1, 6, 5) << QPoint(4, 3) << 2 << 1;
    }

    void copiedCellsPasteIntoAnotherDocument()
    {
        QFETCH(QRect, area);
        QFETCH(QPoint, active);
        QFETCH(int, clippedColumns);
        QFETCH(int, clippedRows);
        Document source;
        source.sheet().setSize(6, 5);
        fill(source.sheet(), {});
        Document target;
        target.sheet().setSize(7, 6);
        fill(target.sheet(), {20, 20});
        target.sheet().setActiveCell(active.x(), active.y());
        const QByteArray before = sheetBytes(target.sheet());

        const std::unique_ptr<QMimeData> copy = mimeDataForCells(source, area);
        QVERIFY(copy);
        GridFileFailure failure;
        PasteContent content = pasteContentOf(*freshCopy(*copy), &failure);
        QCOMPARE(failure.error, GridFileError::None);
        PasteResult result;
        QVERIFY(target.perform(std::make_unique<PasteCells>(target.sheet(), std::move(content), &result)));

        GridSheet untouched(7, 6);
        fill(untouched, {20, 20});
        const QRect copied = area.intersected(QRect(1, 1, 6, 5));
        for (int row = 1; row <= 6; ++row) {
            for (int column = 1; column <= 7; ++column) {
                const QPoint from = QPoint(column, row) + copied.topLeft() - active;
                const bool pasted = column >= active.x() && row >= active.y() && copied.contains(from);
                QCOMPARE(cellAt(target.sheet(), column, row),
                    pasted ? cellAt(source.sheet(), from.x(), from.y()) : cellAt(untouched, column, row));
            }
        }
        QCOMPARE(result.clippedColumns, clippedColumns);
        QCOMPARE(result.clippedRows, clippedRows);
        QCOMPARE(QPoint(target.sheet().activeColumn(), target.sheet().activeRow()), active);
        target.undoStack().undo();
        QCOMPARE(sheetBytes(target.sheet()), before);
        target.undoStack().redo();
        // The same paste again changes nothing and adds no step.
        QVERIFY(!target.perform(std::make_unique<PasteCells>(target.sheet(), pasteContentOf(*copy))));
        QCOMPARE(target.undoStack().count(), 1);
    }

    void textAndPageAreTheWritersOwn()
    {
        const QRect area(2, 3, 4, 2);
        Document document;
        document.sheet().setSize(6, 5);
        fill(document.sheet(), {});
        document.setNearColorText(QStringLiteral("20"));
        document.setBackgroundText(QStringLiteral("#102030"));
        document.setAsIs(true);
        GridSheet cells(area.width(), area.height());
        fill(cells, area.topLeft() - QPoint(1, 1));
        const HtmlPageSettings settings {QStringLiteral("20"), QStringLiteral("#102030"), true, QString()};
        QString page = Cp932::decode(htmlPage(cells, settings));
        page.replace(QStringLiteral("charset=shift_jis;"), QStringLiteral("charset=utf-8;"));

        const std::unique_ptr<QMimeData> copy = freshCopy(*mimeDataForCells(document, area));
        QCOMPARE(copy->text(), Cp932::decode(plainText(cells)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(copy->html(), page);
    }

    void pastedTextKeepsColours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("active");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("clippedColumns");
        QTest::addColumn<int>("clippedRows");

        const QString old = QStringLiteral("o|o|o|o");
        QTest::newRow("full- and half-width") << QStringLiteral("春ab夏c") << QPoint(1, 1)
                                              << QStringList {QStringLiteral("春|ab|夏|c"), old, old} << 0 << 0;
        QTest::newRow("blanks clear their cells")
            << QStringLiteral("　  b𠀋") << QPoint(1, 2) << QStringList {old, QStringLiteral("||b|𠀋"), old} << 0 << 0;
        QTest::newRow("every line end") << QStringLiteral("ab\r\ncd\ref\ngh") << QPoint(2, 1)
                                        << QStringList {QStringLiteral("o|ab|o|o"), QStringLiteral("o|cd|o|o"),
                                               QStringLiteral("o|ef|o|o")}
                                        << 0 << 1;
        QTest::newRow("clipped at the right") << QStringLiteral("春夏秋冬\n") << QPoint(3, 3)
                                              << QStringList {old, old, QStringLiteral("o|o|春|夏")} << 2 << 0;
    }

    void pastedTextKeepsColours()
    {
        QFETCH(QString, text);
        QFETCH(QPoint, active);
        QFETCH(QStringList, rows);
        QFETCH(int, clippedColumns);
        QFETCH(int, clippedRows);
        Document document;
        GridSheet &sheet = document.sheet();
        sheet.setSize(4, 3);
        fill(sheet, {});
        for (int row = 1; row <= 3; ++row) {
            for (int column = 1; column <= 4; ++column)
                sheet.setCellText(column, row, QStringLiteral("o"));
        }
        sheet.setActiveCell(active.x(), active.y());
        QMimeData data;
        data.setText(text);

        PasteResult result;
        QVERIFY(document.perform(std::make_unique<PasteCells>(sheet, pasteContentOf(data), &result)));
        QStringList texts;
        for (int row = 1; row <= 3; ++row) {
            QStringList cells;
            for (int column = 1; column <= 4; ++column) {
                cells << sheet.getCellText(column, row);
                QCOMPARE(sheet.foreColorAt(column, row), Color(0x00FF0000 - row * column));
            }
            texts << cells.join(u'|');
        }
        QCOMPARE(texts, rows);
        QCOMPARE(result.clippedColumns, clippedColumns);
        QCOMPARE(result.clippedRows, clippedRows);
    }

    // Damaged cells are refused, not pasted as the text beside them.
    void damagedCellsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<GridFileError>("error");

        const QByteArray colours("\xFF\xCC\x99\x00\xFF\xFF\xFF\x00", 8);
        const QByteArray valid = cellBlock(1, 1, colours + "\x03\xE6\x98\xA5");
        QByteArray wrongChecksum = valid;
        wrongChecksum[wrongChecksum.size() - 1] = char(wrongChecksum.back() ^ 1);
        QTest::newRow("empty") << QByteArray() << GridFileError::NotGridFile;
        QTest::newRow("grid file") << cellBlock(0, 0, {}, "GLYPHGRD") << GridFileError::NotGridFile;
        QTest::newRow("cut in the checksum") << valid.chopped(1) << GridFileError::Truncated;
        QTest::newRow("wrong checksum") << wrongChecksum << GridFileError::ChecksumMismatch;
        QTest::newRow("trailing bytes") << valid + "x" << GridFileError::DataAfterEnd;
        QTest::newRow("huge counts") << cellBlock(0xFFFFFFFF, 0xFFFFFFFF, {}) << GridFileError::TooManyCells;
    }

    void damagedCellsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(GridFileError, error);
        Document document;
        fill(document.sheet(), {});
        const QByteArray before = sheetBytes(document.sheet());
        QMimeData data;
        data.setData(QString::fromLatin1(CellClipboard::kMimeType), bytes);
        data.setText(QStringLiteral("春ab"));

        GridFileFailure failure;
        PasteContent content = pasteContentOf(data, &failure);
        QCOMPARE(failure.error, error);
        QVERIFY(!document.perform(std::make_unique<PasteCells>(document.sheet(), std::move(content))));
        QCOMPARE(sheetBytes(document.sheet()), before);
        QCOMPARE(document.undoStack().count(), 0);
    }
};

QTEST_GUILESS_MAIN(CellClipboardTest)
#include "tst_cellclipboard.moc"
