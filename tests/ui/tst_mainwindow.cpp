// The main window driven as a user drives it.
#include "core/GridSheet.h"
#include "html/HtmlPageWriter.h"
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
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
            QStringList(
                {u"Glyphscape ver. 0.005b"_s, u"ver. 0.005b"_s, u"8"_s, u"#FFFFFF"_s, u"文字の編集を行います"_s}));
        QVERIFY(!findControl<QCheckBox>(window, "chkAsIs")->isChecked());
        QVERIFY(!window.isPictureLoaded());
        QCOMPARE(findControl<QLineEdit>(window, "txtNear")->maxLength(), 3);
        QCOMPARE(findControl<GridSheetView>(window, "sprEdit")->currentIndex(),
            findControl<GridSheetView>(window, "sprEdit")->model()->index(0, 0));
        for (const char *name : {"Label2", "Label3", "btnCellToBG", "btnEditSupport", "btnMakeHtml", "chkAsIs",
                 "Label5", "lblVer", "Label4"}) {
            const QWidget *widget = findControl<QWidget>(window, name);
            QVERIFY2(widget->width() >= widget->sizeHint().width(), name); // the caption fits
            QVERIFY2(widget->height() >= widget->sizeHint().height(), name);
        }
    }

    void shortcuts()
    {
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        QStringList keys;
        for (const char *action :
            {"ImportImage", "ImportText", "ExportText", "MakeHtml", "LoadGridImage", "SavaGridImage", "Setting"})
            keys << findControl<QAction>(window, action)->shortcut().toString();
        QCOMPARE(keys, QStringList({u"Ctrl+I"_s, u"Ctrl+T"_s, {}, u"Ctrl+E"_s, u"Ctrl+O"_s, u"Ctrl+S"_s, {}}));
    }

    void cellToBackground_data()
    {
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QString>("colour");

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

    // The third answer is cancelled; the fourth, a folder, cannot be written.
    void makeHtmlFromButtonAndShortcutAlike()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.sheet().setCellText(1, 1, u"春"_s);
        window.sheet().setCellColors(1, 1, 0x0000FF, kBlack);
        findControl<QLineEdit>(window, "txtNear")->setText(u"3"_s);
        findControl<QLineEdit>(window, "txtBGcolor")->setText(u"#ffcc99"_s);
        findControl<QCheckBox>(window, "chkAsIs")->setChecked(true);

        const QString byButton = dir.filePath(u"spring.htm"_s);
        const QString byShortcut = dir.filePath(u"spring.b.html"_s);
        const QString folder = dir.filePath(u"folder"_s);
        dialogs.answers = {byButton, byShortcut, QString(), folder};
        QTest::mouseClick(findControl<QPushButton>(window, "btnMakeHtml"), Qt::LeftButton);
        QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
        window.makeHtml();
        window.makeHtml();

        QCOMPARE(dialogs.requests.size(), 4);
        for (const ChooserRequest &request : dialogs.requests) {
            QVERIFY(request.save);
            QCOMPARE(request.title, u"HTMLの書き込み"_s);
            QCOMPARE(request.filter, u"HTML ファイル (*.htm, *.html)|*.htm;*.html||"_s);
        }
        HtmlPageSettings settings;
        settings.nearText = u"3"_s;
        settings.backgroundText = u"#ffcc99"_s;
        settings.asIs = true;
        settings.pageTitle = u"spring"_s;
        const QByteArray expected = htmlPage(window.sheet(), settings);
        QCOMPARE(readTestFile(byButton), expected);
        QCOMPARE(readTestFile(byShortcut), expected);
        QCOMPARE(folderEntries(dir.path()), QStringList({u"folder"_s, u"spring.b.html"_s, u"spring.htm"_s}));
        QCOMPARE(dialogs.messages.size(), 1);
        const ShownMessage &m = dialogs.messages[0];
        QCOMPARE(m.icon, MessageIcon::Error);
        const QString start = u"書き込みエラー\r\n"_s + folder + u"\r\n"_s;
        QVERIFY2(m.text.startsWith(start) && m.text.size() > start.size(), qPrintable(m.text)); // and the reason
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
