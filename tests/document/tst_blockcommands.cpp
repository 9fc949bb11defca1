// The commands on a block of cells: moving, copying, clearing texts and setting colours,
// each applied, undone and redone exactly.
#include "document/Document.h"
#include "document/commands/ClearTexts.h"
#include "document/commands/MoveCells.h"
#include "document/commands/SetCellColors.h"
#include "support/logic/SheetBuilder.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr Color kPaint = 0x00123456;

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

// Performs the step, then checks its outcome and that undo and redo restore the cells exactly.
void checkStep(Document &document, std::unique_ptr<SheetCommand> step, const QByteArray &after)
{
    const QByteArray before = sheetBytes(document.sheet());
    QVERIFY(document.perform(std::move(step)));
    QCOMPARE(sheetBytes(document.sheet()), after);
    document.undoStack().undo();
    QCOMPARE(sheetBytes(document.sheet()), before);
    document.undoStack().redo();
    QCOMPARE(sheetBytes(document.sheet()), after);
}

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
        QTest::newRow("move cut off at the left") << move << QRect(3, 1, 2, 1) << QPoint(0, 1)
                                                  << QStringList {u"db.."_s, u"efgh"_s, u"ijkl"_s} << QPoint(1, 1);
        QTest::newRow("copy down right over itself") << copy << QRect(1, 1, 2, 2) << QPoint(2, 2)
                                                     << QStringList {u"abcd"_s, u"eabh"_s, u"iefl"_s} << QPoint(2, 2);
        QTest::newRow("copy cut off at the bottom right")
            << copy << QRect(3, 2, 2, 2) << QPoint(4, 3) << QStringList {u"abcd"_s, u"efgh"_s, u"ijkg"_s}
            << QPoint(4, 3);
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
        checkStep(document, std::make_unique<MoveCells>(document.sheet(), source, target, kind), expected);
        QCOMPARE(QPoint(document.sheet().activeColumn(), document.sheet().activeRow()), active);
    }

    // Delete and Cell Colours on columns 3-4, rows 2-3: g, h, k and the long "lll".
    void clearAndPaint_data()
    {
        QTest::addColumn<bool>("clears");
        QTest::addColumn<std::optional<Color>>("back");
        QTest::addColumn<std::optional<Color>>("fore");

        QTest::newRow("delete keeps colours") << true << std::optional<Color>() << std::optional<Color>();
        QTest::newRow("background alone") << false << std::optional<Color>(kPaint) << std::optional<Color>();
        QTest::newRow("text colour alone") << false << std::optional<Color>() << std::optional<Color>(kPaint);
        QTest::newRow("both colours") << false << std::optional<Color>(kPaint) << std::optional<Color>(kBlack);
    }

    void clearAndPaint()
    {
        QFETCH(bool, clears);
        QFETCH(std::optional<Color>, back);
        QFETCH(std::optional<Color>, fore);

        const QRect area(3, 2, 2, 2);
        Document document;
        GridSheet &sheet = document.sheet();
        GridSheet expected;
        fill(expected, kStart);
        for (int row = area.top(); row <= area.bottom(); ++row) {
            for (int column = area.left(); column <= area.right(); ++column) {
                if (clears)
                    expected.setCellText(column, row, {});
                expected.setCellColors(column, row, back.value_or(expected.backColorAt(column, row)),
                    fore.value_or(expected.foreColorAt(column, row)));
            }
        }
        fill(sheet, kStart);
        std::unique_ptr<SheetCommand> step;
        if (clears)
            step = std::make_unique<ClearTexts>(sheet, area);
        else
            step = std::make_unique<SetCellColors>(sheet, area, back, fore);
        checkStep(document, std::move(step), sheetBytes(expected));
    }
};

QTEST_GUILESS_MAIN(BlockCommandsTest)
#include "tst_blockcommands.moc"
