// The image view window through the main window: Import Image, fitting, To Grid, refusals, lifetime.
#include "gridfile/GridFile.h"
#include "support/logic/AddressSpaceLimit.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/PictureWindow.h"
#include "ui/Twips.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

// Counts a widget's paint events and notes the text it showed at the last one.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QPushButton* button)
        : button_(button)
    {
        button->installEventFilter(this);
    }
    int paints = 0;
    QString lastText;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == button_ && event->type() == QEvent::Paint) {
            ++paints;
            lastText = button_->text();
        }
        return false;
    }

private:
    QPushButton* button_;
};

// The sheet's size, texts and colours, as grid file bytes.
QByteArray describe(const GridSheet& sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeGridFile(buffer, sheet) ? buffer.data() : "write failed";
}

} // namespace

class TestPictureWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    MainWindow main_ { dialogs_ };

    // Imports the file name, first saved as a flat bitmap when a size is given; the view or null.
    PictureWindow* import(const QString& name, QSize size = {})
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(0, 128, 0));
        dialogs_.answers << (name.isEmpty() ? name : dir_.filePath(name));
        if (!size.isEmpty() && !picture.save(dialogs_.answers.last(), "BMP"))
            return nullptr;
        findControl<QAction>(main_, "ImportImage")->trigger();
        const auto views = main_.findChildren<PictureWindow*>();
        return views.size() == 1 ? views.first() : nullptr;
    }

    // One window fits each picture and converts it until closed.
    void fitEachPictureAndConvertUntilClosed()
    {
        dialogs_.messages.clear();
        const PictureWindow::Layout l = PictureWindow::layoutFor(QRect(0, 0, 6000, 4500)); // 400 x 300 pixels
        QCOMPARE(QList<QRect>({ QRect({}, l.window), l.button, QRect(0, l.rowLine, 0, 0), l.field, l.label }),
            QList<QRect>({ { 0, 0, 6080, 5300 }, { 0, 4515, 3000, 400 }, { 0, 4715, 0, 0 }, { 4920, 4580, 1080, 270 },
                { 4200, 4625, 705, 180 } }));
        const auto buttonWidth = [](int width) {
            return PictureWindow::layoutFor({ 0, 0, width, 300 }).button.width();
        };
        QCOMPARE(QPoint(buttonWidth(4005), buttonWidth(4015)), QPoint(2002, 2008)); // halves to even

        QPointer<PictureWindow> fitted = import(u"photo.bmp"_s, { 400, 300 });
        QVERIFY(fitted && fitted->isVisible() && main_.isPictureLoaded());
        QCOMPARE(dialogs_.requests[0].title + dialogs_.requests[0].filter,
            u"イメージの読み込みJpeg (*.jpeg, *.jpg)|*.jpeg;*.jpg|GIF (*.gif)|*.gif|BitMap (*.bmp)|*.bmp||"_s);
        QCOMPARE(fitted->frameGeometry().size(), QSize(twipsToPixels(6080), twipsToPixels(5300))); // frame included

        findControl<QLineEdit>(*fitted, "txtPixs")->setText(u"4"_s);
        QCOMPARE(import(u"second.bmp"_s, { 120, 80 }), fitted.data());
        QCOMPARE(fitted->frameGeometry().size(), QSize(twipsToPixels(1880), twipsToPixels(2000)));
        QTest::mouseClick(
            findControl<QPushButton>(*fitted, "cmdToGrid"), Qt::LeftButton); // with the block size as typed
        const GridSheet& sheet = main_.sheet();
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), QSize(30, 20));
        QCOMPARE(sheet.backColorAt(30, 20), makeColor(0, 128, 0));
        findControl<QLineEdit>(*fitted, "txtPixs")->setText(u"9e9"_s); // beyond 32 bits: a message, and the sheet stays
        QTest::mouseClick(findControl<QPushButton>(*fitted, "cmdToGrid"), Qt::LeftButton);
        QVERIFY(dialogs_.messages.size() == 1 && dialogs_.messages[0].icon == MessageIcon::Error
            && dialogs_.messages[0].text.contains(u"9e9"_s));
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), QSize(30, 20));

        fitted->close();
        QVERIFY(!main_.isPictureLoaded());
        QTRY_VERIFY(fitted.isNull()); // deleted with its picture
        QVERIFY((fitted = import(u"second.bmp"_s)) && main_.isPictureLoaded());
        QCOMPARE(findControl<QLineEdit>(*fitted, "txtPixs")->text(), u"8"_s);
    }

