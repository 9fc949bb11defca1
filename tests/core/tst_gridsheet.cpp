// The document store: sizes, cell contents, limits and change announcements.
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/SheetChangeLog.h"

#include <QSize>
#include <QTest>

Q_DECLARE_METATYPE(SheetResize)

class TestGridSheet : public QObject {
    Q_OBJECT

    // A text over two units that names its cell and the round that wrote it.
    static QString longText(int column, int row, int round)
    {
        return QStringLiteral("cell %1,%2 round %3").arg(column).arg(row).arg(round);
    }

private slots:
    void writesOutsideTheSheetAreRefused()
    {
        GridSheet sheet(2, 0);
        QVERIFY(!sheet.setCellText(1, 1, QStringLiteral("x")));
        QVERIFY(sheet.setRowCount(1));
        QVERIFY(!sheet.setCellText(3, 1, QStringLiteral("x")));
        QVERIFY(!sheet.setSize(100'000, 100'000));
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), QSize(2, 1));
    }

    // A size that fits is reached in one step, whatever the old size, so that neither count
    // is ever applied against the other's old value.
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
        // 2^32 by 2^32 wraps to 0 cells in 64 bits.
        QTest::newRow("product past 64 bits")
            << 3 << 2 << (qint64(1) << 32) << (qint64(1) << 32) << SheetResize::TooLarge << QSize(3, 2);
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
        const SheetChangeLog log(sheet);

        QCOMPARE(resizeSheet(sheet, GridSize {newColumns, newRows}), result);
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), size);
        QCOMPARE(log.resizes, result == SheetResize::Done ? 1 : 0);
        QCOMPARE(sheet.getCellText(1, 1), size.isEmpty() ? QString() : QStringLiteral("春"));
    }

    // Texts of up to two UTF-16 units are held in the cell, longer ones apart: each replaces
    // the one before it, across that line too, and leaves the long texts beside it as they were.
    void textsOfEveryLength_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("text");

        const QString longest(0xFFFE, QChar(u'k')); // the longest whose length the cell holds
        const QString longer(70'000, QChar(u'm'));
        QTest::newRow("surrogate pair over two units") << QStringLiteral("ab") << QString::fromUcs4(U"\U0001F600");
        QTest::newRow("three units over a pair") << QString::fromUcs4(U"\U0001F600") << QStringLiteral("abc");
        QTest::newRow("NUL over three units") << QStringLiteral("abc") << QString(QChar(0));
        QTest::newRow("empty over a long text") << QStringLiteral("long one") << QString();
        QTest::newRow("shorter long text") << QStringLiteral("long one") << QStringLiteral("xyz");
        QTest::newRow("as long a text") << QStringLiteral("long one") << QStringLiteral("LONG ONE");
        QTest::newRow("longer long text") << QStringLiteral("abc") << QStringLiteral("a longer one");
        QTest::newRow("longest held length") << QStringLiteral("abc") << longest;
        QTest::newRow("length kept apart") << QStringLiteral("abc") << longer;
        QTest::newRow("over a length kept apart") << longer << QStringLiteral("abcd");
        QTest::newRow("shorter, length kept apart") << longer << longer.left(65'536);
        QTest::newRow("held length over kept length") << longer << longest;
    }

    void textsOfEveryLength()
    {
        QFETCH(QString, before);
        QFETCH(QString, text);

        GridSheet sheet(3, 1);
        QVERIFY(sheet.setCellText(1, 1, QStringLiteral("left")));
        QVERIFY(sheet.setCellText(2, 1, before));
        QVERIFY(sheet.setCellText(3, 1, QStringLiteral("right")));
        QVERIFY(sheet.setCellText(2, 1, text));
        QCOMPARE(sheet.getCellText(2, 1), text);
        QCOMPARE(sheet.cellTextView(2, 1), QStringView(text));
        QCOMPARE(sheet.getCellText(1, 1), QStringLiteral("left"));
        QCOMPARE(sheet.getCellText(3, 1), QStringLiteral("right"));
    }

    // Cells inside both sizes keep their colours and texts; the long texts cut off free their
    // room without disturbing the kept ones, which stay intact through the writes after.
    void resizeKeepsCellsInsideBothSizes_data()
    {
        QTest::addColumn<QSize>("size"); // columns by rows

        QTest::newRow("wider") << QSize(7, 4);
        QTest::newRow("narrower") << QSize(2, 4);
        QTest::newRow("shorter") << QSize(4, 1);
        QTest::newRow("no rows") << QSize(4, 0);
    }

    void resizeKeepsCellsInsideBothSizes()
    {
        QFETCH(QSize, size);

        GridSheet sheet(4, 4);
        for (int row = 1; row <= 4; ++row) {
            for (int column = 1; column <= 4; ++column) {
                sheet.setCellText(column, row, column == row ? QStringLiteral("春") : longText(column, row, 0));
                sheet.setCellColors(column, row, Color(column * 16 + row), kBlack);
            }
        }

        QVERIFY(sheet.setSize(size.width(), size.height()));
        QVERIFY(sheet.setSize(5, 5));
        for (int row = 1; row <= 5; ++row) {
            for (int column = 1; column <= 5; ++column) {
                const bool kept = column <= std::min(4, size.width()) && row <= std::min(4, size.height());
                const QString text = column == row ? QStringLiteral("春") : longText(column, row, 0);
                QCOMPARE(sheet.getCellText(column, row), kept ? text : QString());
                QCOMPARE(sheet.backColorAt(column, row), kept ? Color(column * 16 + row) : kWhite);
            }
        }

        // Overwriting every text twice is waste enough to compact the rest.
        for (int round = 1; round <= 2; ++round)
            for (int row = 1; row <= 5; ++row)
                for (int column = 1; column <= 5; ++column)
                    sheet.setCellText(column, row, longText(column, row, round));
        for (int row = 1; row <= 5; ++row)
            for (int column = 1; column <= 5; ++column)
                QCOMPARE(sheet.getCellText(column, row), longText(column, row, 2));
    }

    void clearAllTextKeepsColours()
    {
        GridSheet sheet(2, 2);
        sheet.setCellText(1, 1, QStringLiteral("ab"));
        sheet.setCellText(2, 2, QStringLiteral("long text"));
        sheet.setCellColors(2, 2, 0x123456, 0x654321);
        sheet.clearAllText();
        QCOMPARE(sheet.getCellText(1, 1), QString());
        QCOMPARE(sheet.getCellText(2, 2), QString());
        QCOMPARE(sheet.foreColorAt(2, 2), Color(0x654321));
        QVERIFY(sheet.setCellText(1, 2, QStringLiteral("new text")));
        QCOMPARE(sheet.getCellText(1, 2), QStringLiteral("new text"));
    }

    // Loading a file: the texts go with their cells, and both sheets go on taking writes.
    void takeContentFromMovesLongTexts()
    {
        GridSheet sheet(2, 1);
        sheet.setCellText(2, 1, QStringLiteral("old second"));
        GridSheet loaded(1, 2);
        loaded.setCellText(1, 2, QStringLiteral("loaded second"));

        sheet.takeContentFrom(loaded);
        sheet.setCellText(1, 1, QStringLiteral("a new text"));
        QCOMPARE(sheet.getCellText(1, 1), QStringLiteral("a new text"));
        QCOMPARE(sheet.getCellText(1, 2), QStringLiteral("loaded second"));
        loaded.setCellText(1, 1, QStringLiteral("another"));
        QCOMPARE(loaded.getCellText(1, 1), QStringLiteral("another"));
        QCOMPARE(loaded.getCellText(2, 1), QStringLiteral("old second"));
    }

    // Many writes of texts of every length over a small sheet: whatever room the replaced
    // texts leave and however often it is reclaimed, every cell reads what was last written.
    void churnKeepsEveryText_data()
    {
        QTest::addColumn<int>("shortest");
        QTest::addColumn<int>("longest");
        QTest::addColumn<int>("writes");

        QTest::newRow("short and long") << 0 << 12 << 40'000;
        QTest::newRow("long only") << 3 << 40 << 40'000;
        QTest::newRow("lengths kept apart") << 3 << 70'000 << 600;
    }

    void churnKeepsEveryText()
    {
        QFETCH(int, shortest);
        QFETCH(int, longest);
        QFETCH(int, writes);

        constexpr int kSide = 7;
        GridSheet sheet(kSide, kSide);
        QList<QString> expected(kSide * kSide);
        quint32 seed = 12345;
        auto next = [&seed](int bound) {
            seed = seed * 1'103'515'245u + 12'345u;
            return int((seed >> 8) % quint32(bound));
        };
        for (int write = 0; write < writes; ++write) {
            const int index = next(kSide * kSide);
            const int length = shortest + next(longest - shortest + 1);
            QString text(length, QChar(u'a' + write % 26));
            if (length > 0)
                text[length - 1] = QChar(u'0' + index % 10);
            QVERIFY(sheet.setCellText(index % kSide + 1, index / kSide + 1, text));
            expected[index] = text;
            if (write % 1000 == 999 || write == writes - 1) {
                for (int i = 0; i < kSide * kSide; ++i)
                    QCOMPARE(sheet.getCellText(i % kSide + 1, i / kSide + 1), expected[i]);
            }
        }
    }

    void changesAreAnnouncedOncePerOperation()
    {
        GridSheet sheet(1000, 1000);
        SheetChangeLog log(sheet);
        {
            GridSheet::ChangeBatch batch(sheet);
            for (int row = 1; row <= 1000; ++row)
                for (int column = 1; column <= 1000; ++column)
                    sheet.setCellColors(column, row, 0, 0);
            sheet.setCellText(3, 2, QStringLiteral("a"));
        }
        QCOMPARE(log.cells, QList<QRect> {QRect(1, 1, 1000, 1000)});

        log.cells.clear();
        {
            GridSheet::ChangeBatch batch(sheet);
            sheet.setCellText(900, 900, QStringLiteral("x"));
            sheet.setSize(10, 10); // the pending area is cut to the new size
        }
        QCOMPARE(log.resizes, 1);
        QCOMPARE(log.cells.size(), 0);

        sheet.setCellText(2, 3, QStringLiteral("y"));
        QCOMPARE(log.cells, QList<QRect> {QRect(2, 3, 1, 1)});
    }

    void rowColoursAsCellByCell_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("firstColumn");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("part of a row") << 3 << 4 << 2 << true;
        QTest::newRow("no cells") << 1 << 1 << 0 << true;
        QTest::newRow("past the last column") << 1 << 2 << 5 << false;
        QTest::newRow("below the last row") << 4 << 1 << 1 << false;
        QTest::newRow("column 0") << 1 << 0 << 2 << false;
    }

    void rowColoursAsCellByCell()
    {
        QFETCH(int, row);
        QFETCH(int, firstColumn);
        QFETCH(int, count);
        QFETCH(bool, accepted);
        const Color back[] = {1, 2, 3, 4, 5}, fore[] = {11, 12, 13, 14, 15};
        GridSheet sheet(5, 3), cellByCell(5, 3);
        const SheetChangeLog log(sheet);

        QCOMPARE(sheet.setRowColors(row, firstColumn, back, fore, count), accepted);
        QCOMPARE(log.cells.size(), accepted && count > 0 ? 1 : 0);
        for (int i = 0; accepted && i < count; ++i)
            cellByCell.setCellColors(firstColumn + i, row, back[i], fore[i]);
        QCOMPARE(sheetBytes(sheet), sheetBytes(cellByCell));
    }
};

QTEST_GUILESS_MAIN(TestGridSheet)
#include "tst_gridsheet.moc"
