// The sheet's model and view: what they show, which cells they announce, editing in place.
#include "core/GridSheet.h"
#include "document/Document.h"
#include "ui/GridSheetModel.h"
#include "ui/GridSheetView.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestGridSheetModel : public QObject {
    Q_OBJECT
private slots:
    void modelFollowsTheSheet()
    {
        Document document;
        GridSheet &sheet = document.sheet();
        sheet.setSize(3, 2);
        GridSheetModel model(document);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        sheet.setCellText(2, 1, QStringLiteral("春"));
        sheet.setCellColors(2, 1, 0x0000FF, 0xFFFFFF);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("春"));
        QCOMPARE(model.data(model.index(0, 1), Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QCOMPARE(model.data(model.index(0, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 255, 255));
        sheet.setSize(5, 0);
        QCOMPARE(model.rowCount(), 0);
        sheet.setSize(4, 4);
        QCOMPARE(model.columnCount(), 4);
        QVERIFY(model.setData(model.index(3, 3), QStringLiteral("x")));
        QCOMPARE(sheet.getCellText(4, 4), QStringLiteral("x"));
    }

    // A sheet counts columns first and from 1, a model rows first and from 0: the sheet is
    // neither square nor changed on its diagonal, so that a swap shows.
    void changedCellsAreAnnouncedAtTheirIndexes_data()
    {
        QTest::addColumn<QRect>("cells"); // columns across, rows down, from 1
        QTest::addColumn<QString>("indexes"); // row,column of the top left and the bottom right

        QTest::newRow("column 5, row 2") << QRect(QPoint(5, 2), QPoint(5, 2)) << u"1,4 1,4"_s;
        QTest::newRow("columns 2 to 6 of rows 1 to 3") << QRect(QPoint(2, 1), QPoint(6, 3)) << u"0,1 2,5"_s;
    }

    void changedCellsAreAnnouncedAtTheirIndexes()
    {
        QFETCH(QRect, cells);
        QFETCH(QString, indexes);

        Document document;
        GridSheet &sheet = document.sheet();
        sheet.setSize(7, 6);
        GridSheetModel model(document);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        {
            GridSheet::ChangeBatch batch(sheet);
            for (int row = cells.top(); row <= cells.bottom(); ++row)
                for (int column = cells.left(); column <= cells.right(); ++column)
                    sheet.setCellColors(column, row, 0x0000FF, kWhite);
        }

        QCOMPARE(changed.count(), 1);
        const auto topLeft = changed.at(0).at(0).value<QModelIndex>();
        const auto bottomRight = changed.at(0).at(1).value<QModelIndex>();
        QCOMPARE(
            u"%1,%2 %3,%4"_s.arg(topLeft.row()).arg(topLeft.column()).arg(bottomRight.row()).arg(bottomRight.column()),
            indexes);
    }

    // However long a text, the view is handed a short start of it to draw; editing gets it
    // whole, and a line edit's 32,767 characters must not cut it when the editor closes.
    void longTextsAreShownShortAndKeptWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shown"); // the length of the text for the view

        QTest::newRow("at the bound") << QString(GridSheetModel::kMaxShownLength, u'x')
                                      << GridSheetModel::kMaxShownLength;
        QTest::newRow("40,000 characters") << QString(40'000, u'春') << GridSheetModel::kMaxShownLength;
        QTest::newRow("three million characters") << QString(3'000'000, u'x') << GridSheetModel::kMaxShownLength;
        // A surrogate pair across the bound is left out whole.
        QTest::newRow("pair across the bound") << QString(GridSheetModel::kMaxShownLength - 1, u'x')
                + QStringLiteral("𠮷𠮷") << GridSheetModel::kMaxShownLength - 1;
    }

    void longTextsAreShownShortAndKeptWhole()
    {
        QFETCH(QString, text);
        QFETCH(int, shown);
        Document document;
        GridSheet &sheet = document.sheet();
        sheet.setSize(2, 2);
        sheet.setCellText(2, 2, text);
        GridSheetView view(document);
        const QModelIndex cell = view.model()->index(1, 1);
        QCOMPARE(cell.data(Qt::DisplayRole).toString(), text.left(shown));
        QCOMPARE(cell.data(Qt::EditRole).toString(), text);
        view.resize(120, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!view.grab().isNull());

        view.setCurrentIndex(cell);
        view.edit(cell);
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != &view);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!view.indexWidget(cell)); // the editor closes from the event loop
        QCOMPARE(sheet.getCellText(2, 2), text);
    }
};

QTEST_MAIN(TestGridSheetModel)
#include "tst_gridsheetmodel.moc"
