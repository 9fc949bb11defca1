// The image view window through the main window: Import Image, fitting, To Grid, refusals, lifetime.
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/Twips.h"
#include "ui/frmEdit.h"
#include "ui/frmView.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestFrmView : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    frmEdit main_ { dialogs_ };

    // Imports the file name, first saved as a flat bitmap when a size is given; the view or null.
    frmView *Import(const QString &name, QSize size = {})
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(0, 128, 0));
        dialogs_.answers << (name.isEmpty() ? name : dir_.filePath(name));
        if (!size.isEmpty() && !picture.save(dialogs_.answers.last(), "BMP"))
            return nullptr;
        main_.ImportImage->trigger();
        const auto views = main_.findChildren<frmView *>();
        return views.size() == 1 ? views.first() : nullptr;
    }

    // One window fits each picture and converts it until closed.
    void FitEachPictureAndConvertUntilClosed()
    {
        dialogs_.messages.clear();
        const frmView::Layout l = frmView::DlgSizeLayout(QRect(0, 0, 6000, 4500)); // 400 x 300 pixels
        QCOMPARE(QList<QRect>({QRect({}, l.window), l.button, QRect(0, l.rowLine, 0, 0), l.field, l.label}),
                 QList<QRect>({{0, 0, 6080, 5300}, {0, 4515, 3000, 400}, {0, 4715, 0, 0}, {4920, 4580, 1080, 270},
                               {4200, 4625, 705, 180}}));
        const auto buttonWidth = [](int width) { return frmView::DlgSizeLayout({0, 0, width, 300}).button.width(); };
        QCOMPARE(QPoint(buttonWidth(4005), buttonWidth(4015)), QPoint(2002, 2008)); // halves to even

        QPointer<frmView> fitted = Import(u"photo.bmp"_s, {400, 300});
        QVERIFY(fitted && fitted->isVisible() && main_.ImageLoaded);
        QCOMPARE(dialogs_.requests[0].title + dialogs_.requests[0].filter,
                 u"イメージの読み込みJpeg (*.jpeg, *.jpg)|*.jpeg;*.jpg|GIF (*.gif)|*.gif|BitMap (*.bmp)|*.bmp||"_s);
        QCOMPARE(fitted->frameGeometry().size(), QSize(TwipsToPixels(6080), TwipsToPixels(5300))); // frame included

        fitted->txtPixs->setText(u"4"_s);
        QCOMPARE(Import(u"second.bmp"_s, {120, 80}), fitted.data());
        QCOMPARE(fitted->frameGeometry().size(), QSize(TwipsToPixels(1880), TwipsToPixels(2000)));
        QTest::mouseClick(fitted->cmdToGrid, Qt::LeftButton); // with the block size as typed
        const GridSheet &sheet = main_.Sheet();
        QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), QSize(30, 20));
        QCOMPARE(sheet.BackColorAt(30, 20), MakeColor(0, 128, 0));
        fitted->txtPixs->setText(u"9e9"_s); // beyond 32 bits: a message, and the sheet stays
        QTest::mouseClick(fitted->cmdToGrid, Qt::LeftButton);
        QVERIFY(dialogs_.messages.size() == 1 && dialogs_.messages[0].icon == MessageIcon::Error
                && dialogs_.messages[0].text.contains(u"9e9"_s));
        QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), QSize(30, 20));

        fitted->close();
        QVERIFY(!main_.ImageLoaded);
        QTRY_VERIFY(fitted.isNull()); // deleted with its picture
        QVERIFY((fitted = Import(u"second.bmp"_s)) && main_.ImageLoaded);
        QCOMPARE(fitted->txtPixs->text(), u"8"_s);
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
        const struct { QString name; QByteArray bytes; QString reason; } cases[] = {
            {"", {}, ""}, {"none.jpg", {}, ""}, {"empty.bmp", "", "イメージ"}, {"notes.gif", "GIF? no\r\n", "イメージ"},
            {"cut.jpg", "\xFF\xD8\xFF\xE0 cut short", "イメージ"}, {"huge.bmp", huge + QByteArray(16, 0), "10000 × 10000"}};
        frmView *view = nullptr;
        for (int round = 0; round < 2; ++round) {
            for (const auto &c : cases) {
                if (!c.reason.isEmpty())
                    WriteTestFile(dir_.path(), c.name, c.bytes);
                dialogs_.messages.clear();
                QVERIFY2(Import(c.name) == view && main_.ImageLoaded == bool(view), qPrintable(c.name));
                const ShownMessage shown = dialogs_.messages.value(0, {MessageIcon::Error, {}});
                const QString start = c.reason.isEmpty() ? QString() : u"読み込みエラー\r\n"_s + dir_.filePath(c.name);
                QVERIFY2(dialogs_.messages.size() == int(!c.reason.isEmpty()) && shown.icon == MessageIcon::Error
                             && shown.text.startsWith(start) && shown.text.contains(c.reason),
                         qPrintable(c.name + u": "_s + shown.text));
                QVERIFY2(!view || (view->windowTitle() == u"kept.bmp"_s && view->txtPixs->text() == u"5"_s
                                   && view->picLoad->Picture().pixel(0, 0) == qRgb(0, 128, 0)),
                         qPrintable(c.name));
            }
            if (round == 0 && (FitEachPictureAndConvertUntilClosed(), QTest::currentTestFailed()))
                return;
            QVERIFY((view = Import(u"kept.bmp"_s, {64, 32})));
            view->txtPixs->setText(u"5"_s);
        }
    }
};

QTEST_MAIN(TestFrmView)
#include "tst_frmview.moc"
