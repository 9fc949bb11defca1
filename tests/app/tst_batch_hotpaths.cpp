// The pieces glyphscape-batch adds to the shared logic for speed: painting a row of cells
// at once and building the page on two threads, which must give exactly what the editor's
// one-cell, one-thread paths give.
#include "core/GridSheet.h"
#include "html/HtmlPageWriter.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray PageOnTwoThreads(const GridSheet &sheet, const HtmlPageSettings &settings)
{
    QByteArray page;
    QBuffer buffer(&page);
    buffer.open(QIODevice::WriteOnly);
    WriteHtmlPageOnTwoThreads(buffer, sheet, settings);
    return page;
}

} // namespace

class TestBatchHotPaths : public QObject {
    Q_OBJECT

private slots:
    void rowOfColoursStaysInsideTheSheet_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("firstColumn");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("whole row") << 2 << 1 << 5 << true;
        QTest::newRow("tail of a row") << 3 << 4 << 2 << true;
        QTest::newRow("nothing") << 1 << 1 << 0 << true;
        QTest::newRow("one past the end") << 1 << 2 << 5 << false;
        QTest::newRow("row 0") << 0 << 1 << 1 << false;
        QTest::newRow("row past the end") << 4 << 1 << 1 << false;
        QTest::newRow("column 0") << 1 << 0 << 2 << false;
    }

    void rowOfColoursStaysInsideTheSheet()
    {
        QFETCH(int, row);
        QFETCH(int, firstColumn);
        QFETCH(int, count);
        QFETCH(bool, accepted);
        GridSheet sheet(5, 3);
        QSignalSpy changes(&sheet, &GridSheet::cellsChanged);
        const Color back[] = {1, 2, 3, 4, 5, 6};
        const Color fore[] = {11, 12, 13, 14, 15, 16};
        QCOMPARE(sheet.SetRowColors(row, firstColumn, back, fore, count), accepted);
        for (int r = 1; r <= 3; ++r) {
            for (int c = 1; c <= 5; ++c) {
                const bool painted = accepted && r == row && c >= firstColumn && c < firstColumn + count;
                QCOMPARE(sheet.BackColorAt(c, r), painted ? back[c - firstColumn] : kWhite);
                QCOMPARE(sheet.ForeColorAt(c, r), painted ? fore[c - firstColumn] : kBlack);
            }
        }
        QCOMPARE(changes.size(), accepted && count > 0 ? 1 : 0);
    }

    // Sheets large enough for several chunks on each thread, with every kind of cell text.
    void pageOnTwoThreadsIsThePage_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("asIs");
        QTest::addColumn<QString>("nearText");
        QTest::newRow("empty sheet") << 0 << 0 << false << "8";
        QTest::newRow("no columns") << 0 << 7 << false << "8";
        QTest::newRow("one row") << 9 << 1 << true << "8";
        QTest::newRow("many chunks") << 700 << 1300 << false << "8";
        QTest::newRow("many chunks as-is") << 700 << 1300 << true << "40";
        QTest::newRow("odd chunk count") << 1000 << 787 << false << "0";
        QTest::newRow("one very wide row") << 300000 << 1 << false << "8";
    }

    void pageOnTwoThreadsIsThePage()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(bool, asIs);
        QFETCH(QString, nearText);
        GridSheet sheet(columns, rows);
        QRandomGenerator random(quint32(columns + rows));
        const QString texts[] = {QString(), QStringLiteral(" "), QStringLiteral("  "), QStringLiteral("春"),
                                 QStringLiteral("ab"), QStringLiteral("<"), QStringLiteral("\t"),
                                 QStringLiteral("　"), QStringLiteral("long text"), QString(QChar(0x00E9)),
                                 QStringLiteral("&\"")};
        for (int row = 1; row <= rows; ++row) {
            for (int column = 1; column <= columns; ++column) {
                const Color back = Color(random.bounded(4) == 0 ? 0xFFFFFF : random.bounded(0x1000000u));
                sheet.SetCellColors(column, row, back, kBlack);
                if (random.bounded(3) == 0)
                    sheet.SetCellText(column, row, texts[random.bounded(int(std::size(texts)))]);
            }
        }
        HtmlPageSettings settings;
        settings.asIs = asIs;
        settings.nearText = nearText;
        settings.pageTitle = QStringLiteral("page");
        QCOMPARE(PageOnTwoThreads(sheet, settings), HtmlPage(sheet, settings));
    }
};

QTEST_GUILESS_MAIN(TestBatchHotPaths)
#include "tst_batch_hotpaths.moc"
