// The main window driven as a user drives it.
#include "core/GridSheet.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"
#include "ui/PictureWindow.h"
#include "ui/StatusTexts.h"
#include "ui/TextImportDialog.h"

#include <QtTest>
#include <QtWidgets>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void clickCell(GridSheetView *view, int column, int row)
{
    const QRect rect = view->visualRect(view->model()->index(row - 1, column - 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

// Lets a reader of the FIFO go after five seconds, so that a command stuck opening it fails
// the test instead of stopping it; `rescued` tells.
std::jthread rescueAfterFiveSeconds(const QString &fifo, std::atomic<bool> &rescued)
{
    return std::jthread([path = QFile::encodeName(fifo), &rescued](std::stop_token stop) {
        for (int waits = 0; !stop.stop_requested(); ++waits) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const int fd = waits < 25 ? -1 : ::open(path.constData(), O_WRONLY | O_NONBLOCK); // while a reader waits
            if (fd >= 0) {
                rescued = true;
                ::close(fd);
            }
        }
    });
}

// The controls of the column right of the grid, from the top; the last three close it at the bottom.
const char *const kColumnControls[] = {"Label2", "txtNear", "Label3", "txtBGcolor", "btnCellToBG", "btnEditSupport",
    "btnMakeHtml", "chkAsIs", "Label5", "lblVer", "Label4"};
constexpr int kLowerControls = 3;

constexpr QSize kDesignedClient(641, 409);
constexpr QRect kDesignedGrid(8, 8, 542, 392);

bool setClientSize(MainWindow &window, QSize size)
{
    window.setWindowState(Qt::WindowNoState);
    window.resize(window.size() + size - window.centralWidget()->size());
    return QTest::qWaitFor([&] { return window.centralWidget()->size() == size; });
}

// Each column control's distance to the right edge, and to the top or, closing the column, the bottom.
QList<QPoint> columnDistances(const MainWindow &window)
{
    const QSize client = window.centralWidget()->size();
    QList<QPoint> distances;
    for (const char *name : kColumnControls) {
        const QRect rect = findControl<QWidget>(window, name)->geometry();
        const bool lower = distances.size() >= qsizetype(std::size(kColumnControls)) - kLowerControls;
        distances << QPoint(client.width() - rect.right(), lower ? client.height() - rect.bottom() : rect.top());
    }
    return distances;
}

// Every column control lies wholly inside the client area, right of the grid, its caption
// whole, and none covers another.
void verifyColumnShownWhole(const MainWindow &window)
{
    const QRect client = window.centralWidget()->rect();
    const QRect grid = findControl<QWidget>(window, "sprEdit")->geometry();
    QList<QRect> seen;
    for (const char *name : kColumnControls) {
        const QWidget *control = findControl<QWidget>(window, name);
        const QRect rect = control->geometry();
        QVERIFY2(client.contains(rect), name);
        QVERIFY2(rect.left() > grid.right(), name);
        QVERIFY2(qobject_cast<const QLineEdit *>(control) || rect.width() >= control->sizeHint().width(), name);
        for (const QRect &other : std::as_const(seen))
            QVERIFY2(!other.intersects(rect), name);
        seen << rect;
    }
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // Where the screen holds it, the window opens with the designed client area, the status
    // bar below it; otherwise it fills the screen. Either way, and shrunk as far as it goes,
    // the whole column shows.
    void startsAsDesigned()
    {
        ShownMainWindow shown;
        QVERIFY(shown.active());
        MainWindow &window = shown.window;
        const QRect available = window.screen()->availableGeometry();
        if (available.height() >= 600) { // every layout in use, scaled or not, has room for it
            QCOMPARE(window.centralWidget()->size(), kDesignedClient);
            QCOMPARE(findControl<QWidget>(window, "sprEdit")->geometry(), kDesignedGrid);
        } else {
            QTRY_VERIFY(window.isMaximized());
        }
        QVERIFY2(available.contains(window.frameGeometry()), "the window is cut off by the screen's edge");
        QVERIFY(window.statusBar()->isVisible());
        QVERIFY(window.statusBar()->mapToGlobal(QPoint(0, 0)).y()
            > window.centralWidget()->mapToGlobal(QPoint(0, window.centralWidget()->height() - 1)).y());
        verifyColumnShownWhole(window);

        window.setWindowState(Qt::WindowNoState);
        window.resize(1, 1);
        QTRY_COMPARE(window.size(), window.minimumSize());
        QVERIFY(window.centralWidget()->height() < kDesignedClient.height());
        verifyColumnShownWhole(window);
    }

    // The grid takes what the window gains or loses; the column keeps to the right edge and
    // its closing labels to the bottom.
    void gridFollowsTheWindow_data()
    {
        QTest::addColumn<QSize>("client");

        QTest::newRow("wider and taller") << QSize(1100, 700);
        QTest::newRow("narrower and shorter") << QSize(400, 330);
    }

    void gridFollowsTheWindow()
    {
        QFETCH(QSize, client);
        ShownMainWindow shown;
        QVERIFY(shown.active());
        QVERIFY(setClientSize(shown.window, kDesignedClient));
        const QList<QPoint> designed = columnDistances(shown.window);

        QVERIFY(setClientSize(shown.window, client));
        const QSize change = client - kDesignedClient;
        QCOMPARE(findControl<QWidget>(shown.window, "sprEdit")->geometry(),
            kDesignedGrid.adjusted(0, 0, change.width(), change.height()));
        QCOMPARE(columnDistances(shown.window), designed);
        verifyColumnShownWhole(shown.window);
    }

    // The status bar names the active cell, its colours and the sheet's size, and follows them.
    void statusBarFollowsTheActiveCell_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("shown");

        QTest::newRow("start") << u"none"_s << u"Column 1, Row 1|Back #FFFFFF, Text #000000|Size 25 × 22"_s;
        QTest::newRow("clicked") << u"click"_s << u"Column 4, Row 3|Back #050AC8, Text #FFFFFF|Size 25 × 22"_s;
        QTest::newRow("repainted") << u"paint"_s << u"Column 4, Row 3|Back #FFCC99, Text #102030|Size 25 × 22"_s;
        QTest::newRow("grown") << u"grow"_s << u"Column 4, Row 3|Back #050AC8, Text #FFFFFF|Size 200 × 150"_s;
        QTest::newRow("shrunk past the cell")
            << u"shrink"_s << u"Column 2, Row 2|Back #FFFFFF, Text #000000|Size 2 × 2"_s;
    }

    void statusBarFollowsTheActiveCell()
    {
        QFETCH(QString, change);
        QFETCH(QString, shown);
        ShownMainWindow on;
        QVERIFY(on.active());
        GridSheet &sheet = on.window.sheet();
        sheet.setCellColors(4, 3, makeColor(5, 10, 200), kWhite);
        if (change != u"none"_s)
            clickCell(findControl<GridSheetView>(on.window, "sprEdit"), 4, 3);
        if (change == u"paint"_s)
            sheet.setCellColors(4, 3, makeColor(0xFF, 0xCC, 0x99), makeColor(0x10, 0x20, 0x30));
        else if (change == u"grow"_s)
            sheet.setSize(200, 150);
        else if (change == u"shrink"_s)
            sheet.setSize(2, 2);
        QStringList texts;
        for (const char *label : {"lblCellPosition", "lblCellColors", "lblSheetSize"})
            texts << findControl<QLabel>(on.window, label)->text();
        QCOMPARE(texts.join(u'|'), shown);
    }

    // Each write says in the status bar what it wrote; a failed one names the file and the
    // reason in a message and clears what an earlier write said there.
    void writesSayWhatWasWritten_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("written");

        QTest::newRow("Make Html") << u"MakeHtml"_s << u"poem.htm"_s << true;
        QTest::newRow("Export Plain Text") << u"ExportText"_s << u"poem.txt"_s << true;
        QTest::newRow("Save Grid Image") << u"SavaGridImage"_s << u"poem.grd"_s << true;
        QTest::newRow("Make Html into a folder") << u"MakeHtml"_s << u"folder"_s << false;
    }

    void writesSayWhatWasWritten()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(bool, written);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        ShownMainWindow shown;
        QVERIFY(shown.active());
        GridSheet &sheet = shown.window.sheet();
        sheet.setSize(40, 30);
        for (int cell = 0; cell < 40 * 30; ++cell)
            sheet.setCellText(cell % 40 + 1, cell / 40 + 1, u"詩"_s);
        const QString path = dir.filePath(name);
        shown.dialogs.answers << dir.filePath(u"earlier.grd"_s) << path;
        findControl<QAction>(shown.window, "SavaGridImage")->trigger();
        findControl<QAction>(shown.window, qPrintable(command))->trigger();

        const qint64 size = QFileInfo(path).size();
        QVERIFY(!written || size > 1024); // more than one kilobyte tells rounding apart
        QCOMPARE(shown.window.statusBar()->currentMessage(), written ? wroteFileText(name, size) : QString());
        QCOMPARE(shown.dialogs.messages.size(), written ? 0 : 1);
        if (!written) {
            const QString start = u"書き込みエラー\r\n"_s + path + u"\r\n"_s;
            QCOMPARE(shown.dialogs.messages[0].icon, MessageIcon::Error);
            QVERIFY2(shown.dialogs.messages[0].text.startsWith(start), qPrintable(shown.dialogs.messages[0].text));
        }
    }

    void writtenSizeInKilobytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");

        QTest::newRow("one kilobyte") << qint64(1024) << u"Wrote poem.htm, 1 KB"_s;
        QTest::newRow("a byte more") << qint64(1025) << u"Wrote poem.htm, 2 KB"_s;
        QTest::newRow("megabytes, grouped") << qint64(5'000'000) << u"Wrote poem.htm, 4,883 KB"_s;
    }

    void writtenSizeInKilobytes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(wroteFileText(u"poem.htm"_s, bytes), text);
    }

    void editingInPlace()
    {
        ShownMainWindow shown;
        QVERIFY(shown.active());
        GridSheetView *view = findControl<GridSheetView>(shown.window, "sprEdit");
        GridSheet &sheet = shown.window.sheet();
        clickCell(view, 3, 1);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(QPoint(sheet.activeColumn(), sheet.activeRow()), QPoint(4, 2));
        QTest::keyClick(view, Qt::Key_A); // a key starts editing in place
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != view);
        QTest::keyClick(editor, Qt::Key_B);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(sheet.getCellText(4, 2), u"ab"_s); // the delegate commits queued
    }

    // The button writes the page from the column's settings; a cancel writes nothing.
    void makeHtmlTakesTheColumnsSettings()
    {
        QTemporaryDir dir;
        ShownMainWindow shown;
        QVERIFY(shown.active());
        MainWindow &window = shown.window;
        window.sheet().setCellText(1, 1, u"春"_s);
        window.sheet().setCellColors(1, 1, 0x0000FF, kBlack);
        findControl<QLineEdit>(window, "txtNear")->setText(u"3"_s);
        findControl<QLineEdit>(window, "txtBGcolor")->setText(u"#ffcc99"_s);
        findControl<QCheckBox>(window, "chkAsIs")->setChecked(true);

        shown.dialogs.answers = {dir.filePath(u"spring.htm"_s), QString()};
        QTest::mouseClick(findControl<QPushButton>(window, "btnMakeHtml"), Qt::LeftButton);
        window.makeHtml();

        HtmlPageSettings settings;
        settings.nearText = u"3"_s;
        settings.backgroundText = u"#ffcc99"_s;
        settings.asIs = true;
        settings.pageTitle = u"spring"_s;
        QCOMPARE(readTestFile(dir.filePath(u"spring.htm"_s)), htmlPage(window.sheet(), settings));
        QCOMPARE(folderEntries(dir.path()), QStringList({u"spring.htm"_s}));
        QVERIFY(shown.dialogs.messages.isEmpty());
    }

    // The commands that read a file take regular files only: a FIFO would stop the editor
    // until something writes into it, a device may never end. The message names the kind.
    void readingCommandsRefuseWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("path"); // empty: a FIFO without a writer
        QTest::addColumn<QString>("reason");

        QTest::newRow("Load Grid Image") << u"LoadGridImage"_s << QString() << u"FIFO"_s;
        QTest::newRow("Import Image") << u"ImportImage"_s << QString() << u"FIFO"_s;
        QTest::newRow("Import Text") << u"ImportText"_s << QString() << u"FIFO"_s;
        QTest::newRow("Load Grid Image, a device") << u"LoadGridImage"_s << u"/dev/null"_s << u"デバイス"_s;
    }

    void readingCommandsRefuseWhatIsNotAFile()
    {
        QFETCH(QString, command);
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath(u"fifo"_s);
            QVERIFY(makeFifo(path));
        }
        ShownMainWindow shown;
        QVERIFY(shown.active());
        MainWindow &window = shown.window;
        window.sheet().setCellText(1, 1, u"詩"_s);
        const QByteArray before = sheetBytes(window.sheet());

        std::atomic<bool> rescued = false;
        std::jthread rescue = rescueAfterFiveSeconds(path, rescued);
        if (command == u"ImportText"_s) {
            QTimer::singleShot(0, [&] {
                auto *textWindow = qobject_cast<TextImportDialog *>(QApplication::activeModalWidget());
                QVERIFY(textWindow);
                findControl<QLineEdit>(*textWindow, "txtPath")->setText(path);
                QTest::mouseClick(findControl<QPushButton>(*textWindow, "cmdOK"), Qt::LeftButton);
                if (textWindow->isVisible()) // a refusal keeps it open for the path to be corrected
                    textWindow->reject();
            });
        } else {
            shown.dialogs.answers << path;
        }
        findControl<QAction>(window, qPrintable(command))->trigger();
        rescue.request_stop();
        rescue.join();
        QVERIFY2(!rescued, "the command waited for a writer");

        QCOMPARE(sheetBytes(window.sheet()), before);
        QVERIFY(window.findChildren<PictureWindow *>().isEmpty());
        QCOMPARE(shown.dialogs.messages.size(), 1);
        const ShownMessage &m = shown.dialogs.messages[0];
        QCOMPARE(m.icon, MessageIcon::Error);
        QVERIFY2(m.text.startsWith(u"読み込みエラー\r\n"_s + path + u"\r\n"_s), qPrintable(m.text));
        QVERIFY2(m.text.contains(reason), qPrintable(m.text));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
