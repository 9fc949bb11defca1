// The document store: sizes, cell texts of every length, and the cell limit.
#include "core/GridSheet.h"
#include "support/logic/SheetChangeLog.h"

#include <QRandomGenerator>
#include <QSize>
#include <QTest>

Q_DECLARE_METATYPE(SheetResize)

class TestGridSheet : public QObject {
    Q_OBJECT

private slots:
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
        sheet.setCellText(1, 1, QStringLiteral("a long text"));
        const SheetChangeLog log(sheet);

        QCOMPARE(resizeSheet(sheet, GridSize {newColumns, newRows}), result);
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), size);
        QCOMPARE(log.resizes, result == SheetResize::Done ? 1 : 0);
        QCOMPARE(sheet.getCellText(1, 1), size.isEmpty() ? QString() : QStringLiteral("a long text"));
    }

    // Each cell inside both sizes keeps its text and colours; the cells gained are blank.
    void resizeKeepsCellsInsideBothSizes_data()
    {
        QTest::addColumn<QSize>("size"); // columns by rows

        QTest::newRow("wider") << QSize(7, 4);
        QTest::newRow("narrower") << QSize(2, 4);
        QTest::newRow("no rows") << QSize(4, 0);
    }

    void resizeKeepsCellsInsideBothSizes()
    {
        QFETCH(QSize, size);
        auto textAt = [](int column, int row) { return QString(column + row, QChar(u'a' + column)); };
        GridSheet sheet(4, 4);
        for (int row = 1; row <= 4; ++row) {
            for (int column = 1; column <= 4; ++column) {
                sheet.setCellText(column, row, textAt(column, row));
                sheet.setCellColors(column, row, Color(column * 16 + row), kBlack);
            }
        }

        QVERIFY(sheet.setSize(size.width(), size.height()));
        QVERIFY(sheet.setSize(5, 5));
        for (int row = 1; row <= 5; ++row) {
            for (int column = 1; column <= 5; ++column) {
                const bool kept = column <= std::min(4, size.width()) && row <= std::min(4, size.height());
                QCOMPARE(sheet.getCellText(column, row), kept ? textAt(column, row) : QString());
                QCOMPARE(sheet.backColorAt(column, row), kept ? Color(column * 16 + row) : kWhite);
            }
        }
    }

    // Texts of up to two units are held in the cell, longer ones apart, lengths past 0xFFFE apart
    // from their text: however the room of replaced texts is reclaimed, each cell keeps its last.
    void churnKeepsEveryText_data()
    {
        QTest::addColumn<int>("shortest");
        QTest::addColumn<int>("longest");
        QTest::addColumn<int>("writes");

        QTest::newRow("short and long") << 0 << 12 << 40'000;
        QTest::newRow("around the longest held length") << 0xFFFD << 0x10001 << 600;
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
        QRandomGenerator random(12345);
        for (int write = 0; write < writes; ++write) {
            const int index = random.bounded(kSide * kSide);
            const int length = random.bounded(shortest, longest + 1);
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
};

QTEST_GUILESS_MAIN(TestGridSheet)
#include "tst_gridsheet.moc"
