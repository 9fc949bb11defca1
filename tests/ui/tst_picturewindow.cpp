// The image view window through the main window: Import Image, fitting, To Grid, refusals.
#include "support/logic/AddressSpaceLimit.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/PictureLayout.h"
#include "ui/PictureWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

// Says what keeps a user from the row under the picture: a control outside the window, over
// the picture, narrower than its caption, or over another; empty when nothing.
QString rowFault(const PictureWindow &view)
{
    const QRect picture = findControl<QScrollArea>(view, "pictureArea")->geometry();
    const QList<QWidget *> controls = {findControl<QPushButton>(view, "cmdToGrid"),
        findControl<QLabel>(view, "lblGSize"), findControl<QLineEdit>(view, "txtPixs")};
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QString name = controls[i]->objectName();
        const QRect rect = controls[i]->geometry();
        if (!view.rect().contains(rect))
            return name + u" leaves the window"_s;
        if (rect.intersects(picture))
            return name + u" covers the picture"_s;
        if (!qobject_cast<QLineEdit *>(controls[i]) && rect.width() < controls[i]->sizeHint().width())
            return name + u" cuts its caption"_s;
        for (qsizetype j = 0; j < i; ++j) {
            if (rect.intersects(controls[j]->geometry()))
                return name + u" overlaps "_s + controls[j]->objectName();
        }
    }
    return {};
}

void toGrid(PictureWindow &view, const QString &blockSize)
{
    findControl<QLineEdit>(view, "txtPixs")->setText(blockSize);
    QTest::mouseClick(findControl<QPushButton>(view, "cmdToGrid"), Qt::LeftButton);
}

} // namespace

class TestPictureWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    MainWindow main_ {dialogs_};

    // Imports the file name, first saved as a flat bitmap when a size is given; the view or null.
    PictureWindow *import(const QString &name, QSize size = {})
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(0, 128, 0));
        dialogs_.answers << (name.isEmpty() ? name : dir_.filePath(name));
        if (!size.isEmpty() && !picture.save(dialogs_.answers.last(), "BMP"))
            return nullptr;
        findControl<QAction>(main_, "ImportImage")->trigger();
        const auto views = main_.findChildren<PictureWindow *>();
        return views.size() == 1 ? views.first() : nullptr;
    }

    // A fresh, exposed window on a flat picture of that size; null when it did not come up.
    PictureWindow *importFresh(QSize size)
    {
        closePictureWindow();
        PictureWindow *view = import(u"picture.bmp"_s, size);
        return view && QTest::qWaitForWindowExposed(view) ? view : nullptr;
    }

    void closePictureWindow()
    {
        for (PictureWindow *view : main_.findChildren<PictureWindow *>())
            view->close();
        QTRY_VERIFY(main_.findChildren<PictureWindow *>().isEmpty());
    }

    QSize sheetSize() { return {main_.sheet().columnCount(), main_.sheet().rowCount()}; }

