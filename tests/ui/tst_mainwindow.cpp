// The main window driven as a user drives it.
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/FileSizeLimit.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetModel.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"
#include "ui/PictureWindow.h"
#include "ui/TextImportDialog.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
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
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void clickCell(GridSheetView* view, int column, int row)
{
    const QRect rect = view->visualRect(view->model()->index(row - 1, column - 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

// The sheet's size, texts and colours, as grid file bytes.
QByteArray describe(const GridSheet& sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeGridFile(buffer, sheet) ? buffer.data() : "write failed";
}

// Lets go of a reader stuck opening a FIFO, by opening its write end once some seconds have
// passed, so that a command that would hang fails the test instead of stopping it.
class FifoRescue {
public:
    explicit FifoRescue(const QString& fifo)
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
            QStringList({ window.windowTitle(), findControl<QLabel>(window, "lblVer")->text(),
                findControl<QLineEdit>(window, "txtNear")->text(), findControl<QLineEdit>(window, "txtBGcolor")->text(),
                findControl<GridSheetView>(window, "sprEdit")->toolTip() }),
            QStringList({ QStringLiteral("Glyphscape ver. 0.005b"), QStringLiteral("ver. 0.005b"), QStringLiteral("8"),
                QStringLiteral("#FFFFFF"), QStringLiteral("文字の編集を行います") }));
        QVERIFY(!findControl<QCheckBox>(window, "chkAsIs")->isChecked() && !window.isPictureLoaded()
            && findControl<QLineEdit>(window, "txtNear")->maxLength() == 3);
        QCOMPARE(findControl<GridSheetView>(window, "sprEdit")->currentIndex(),
            findControl<GridSheetView>(window, "sprEdit")->model()->index(0, 0));

        const QList<std::pair<QAction*, QString>> shortcuts
            = { { findControl<QAction>(window, "ImportImage"), QStringLiteral("Ctrl+I") },
                  { findControl<QAction>(window, "ImportText"), QStringLiteral("Ctrl+T") },
                  { findControl<QAction>(window, "ExportText"), QString() },
                  { findControl<QAction>(window, "MakeHtml"), QStringLiteral("Ctrl+E") },
                  { findControl<QAction>(window, "LoadGridImage"), QStringLiteral("Ctrl+O") },
                  { findControl<QAction>(window, "SavaGridImage"), QStringLiteral("Ctrl+S") },
                  { findControl<QAction>(window, "Setting"), QString() } };
        for (const auto& [action, keys] : shortcuts)
            QCOMPARE(action->shortcut().toString(), keys);

        // Every caption fits its control.
        for (QWidget* control : std::initializer_list<QWidget*> { findControl<QLabel>(window, "Label2"),
                 findControl<QLabel>(window, "Label3"), findControl<QPushButton>(window, "btnCellToBG"),
                 findControl<QPushButton>(window, "btnEditSupport"), findControl<QPushButton>(window, "btnMakeHtml"),
                 findControl<QCheckBox>(window, "chkAsIs"), findControl<QLabel>(window, "Label5"),
                 findControl<QLabel>(window, "lblVer"), findControl<QLabel>(window, "Label4") }) {
            QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(control->objectName()));
            QVERIFY2(control->height() >= control->sizeHint().height(), qPrintable(control->objectName()));
        }
    }

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

    void editingInPlaceAndCellToBackground()
    {
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        GridSheetView* view = findControl<GridSheetView>(window, "sprEdit");
        GridSheet& sheet = window.sheet();
        sheet.setCellColors(2, 2, makeColor(5, 10, 200), kBlack);
        sheet.setCellColors(3, 1, Color(0x80000000), kBlack);
        const std::pair<QPoint, QString> cells[] = { { { 1, 1 }, QStringLiteral("#FFFFFF") },
            { { 2, 2 }, QStringLiteral("#050AC8") }, { { 3, 1 }, QStringLiteral("#000000") } }; // top byte: black
        for (const auto& [cell, colour] : cells) {
            clickCell(view, cell.x(), cell.y());
            QTest::mouseClick(findControl<QPushButton>(window, "btnCellToBG"), Qt::LeftButton);
            QCOMPARE(findControl<QLineEdit>(window, "txtBGcolor")->text(), colour);
            QCOMPARE(QPoint(sheet.activeColumn(), sheet.activeRow()), cell);
        }
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(QPoint(sheet.activeColumn(), sheet.activeRow()), QPoint(4, 2));
        QTest::keyClick(view, Qt::Key_A); // a key starts editing in place
        QWidget* editor = QApplication::focusWidget();
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
        dialogs.answers = { byButton, byShortcut };
        QTest::mouseClick(findControl<QPushButton>(window, "btnMakeHtml"), Qt::LeftButton);
        QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);

        QCOMPARE(dialogs.requests.size(), 2);
        for (const ChooserRequest& request : dialogs.requests) {
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
        QCOMPARE(readFile(byButton), expected);
        QCOMPARE(readFile(byShortcut), expected);

        window.makeHtml(); // cancelled: nothing written, nothing said
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
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
        dialogs.answers = { path };
        {
            FileSizeLimit full(4096);
            window.makeHtml();
        }

        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
        QVERIFY(
            dialogs.messages[0].text.startsWith(QStringLiteral("書き込みエラー\r\n") + path + QStringLiteral("\r\n")));
        QVERIFY(dialogs.messages[0].text.size() > QStringLiteral("書き込みエラー\r\n\r\n").size() + path.size());
        QCOMPARE(readFile(path), QByteArray("old page"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("page.htm") });
    }

    // The commands that read a file take regular files only: a FIFO would stop the editor
    // until something writes into it, a device may never end. Each is named at once.
    void readingCommandsRefuseWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        const QString fifo = QStringLiteral("fifo");
        for (const char* command : { "LoadGridImage", "ImportImage", "ImportText" }) {
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
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        FakeDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.sheet().setCellText(1, 1, QStringLiteral("詩"));
        window.sheet().setCellColors(1, 1, 0x00336699, kWhite);
        const QByteArray before = describe(window.sheet());

        FifoRescue rescue(path);
        if (command == QStringLiteral("ImportText")) {
            QTimer::singleShot(0, [&] {
                auto* textWindow = qobject_cast<TextImportDialog*>(QApplication::activeModalWidget());
                QVERIFY(textWindow);
                findControl<QLineEdit>(*textWindow, "txtPath")->setText(path);
                QTest::mouseClick(findControl<QPushButton>(*textWindow, "cmdOK"), Qt::LeftButton);
                if (textWindow->isVisible()) // a refusal keeps it open for the path to be corrected
                    textWindow->reject();
            });
        } else {
            dialogs.answers << path;
        }
        window.findChild<QAction*>(command)->trigger();
        QVERIFY2(!rescue.stop(), "the command waited for a writer");

        QCOMPARE(describe(window.sheet()), before);
        QVERIFY(!window.isPictureLoaded() && window.findChildren<PictureWindow*>().isEmpty());
        QCOMPARE(dialogs.messages.size(), 1);
        const ShownMessage& m = dialogs.messages[0];
        QVERIFY2(m.icon == MessageIcon::Error
                && m.text.startsWith(QStringLiteral("読み込みエラー\r\n") + path + QStringLiteral("\r\n"))
                && m.text.contains(reason),
            qPrintable(m.text));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
