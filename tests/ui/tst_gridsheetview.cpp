// The sheet's model and view: what they announce and show, zooming, and editing a block.
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"
#include "ui/GridSheetModel.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestGridSheetView : public QObject {
    Q_OBJECT

    std::unique_ptr<ShownMainWindow> shown_;
    GridSheetView *view_ = nullptr;

    QPoint centre(int column, int row) const
    {
        return view_->visualRect(view_->model()->index(row - 1, column - 1)).center();
    }
    void drag(int fromColumn, int fromRow, int toColumn, int toRow, Qt::KeyboardModifiers atDrop = {})
    {
        QTest::mousePress(view_->viewport(), Qt::LeftButton, {}, centre(fromColumn, fromRow));
        QTest::mouseMove(view_->viewport(), centre(toColumn, toRow));
        QTest::mouseRelease(view_->viewport(), Qt::LeftButton, atDrop, centre(toColumn, toRow));
    }

private slots:
    void init()
    {
        shown_ = std::make_unique<ShownMainWindow>();
        view_ = shown_->focusedGrid();
        QVERIFY(view_);
    }
    void cleanup() { shown_.reset(); }

    // A sheet counts columns first and from 1, a model rows first and from 0: the block is
    // neither square nor on the diagonal, so that a swap shows.
    void changedCellsAreAnnouncedAtTheirIndexes()
    {
        Document document;
        GridSheet &sheet = document.sheet();
        sheet.setSize(7, 6);
        GridSheetModel model(document);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        {
            GridSheet::ChangeBatch batch(sheet);
            for (int row = 1; row <= 3; ++row)
                for (int column = 2; column <= 6; ++column)
                    sheet.setCellColors(column, row, 0x0000FF, kWhite);
        }
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), model.index(0, 1));
        QCOMPARE(changed.at(0).at(1).value<QModelIndex>(), model.index(2, 5));
        QCOMPARE(model.data(model.index(0, 1), Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QCOMPARE(model.data(model.index(0, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 255, 255));
        sheet.setSize(5, 0);
        QCOMPARE(model.rowCount(), 0);
    }

    // However long a text, the view is handed a short start of it to draw; editing gets it
    // whole, and a line edit's 32,767 characters must not cut it when the editor closes.
    void longTextsAreShownShortAndKeptWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shown"); // the length of the text for the view
        constexpr int bound = GridSheetModel::kMaxShownLength;
        QTest::newRow("at the bound") << QString(bound, u'x') << bound;
        QTest::newRow("three million characters") << QString(3'000'000, u'x') << bound;
        // A surrogate pair across the bound is left out whole.
        QTest::newRow("pair across the bound") << QString(bound - 1, u'x') + u"𠮷𠮷"_s << bound - 1;
    }

    void longTextsAreShownShortAndKeptWhole()
    {
        QFETCH(QString, text);
        QFETCH(int, shown);
        shown_->window.sheet().setCellText(2, 2, text);
        const QModelIndex cell = view_->model()->index(1, 1);
        QCOMPARE(cell.data(Qt::DisplayRole).toString(), text.left(shown));
        QCOMPARE(cell.data(Qt::EditRole).toString(), text);
        QVERIFY(!view_->grab().isNull());
        view_->setCurrentIndex(cell);
        view_->edit(cell);
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != view_);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!view_->indexWidget(cell)); // the editor closes from the event loop
        QCOMPARE(shown_->window.sheet().getCellText(2, 2), text);
    }

    // Ctrl and the wheel zoom about the pointer; Ctrl+= too, as "+" needs Shift on many keyboards;
    // Fit shows every cell.
    void zoomByWheelAndKeys()
    {
        shown_->window.sheet().setSize(100, 100);
        const QPoint pointer = centre(8, 6);
        QWheelEvent up(pointer, view_->viewport()->mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton,
            Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view_->viewport(), &up);
        QCOMPARE(view_->zoomPercent(), 125);
        QCOMPARE(view_->indexAt(pointer), view_->model()->index(5, 7));
        QTest::keySequence(view_, QKeySequence(u"Ctrl+=, Ctrl++, Ctrl+-"_s));
        QCOMPARE(findControl<QLabel>(shown_->window, "lblZoom")->text(), u"Zoom 150%"_s);
        QTest::keySequence(view_, QKeySequence(u"Ctrl+0"_s));
        QCOMPARE(view_->zoomPercent(), 100);
        QTest::keySequence(view_, QKeySequence(u"Ctrl+9"_s));
        QTRY_VERIFY(!view_->horizontalScrollBar()->isVisible() && !view_->verticalScrollBar()->isVisible());
    }

    // F5: the page's look, following the background field at once.
    void pageLookFollowsTheFields()
    {
        shown_->window.sheet().setCellColors(2, 1, 0x005AA01E, kWhite);
        shown_->window.sheet().setCellText(2, 1, u"■"_s);
        const int side = view_->baseCellSide();
        auto pixel = [this](int x, int y) { return view_->viewport()->grab().toImage().pixel(x, y); };
        QTest::keyClick(view_, Qt::Key_F5);
        QCOMPARE(pixel(side + 1, 1), qRgb(0xFF, 0xFF, 0xFF));
        QCOMPARE(pixel(side + side / 2, side / 2), qRgb(0x1E, 0xA0, 0x5A));
        findControl<QLineEdit>(shown_->window, "txtBGcolor")->setText(u"#102030"_s);
        QCOMPARE(pixel(side + 1, 1), qRgb(0x10, 0x20, 0x30));
    }

    // Each block edit is one step; the drag takes the block three rows down, one column right.
    void blockEditsUndoInOneStep_data()
    {
        QTest::addColumn<QString>("edit"); // a drag, or keys
        QTest::addColumn<QStringList>("texts"); // of the block's two cells, then of the moved "a"
        QTest::addColumn<QRect>("selected");
        QTest::newRow("move") << u"move"_s << QStringList {{}, {}, u"a"_s} << QRect(3, 5, 2, 1);
        QTest::newRow("copy") << u"copy"_s << QStringList {u"a"_s, u"b"_s, u"a"_s} << QRect(3, 5, 2, 1);
        QTest::newRow("Delete") << u"Del"_s << QStringList {{}, {}, {}} << QRect(2, 2, 2, 1);
        QTest::newRow("Cut") << u"Ctrl+X"_s << QStringList {{}, {}, {}} << QRect(2, 2, 2, 1);
        // The drag that selected the block left its second cell active.
        QTest::newRow("Backspace") << u"Backspace"_s << QStringList {u"a"_s, {}, {}} << QRect(2, 2, 2, 1);
    }

    void blockEditsUndoInOneStep()
    {
        QFETCH(QString, edit);
        QFETCH(QStringList, texts);
        QFETCH(QRect, selected);
        GridSheet &sheet = shown_->window.sheet();
        sheet.setCellText(2, 2, u"a"_s);
        sheet.setCellText(3, 2, u"b"_s);
        const QByteArray before = sheetBytes(sheet);
        drag(2, 2, 3, 2);
        if (edit == u"move" || edit == u"copy")
            drag(3, 2, 4, 5, edit == u"copy" ? Qt::ControlModifier : Qt::NoModifier);
        else
            QTest::keySequence(view_, QKeySequence(edit));
        QCOMPARE(QStringList({sheet.getCellText(2, 2), sheet.getCellText(3, 2), sheet.getCellText(3, 5)}), texts);
        QCOMPARE(view_->selectedArea(), selected);
        QTest::keyClick(view_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(sheetBytes(sheet), before);
    }

    // Pick Colour takes the active cell's colours, and OK sets the checked colours alone.
    void cellColoursSetTheCheckedColours_data()
    {
        QTest::addColumn<bool>("setsBack");
        QTest::addColumn<bool>("setsFore");
        QTest::addColumn<QString>("button"); // the one that closes the dialog
        QTest::newRow("background") << true << false << u"btnOK"_s;
        QTest::newRow("cancel") << true << true << u"btnCancel"_s;
    }

    void cellColoursSetTheCheckedColours()
    {
        QFETCH(bool, setsBack);
        QFETCH(bool, setsFore);
        QFETCH(QString, button);
        constexpr Color back = 0x00336699;
        constexpr Color blue = 0x00FF0000;
        GridSheet &sheet = shown_->window.sheet();
        sheet.setCellColors(2, 2, back, kBlack);
        drag(1, 1, 2, 2);
        findControl<QAction>(shown_->window, "PickColor")->trigger();
        shown_->dialogs.colorAnswers = {blue, blue};
        // The dialog is modal: work it from the event loop.
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == u"frmCellColors"_s);
            for (const char *name : {"btnBackColor", "btnForeColor"})
                QTest::mouseClick(findControl<QPushButton>(*dialog, name), Qt::LeftButton);
            findControl<QCheckBox>(*dialog, "chkBackColor")->setChecked(setsBack);
            findControl<QCheckBox>(*dialog, "chkForeColor")->setChecked(setsFore);
            QTest::mouseClick(findControl<QPushButton>(*dialog, qPrintable(button)), Qt::LeftButton);
        });
        findControl<QAction>(shown_->window, "CellColors")->trigger();
        QCOMPARE(shown_->dialogs.colorRequests, QList<Color>({back, kBlack})); // the active cell's
        const bool ok = button == u"btnOK"_s;
        QCOMPARE(sheet.backColorAt(1, 1), ok && setsBack ? blue : kWhite);
        QCOMPARE(sheet.backColorAt(2, 2), ok && setsBack ? blue : back);
        QCOMPARE(sheet.foreColorAt(2, 2), ok && setsFore ? blue : kBlack);
        QCOMPARE(sheet.backColorAt(3, 2), kWhite);
        QCOMPARE(shown_->window.document().undoStack().count(), ok ? 1 : 0);
    }
};

QTEST_MAIN(TestGridSheetView)
#include "tst_gridsheetview.moc"
