// Copy and paste between windows, clipped at the sheet's edge, from damaged data, and under X11
// into a second copy of the program: this one, run with "--paste-into FILE".
#include "document/CellClipboard.h"
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "support/ui/ShownMainWindow.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr Color kRed = 0x000000FF;
constexpr Color kBlue = 0x00FF0000;

// A 3 x 2 block at (2, 2) with both colours and a long text; every other cell blank.
void fillBlock(GridSheet &sheet)
{
    const QStringList texts = {u"春"_s, u"ab"_s, u"c"_s, u"　"_s, u"long text"_s, u"x"_s};
    for (int i = 0; i < texts.size(); ++i) {
        sheet.setCellText(2 + i % 3, 2 + i / 3, texts[i]);
        sheet.setCellColors(2 + i % 3, 2 + i / 3, Color(0x10203 * (i + 1)), i % 2 == 0 ? kRed : kBlue);
    }
}

// The cells of `area` of the sheet, as grid file bytes of a sheet of that size.
QByteArray areaBytes(const GridSheet &sheet, QRect area)
{
    GridSheet cut(area.width(), area.height());
    for (int row = 0; row < area.height(); ++row) {
        for (int column = 0; column < area.width(); ++column) {
            const int from = area.left() + column, to = column + 1;
            cut.setCellText(to, row + 1, sheet.getCellText(from, area.top() + row));
            cut.setCellColors(
                to, row + 1, sheet.backColorAt(from, area.top() + row), sheet.foreColorAt(from, area.top() + row));
        }
    }
    return sheetBytes(cut);
}

// The second copy of the program: pastes the clipboard at the first cell and saves the grid.
int pasteInto(const QString &path)
{
    FakeDialogs dialogs;
    MainWindow window(dialogs);
    window.sheet().setActiveCell(1, 1);
    findControl<QAction>(window, "Paste")->trigger();
    return window.document().isModified() && saveSheet(window.sheet(), path) ? 0 : 1;
}

} // namespace

class TestClipboard : public QObject {
    Q_OBJECT

    std::unique_ptr<ShownMainWindow> shown_;
    GridSheetView *view_ = nullptr;

    // Selects the block and copies it with Ctrl+C.
    void copyBlock()
    {
        fillBlock(shown_->window.sheet());
        view_->selectArea(QRect(2, 2, 3, 2));
        QTest::keyClick(view_, Qt::Key_C, Qt::ControlModifier);
    }

private slots:
    void init()
    {
        shown_ = std::make_unique<ShownMainWindow>();
        view_ = shown_->focusedGrid();
        QVERIFY(view_);
    }

    // The copy's bytes alone paste the block with both colours into another window, clipped
    // at its edge; Ctrl+Z takes the paste back whole.
    void pasteIntoAnotherWindow_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QSize>("pasted");
        QTest::addColumn<QString>("status");
        QTest::newRow("whole") << QPoint(1, 1) << QSize(3, 2) << QString();
        QTest::newRow("clipped") << QPoint(24, 22) << QSize(2, 1)
                                 << u"Pasted in part: 1 column and 1 row did not fit"_s;
    }

    void pasteIntoAnotherWindow()
    {
        QFETCH(QPoint, at);
        QFETCH(QSize, pasted);
        QFETCH(QString, status);

        copyBlock();
        const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied && copied->hasFormat(QLatin1String(CellClipboard::kMimeType)));
        auto *fresh = new QMimeData;
        for (const QString &format : copied->formats())
            fresh->setData(format, QByteArray(copied->data(format)));
        QGuiApplication::clipboard()->setMimeData(fresh);

        ShownMainWindow other;
        QVERIFY(other.active());
        GridSheet &sheet = other.window.sheet();
        const QByteArray before = sheetBytes(sheet);
        sheet.setActiveCell(at.x(), at.y());
        QTest::keyClick(findControl<GridSheetView>(other.window, "sprEdit"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(areaBytes(sheet, QRect(at, pasted)), areaBytes(shown_->window.sheet(), QRect(QPoint(2, 2), pasted)));
        QCOMPARE(other.window.statusBar()->currentMessage(), status);
        QTest::keyClick(findControl<GridSheetView>(other.window, "sprEdit"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(sheetBytes(sheet), before);
    }

    // Damaged cells of ours are refused with a message; the text beside them is not pasted.
    void damagedCellsChangeNothing()
    {
        copyBlock();
        QByteArray cells = QGuiApplication::clipboard()->mimeData()->data(QLatin1String(CellClipboard::kMimeType));
        cells[cells.size() - 1] = char(cells[cells.size() - 1] ^ 1);
        auto *damaged = new QMimeData;
        damaged->setData(QLatin1String(CellClipboard::kMimeType), cells);
        damaged->setText(u"text"_s);
        QGuiApplication::clipboard()->setMimeData(damaged);

        const QByteArray before = sheetBytes(shown_->window.sheet());
        const int steps = shown_->window.document().undoStack().count();
        QTest::keyClick(view_, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(sheetBytes(shown_->window.sheet()), before);
        QCOMPARE(shown_->window.document().undoStack().count(), steps);
        QCOMPARE(shown_->dialogs.messages.size(), 1);
        QVERIFY(shown_->dialogs.messages[0].text.startsWith(u"The cells on the clipboard cannot be pasted: "_s));
    }

    // Under X11 the clipboard serves the copy to another process, in the own format.
    void pasteIntoAnotherProcess()
    {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("needs an X display (DISPLAY) for the xcb platform");
        copyBlock();
        QTemporaryDir dir;
        const QString path = dir.filePath(u"pasted.grd"_s);
        QProcess peer;
        peer.start(QCoreApplication::applicationFilePath(), {u"--paste-into"_s, path});
        QVERIFY(peer.waitForStarted());
        // The test's event loop answers the peer's requests for the clipboard's data.
        QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QProcess::NotRunning, 60'000);
        QCOMPARE(peer.exitCode(), 0);

        GridSheet pasted;
        QVERIFY(loadSheet(pasted, path));
        QCOMPARE(areaBytes(pasted, QRect(1, 1, 3, 2)), areaBytes(shown_->window.sheet(), QRect(2, 2, 3, 2)));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--paste-into") == 0)
        return pasteInto(QString::fromLocal8Bit(argv[2]));
    TestClipboard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clipboard.moc"
