// The image view window through the main window: Import Image, fitting, To Grid, refusals, lifetime.
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
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

// Notes the text a button showed at each of its paint events.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QPushButton *button)
        : button_(button)
    {
        button->installEventFilter(this);
    }
    QStringList texts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == button_ && event->type() == QEvent::Paint)
            texts << button_->text();
        return false;
    }

private:
    QPushButton *button_;
};

// Says what keeps a user from the row of controls under the picture: a control outside the
// window, over the picture, narrower than its caption, or over another; empty when nothing.
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

    // Closes the image view window, if one is open, and waits until it is gone.
    void closePictureWindow()
    {
        for (PictureWindow *view : main_.findChildren<PictureWindow *>())
            view->close();
        QTRY_VERIFY(main_.findChildren<PictureWindow *>().isEmpty());
    }

private slots:
    void initTestCase() { main_.show(); }

    // One window fits each picture and converts it until closed.
    void fitEachPictureAndConvertUntilClosed()
    {
        closePictureWindow();
        dialogs_.messages.clear();
        const auto buttonWidth = [](int width) {
            return PictureLayout::designedFor({0, 0, width, 300}).button.width();
        };
        QCOMPARE(QPoint(buttonWidth(4005), buttonWidth(4015)), QPoint(2002, 2008)); // halves to even

        QPointer<PictureWindow> fitted = import(u"photo.bmp"_s, {400, 300});
        QVERIFY(fitted && fitted->isVisible() && main_.isPictureLoaded());
        QCOMPARE(dialogs_.requests[0].title + dialogs_.requests[0].filter,
            u"イメージの読み込み画像ファイル (*.jpeg, *.jpg, *.gif, *.bmp, *.png)|*.jpeg;*.jpg;*.gif;*.bmp;*.png|"
            u"Jpeg (*.jpeg, *.jpg)|*.jpeg;*.jpg|GIF (*.gif)|*.gif|BitMap (*.bmp)|*.bmp||"_s);

        findControl<QLineEdit>(*fitted, "txtPixs")->setText(u"4"_s);
        QCOMPARE(import(u"second.bmp"_s, {300, 200}), fitted.data());
        QCOMPARE(fitted->frameGeometry().size(), QSize(305, 253)); // fitted anew
        QTest::mouseClick(
            findControl<QPushButton>(*fitted, "cmdToGrid"), Qt::LeftButton); // with the block size as typed
        const GridSheet &sheet = main_.sheet();
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), QSize(75, 50));
        QCOMPARE(sheet.backColorAt(75, 50), makeColor(0, 128, 0));
        findControl<QLineEdit>(*fitted, "txtPixs")->setText(u"9e9"_s); // beyond 32 bits: a message, and the sheet stays
        QTest::mouseClick(findControl<QPushButton>(*fitted, "cmdToGrid"), Qt::LeftButton);
        QVERIFY(dialogs_.messages.size() == 1 && dialogs_.messages[0].icon == MessageIcon::Error
            && dialogs_.messages[0].text.contains(u"9e9"_s));
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), QSize(75, 50));

        fitted->close();
        QVERIFY(!main_.isPictureLoaded());
        QTRY_VERIFY(fitted.isNull()); // deleted with its picture
        QVERIFY((fitted = import(u"second.bmp"_s)) && main_.isPictureLoaded());
        QCOMPARE(findControl<QLineEdit>(*fitted, "txtPixs")->text(), u"8"_s);
    }

    // Pictures that fit the screen and leave the row its room keep the designed row: the
    // button under the left half, the field ending under the picture's right edge, the label
    // just left of it, both centred on the button's middle.
    void picturesThatFitKeepTheDesignedRow_data()
    {
        QTest::addColumn<QSize>("size");

        QTest::newRow("narrowest with the row apart") << QSize(240, 100);
        QTest::newRow("400 x 300") << QSize(400, 300);
    }

    void picturesThatFitKeepTheDesignedRow()
    {
        QFETCH(QSize, size);
        closePictureWindow();
        PictureWindow *view = import(u"fits.bmp"_s, size);
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        QCOMPARE(view->frameGeometry().size(), size + QSize(5, 53)); // 80 and 800 twips more
        const auto *area = findControl<QScrollArea>(*view, "pictureArea");
        QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
        QCOMPARE(findControl<PictureBox>(*view, "picLoad")->mapTo(view, QPoint(0, 0)), QPoint(0, 0));

        const int rowLine = size.height() + 14;
        QCOMPARE(findControl<QPushButton>(*view, "cmdToGrid")->geometry(),
            QRect(0, size.height() + 1, size.width() / 2, 27));
        const QRect field = findControl<QLineEdit>(*view, "txtPixs")->geometry();
        QCOMPARE(QPoint(field.x(), field.width()), QPoint(size.width() - 72, 72));
        QVERIFY2(qAbs(field.center().y() - rowLine) <= 1, qPrintable(QString::number(field.center().y())));
        const QRect label = findControl<QLabel>(*view, "lblGSize")->geometry();
        QCOMPARE(QPoint(label.x(), label.width()), QPoint(size.width() - 120, 47));
        QVERIFY2(qAbs(label.center().y() - rowLine) <= 1, qPrintable(QString::number(label.center().y())));
    }

    // Before its first opening the window guesses its frame from the main window's; where that
    // guess is wrong (here a main window not shown yet, without a frame to go by), the first
    // opening still comes out at the designed outer size.
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

    // A picture narrower than the row widens the window for it, the picture at its top-left;
    // however the user then sizes the window, the row is laid out again without overlaps.
    void smallPicturesKeepTheRowApart_data()
    {
        QTest::addColumn<QSize>("size");

        QTest::newRow("40 x 30 bitmap") << QSize(40, 30);
        QTest::newRow("one pixel under the row's width") << QSize(238, 20);
    }

    void smallPicturesKeepTheRowApart()
    {
        QFETCH(QSize, size);
        closePictureWindow();
        PictureWindow *view = import(u"small.bmp"_s, size);
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        const auto *picture = findControl<PictureBox>(*view, "picLoad");
        QCOMPARE(QRect(picture->mapTo(view, QPoint(0, 0)), picture->size()), QRect(QPoint(0, 0), size));
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));

        const auto *field = findControl<QLineEdit>(*view, "txtPixs");
        const int fieldLeft = field->x();
        view->resize(view->size() + QSize(100, 40));
        QTRY_COMPARE(field->x(), fieldLeft + 100);
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));
        view->resize(1, 1); // held at the smallest size the row allows
        QTRY_COMPARE(view->size(), view->minimumSize());
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));
    }

    // A picture larger than the screen is scrolled at its natural size in a window that stays
    // within the screen's room, To Grid reachable under it.
    void largePicturesScroll_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("across"); // scrolled sideways
        QTest::addColumn<bool>("down"); // scrolled up and down
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
        closePictureWindow();
        PictureWindow *view = import(u"large.bmp"_s, size);
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        const QRect room = view->screen()->availableGeometry();
        QVERIFY2(room.contains(view->frameGeometry()), qPrintable(QDebug::toString(view->frameGeometry())));
        QCOMPARE(findControl<PictureBox>(*view, "picLoad")->size(), size);
        const auto *area = findControl<QScrollArea>(*view, "pictureArea");
        QCOMPARE(area->horizontalScrollBar()->isVisible(), across);
        QCOMPARE(area->verticalScrollBar()->isVisible(), down);
        QVERIFY2(rowFault(*view).isEmpty(), qPrintable(rowFault(*view)));

        // The button is where a user's pointer finds it on the screen, and it converts.
        auto *button = findControl<QPushButton>(*view, "cmdToGrid");
        const QPoint middle = button->mapToGlobal(button->rect().center());
        QVERIFY(room.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));
        QCOMPARE(QApplication::widgetAt(middle), button);
        findControl<QLineEdit>(*view, "txtPixs")->setText(blockSize);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->mapFromGlobal(middle));
        QCOMPARE(QSize(main_.sheet().columnCount(), main_.sheet().rowCount()), grid);
        closePictureWindow();
    }

    // The window's client area for a picture: the designed size less the frame, but the whole
    // row under the picture however tall the frame, and no more than the screen's room, a scroll
    // bar allowed for where the picture is cut.
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

    // A refused file leaves everything as it was: no window, or the open one with its
    // picture, title and block size. The message names the file and the reason; there is
    // none for a cancel or a missing file.
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

    // The windows word what the picture logic reports, each message as it always read.
    void messagesAsWorded_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("wanted");

        const auto toGrid
            = [](ToGridOutcome outcome, GridRefusal refusal, qint64 columns, qint64 rows, const QString &blockSize) {
                  ToGridResult result;
                  result.outcome = outcome;
                  result.plan.refusal = refusal;
                  result.plan.columns = columns;
                  result.plan.rows = rows;
                  return PictureWindow::toGridErrorText(result, blockSize);
              };
        QTest::newRow("block size beyond 32 bits") << toGrid(ToGridOutcome::Refused, GridRefusal::BlockSizeOutOfRange,
            0, 0, u"9e9"_s) << u"ブロックの大きさが扱える範囲を超えています\r\n9e9"_s;
        QTest::newRow("more cells than a sheet holds")
            << toGrid(ToGridOutcome::Refused, GridRefusal::TooManyCells, 50'000, 1'001, u"1"_s)
            << u"グリッドが大きすぎます\r\n50,000 × 1,001 = 50,050,000 セル (上限 50,000,000 セル)\r\n"
               u"ブロックの大きさを大きくしてください"_s;
        QTest::newRow("grid beyond memory")
            << toGrid(ToGridOutcome::OutOfMemory, GridRefusal::None, 2'000, 1'000, u"1"_s)
            << u"グリッドを作るメモリが足りません\r\n2,000 × 1,000 = 2,000,000 セル\r\nブロックの大きさを大きくしてください"_s;

        const auto picture = [](PictureError::Kind kind, QSize size, qint64 limit, const QString &reason) {
            return PictureWindow::pictureErrorText(
                {kind, size, limit, reason, {OpenError::System, FileKind::Special, reason}});
        };
        QTest::newRow("file will not open")
            << picture(PictureError::CannotOpen, {}, 0, u"Permission denied"_s) << u"Permission denied"_s;
        QTest::newRow("pipe too long") << picture(PictureError::InputTooLarge, {}, qint64(1) << 30, {})
                                       << u"入力が大きすぎます (上限 1,073,741,824 バイト)"_s;
        QTest::newRow("too many pixels") << picture(PictureError::TooLarge, QSize(10000, 10000), kMaxPicturePixels,
            {}) << u"イメージが大きすぎます (10000 × 10000 ピクセル、上限 67,108,864 ピクセル)"_s;
        QTest::newRow("decoder gives up") << picture(PictureError::Undecodable, {}, 0, u"Unable to read image data"_s)
                                          << u"イメージを読み込めません: Unable to read image data"_s;
    }

    void messagesAsWorded()
    {
        QFETCH(QString, shown);
        QFETCH(QString, wanted);
        QCOMPARE(shown, wanted);
    }

    // Decoding past Qt's default 128 MiB is allowed up to the pixel limit; above it the
    // message names the limit.
    void importUpToThePixelLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: a 6000 x 6000 picture of one colour
        QTest::addColumn<QString>("reason"); // empty when it imports

        QTest::newRow("PNG of 36 million pixels") << u"large.png"_s << QByteArray() << QString();
        QTest::newRow("JPEG of 36 million pixels") << u"large.jpg"_s << QByteArray() << QString();
        // A bitmap header claiming 8193 x 8192 pixels, just above the limit.
        QTest::newRow("bitmap above the limit")
            << u"above.bmp"_s
            << QByteArray::fromHex("424d460000000000000036000000280000000120000000200000010018000000"
                                   "000010000000130b0000130b00000000000000000000")
                + QByteArray(16, 0)
            << u"67,108,864"_s;
    }

    void importUpToThePixelLimit()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString path = dir_.filePath(name);
        if (bytes.isEmpty()) {
            QImage picture(6000, 6000, QImage::Format_RGB32);
            picture.fill(qRgb(200, 40, 90));
            QVERIFY(picture.save(path));
        } else {
            writeTestFile(dir_.path(), name, bytes);
        }
        closePictureWindow();
        dialogs_.messages.clear();
        PictureWindow *view = import(name);
        if (reason.isEmpty()) {
            QVERIFY2(dialogs_.messages.isEmpty(), qPrintable(dialogs_.messages.value(0).text));
            QVERIFY(view);
            const QImage shown = findControl<PictureBox>(*view, "picLoad")->picture();
            QCOMPARE(shown.size(), QSize(6000, 6000));
            QVERIFY(qAbs(qRed(shown.pixel(5999, 5999)) - 200) <= 2);
        } else {
            QVERIFY(!view);
            QCOMPARE(dialogs_.messages.size(), 1);
            QVERIFY2(dialogs_.messages[0].text.contains(reason), qPrintable(dialogs_.messages[0].text));
        }
        closePictureWindow(); // let the picture go
    }

    // A grid that does not fit in memory is said so, and the sheet stays as it was.
    void toGridSaysWhenMemoryRunsOut()
    {
        if (!AddressSpaceLimit::works())
            QSKIP("no address space limit under AddressSanitizer");
        PictureWindow *view = import(u"wide.bmp"_s, {3000, 2000});
        QVERIFY(view);
        // 6,000,000 cells of 16 bytes: more than a second thread's malloc arena (the JPEG
        // decoder's) may hold without new address space.
        findControl<QLineEdit>(*view, "txtPixs")->setText(u"1"_s);
        main_.sheet().setCellText(1, 1, u"詩"_s);
        const QByteArray before = sheetBytes(main_.sheet());
        dialogs_.messages.clear();
        {
            AddressSpaceLimit limit(8 * 1024 * 1024);
            QTest::mouseClick(findControl<QPushButton>(*view, "cmdToGrid"), Qt::LeftButton);
        }
        QCOMPARE(sheetBytes(main_.sheet()), before);
        QCOMPARE(findControl<QPushButton>(*view, "cmdToGrid")->text(), u"To Grid"_s);
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
        QVERIFY2(dialogs_.messages[0].text.contains(u"メモリ"_s), qPrintable(dialogs_.messages[0].text));
        view->close();
    }

    // The caption changes every row, but the button is repainted only now and then, and
    // shows "To Grid" at the end.
    void toGridRepaintsItsButtonSparingly()
    {
        PictureWindow *view = import(u"tall.bmp"_s, {1, 20'000});
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        findControl<QLineEdit>(*view, "txtPixs")->setText(u"1"_s);
        PaintCounter counter(findControl<QPushButton>(*view, "cmdToGrid"));
        QTest::mouseClick(findControl<QPushButton>(*view, "cmdToGrid"), Qt::LeftButton);
        QCOMPARE(main_.sheet().rowCount(), 20'000);
        QVERIFY2(counter.texts.size() >= 2 && counter.texts.size() < 2'000,
            qPrintable(QString::number(counter.texts.size())));
        QVERIFY(counter.texts.contains(u"To Grid (0/20000)"_s)); // painted at once, then now and then
        QCOMPARE(counter.texts.last(), u"To Grid"_s);
        view->close();
    }
};

QTEST_MAIN(TestPictureWindow)
#include "tst_picturewindow.moc"
