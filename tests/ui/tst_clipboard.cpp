// Copy and paste between windows, and under X11 into a second copy of this program: "--paste-into FILE".
#include "document/CellClipboard.h"
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"

#include <QtTest>
#include <QtWidgets>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Both colours, wide and narrow characters, a full-width blank and a long text.
std::unique_ptr<GridSheet> block()
{
    return buildSheet({{{u"春"_s, 0x00102030, 0x000000FF}, {u"ab"_s, 0x00203040, 0x00FF0000}, {u"c"_s}},
        {{u"　"_s, kBlack, kWhite}, {u"long text"_s}, {u"x"_s, 0x00405060}}});
}

// The second copy of the program: pastes into a sheet of the block's size and saves it.
int pasteInto(const QString &path)
{
    FakeDialogs dialogs;
    MainWindow window(dialogs);
    window.sheet().setSize(3, 2);
    window.sheet().setActiveCell(1, 1);
    findControl<QAction>(window, "Paste")->trigger();
    return window.document().isModified() && saveSheet(window.sheet(), path) ? 0 : 1;
}

// Fills the window's sheet with the block and copies it whole with Ctrl+C.
bool copyBlock(ShownMainWindow &source)
{
    GridSheetView *view = source.focusedGrid();
    if (!view)
        return false;
    source.window.sheet().takeContentFrom(*block());
    view->selectArea(QRect(1, 1, 3, 2));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    return true;
}

} // namespace

class TestClipboard : public QObject {
    Q_OBJECT

private slots:
    // The copy's bytes alone paste the block, clipped at the edge and before the text beside
    // them, in one step; damaged cells are refused with a message, the text not pasted instead.
    void pasteIntoAnotherWindow_data()
    {
        QTest::addColumn<QSize>("target"); // the sheet pasted into
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<QString>("status");
        QTest::newRow("whole") << QSize(3, 2) << false << QString();
        QTest::newRow("clipped") << QSize(2, 1) << false << u"Pasted in part: 1 column and 1 row did not fit"_s;
        QTest::newRow("damaged") << QSize(3, 2) << true << QString();
    }

    void pasteIntoAnotherWindow()
    {
        QFETCH(QSize, target);
        QFETCH(bool, damaged);
        QFETCH(QString, status);
        ShownMainWindow source;
        QVERIFY(copyBlock(source));
        QByteArray cells = QGuiApplication::clipboard()->mimeData()->data(QLatin1String(CellClipboard::kMimeType));
        QVERIFY(!cells.isEmpty());
        if (damaged)
            cells.back() ^= 1;
        auto *fresh = new QMimeData;
        fresh->setData(QLatin1String(CellClipboard::kMimeType), cells);
        fresh->setText(u"text"_s);
        QGuiApplication::clipboard()->setMimeData(fresh);

        ShownMainWindow other;
        QVERIFY(other.active());
        GridSheet &sheet = other.window.sheet();
        sheet.setSize(target.width(), target.height());
        const QByteArray before = sheetBytes(sheet);
        auto *view = findControl<GridSheetView>(other.window, "sprEdit");
        QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
        const std::unique_ptr<GridSheet> expected = block();
        expected->setSize(target.width(), target.height());
        QCOMPARE(sheetBytes(sheet), damaged ? before : sheetBytes(*expected));
        QCOMPARE(other.window.statusBar()->currentMessage(), status);
        QCOMPARE(other.dialogs.messages.size(), damaged ? 1 : 0);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(sheetBytes(sheet), before);
    }

    // Under X11 the clipboard serves the copy to another process, in the own format.
    void pasteIntoAnotherProcess()
    {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("needs an X display (DISPLAY) for the xcb platform");
        ShownMainWindow source;
        QVERIFY(copyBlock(source));
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
        QCOMPARE(sheetBytes(pasted), sheetBytes(*block()));
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
