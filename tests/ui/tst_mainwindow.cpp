// The main window driven as a user drives it.
#include "core/GridSheet.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/ShownMainWindow.h"
#include "text/PlainTextExport.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

// Every control of the column right of the grid lies wholly inside the client area, right of
// the grid, its caption whole, and none covers another.
void verifyColumnShownWhole(const MainWindow &window)
{
    const QRect client = window.centralWidget()->rect();
    const QRect grid = findControl<QWidget>(window, "sprEdit")->geometry();
    QList<QRect> seen;
    for (const char *name : {"Label2", "txtNear", "Label3", "txtBGcolor", "btnCellToBG", "btnEditSupport",
             "btnMakeHtml", "chkAsIs", "Label5", "lblVer", "Label4"}) {
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
    // Where the screen holds it, the window opens with the designed client area and the status
    // bar; otherwise it fills the screen. Either way, and shrunk as far as it goes,
    // the whole column shows.
    void fitsTheScreenWithTheColumnWhole()
    {
        ShownMainWindow shown;
        QVERIFY(shown.active());
        MainWindow &window = shown.window;
        const QRect available = window.screen()->availableGeometry();
        if (available.height() >= 600) // every layout in use, scaled or not, has room for it
            QCOMPARE(window.centralWidget()->size(), QSize(641, 409));
        else
            QTRY_VERIFY(window.isMaximized());
        QVERIFY2(available.contains(window.frameGeometry()), "the window is cut off by the screen's edge");
        QVERIFY(window.statusBar()->isVisible());
        verifyColumnShownWhole(window);

        window.setWindowState(Qt::WindowNoState);
        window.resize(1, 1);
        QTRY_COMPARE(window.size(), window.minimumSize());
        QVERIFY(window.centralWidget()->height() < 409);
        verifyColumnShownWhole(window);
    }

    // The status bar names the active cell, its colours and the sheet's size, and follows them.
    void statusBarFollowsTheActiveCell()
    {
        ShownMainWindow shown;
        QVERIFY(shown.active());
        GridSheet &sheet = shown.window.sheet();
        auto status = [&] {
            QStringList texts;
            for (const char *label : {"lblCellPosition", "lblCellColors", "lblSheetSize"})
                texts << findControl<QLabel>(shown.window, label)->text();
            return texts.join(u'|');
        };
        QCOMPARE(status(), u"Column 1, Row 1|Back #FFFFFF, Text #000000|Size 25 × 22"_s);
        sheet.setCellColors(4, 3, makeColor(5, 10, 200), kWhite);
        auto *view = findControl<GridSheetView>(shown.window, "sprEdit");
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(2, 3)).center());
        QCOMPARE(status(), u"Column 4, Row 3|Back #050AC8, Text #FFFFFF|Size 25 × 22"_s);
        sheet.setCellColors(4, 3, makeColor(0xFF, 0xCC, 0x99), makeColor(0x10, 0x20, 0x30));
        QCOMPARE(status(), u"Column 4, Row 3|Back #FFCC99, Text #102030|Size 25 × 22"_s);
        sheet.setSize(2, 2);
        QCOMPARE(status(), u"Column 2, Row 2|Back #FFFFFF, Text #000000|Size 2 × 2"_s);
    }

    // Make Html writes the page from the column's settings and says so in the status bar, as
    // every write does; a cancel writes nothing; a failed write names the file and clears the note.
    void makeHtmlTakesTheColumnsSettingsAndSaysWhatItWrote()
    {
        QTemporaryDir dir;
        ShownMainWindow shown;
        QVERIFY(shown.active());
        MainWindow &window = shown.window;
        window.sheet().setCellText(1, 1, u"詩"_s);
        window.sheet().setCellColors(1, 1, 0x0000FF, kBlack);
        findControl<QLineEdit>(window, "txtNear")->setText(u"3"_s);
        findControl<QLineEdit>(window, "txtBGcolor")->setText(u"#ffcc99"_s);
        findControl<QCheckBox>(window, "chkAsIs")->setChecked(true);
        const QString page = dir.filePath(u"spring.htm"_s);
        shown.dialogs.answers = {page, QString(), dir.path()}; // the last a folder

        QTest::mouseClick(findControl<QPushButton>(window, "btnMakeHtml"), Qt::LeftButton);
        const HtmlPageSettings settings {u"3"_s, u"#ffcc99"_s, true, u"spring"_s};
        QCOMPARE(readTestFile(page), htmlPage(window.sheet(), settings));
        QVERIFY2(window.statusBar()->currentMessage().startsWith(u"Wrote spring.htm, "_s),
            qPrintable(window.statusBar()->currentMessage()));
        window.makeHtml();
        QCOMPARE(folderEntries(dir.path()), QStringList({u"spring.htm"_s}));
        QVERIFY(shown.dialogs.messages.isEmpty());

        window.makeHtml();
        QCOMPARE(window.statusBar()->currentMessage(), QString());
        QCOMPARE(shown.dialogs.messages.size(), 1);
        QCOMPARE(shown.dialogs.messages[0].icon, MessageIcon::Error);
        const QString start = u"書き込みエラー\r\n"_s + dir.path() + u"\r\n"_s;
        QVERIFY2(shown.dialogs.messages[0].text.startsWith(start), qPrintable(shown.dialogs.messages[0].text));
    }

    // A key typed on a cell starts editing it in place; Export Plain Text writes the texts.
    void typeInPlaceAndExportPlainText()
    {
        QTemporaryDir dir;
        ShownMainWindow shown;
        QVERIFY(shown.active());
        auto *view = findControl<GridSheetView>(shown.window, "sprEdit");
        view->setCurrentIndex(view->model()->index(1, 3));
        QTest::keyClick(view, Qt::Key_A);
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != view);
        QTest::keyClick(editor, Qt::Key_B);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(shown.window.sheet().getCellText(4, 2), u"ab"_s); // the delegate commits queued

        shown.dialogs.answers << dir.filePath(u"poem.txt"_s);
        findControl<QAction>(shown.window, "ExportText")->trigger();
        QCOMPARE(readTestFile(dir.filePath(u"poem.txt"_s)), plainText(shown.window.sheet()));
    }

    // The commands that read a file take regular files only: a FIFO would stop the editor
    // until something writes into it, a device may never end. The message names the kind.
    void readingRefusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("path"); // empty: a FIFO without a writer
        QTest::addColumn<QString>("reason");

        QTest::newRow("FIFO") << QString() << u"FIFO"_s;
        QTest::newRow("device") << u"/dev/null"_s << u"デバイス"_s;
    }

    void readingRefusesWhatIsNotAFile()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath(u"fifo"_s);
            QVERIFY(makeFifo(path));
        }
        ShownMainWindow shown;
        QVERIFY(shown.active());
        shown.window.sheet().setCellText(1, 1, u"詩"_s);
        const QByteArray before = sheetBytes(shown.window.sheet());
        shown.dialogs.answers << path;

        // The opening of a FIFO without a writer must not wait for one.
        findControl<QAction>(shown.window, "LoadGridImage")->trigger();

        QCOMPARE(sheetBytes(shown.window.sheet()), before);
        QCOMPARE(shown.dialogs.messages.size(), 1);
        const ShownMessage &m = shown.dialogs.messages[0];
        QCOMPARE(m.icon, MessageIcon::Error);
        QVERIFY2(m.text.startsWith(u"読み込みエラー\r\n"_s + path + u"\r\n"_s), qPrintable(m.text));
        QVERIFY2(m.text.contains(reason), qPrintable(m.text));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
