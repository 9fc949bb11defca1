// Moving and copying a block of cells over itself and past the sheet's edges. Their undo and
// redo are tested with the other steps'.
#include "document/Document.h"
#include "document/commands/MoveCells.h"
#include "support/logic/SheetBuilder.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Fills a sheet from rows of letters, '.' a new cell; each letter's cell has colours of its
// own, so that they show where the cell went, and "l" holds "lll", a text kept outside the cell.
void fill(GridSheet &sheet, const QStringList &rows)
{
    sheet.setSize(int(rows.first().size()), int(rows.size()));
    for (int row = 1; row <= sheet.rowCount(); ++row) {
        for (int column = 1; column <= sheet.columnCount(); ++column) {
            const QChar letter = rows[row - 1][column - 1];
            const bool blank = letter == u'.';
            sheet.setCellText(column, row, blank ? QString() : letter == u'l' ? u"lll"_s : QString(letter));
            sheet.setCellColors(column, row, blank ? kWhite : makeColor(letter.unicode(), 100, 200),
                blank ? kBlack : makeColor(1, letter.unicode(), 3));
        }
    }
}

const QStringList kStart = {u"abcd"_s, u"efgh"_s, u"ijkl"_s};

} // namespace

class BlockCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void moveAndCopy_data()
    {
        QTest::addColumn<MoveCells::Kind>("kind");
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QPoint>("target");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QPoint>("active");

        const auto move = MoveCells::Kind::Move;
        const auto copy = MoveCells::Kind::Copy;
        QTest::newRow("move right over itself") << move << QRect(1, 1, 2, 2) << QPoint(2, 1)
                                                << QStringList {u".abd"_s, u".efh"_s, u"ijkl"_s} << QPoint(2, 1);
        QTest::newRow("move up left over itself") << move << QRect(2, 2, 3, 2) << QPoint(1, 1)
                                                  << QStringList {u"fghd"_s, u"jkl."_s, u"i..."_s} << QPoint(1, 1);
        QTest::newRow("move cut off at the bottom right")
            << move << QRect(1, 1, 2, 2) << QPoint(3, 3) << QStringList {u"..cd"_s, u"..gh"_s, u"ijab"_s}
            << QPoint(3, 3);
        QTest::newRow("copy down right over itself") << copy << QRect(1, 1, 2, 2) << QPoint(2, 2)
                                                     << QStringList {u"abcd"_s, u"eabh"_s, u"iefl"_s} << QPoint(2, 2);
    }

    void moveAndCopy()
    {
        QFETCH(MoveCells::Kind, kind);
        QFETCH(QRect, source);
        QFETCH(QPoint, target);
        QFETCH(QStringList, after);
        QFETCH(QPoint, active);

        Document document;
        fill(document.sheet(), after);
        const QByteArray expected = sheetBytes(document.sheet());
        fill(document.sheet(), kStart);
        QCOMPARE(MoveCells::landingArea(document.sheet(), source, target).topLeft(), active);
        QVERIFY(document.perform(std::make_unique<MoveCells>(document.sheet(), source, target, kind)));
        QCOMPARE(sheetBytes(document.sheet()), expected);
        QCOMPARE(QPoint(document.sheet().activeColumn(), document.sheet().activeRow()), active);
    }
};

QTEST_GUILESS_MAIN(BlockCommandsTest)
#include "tst_blockcommands.moc"
