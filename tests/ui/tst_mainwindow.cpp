// The main window driven as a user drives it.
#include "core/GridSheet.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/FileSizeLimit.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"
#include "ui/PictureWindow.h"
#include "ui/TextImportDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

void clickCell(GridSheetView *view, int column, int row)
{
    const QRect rect = view->visualRect(view->model()->index(row - 1, column - 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

// Lets go of a reader stuck opening a FIFO, by opening its write end once some seconds have
// passed, so that a command that would hang fails the test instead of stopping it.
class FifoRescue {
public:
    explicit FifoRescue(const QString &fifo)
        : path_(QFile::encodeName(fifo))
        , thread_([this] { watch(); })
    {
    }
    ~FifoRescue() { stop(); }

    // Ends the watch; true when a reader had to be let go.
    bool stop()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable())
            thread_.join();
        return rescued_;
    }

private:
    void watch()
    {
        std::unique_lock lock(mutex_);
        for (int waits = 0; !wake_.wait_for(lock, std::chrono::milliseconds(200), [this] { return done_; });) {
            if (++waits < 25)
                continue;
            // Succeeds only while a reader has the FIFO open or waits to.
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                rescued_ = true;
                ::close(fd);
            }
        }
    }

    const QByteArray path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool rescued_ = false;
    std::thread thread_;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startUpState()
    {
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(
            QStringList({window.windowTitle(), findControl<QLabel>(window, "lblVer")->text(),
                findControl<QLineEdit>(window, "txtNear")->text(), findControl<QLineEdit>(window, "txtBGcolor")->text(),
                findControl<GridSheetView>(window, "sprEdit")->toolTip()}),
            QStringList({QStringLiteral("Glyphscape ver. 0.005b"), QStringLiteral("ver. 0.005b"), QStringLiteral("8"),
                QStringLiteral("#FFFFFF"), QStringLiteral("文字の編集を行います")}));
        QVERIFY(!findControl<QCheckBox>(window, "chkAsIs")->isChecked());
        QVERIFY(!window.isPictureLoaded());
        QCOMPARE(findControl<QLineEdit>(window, "txtNear")->maxLength(), 3);
        QCOMPARE(findControl<GridSheetView>(window, "sprEdit")->currentIndex(),
            findControl<GridSheetView>(window, "sprEdit")->model()->index(0, 0));
    }

    // Each row is named by the action's object name.
    void shortcuts_data()
    {
        QTest::addColumn<QString>("keys");

        QTest::newRow("ImportImage") << QStringLiteral("Ctrl+I");
        QTest::newRow("ImportText") << QStringLiteral("Ctrl+T");
        QTest::newRow("ExportText") << QString();
        QTest::newRow("MakeHtml") << QStringLiteral("Ctrl+E");
        QTest::newRow("LoadGridImage") << QStringLiteral("Ctrl+O");
        QTest::newRow("SavaGridImage") << QStringLiteral("Ctrl+S");
        QTest::newRow("Setting") << QString();
    }

    void shortcuts()
    {
        QFETCH(QString, keys);

        FakeDialogs dialogs;
        MainWindow window(dialogs);
        QCOMPARE(findControl<QAction>(window, QTest::currentDataTag())->shortcut().toString(), keys);
    }

    void captionFitsItsControl_data()
    {
        QTest::addColumn<QString>("control");

        for (const char *control : {"Label2", "Label3", "btnCellToBG", "btnEditSupport", "btnMakeHtml", "chkAsIs",
                 "Label5", "lblVer", "Label4"})
            QTest::newRow(control) << control;
    }

    void captionFitsItsControl()
    {
        QFETCH(QString, control);

        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QWidget *widget = findControl<QWidget>(window, qPrintable(control));
        QVERIFY(widget->width() >= widget->sizeHint().width());
        QVERIFY(widget->height() >= widget->sizeHint().height());
    }

    void cellToBackground_data()
    {
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QString>("colour");

        QTest::newRow("white, the active cell") << QPoint(1, 1) << "#FFFFFF";
        QTest::newRow("painted") << QPoint(2, 2) << "#050AC8";
        QTest::newRow("top byte set: black") << QPoint(3, 1) << "#000000";
    }

    void cellToBackground()
    {
        QFETCH(QPoint, cell);
        QFETCH(QString, colour);

        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.sheet().setCellColors(2, 2, makeColor(5, 10, 200), kBlack);
        window.sheet().setCellColors(3, 1, Color(0x80000000), kBlack);
        clickCell(findControl<GridSheetView>(window, "sprEdit"), cell.x(), cell.y());
        QTest::mouseClick(findControl<QPushButton>(window, "btnCellToBG"), Qt::LeftButton);
        QCOMPARE(findControl<QLineEdit>(window, "txtBGcolor")->text(), colour);
        QCOMPARE(QPoint(window.sheet().activeColumn(), window.sheet().activeRow()), cell);
    }

    void editingInPlace()
    {
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        GridSheetView *view = findControl<GridSheetView>(window, "sprEdit");
        GridSheet &sheet = window.sheet();
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
        QVERIFY(dialogs.requests.isEmpty());
    }

    void makeHtmlFromButtonAndShortcutAlike()
    {
        QTemporaryDir dir;
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.sheet().setCellText(1, 1, QStringLiteral("春"));
        window.sheet().setCellColors(1, 1, 0x0000FF, kBlack);
        findControl<QLineEdit>(window, "txtNear")->setText(QStringLiteral("3"));
        findControl<QLineEdit>(window, "txtBGcolor")->setText(QStringLiteral("#ffcc99"));
        findControl<QCheckBox>(window, "chkAsIs")->setChecked(true);

        const QString byButton = dir.filePath(QStringLiteral("spring.htm"));
        const QString byShortcut = dir.filePath(QStringLiteral("spring.b.html"));
        dialogs.answers = {byButton, byShortcut};
        QTest::mouseClick(findControl<QPushButton>(window, "btnMakeHtml"), Qt::LeftButton);
        QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);

        QCOMPARE(dialogs.requests.size(), 2);
        for (const ChooserRequest &request : dialogs.requests) {
            QVERIFY(request.save);
            QCOMPARE(request.title, QStringLiteral("HTMLの書き込み"));
            QCOMPARE(request.filter, QStringLiteral("HTML ファイル (*.htm, *.html)|*.htm;*.html||"));
        }
        HtmlPageSettings settings;
        settings.nearText = QStringLiteral("3");
        settings.backgroundText = QStringLiteral("#ffcc99");
        settings.asIs = true;
        settings.pageTitle = QStringLiteral("spring");
        const QByteArray expected = htmlPage(window.sheet(), settings);
        QCOMPARE(readTestFile(byButton), expected);
        QCOMPARE(readTestFile(byShortcut), expected);

        window.makeHtml(); // cancelled: nothing written, nothing said
        QCOMPARE(folderEntries(dir.path()).size(), 2);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void writeFailureKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.htm"));
        writeTestFile(dir.path(), QStringLiteral("page.htm"), "old page");

        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.sheet().setSize(300, 300); // a page far beyond the file size limit below
        for (int row = 1; row <= 300; ++row)
            for (int column = 1; column <= 300; ++column)
                window.sheet().setCellText(column, row, QStringLiteral("x"));
        dialogs.answers = {path};
        {
            FileSizeLimit full(4096);
            window.makeHtml();
        }

        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
        QVERIFY(
            dialogs.messages[0].text.startsWith(QStringLiteral("書き込みエラー\r\n") + path + QStringLiteral("\r\n")));
        QVERIFY(dialogs.messages[0].text.size() > QStringLiteral("書き込みエラー\r\n\r\n").size() + path.size());
        QCOMPARE(readTestFile(path), QByteArray("old page"));
        QCOMPARE(folderEntries(dir.path()), QStringList {QStringLiteral("page.htm")});
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
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
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
            dialogs.answers << path;
        }
        window.findChild<QAction *>(command)->trigger();
        QVERIFY2(!rescue.stop(), "the command waited for a writer");

        QCOMPARE(sheetBytes(window.sheet()), before);
        QVERIFY(!window.isPictureLoaded());
        QVERIFY(window.findChildren<PictureWindow *>().isEmpty());
        QCOMPARE(dialogs.messages.size(), 1);
        const ShownMessage &m = dialogs.messages[0];
        QCOMPARE(m.icon, MessageIcon::Error);
        QVERIFY2(m.text.startsWith(QStringLiteral("読み込みエラー\r\n") + path + QStringLiteral("\r\n")),
            qPrintable(m.text));
        QVERIFY2(m.text.contains(reason), qPrintable(m.text));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
