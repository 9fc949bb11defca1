// Pasting text keeps the cells' colours. Copying and pasting cells between windows and refusing
// damaged cells are the window's tests; the cells' decoding is the grid file's.
#include "document/CellClipboard.h"
#include "document/Document.h"
#include "support/logic/SheetBuilder.h"

#include <QTest>

class CellClipboardTest : public QObject {
    Q_OBJECT
private slots:
    void pastedTextKeepsColours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("active");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("clippedColumns");
        QTest::addColumn<int>("clippedRows");

        const QString old = QStringLiteral("o|o|o|o");
        QTest::newRow("blanks clear their cells")
            << QStringLiteral("　  b𠀋") << QPoint(1, 2) << QStringList {old, QStringLiteral("||b|𠀋"), old} << 0 << 0;
        QTest::newRow("every line end") << QStringLiteral("ab\r\ncd\ref\ngh") << QPoint(2, 1)
                                        << QStringList {QStringLiteral("o|ab|o|o"), QStringLiteral("o|cd|o|o"),
                                               QStringLiteral("o|ef|o|o")}
                                        << 0 << 1;
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
        for (int row = 1; row <= 3; ++row) {
            for (int column = 1; column <= 4; ++column) {
                sheet.setCellText(column, row, QStringLiteral("o"));
                sheet.setCellColors(column, row, Color(0x00010203 * column), Color(0x00FF0000 - row * column));
            }
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
                QCOMPARE(sheet.backColorAt(column, row), Color(0x00010203 * column));
                QCOMPARE(sheet.foreColorAt(column, row), Color(0x00FF0000 - row * column));
            }
            texts << cells.join(u'|');
        }
        QCOMPARE(texts, rows);
        QCOMPARE(result.clippedColumns, clippedColumns);
        QCOMPARE(result.clippedRows, clippedRows);
    }
};

QTEST_GUILESS_MAIN(CellClipboardTest)
#include "tst_cellclipboard.moc"