private slots:
    void initTestCase() { main_.show(); }

    // One window shows each picture imported and converts it until closed.
    void fitEachPictureAndConvertUntilClosed()
    {
        dialogs_.messages.clear();
        QPointer<PictureWindow> view = import(u"photo.bmp"_s, {400, 300});
        QVERIFY(view && view->isVisible() && main_.isPictureLoaded());
        findControl<QLineEdit>(*view, "txtPixs")->setText(u"4"_s);
        QCOMPARE(import(u"second.bmp"_s, {300, 200}), view.data());
        QCOMPARE(view->frameGeometry().size(), QSize(305, 253)); // fitted anew

        QTest::mouseClick(findControl<QPushButton>(*view, "cmdToGrid"), Qt::LeftButton);
        QCOMPARE(sheetSize(), QSize(75, 50)); // the second picture, at the block size as typed
        toGrid(*view, u"9e9"_s);
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
        QVERIFY2(dialogs_.messages[0].text.contains(u"9e9"_s), qPrintable(dialogs_.messages[0].text));
        QCOMPARE(sheetSize(), QSize(75, 50));

        view->close();
        QVERIFY(!main_.isPictureLoaded());
        QTRY_VERIFY(view.isNull()); // deleted with its picture
        QVERIFY((view = import(u"second.bmp"_s)));
        QCOMPARE(findControl<QLineEdit>(*view, "txtPixs")->text(), u"8"_s);
    }

    // A picture that fits the screen is shown whole at the top left; the row under it keeps
    // apart however the window is sized. As wide as the row, the window is as designed: the
    // button under the left half, the label and the field ending under the picture's right edge.
    void picturesThatFitKeepTheRowApart_data()
    {
        QTest::addColumn<QSize>("size");

        QTest::newRow("40 x 30") << QSize(40, 30);
        QTest::newRow("one pixel under the row's width") << QSize(238, 20);
        QTest::newRow("as wide as the row") << QSize(240, 100);
        QTest::newRow("400 x 300") << QSize(400, 300);
    }

    void picturesThatFitKeepTheRowApart()
    {
        QFETCH(QSize, size);
        PictureWindow *view = importFresh(size);
        QVERIFY(view);
        const auto *picture = findControl<PictureBox>(*view, "picLoad");
        QCOMPARE(QRect(picture->mapTo(view, QPoint(0, 0)), picture->size()), QRect(QPoint(0, 0), size));
        const auto *area = findControl<QScrollArea>(*view, "pictureArea");
        QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));

        const auto *field = findControl<QLineEdit>(*view, "txtPixs");
        if (size.width() >= 240) {
            QCOMPARE(view->frameGeometry().size(), size + QSize(5, 53));
            QCOMPARE(findControl<QPushButton>(*view, "cmdToGrid")->geometry(),
                QRect(0, size.height() + 1, size.width() / 2, 27));
            const QRect label = findControl<QLabel>(*view, "lblGSize")->geometry();
            QCOMPARE(QPoint(label.x(), label.width()), QPoint(size.width() - 120, 47));
            QCOMPARE(QPoint(field->x(), field->width()), QPoint(size.width() - 72, 72));
            const int rowLine = size.height() + 14;
            QVERIFY2(qAbs(label.center().y() - rowLine) <= 1, qPrintable(QString::number(label.center().y())));
            QVERIFY2(qAbs(field->geometry().center().y() - rowLine) <= 1, "the field is off the row's line");
        }

        const int fieldLeft = field->x();
        view->resize(view->size() + QSize(100, 40));
        QTRY_COMPARE(field->x(), fieldLeft + 100);
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));
        view->resize(1, 1); // held at the smallest size the row allows
        QTRY_COMPARE(view->size(), view->minimumSize());
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));
    }

    // Before its first opening the window guesses its frame from the main window's; a main
    // window not yet shown has none, and the first opening must still come out as designed.
    void firstOpeningCorrectsAWrongFrameGuess()
    {
        FakeDialogs dialogs;
        MainWindow unshown(dialogs);
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::white);
        dialogs.answers << dir_.filePath(u"guess.bmp"_s);
        QVERIFY(picture.save(dialogs.answers.last(), "BMP"));
        findControl<QAction>(unshown, "ImportImage")->trigger();
        auto *view = unshown.findChild<PictureWindow *>();
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        QCOMPARE(view->frameGeometry().size(), QSize(405, 353));
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));
    }

    // A picture larger than the screen scrolls at its natural size in a window within the
    // screen's room, To Grid under it where the pointer finds it.
    void largePicturesScroll_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("across");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<QSize>("grid");

        QTest::newRow("2000 x 1500 photo") << QSize(2000, 1500) << true << true << u"100"_s << QSize(20, 15);
        QTest::newRow("panorama") << QSize(6000, 120) << true << false << u"120"_s << QSize(50, 1);
        QTest::newRow("tall strip") << QSize(120, 6000) << false << true << u"120"_s << QSize(1, 50);
    }

    void largePicturesScroll()
    {
        QFETCH(QSize, size);
        QFETCH(bool, across);
        QFETCH(bool, down);
        QFETCH(QString, blockSize);
        QFETCH(QSize, grid);
        PictureWindow *view = importFresh(size);
        QVERIFY(view);
        const QRect room = view->screen()->availableGeometry();
        QVERIFY2(room.contains(view->frameGeometry()), qPrintable(QDebug::toString(view->frameGeometry())));
        QCOMPARE(findControl<PictureBox>(*view, "picLoad")->size(), size);
        const auto *area = findControl<QScrollArea>(*view, "pictureArea");
        QCOMPARE(area->horizontalScrollBar()->isVisible(), across);
        QCOMPARE(area->verticalScrollBar()->isVisible(), down);
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));

        auto *button = findControl<QPushButton>(*view, "cmdToGrid");
        const QPoint middle = button->mapToGlobal(button->rect().center());
        QVERIFY(room.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));
        QCOMPARE(QApplication::widgetAt(middle), button);
        findControl<QLineEdit>(*view, "txtPixs")->setText(blockSize);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->mapFromGlobal(middle));
        QCOMPARE(sheetSize(), grid);
        closePictureWindow();
    }

    // The client area: the designed size less the frame, but the whole row however tall the
    // frame, and no more than the screen's room, a scroll bar allowed for where the picture is cut.
    void clientAreaForEachPictureAndFrame_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QSize>("available");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("rowBand");

        const QMargins thin(2, 2, 2, 2);
        const QSize screen(1366, 768);
        QTest::newRow("designed") << QSize(400, 300) << thin << screen << QSize(401, 349) << 49;
        QTest::newRow("title bar taller than designed")
            << QSize(400, 300) << QMargins(1, 30, 1, 1) << screen << QSize(403, 328) << 28;
        QTest::newRow("narrower than the row") << QSize(40, 30) << thin << screen << QSize(240, 79) << 49;
        QTest::newRow("a pixel wider than the room") << QSize(1363, 100) << thin << screen << QSize(1362, 161) << 49;
        QTest::newRow("photo") << QSize(2000, 1500) << thin << screen << QSize(1362, 764) << 49;
        QTest::newRow("room narrower than the row") << QSize(40, 30) << thin << QSize(200, 100) << QSize(196, 79) << 49;
    }

    void clientAreaForEachPictureAndFrame()
    {
        QFETCH(QSize, picture);
        QFETCH(QMargins, frame);
        QFETCH(QSize, available);
        QFETCH(QSize, client);
        QFETCH(int, rowBand);
        const PictureLayout::RowNeeds needs {{80, 23}, {46, 12}, {91, 22}};
        const PictureLayout::Fit fit = PictureLayout::fitFor(picture, frame, available, needs, 12);
        QCOMPARE(fit.client, client);
        QCOMPARE(fit.rowBand, rowBand);
    }

    // A refused file leaves the open window with its picture, title and block size. The
    // message names the file and the reason; there is none for a cancel or a missing file.
    void importRefusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason"); // a part of it; empty: no message
        QTest::addColumn<bool>("windowOpen");

        QTest::newRow("cancel") << u""_s << QByteArray() << u""_s << false;
        QTest::newRow("missing file, window open") << u"none.jpg"_s << QByteArray() << u""_s << true;
        QTest::newRow("text named .gif, window open")
            << u"notes.gif"_s << QByteArray("GIF? no\r\n") << u"イメージ"_s << true;
    }

    void importRefusals()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QFETCH(bool, windowOpen);
        closePictureWindow();
        PictureWindow *view = nullptr;
        if (windowOpen) {
            QVERIFY((view = import(u"kept.bmp"_s, {64, 32})));
            findControl<QLineEdit>(*view, "txtPixs")->setText(u"5"_s);
        }
        if (!reason.isEmpty())
            writeTestFile(dir_.path(), name, bytes);
        dialogs_.messages.clear();

        QCOMPARE(import(name), view);
        QCOMPARE(main_.isPictureLoaded(), windowOpen);
        QCOMPARE(dialogs_.messages.size(), reason.isEmpty() ? 0 : 1);
        if (!reason.isEmpty()) {
            const ShownMessage shown = dialogs_.messages[0];
            QCOMPARE(shown.icon, MessageIcon::Error);
            QVERIFY2(shown.text.startsWith(u"読み込みエラー\r\n"_s + dir_.filePath(name)), qPrintable(shown.text));
            QVERIFY2(shown.text.contains(reason), qPrintable(shown.text));
        }
        if (view) {
            QCOMPARE(view->windowTitle(), u"kept.bmp"_s);
            QCOMPARE(findControl<QLineEdit>(*view, "txtPixs")->text(), u"5"_s);
            QCOMPARE(findControl<PictureBox>(*view, "picLoad")->picture().pixel(0, 0), qRgb(0, 128, 0));
        }
    }

    // Pictures past Qt's default 128 MiB decode up to the pixel limit (PNG's case is the batch's
    // test, through the same loader); above it they are refused.
    void importUpToThePixelLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: a 6000 x 6000 picture of one colour

        QTest::newRow("JPEG of 36 million pixels") << u"large.jpg"_s << QByteArray();
        // A bitmap header claiming 8193 x 8192 pixels, just above the limit.
        QTest::newRow("bitmap above the limit")
            << u"above.bmp"_s
            << QByteArray::fromHex("424d460000000000000036000000280000000120000000200000010018000000"
                                   "000010000000130b0000130b00000000000000000000")
                + QByteArray(16, 0);
    }

    void importUpToThePixelLimit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        if (bytes.isEmpty()) {
            QImage picture(6000, 6000, QImage::Format_RGB32);
            picture.fill(qRgb(200, 40, 90));
            QVERIFY(picture.save(dir_.filePath(name)));
        } else {
            writeTestFile(dir_.path(), name, bytes);
        }
        closePictureWindow();
        dialogs_.messages.clear();
        PictureWindow *view = import(name);
        QCOMPARE(view != nullptr, bytes.isEmpty());
        QCOMPARE(dialogs_.messages.size(), bytes.isEmpty() ? 0 : 1);
        if (!bytes.isEmpty()) // the limit, for the user to know how far to shrink the picture
            QVERIFY2(dialogs_.messages[0].text.contains(u"67,108,864"_s), qPrintable(dialogs_.messages[0].text));
        if (view) {
            const QImage shown = findControl<PictureBox>(*view, "picLoad")->picture();
            QCOMPARE(shown.size(), QSize(6000, 6000));
            QVERIFY(qAbs(qRed(shown.pixel(5999, 5999)) - 200) <= 2);
        }
        closePictureWindow(); // let the picture go
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
        dialogs_.messages.clear();
        {
            AddressSpaceLimit limit(8 * 1024 * 1024);
            toGrid(*view, u"1"_s);
        }
        QCOMPARE(sheetBytes(main_.sheet()), before);
        QCOMPARE(findControl<QPushButton>(*view, "cmdToGrid")->text(), u"To Grid"_s);
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
        view->close();
    }
};

QTEST_MAIN(TestPictureWindow)
#include "tst_picturewindow.moc"