private slots:
    // Each file is tried with no window, then with one open, which must keep everything.
    void importFitConvertAndRefuse()
    {
        main_.show();
        // A bitmap header claiming 10000 x 10000 pixels, refused before decoding.
        const QByteArray huge = QByteArray::fromHex("424d460000000000000036000000280000001027000010270000010018000000"
                                                    "000010000000130b0000130b00000000000000000000");
        // The message must name the file and the reason; none for a cancel or a missing file.
        const struct {
            QString name;
            QByteArray bytes;
            QString reason;
        } cases[] = { { "", {}, "" }, { "none.jpg", {}, "" }, { "empty.bmp", "", "イメージ" },
            { "notes.gif", "GIF? no\r\n", "イメージ" }, { "cut.jpg", "\xFF\xD8\xFF\xE0 cut short", "イメージ" },
            { "huge.bmp", huge + QByteArray(16, 0), "10000 × 10000" } };
        PictureWindow* view = nullptr;
        for (int round = 0; round < 2; ++round) {
            for (const auto& c : cases) {
                if (!c.reason.isEmpty())
                    writeTestFile(dir_.path(), c.name, c.bytes);
                dialogs_.messages.clear();
                QVERIFY2(import(c.name) == view && main_.isPictureLoaded() == bool(view), qPrintable(c.name));
                const ShownMessage shown = dialogs_.messages.value(0, { MessageIcon::Error, {} });
                const QString start = c.reason.isEmpty() ? QString() : u"読み込みエラー\r\n"_s + dir_.filePath(c.name);
                QVERIFY2(dialogs_.messages.size() == int(!c.reason.isEmpty()) && shown.icon == MessageIcon::Error
                        && shown.text.startsWith(start) && shown.text.contains(c.reason),
                    qPrintable(c.name + u": "_s + shown.text));
                QVERIFY2(!view
                        || (view->windowTitle() == u"kept.bmp"_s
                            && findControl<QLineEdit>(*view, "txtPixs")->text() == u"5"_s
                            && findControl<PictureBox>(*view, "picLoad")->picture().pixel(0, 0) == qRgb(0, 128, 0)),
                    qPrintable(c.name));
            }
            if (round == 0 && (fitEachPictureAndConvertUntilClosed(), QTest::currentTestFailed()))
                return;
            QVERIFY((view = import(u"kept.bmp"_s, { 64, 32 })));
            findControl<QLineEdit>(*view, "txtPixs")->setText(u"5"_s);
        }
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
        dialogs_.messages.clear();
        dialogs_.answers << path;
        findControl<QAction>(main_, "ImportImage")->trigger();
        const auto views = main_.findChildren<PictureWindow*>();
        if (reason.isEmpty()) {
            QVERIFY2(dialogs_.messages.isEmpty(), qPrintable(dialogs_.messages.value(0).text));
            QCOMPARE(views.size(), 1);
            QCOMPARE(findControl<PictureBox>(*views[0], "picLoad")->picture().size(), QSize(6000, 6000));
            QVERIFY(qAbs(qRed(findControl<PictureBox>(*views[0], "picLoad")->picture().pixel(5999, 5999)) - 200) <= 2);
            views[0]->close();
            QTRY_VERIFY(main_.findChildren<PictureWindow*>().isEmpty()); // let the picture go
        } else {
            QVERIFY(views.isEmpty());
            QCOMPARE(dialogs_.messages.size(), 1);
            QVERIFY2(dialogs_.messages[0].text.contains(reason), qPrintable(dialogs_.messages[0].text));
        }
    }

    // A grid that does not fit in memory is said so, and the sheet stays as it was.
    void toGridSaysWhenMemoryRunsOut()
    {
        if (!AddressSpaceLimit::works())
            QSKIP("no address space limit under AddressSanitizer");
        PictureWindow* view = import(u"wide.bmp"_s, { 2000, 1000 });
        QVERIFY(view);
        findControl<QLineEdit>(*view, "txtPixs")->setText(u"1"_s); // 2,000,000 cells of 16 bytes
        main_.sheet().setCellText(1, 1, u"詩"_s);
        const QByteArray before = describe(main_.sheet());
        dialogs_.messages.clear();
        {
            AddressSpaceLimit limit(8 * 1024 * 1024);
            QTest::mouseClick(findControl<QPushButton>(*view, "cmdToGrid"), Qt::LeftButton);
        }
        QCOMPARE(describe(main_.sheet()), before);
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
        PictureWindow* view = import(u"tall.bmp"_s, { 1, 20'000 });
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        findControl<QLineEdit>(*view, "txtPixs")->setText(u"1"_s);
        PaintCounter counter(findControl<QPushButton>(*view, "cmdToGrid"));
        QTest::mouseClick(findControl<QPushButton>(*view, "cmdToGrid"), Qt::LeftButton);
        QCOMPARE(main_.sheet().rowCount(), 20'000);
        QVERIFY2(counter.paints >= 1 && counter.paints < 2'000, qPrintable(QString::number(counter.paints)));
        QCOMPARE(counter.lastText, u"To Grid"_s);
        view->close();
    }
};

QTEST_MAIN(TestPictureWindow)
#include "tst_picturewindow.moc"
