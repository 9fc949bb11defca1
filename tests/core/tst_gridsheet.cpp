// The document store: sizes, cell contents, limits and change announcements.
#include "core/GridSheet.h"

#include <QSignalSpy>
#include <QTest>

class TestGridSheet : public QObject {
    Q_OBJECT
private slots:
    void startsEmptyAndKeepsItsLimits()
    {
        GridSheet sheet;
        QCOMPARE(QList<int>({sheet.ColumnCount(), sheet.RowCount(), sheet.ActiveColumn(), sheet.ActiveRow()}),
                 QList<int>({25, 22, 1, 1}));
        QCOMPARE(sheet.BackColorAt(25, 22), kWhite);
        QCOMPARE(sheet.ForeColorAt(25, 22), kBlack);
        QVERIFY(sheet.SetRowCount(-4)); // counts below 0 act as 0
        QCOMPARE(sheet.RowCount(), 0);
        QVERIFY(!sheet.SetCellText(1, 1, QStringLiteral("x")));
        QCOMPARE(sheet.GetCellText(1, 1), QString());
        QVERIFY(sheet.SetRowCount(7));
        QVERIFY(!sheet.SetSize(100'000, 100'000));
        QCOMPARE(sheet.ColumnCount() * sheet.RowCount(), 25 * 7);
        QVERIFY(GridSheet::SizeFits(GridSheet::kMaxCells, 1));
        QVERIFY(!GridSheet::SizeFits(GridSheet::kMaxCells + 1, 1) && !GridSheet::SizeFits(1, GridSheet::kMaxCells + 1));
    }

    void resizeKeepsCellsInsideBothSizes()
    {
        GridSheet sheet(3, 3);
        sheet.SetCellText(2, 2, QStringLiteral("春"));
        sheet.SetCellColors(2, 2, 0x0000FF, 0xFFFFFF);
        sheet.SetCellText(3, 3, QStringLiteral("a long text"));
        sheet.SetCellText(1, 3, QStringLiteral("xyz"));

        QVERIFY(sheet.SetColumnCount(5));
        QCOMPARE(sheet.GetCellText(2, 2), QStringLiteral("春"));
        QCOMPARE(sheet.BackColorAt(2, 2), Color(0x0000FF));
        QCOMPARE(sheet.ForeColorAt(2, 2), Color(0xFFFFFF));
        QCOMPARE(sheet.GetCellText(3, 3), QStringLiteral("a long text"));
        QCOMPARE(sheet.BackColorAt(5, 3), kWhite);

        QVERIFY(sheet.SetSize(2, 3));
        QCOMPARE(sheet.GetCellText(1, 3), QStringLiteral("xyz"));
        QCOMPARE(sheet.GetCellText(2, 2), QStringLiteral("春"));
        QVERIFY(sheet.SetSize(3, 3)); // the cut column comes back empty
        QCOMPARE(sheet.GetCellText(3, 3), QString());
        QCOMPARE(sheet.BackColorAt(3, 3), kWhite);
    }

    void textsOfEveryLength()
    {
        GridSheet sheet(2, 1);
        const QString emoji = QString::fromUcs4(U"\U0001F600");
        for (const QString &text : {QString(), QStringLiteral("a"), QStringLiteral("ab"), emoji,
                                    QStringLiteral("abc"), QString(QChar(0))}) {
            QVERIFY(sheet.SetCellText(1, 1, text));
            QCOMPARE(sheet.GetCellText(1, 1), text);
            QCOMPARE(sheet.CellTextView(1, 1), QStringView(text));
        }
        sheet.SetCellText(1, 1, QStringLiteral("long one"));
        sheet.SetCellText(1, 1, QStringLiteral("b")); // a long text replaced by a short one
        QCOMPARE(sheet.GetCellText(1, 1), QStringLiteral("b"));
    }

    void clearAllTextKeepsColoursAndSize()
    {
        GridSheet sheet(2, 2);
        sheet.SetCellText(1, 1, QStringLiteral("ab"));
        sheet.SetCellText(2, 2, QStringLiteral("long text"));
        sheet.SetCellColors(2, 2, 0x123456, 0x654321);
        sheet.ClearAllText();
        QCOMPARE(sheet.GetCellText(1, 1), QString());
        QCOMPARE(sheet.GetCellText(2, 2), QString());
        QCOMPARE(sheet.BackColorAt(2, 2), Color(0x123456));
        QCOMPARE(sheet.ForeColorAt(2, 2), Color(0x654321));
        QCOMPARE(sheet.ColumnCount(), 2);
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
                    sheet.SetCellColors(column, row, 0, 0);
            sheet.SetCellText(3, 2, QStringLiteral("a"));
        }
        QCOMPARE(cells.count(), 1);
        QCOMPARE(cells.at(0), (QList<QVariant>{1, 1, 1000, 1000}));

        cells.clear();
        sheet.ClearAllText();
        QCOMPARE(cells.count(), 1);

        cells.clear();
        {
            GridSheet::ChangeBatch batch(sheet);
            sheet.SetCellText(900, 900, QStringLiteral("x"));
            sheet.SetSize(10, 10); // the pending area is cut to the new size
        }
        QCOMPARE(size.count(), 1);
        QCOMPARE(cells.count(), 0);

        sheet.SetCellText(2, 3, QStringLiteral("y"));
        QCOMPARE(cells.count(), 1);
        QCOMPARE(cells.at(0), (QList<QVariant>{2, 3, 2, 3}));
    }
};

QTEST_GUILESS_MAIN(TestGridSheet)
#include "tst_gridsheet.moc"
