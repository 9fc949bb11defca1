// The sheet's model and view: what they show, editing in place.
#include "core/GridSheet.h"
#include "ui/GridSheetModel.h"
#include "ui/GridSheetView.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QTest>

class TestGridSheetModel : public QObject {
    Q_OBJECT
private slots:
    void modelFollowsTheSheet()
    {
        GridSheet sheet(3, 2);
        GridSheetModel model(sheet);
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

    // However long a text, the view is handed a short start of it to draw; editing gets it whole.
    void modelHandsTheViewABoundedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shown"); // the length of the text for the view

        QTest::newRow("short") << QStringLiteral("春a") << 2;
        QTest::newRow("at the bound") << QString(GridSheetModel::kMaxShownLength, u'x')
                                      << GridSheetModel::kMaxShownLength;
        QTest::newRow("three million characters") << QString(3'000'000, u'x') << GridSheetModel::kMaxShownLength;
        // A surrogate pair across the bound is left out whole.
        QTest::newRow("pair across the bound") << QString(GridSheetModel::kMaxShownLength - 1, u'x')
                + QStringLiteral("𠮷𠮷") << GridSheetModel::kMaxShownLength - 1;
    }

    void modelHandsTheViewABoundedText()
    {
        QFETCH(QString, text);
        QFETCH(int, shown);
        GridSheet sheet(2, 2);
        sheet.setCellText(2, 2, text);
        GridSheetView view(sheet);
        const QModelIndex cell = view.model()->index(1, 1);
        QCOMPARE(cell.data(Qt::DisplayRole).toString(), text.left(shown));
        QCOMPARE(cell.data(Qt::EditRole).toString(), text);
        view.resize(120, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!view.grab().isNull());
    }

    // A line edit holds at most 32,767 characters: opening and closing it must not cut a longer text.
    void untouchedLongTextSurvivesEditing()
    {
        GridSheet sheet(2, 2);
        const QString text(40'000, u'春');
        sheet.setCellText(1, 1, text);
        GridSheetView view(sheet);
        view.resize(120, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setCurrentIndex(view.model()->index(0, 0));
        view.edit(view.currentIndex());
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != &view);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!view.indexWidget(view.currentIndex())); // the editor closes from the event loop
        QCOMPARE(sheet.getCellText(1, 1).size(), text.size());
    }
};

QTEST_MAIN(TestGridSheetModel)
#include "tst_gridsheetmodel.moc"
