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

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stop_token>
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

// Opens a FIFO's write end once some seconds have passed, so that a command stuck opening
// the FIFO to read fails the test instead of stopping it.
class FifoRescue {
public:
    explicit FifoRescue(const QString &fifo)
        : thread_([this, path = QFile::encodeName(fifo)](std::stop_token stop) {
            std::mutex mutex;
            std::unique_lock lock(mutex);
            std::condition_variable_any wake;
            for (int waits = 1; !stop.stop_requested(); ++waits) {
                (void)wake.wait_for(lock, stop, std::chrono::milliseconds(200), [] { return false; });
                if (waits < 25 || stop.stop_requested())
                    continue;
                // Succeeds only while a reader has the FIFO open or waits to.
                const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    rescued_ = true;
                    ::close(fd);
                }
            }
        })
    {
    }

    // Ends the watch; true when a reader had to be let go.
    bool stop()
    {
        thread_.request_stop();
        if (thread_.joinable())
            thread_.join();
        return rescued_;
    }

private:
    std::atomic<bool> rescued_ = false;
    std::jthread thread_;
};

// The controls of the column right of the grid, from the top.
const char *const kColumnControls[] = {"Label2", "txtNear", "Label3", "txtBGcolor", "btnCellToBG", "btnEditSupport",
    "btnMakeHtml", "chkAsIs", "Label5", "lblVer", "Label4"};
// The ones that close the column at the bottom.
const QStringList kLowerLabels = {QStringLiteral("Label5"), QStringLiteral("lblVer"), QStringLiteral("Label4")};

// The designed client area and the grid's place in it, in pixels.
constexpr QSize kDesignedClient(641, 409);
constexpr QRect kDesignedGrid(8, 8, 542, 392);

// Gives the shown window a client area of the size asked for.
bool setClientSize(MainWindow &window, QSize size)
{
    window.setWindowState(Qt::WindowNoState);
    window.resize(window.size() + size - window.centralWidget()->size());
    return QTest::qWaitFor([&] { return window.centralWidget()->size() == size; });
}

// Each column control's distance to the client area's edge that it keeps: the right and
// the top for the fields and buttons, the right and the bottom for the closing labels.
QList<QPoint> columnDistances(const MainWindow &window)
{
    const QSize client = window.centralWidget()->size();
    QList<QPoint> distances;
    for (const char *name : kColumnControls) {
        const QRect rect = findControl<QWidget>(window, name)->geometry();
        const bool lower = kLowerLabels.contains(QLatin1String(name));
        distances << QPoint(client.width() - rect.right(), lower ? client.height() - rect.bottom() : rect.top());
    }
    return distances;
}

