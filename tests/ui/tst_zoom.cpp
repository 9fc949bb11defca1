// The View menu: zooming the grid by keys and the wheel, and the page's look while editing.
#include "core/GridSheet.h"
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"
#include "ui/GridSheetView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QTest>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

enum class Key { ZoomIn, ZoomInWithoutShift, ZoomOut, Reset, Fit };

constexpr Color kGreen = 0x005AA01E; // #1EA05A
constexpr Color kYellow = 0x000AFAFA; // #FAFA0A

QRgb rgbOf(Color color)
{
    return qRgb(getRed(color), getGreen(color), getBlue(color));
}

} // namespace

class TestZoom : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        shown_ = std::make_unique<ShownMainWindow>();
        view_ = shown_->focusedGrid();
        QVERIFY(view_);
        GridSheet &sheet = shown_->window.sheet();
        sheet.setCellColors(2, 1, kGreen, kYellow);
        sheet.setCellText(2, 1, u"■"_s);
    }
    void cleanup() { shown_.reset(); }

    void keysZoom_data()
    {
        QTest::addColumn<QList<Key>>("keys");
        QTest::addColumn<int>("percent");
        QTest::newRow("Ctrl++") << QList<Key> {Key::ZoomIn} << 125;
        QTest::newRow("Ctrl+=") << QList<Key> {Key::ZoomInWithoutShift, Key::ZoomIn} << 150;
        QTest::newRow("Ctrl+- twice") << QList<Key> {Key::ZoomOut, Key::ZoomOut} << 67;
        QTest::newRow("Ctrl+0 after zooming") << QList<Key> {Key::ZoomIn, Key::Reset} << 100;
        QTest::newRow("Ctrl+- stops at 10%") << QList<Key>(20, Key::ZoomOut) << 10;
        QTest::newRow("Ctrl++ stops at 800%") << QList<Key>(20, Key::ZoomIn) << 800;
    }

    void keysZoom()
    {
        QFETCH(QList<Key>, keys);
        QFETCH(int, percent);
        for (Key key : keys) {
            switch (key) {
            case Key::ZoomIn: QTest::keyClick(view_, Qt::Key_Plus, Qt::ControlModifier); break;
            case Key::ZoomInWithoutShift: QTest::keyClick(view_, Qt::Key_Equal, Qt::ControlModifier); break;
            case Key::ZoomOut: QTest::keyClick(view_, Qt::Key_Minus, Qt::ControlModifier); break;
            case Key::Reset: QTest::keyClick(view_, Qt::Key_0, Qt::ControlModifier); break;
            case Key::Fit: QTest::keyClick(view_, Qt::Key_9, Qt::ControlModifier); break;
            }
        }
        QCOMPARE(view_->zoomPercent(), percent);
        QCOMPARE(view_->columnWidth(0), qMax(1, view_->baseCellSide() * percent / 100));
        QCOMPARE(findControl<QLabel>(shown_->window, "lblZoom")->text(), u"Zoom %1%"_s.arg(percent));
    }

    void fitShowsEveryCell()
    {
        shown_->window.sheet().setSize(200, 150);
        QTest::keyClick(view_, Qt::Key_9, Qt::ControlModifier);
        QVERIFY(view_->columnViewportPosition(199) + view_->columnWidth(199) <= view_->viewport()->width());
        QVERIFY(view_->rowViewportPosition(149) + view_->rowHeight(149) <= view_->viewport()->height());
    }

    // Ctrl and the wheel zoom about the pointer: the cell under it stays under it.
    void wheelZoomsAboutThePointer()
    {
        shown_->window.sheet().setSize(100, 100);
        const QPoint pointer = view_->visualRect(view_->model()->index(5, 7)).center();
        QWheelEvent up(pointer, view_->viewport()->mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton,
            Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view_->viewport(), &up);
        QCOMPARE(view_->zoomPercent(), 125);
        QCOMPARE(view_->indexAt(pointer), view_->model()->index(5, 7));
    }

    // At 100% each cell in its colours between grid lines, the active cell framed.
    void cellsLookAtActualSize()
    {
        const QImage shot = view_->viewport()->grab().toImage();
        const int side = view_->baseCellSide();
        QCOMPARE(shot.pixel(side + 3, side - 3), rgbOf(kGreen));
        QCOMPARE(shot.pixel(side + side / 2, side / 2), rgbOf(kYellow));
        QCOMPARE(shot.pixel(side / 2, side - 1), shot.pixel(side - 1, side / 2)); // grid lines
        QVERIFY(shot.pixel(side / 2, side - 1) != rgbOf(kWhite));
        QCOMPARE(shot.pixel(1, side / 2), view_->palette().color(QPalette::Highlight).rgb());
    }

    // F5: the page's look follows the fields at once, and cells are edited as usual.
    void pageLookFollowsTheFields()
    {
        const int side = view_->baseCellSide();
        auto pixel = [this](int x, int y) { return view_->viewport()->grab().toImage().pixel(x, y); };
        QTest::keyClick(view_, Qt::Key_F5);
        QVERIFY(view_->isPageLook());
        QCOMPARE(pixel(side + 1, 1), rgbOf(kWhite));
        QCOMPARE(pixel(side + side / 2, side / 2), rgbOf(kGreen));
        auto *background = findControl<QLineEdit>(shown_->window, "txtBGcolor");
        background->setText(u"#102030"_s);
        QCOMPARE(pixel(side + 1, 1), qRgb(0x10, 0x20, 0x30));

        view_->setFocus();
        QTest::keyClick(view_, Qt::Key_Right);
        QTest::keyClick(view_, Qt::Key_F2);
        auto *editor = view_->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, u"ab"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(shown_->window.sheet().getCellText(2, 1), u"ab"_s);
        QTest::keyClick(view_, Qt::Key_F5);
        QVERIFY(!view_->isPageLook());
    }

private:
    std::unique_ptr<ShownMainWindow> shown_;
    GridSheetView *view_ = nullptr;
};

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
