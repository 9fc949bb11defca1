// The image view window through the main window: Import Image, fitting, To Grid, refusals.
#include "support/logic/AddressSpaceLimit.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/PictureWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

// Every control of the row under the picture lies inside the window, off the picture, its
// caption whole, and none covers another.
void verifyRowShownWhole(const PictureWindow &view)
{
    const QRect picture = findControl<QScrollArea>(view, "pictureArea")->geometry();
    QList<QRect> seen;
    for (const char *name : {"cmdToGrid", "lblGSize", "txtPixs"}) {
        const QWidget *control = findControl<QWidget>(view, name);
        const QRect rect = control->geometry();
        QVERIFY2(view.rect().contains(rect), name);
        QVERIFY2(!rect.intersects(picture), name);
        QVERIFY2(qobject_cast<const QLineEdit *>(control) || rect.width() >= control->sizeHint().width(), name);
        for (const QRect &other : std::as_const(seen))
            QVERIFY2(!other.intersects(rect), name);
        seen << rect;
    }
}

} // namespace

class TestPictureWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    MainWindow main_ {dialogs_};

    // Imports the file name, first saved as a flat picture when a size is given; the view or null.
    PictureWindow *import(const QString &name, QSize size = {})
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(0, 128, 0));
        dialogs_.answers << dir_.filePath(name);
        if (!size.isEmpty() && !picture.save(dialogs_.answers.last()))
            return nullptr;
        findControl<QAction>(main_, "ImportImage")->trigger();
        const auto views = main_.findChildren<PictureWindow *>();
        return views.size() == 1 ? views.first() : nullptr;
    }

    void closePictureWindow()
    {
        for (PictureWindow *view : main_.findChildren<PictureWindow *>())
            view->close();
        QTRY_VERIFY(main_.findChildren<PictureWindow *>().isEmpty());
    }

private slots:
    void initTestCase() { main_.show(); }

    void cleanup()
    {
        closePictureWindow(); // lets the picture go
        dialogs_.messages.clear();
    }

    // One window shows each picture imported and converts it until closed. A refused file
    // leaves it with its picture, title and block size; the message names the file and the reason.
    void oneWindowShowsEachPictureUntilClosed()
    {
        QPointer<PictureWindow> view = import(u"photo.bmp"_s, {400, 300});
        QVERIFY(view && view->isVisible() && main_.isPictureLoaded());
        findControl<QLineEdit>(*view, "txtPixs")->setText(u"4"_s);
        QCOMPARE(import(u"second.bmp"_s, {300, 200}), view.data());
        QCOMPARE(findControl<PictureBox>(*view, "picLoad")->size(), QSize(300, 200));
        const QString refused = writeTestFile(dir_.path(), u"notes.gif"_s, "GIF? no\r\n");
        QCOMPARE(import(u"notes.gif"_s), view.data());
        QCOMPARE(dialogs_.messages.size(), 1);
        const ShownMessage shown = dialogs_.messages[0];
        QCOMPARE(shown.icon, MessageIcon::Error);
        QVERIFY2(shown.text.startsWith(u"読み込みエラー\r\n"_s + refused), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(u"イメージ"_s), qPrintable(shown.text));
        QCOMPARE(view->windowTitle(), u"second.bmp"_s);

        QTest::mouseClick(findControl<QPushButton>(*view, "cmdToGrid"), Qt::LeftButton);
        // The second picture, at the block size as typed.
        QCOMPARE(QSize(main_.sheet().columnCount(), main_.sheet().rowCount()), QSize(75, 50));
        view->close();
        QVERIFY(!main_.isPictureLoaded());
        QTRY_VERIFY(view.isNull()); // deleted with its picture
        QVERIFY((view = import(u"second.bmp"_s)));
        QCOMPARE(findControl<QLineEdit>(*view, "txtPixs")->text(), u"8"_s);
    }

    // The window stays within the screen's room, the picture at its natural size, scrolled
    // where it does not fit; the row under it keeps apart at the opening size and shrunk as
    // far as it goes, To Grid where the pointer finds it.
    void picturesFitTheScreenWithTheRowApart_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("across");
        QTest::addColumn<bool>("down");

        QTest::newRow("narrower than the row") << QSize(40, 30) << false << false;
        QTest::newRow("2000 x 1500 photo") << QSize(2000, 1500) << true << true;
        QTest::newRow("panorama") << QSize(6000, 120) << true << false;
    }

    void picturesFitTheScreenWithTheRowApart()
    {
        QFETCH(QSize, size);
        QFETCH(bool, across);
        QFETCH(bool, down);
        PictureWindow *view = import(u"picture.bmp"_s, size);
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        const QRect room = view->screen()->availableGeometry();
        QVERIFY2(room.contains(view->frameGeometry()), qPrintable(QDebug::toString(view->frameGeometry())));
        QCOMPARE(findControl<PictureBox>(*view, "picLoad")->size(), size);
        const auto *area = findControl<QScrollArea>(*view, "pictureArea");
        QCOMPARE(area->horizontalScrollBar()->isVisible(), across);
        QCOMPARE(area->verticalScrollBar()->isVisible(), down);
        verifyRowShownWhole(*view);
        auto *button = findControl<QPushButton>(*view, "cmdToGrid");
        QCOMPARE(QApplication::widgetAt(button->mapToGlobal(button->rect().center())), button);

        view->resize(1, 1);
        QTRY_COMPARE(view->size(), view->minimumSize());
        verifyRowShownWhole(*view);
    }

    // A grid that does not fit in memory is said so, and the sheet stays as it was.
    void toGridSaysWhenMemoryRunsOut()
    {
        if (!AddressSpaceLimit::works())
            QSKIP("no address space limit under AddressSanitizer");
        // 6,000,000 cells of 16 bytes: more than a second thread's malloc arena (the JPEG
        // decoder's) may hold without new address space.
        PictureWindow *view = import(u"wide.bmp"_s, {3000, 2000});
        QVERIFY(view);
        main_.sheet().setCellText(1, 1, u"詩"_s);
        const QByteArray before = sheetBytes(main_.sheet());
        {
            AddressSpaceLimit limit(8 * 1024 * 1024);
            findControl<QLineEdit>(*view, "txtPixs")->setText(u"1"_s);
            QTest::mouseClick(findControl<QPushButton>(*view, "cmdToGrid"), Qt::LeftButton);
        }
        QCOMPARE(sheetBytes(main_.sheet()), before);
        QCOMPARE(findControl<QPushButton>(*view, "cmdToGrid")->text(), u"To Grid"_s);
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
    }
};

QTEST_MAIN(TestPictureWindow)
#include "tst_picturewindow.moc"