// Every column control lies wholly inside the client area, right of the grid, and none
// covers another.
void verifyColumnShownWhole(const MainWindow &window)
{
    const QRect client = window.centralWidget()->rect();
    const QRect grid = findControl<QWidget>(window, "sprEdit")->geometry();
    QList<QRect> seen;
    for (const char *name : kColumnControls) {
        const QRect rect = findControl<QWidget>(window, name)->geometry();
        QVERIFY2(client.contains(rect), name);
        QVERIFY2(rect.left() > grid.right(), name);
        for (const QRect &other : std::as_const(seen))
            QVERIFY2(!other.intersects(rect), name);
        seen << rect;
    }
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // Where the screen holds it, the window opens with the designed client area and the
    // status bar below it; otherwise it fills the screen and still shows the whole column.
    void startsAsDesigned()
    {
        ShownMainWindow shown;
        QVERIFY(shown.active());
        MainWindow &window = shown.window;
        QCOMPARE(
            QStringList({window.windowTitle(), findControl<QLabel>(window, "lblVer")->text(),
                findControl<QLineEdit>(window, "txtNear")->text(), findControl<QLineEdit>(window, "txtBGcolor")->text(),
                findControl<GridSheetView>(window, "sprEdit")->toolTip()}),
            QStringList(
                {u"Glyphscape ver. 0.005b"_s, u"ver. 0.005b"_s, u"8"_s, u"#FFFFFF"_s, u"文字の編集を行います"_s}));
        QVERIFY(!findControl<QCheckBox>(window, "chkAsIs")->isChecked());
        QVERIFY(!window.isPictureLoaded());
        QCOMPARE(findControl<QLineEdit>(window, "txtNear")->maxLength(), 3);
        QCOMPARE(findControl<GridSheetView>(window, "sprEdit")->currentIndex(),
            findControl<GridSheetView>(window, "sprEdit")->model()->index(0, 0));
        for (const char *name : kColumnControls) {
            const QWidget *widget = findControl<QWidget>(window, name);
            if (qobject_cast<const QLineEdit *>(widget))
                continue;
            QVERIFY2(widget->width() >= widget->sizeHint().width(), name); // the caption fits
            QVERIFY2(widget->height() >= widget->sizeHint().height(), name);
        }

        const QRect available = window.screen()->availableGeometry();
        const QRect client(window.centralWidget()->mapToGlobal(QPoint(0, 0)), window.centralWidget()->size());
        const QRect status(window.statusBar()->mapToGlobal(QPoint(0, 0)), window.statusBar()->size());
        if (available.height() >= 600) { // every layout in use, scaled or not, has room for it
            QCOMPARE(client.size(), kDesignedClient);
            QCOMPARE(findControl<QWidget>(window, "sprEdit")->geometry(), kDesignedGrid);
        } else {
            QTRY_VERIFY(window.isMaximized());
        }
        QVERIFY2(available.contains(window.frameGeometry()), "the window is cut off by the screen's edge");
        QVERIFY(window.statusBar()->isVisible());
        QVERIFY(status.top() > client.bottom());
        verifyColumnShownWhole(window);
    }

    // The grid takes what the window gains or loses; the column keeps to the right edge and
    // its closing labels to the bottom, moving up as far as the controls above them allow.
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

    void shrinksNoFurtherThanTheColumnAllows()
    {
        ShownMainWindow shown;
        QVERIFY(shown.active());
        shown.window.setWindowState(Qt::WindowNoState);
        shown.window.resize(1, 1);
        QTRY_COMPARE(shown.window.size(), shown.window.minimumSize());
        QVERIFY(shown.window.centralWidget()->height() < kDesignedClient.height());
        verifyColumnShownWhole(shown.window);
    }

    // The status bar names the active cell, its colours and the sheet's size, and follows
    // every change of them.
    void statusBarFollowsTheActiveCell_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("start") << u"none"_s
                               << QStringList(
                                      {u"Column 1, Row 1"_s, u"Back #FFFFFF, Text #000000"_s, u"Size 25 × 22"_s});
        QTest::newRow("clicked") << u"click"_s
                                 << QStringList(
                                        {u"Column 4, Row 3"_s, u"Back #050AC8, Text #FFFFFF"_s, u"Size 25 × 22"_s});
        QTest::newRow("repainted") << u"paint"_s
                                   << QStringList(
                                          {u"Column 4, Row 3"_s, u"Back #FFCC99, Text #102030"_s, u"Size 25 × 22"_s});
        QTest::newRow("grown") << u"grow"_s
                               << QStringList(
                                      {u"Column 4, Row 3"_s, u"Back #050AC8, Text #FFFFFF"_s, u"Size 200 × 150"_s});
        QTest::newRow("shrunk past the cell")
            << u"shrink"_s << QStringList({u"Column 2, Row 2"_s, u"Back #FFFFFF, Text #000000"_s, u"Size 2 × 2"_s});
    }

    void statusBarFollowsTheActiveCell()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, shown);

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
        QCOMPARE(QStringList({findControl<QLabel>(on.window, "lblCellPosition")->text(),
                     findControl<QLabel>(on.window, "lblCellColors")->text(),
                     findControl<QLabel>(on.window, "lblSheetSize")->text()}),
            shown);
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
        shown.window.sheet().setSize(40, 30);
        for (int row = 1; row <= 30; ++row) {
            for (int column = 1; column <= 40; ++column)
                shown.window.sheet().setCellText(column, row, u"詩"_s);
        }
        const QString path = dir.filePath(name);
        shown.dialogs.answers << dir.filePath(u"earlier.grd"_s) << path;
        findControl<QAction>(shown.window, "SavaGridImage")->trigger();
        findControl<QAction>(shown.window, qPrintable(command))->trigger();

        const qint64 size = QFileInfo(path).size();
        QVERIFY(!written || size > 1024); // more than one kilobyte tells rounding apart
        QCOMPARE(shown.window.statusBar()->currentMessage(), written ? wroteFileText(name, size) : QString());
        QCOMPARE(shown.dialogs.messages.size(), written ? 0 : 1);
        if (!written) {
            const ShownMessage &m = shown.dialogs.messages[0];
            QCOMPARE(m.icon, MessageIcon::Error);
            const QString start = u"書き込みエラー\r\n"_s + path + u"\r\n"_s;
            QVERIFY2(m.text.startsWith(start) && m.text.size() > start.size(), qPrintable(m.text));
        }
    }

    void writtenSizeInKilobytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << qint64(0) << u"Wrote poem.htm, 0 KB"_s;
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
        QTRY_COMPARE(sheet.getCellText(4, 2), QStringLiteral("ab")); // the delegate commits queued
        sheet.setSize(2, 2); // a shrink keeps the active cell inside
        QCOMPARE(view->currentIndex(), view->model()->index(1, 1));
        QVERIFY(shown.dialogs.requests.isEmpty());
    }

    // The button and Ctrl+E write the same page from the column's settings; a cancel writes nothing.
    void makeHtmlFromButtonAndShortcutAlike()
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

        const QString byButton = dir.filePath(u"spring.htm"_s);
        const QString byShortcut = dir.filePath(u"spring.b.html"_s);
        shown.dialogs.answers = {byButton, byShortcut, QString()};
        QTest::mouseClick(findControl<QPushButton>(window, "btnMakeHtml"), Qt::LeftButton);
        QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
        window.makeHtml();

        QCOMPARE(shown.dialogs.requests.size(), 3);
        const ChooserRequest &request = shown.dialogs.requests.last();
        QVERIFY(request.save);
        QCOMPARE(request.title, u"HTMLの書き込み"_s);
        QCOMPARE(request.filter, u"HTML ファイル (*.htm, *.html)|*.htm;*.html||"_s);
        HtmlPageSettings settings;
        settings.nearText = u"3"_s;
        settings.backgroundText = u"#ffcc99"_s;
        settings.asIs = true;
        settings.pageTitle = u"spring"_s;
        const QByteArray expected = htmlPage(window.sheet(), settings);
        QCOMPARE(readTestFile(byButton), expected);
        QCOMPARE(readTestFile(byShortcut), expected);
        QCOMPARE(folderEntries(dir.path()), QStringList({u"spring.b.html"_s, u"spring.htm"_s}));
        QVERIFY(shown.dialogs.messages.isEmpty());
    }

    // The commands that read a file take regular files only: a FIFO would stop the editor
    // until something writes into it, a device may never end. Each is named at once.
    void readingCommandsRefuseWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        const QString fifo = QStringLiteral("fifo");
        for (const char *command : {"LoadGridImage", "ImportImage", "ImportText"}) {
            QTest::addRow("%s, fifo without a writer", command) << command << fifo << QStringLiteral("FIFO");
            QTest::addRow("%s, character device", command)
                << command << QStringLiteral("/dev/null") << QStringLiteral("デバイス");
        }
    }

    void readingCommandsRefuseWhatIsNotAFile()
    {
        QFETCH(QString, command);
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        if (path == QStringLiteral("fifo")) {
            path = dir.filePath(path);
            QVERIFY(makeFifo(path));
        }
        ShownMainWindow shown;
        QVERIFY(shown.active());
        MainWindow &window = shown.window;
        window.sheet().setCellText(1, 1, QStringLiteral("詩"));
        window.sheet().setCellColors(1, 1, 0x00336699, kWhite);
        const QByteArray before = sheetBytes(window.sheet());

        FifoRescue rescue(path);
        if (command == QStringLiteral("ImportText")) {
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
        QVERIFY2(!rescue.stop(), "the command waited for a writer");

        QCOMPARE(sheetBytes(window.sheet()), before);
        QVERIFY(!window.isPictureLoaded());
        QVERIFY(window.findChildren<PictureWindow *>().isEmpty());
        QCOMPARE(shown.dialogs.messages.size(), 1);
        const ShownMessage &m = shown.dialogs.messages[0];
        QCOMPARE(m.icon, MessageIcon::Error);
        QVERIFY2(m.text.startsWith(QStringLiteral("読み込みエラー\r\n") + path + QStringLiteral("\r\n")),
            qPrintable(m.text));
        QVERIFY2(m.text.contains(reason), qPrintable(m.text));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
