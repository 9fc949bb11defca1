// The document store: sizes, cell contents, limits and change announcements.
#include "core/GridSheet.h"

#include <QSignalSpy>
#include <QSize>
#include <QTest>

Q_DECLARE_METATYPE(SheetResize)

class TestGridSheet : public QObject {
    Q_OBJECT
private slots:
    void keepsItsLimits()
    {
        GridSheet sheet;
        QVERIFY(sheet.setRowCount(-4)); // counts below 0 act as 0
        QCOMPARE(sheet.rowCount(), 0);
        QVERIFY(!sheet.setCellText(1, 1, QStringLiteral("x")));
        QCOMPARE(sheet.getCellText(1, 1), QString());
        QVERIFY(sheet.setRowCount(7));
        QVERIFY(!sheet.setSize(100'000, 100'000));
        QCOMPARE(sheet.columnCount() * sheet.rowCount(), 25 * 7);
        QVERIFY(GridSheet::sizeFits(GridSheet::kMaxCells, 1));
        QVERIFY(!GridSheet::sizeFits(1, GridSheet::kMaxCells + 1));
    }

    void resizeKeepsCellsInsideBothSizes()
    {
        GridSheet sheet(3, 3);
        sheet.setCellText(2, 2, QStringLiteral("春"));
        sheet.setCellColors(2, 2, 0x0000FF, 0xFFFFFF);
        sheet.setCellText(3, 3, QStringLiteral("a long text"));
        sheet.setCellText(1, 3, QStringLiteral("xyz"));

        QVERIFY(sheet.setColumnCount(5));
        QCOMPARE(sheet.foreColorAt(2, 2), Color(0xFFFFFF));
        QCOMPARE(sheet.getCellText(3, 3), QStringLiteral("a long text"));
        QCOMPARE(sheet.backColorAt(5, 3), kWhite);

        QVERIFY(sheet.setSize(2, 3));
        QCOMPARE(sheet.getCellText(1, 3), QStringLiteral("xyz"));
        QCOMPARE(sheet.getCellText(2, 2), QStringLiteral("春"));
        QVERIFY(sheet.setSize(3, 3)); // the cut column comes back empty
        QCOMPARE(sheet.getCellText(3, 3), QString());
        QCOMPARE(sheet.backColorAt(3, 3), kWhite);
    }

    // The grid size dialog's change: a size that fits is reached in one step, whatever the
    // old size, so that neither count is ever applied against the other's old value.
    void resizeSheetInOneStep_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<qint64>("newColumns");
        QTest::addColumn<qint64>("newRows");
        QTest::addColumn<SheetResize>("result");
        QTest::addColumn<QSize>("size"); // columns by rows after it

        QTest::newRow("columns first would pass the limit")
            << 1 << 2'500'000 << qint64(21) << qint64(1) << SheetResize::Done << QSize(21, 1);
        QTest::newRow("rows first would pass the limit")
            << 2'500'000 << 1 << qint64(1) << qint64(21) << SheetResize::Done << QSize(1, 21);
        QTest::newRow("too large") << 3 << 2 << qint64(10'000) << qint64(5'001) << SheetResize::TooLarge << QSize(3, 2);
        QTest::newRow("counts below 0") << 3 << 2 << qint64(-5) << qint64(4) << SheetResize::Done << QSize(0, 4);
    }

    void resizeSheetInOneStep()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(qint64, newColumns);
        QFETCH(qint64, newRows);
        QFETCH(SheetResize, result);
        QFETCH(QSize, size);

        GridSheet sheet(columns, rows);
        sheet.setCellText(1, 1, QStringLiteral("春"));
        QSignalSpy resized(&sheet, &GridSheet::sizeChanged);

        QCOMPARE(resizeSheet(sheet, GridSize {newColumns, newRows}), result);
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), size);
        QCOMPARE(resized.count(), result == SheetResize::Done ? 1 : 0);
        QCOMPARE(sheet.getCellText(1, 1), size.isEmpty() ? QString() : QStringLiteral("春"));
    }

    // Texts of up to two UTF-16 units are held in the cell, longer ones apart: each replaces
    // the one before it, across that line too.
    void textsOfEveryLength_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("text");

        QTest::newRow("surrogate pair over two units") << QStringLiteral("ab") << QString::fromUcs4(U"\U0001F600");
        QTest::newRow("three units over a pair") << QString::fromUcs4(U"\U0001F600") << QStringLiteral("abc");
        QTest::newRow("NUL over three units") << QStringLiteral("abc") << QString(QChar(0));
        QTest::newRow("one unit over a long text") << QStringLiteral("long one") << QStringLiteral("b");
    }

    void textsOfEveryLength()
    {
        QFETCH(QString, before);
        QFETCH(QString, text);

        GridSheet sheet(2, 1);
        QVERIFY(sheet.setCellText(1, 1, before));
        QVERIFY(sheet.setCellText(1, 1, text));
        QCOMPARE(sheet.getCellText(1, 1), text);
        QCOMPARE(sheet.cellTextView(1, 1), QStringView(text));
    }

    void clearAllTextKeepsColoursAndSize()
    {
        GridSheet sheet(2, 2);
        sheet.setCellText(1, 1, QStringLiteral("ab"));
        sheet.setCellText(2, 2, QStringLiteral("long text"));
        sheet.setCellColors(2, 2, 0x123456, 0x654321);
        sheet.clearAllText();
        QCOMPARE(sheet.getCellText(1, 1), QString());
        QCOMPARE(sheet.getCellText(2, 2), QString());
        QCOMPARE(sheet.foreColorAt(2, 2), Color(0x654321));
    }

    void changesAreAnnouncedOncePerOperation()
    {
        GridSheet sheet(1000, 1000);
        QSignalSpy cells(&sheet, &GridSheet::cellsChanged);
        QSignalSpy size(&sheet, &GridSheet::sizeChanged);
        {
            GridSheet::ChangeBatch batch(sheet);
            for (int row = 1; row <= 1000; ++row)
                for (int column = 1; column <= 1000; ++column)
                    sheet.setCellColors(column, row, 0, 0);
            sheet.setCellText(3, 2, QStringLiteral("a"));
        }
        QCOMPARE(cells.count(), 1);
        QCOMPARE(cells.at(0), (QList<QVariant> {1, 1, 1000, 1000}));

        cells.clear();
        sheet.clearAllText();
        QCOMPARE(cells.count(), 1);

        cells.clear();
        {
            GridSheet::ChangeBatch batch(sheet);
            sheet.setCellText(900, 900, QStringLiteral("x"));
            sheet.setSize(10, 10); // the pending area is cut to the new size
        }
        QCOMPARE(size.count(), 1);
        QCOMPARE(cells.count(), 0);

        sheet.setCellText(2, 3, QStringLiteral("y"));
        QCOMPARE(cells.count(), 1);
        QCOMPARE(cells.at(0), (QList<QVariant> {2, 3, 2, 3}));
    }
};

QTEST_GUILESS_MAIN(TestGridSheet)
#include "tst_gridsheet.moc"
