// Selecting a block of cells with the mouse and keys, and what the Edit menu does with it.
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"
#include "ui/GridSheetView.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

enum class Gesture { Drag, ShiftClick, ClickInsideBlock, SelectAll };
enum class Edit { Move, Copy, Delete, Backspace, Cut };

constexpr Color kRed = 0x000000FF;
constexpr Color kBlue = 0x00FF0000;

} // namespace

class TestSelection : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        shown_ = std::make_unique<ShownMainWindow>();
        view_ = shown_->focusedGrid();
        QVERIFY(view_);
    }
    void cleanup() { shown_.reset(); }

    void gesturesSelectABlock_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QRect>("selected");
        QTest::newRow("drag") << Gesture::Drag << QRect(2, 2, 3, 2);
        QTest::newRow("Shift+click") << Gesture::ShiftClick << QRect(2, 2, 2, 3);
        QTest::newRow("click inside the block") << Gesture::ClickInsideBlock << QRect(3, 3, 1, 1);
        QTest::newRow("Ctrl+A") << Gesture::SelectAll << QRect(1, 1, 25, 22);
    }

    void gesturesSelectABlock()
    {
        QFETCH(Gesture, gesture);
        QFETCH(QRect, selected);

        click(2, 2);
        switch (gesture) {
        case Gesture::Drag:
        case Gesture::ClickInsideBlock:
            drag(2, 2, 4, 3);
            if (gesture == Gesture::ClickInsideBlock)
                click(3, 3);
            break;
        case Gesture::ShiftClick: click(3, 4, Qt::ShiftModifier); break;
        case Gesture::SelectAll: QTest::keyClick(view_, Qt::Key_A, Qt::ControlModifier); break;
        }
        QCOMPARE(view_->selectedArea(), selected);
    }

    // Each edit of the block "a", red "b" is one step that Ctrl+Z takes back whole; the drag
    // takes it three rows down and one column right.
    void blockEditsUndoInOneStep_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QStringList>("texts"); // of the block's two cells, then of the moved "a"
        QTest::addColumn<Color>("landedBack"); // of the moved red cell
        QTest::addColumn<QRect>("selected");
        QTest::newRow("move") << Edit::Move << QStringList {{}, {}, u"a"_s} << kRed << QRect(3, 5, 2, 1);
        QTest::newRow("copy") << Edit::Copy << QStringList {u"a"_s, u"b"_s, u"a"_s} << kRed << QRect(3, 5, 2, 1);
        QTest::newRow("Delete") << Edit::Delete << QStringList {{}, {}, {}} << kWhite << QRect(2, 2, 2, 1);
        QTest::newRow("Cut") << Edit::Cut << QStringList {{}, {}, {}} << kWhite << QRect(2, 2, 2, 1);
        // The drag that selected the block left its second cell active.
        QTest::newRow("Backspace") << Edit::Backspace << QStringList {u"a"_s, {}, {}} << kWhite << QRect(2, 2, 2, 1);
    }

    void blockEditsUndoInOneStep()
    {
        QFETCH(Edit, edit);
        QFETCH(QStringList, texts);
        QFETCH(Color, landedBack);
        QFETCH(QRect, selected);

        GridSheet &sheet = shown_->window.sheet();
        sheet.setCellText(2, 2, u"a"_s);
        sheet.setCellText(3, 2, u"b"_s);
        sheet.setCellColors(3, 2, kRed, kBlue);
        const QByteArray before = sheetBytes(sheet);
        drag(2, 2, 3, 2);
        switch (edit) {
        case Edit::Move: drag(3, 2, 4, 5); break;
        case Edit::Copy: drag(3, 2, 4, 5, Qt::ControlModifier); break;
        case Edit::Delete: QTest::keyClick(view_, Qt::Key_Delete); break;
        case Edit::Backspace: QTest::keyClick(view_, Qt::Key_Backspace); break;
        case Edit::Cut: QTest::keyClick(view_, Qt::Key_X, Qt::ControlModifier); break;
        }
        QCOMPARE(QStringList({sheet.getCellText(2, 2), sheet.getCellText(3, 2), sheet.getCellText(3, 5)}), texts);
        QCOMPARE(sheet.backColorAt(4, 5), landedBack);
        QCOMPARE(view_->selectedArea(), selected);
        QTest::keyClick(view_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(sheetBytes(sheet), before);
    }

    // Pick Colour fills the colour buttons from the active cell; each button takes a colour
    // from the chooser, and OK sets the checked ones alone.
    void cellColoursSetTheCheckedColours_data()
    {
        QTest::addColumn<bool>("setsBack");
        QTest::addColumn<bool>("setsFore");
        QTest::addColumn<QString>("button"); // the one that closes the dialog
        QTest::newRow("background") << true << false << u"btnOK"_s;
        QTest::newRow("text") << false << true << u"btnOK"_s;
        QTest::newRow("both") << true << true << u"btnOK"_s;
        QTest::newRow("cancel") << true << true << u"btnCancel"_s;
    }

    void cellColoursSetTheCheckedColours()
    {
        QFETCH(bool, setsBack);
        QFETCH(bool, setsFore);
        QFETCH(QString, button);

        const Color back = 0x00336699;
        GridSheet &sheet = shown_->window.sheet();
        sheet.setCellColors(2, 2, back, kRed);
        drag(1, 1, 2, 2);
        findControl<QAction>(shown_->window, "PickColor")->trigger();
        shown_->dialogs.colorAnswers = {kBlue, kBlue};
        QStringList picked;
        answerCellColours([&](QWidget &dialog) {
            for (const char *name : {"btnBackColor", "btnForeColor"}) {
                picked << findControl<QPushButton>(dialog, name)->text();
                QTest::mouseClick(findControl<QPushButton>(dialog, name), Qt::LeftButton);
            }
            findControl<QCheckBox>(dialog, "chkBackColor")->setChecked(setsBack);
            findControl<QCheckBox>(dialog, "chkForeColor")->setChecked(setsFore);
            QTest::mouseClick(findControl<QPushButton>(dialog, qPrintable(button)), Qt::LeftButton);
        });
        QCOMPARE(picked, QStringList({u"#996633"_s, u"#FF0000"_s}));
        const bool ok = button == u"btnOK"_s;
        QCOMPARE(sheet.backColorAt(1, 1), ok && setsBack ? kBlue : kWhite);
        QCOMPARE(sheet.backColorAt(2, 2), ok && setsBack ? kBlue : back);
        QCOMPARE(sheet.foreColorAt(2, 2), ok && setsFore ? kBlue : kRed);
        QCOMPARE(sheet.backColorAt(3, 2), kWhite);
        QCOMPARE(shown_->window.document().undoStack().count(), ok ? 1 : 0);
    }

private:
    QPoint centre(int column, int row) const
    {
        return view_->visualRect(view_->model()->index(row - 1, column - 1)).center();
    }
    void click(int column, int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(view_->viewport(), Qt::LeftButton, modifiers, centre(column, row));
    }
    void drag(int fromColumn, int fromRow, int toColumn, int toRow, Qt::KeyboardModifiers atDrop = {})
    {
        QTest::mousePress(view_->viewport(), Qt::LeftButton, {}, centre(fromColumn, fromRow));
        QTest::mouseMove(view_->viewport(), centre(toColumn, toRow));
        QTest::mouseRelease(view_->viewport(), Qt::LeftButton, atDrop, centre(toColumn, toRow));
    }
    // Opens Cell Colours and lets `answer` work the dialog from the event loop.
    template <typename Answer> void answerCellColours(Answer answer)
    {
        bool opened = false;
        QTimer::singleShot(0, this, [&] {
            if (QWidget *dialog = QApplication::activeModalWidget();
                dialog && dialog->objectName() == u"frmCellColors"_s) {
                opened = true;
                answer(*dialog);
            }
        });
        findControl<QAction>(shown_->window, "CellColors")->trigger();
        QVERIFY(opened);
    }

    std::unique_ptr<ShownMainWindow> shown_;
    GridSheetView *view_ = nullptr;
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
