// The image view window driven through the main window: Import Image, the fitted layout,
// To Grid with its progress captions, the refusals and the window's lifetime.
#include "core/GridSheet.h"
#include "image/TestGif.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/Twips.h"
#include "ui/frmEdit.h"
#include "ui/frmView.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Records the button's caption at each paint, to see the progress reach the screen.
class CaptionRecorder : public QObject {
public:
    explicit CaptionRecorder(QPushButton *button) { button->installEventFilter(this); }
    QStringList captions;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            captions << static_cast<QPushButton *>(watched)->text();
        return false;
    }
};

} // namespace

class TestFrmView : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    std::unique_ptr<frmEdit> main_;

    QString SavePicture(const QString &name, int width, int height, QRgb rgb, const char *format = "BMP")
    {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(rgb);
        const QString path = dir_.filePath(name);
        const bool saved = qstrcmp(format, "GIF") == 0
            ? SaveTestGif(picture.convertToFormat(QImage::Format_Indexed8), path)
            : picture.save(path, format);
        return saved ? path : QString();
    }

    QList<frmView *> ViewWindows() const { return main_->findChildren<frmView *>(); }

    frmView *Import(const QString &path)
    {
        dialogs_.answers << path;
        main_->ImportImage->trigger();
        return ViewWindows().size() == 1 ? ViewWindows().first() : nullptr;
    }

private slots:
    void init()
    {
        dialogs_ = FakeDialogs();
        main_ = std::make_unique<frmEdit>(dialogs_);
        main_->show();
    }
    void cleanup() { main_.reset(); }

    void dlgSizeLayout_data()
    {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRect>("button");
        QTest::newRow("400 x 300") << QRect(0, 0, 6000, 4500) << QRect(0, 4515, 3000, 400);
        QTest::newRow("half 2002.5 to 2002") << QRect(0, 0, 4005, 300) << QRect(0, 315, 2002, 400);
        QTest::newRow("half 2007.5 to 2008") << QRect(0, 0, 4015, 300) << QRect(0, 315, 2008, 400);
    }
    void dlgSizeLayout()
    {
        QFETCH(QRect, box);
        QFETCH(QRect, button);
        const frmView::Layout layout = frmView::DlgSizeLayout(box);
        QCOMPARE(layout.window, box.size() + QSize(80, 800));
        QCOMPARE(layout.button, button);
        QCOMPARE(layout.rowLine, box.height() + 215);
        QCOMPARE(layout.field, QRect(box.width() - 1080, box.height() + 80, 1080, 270));
        QCOMPARE(layout.label, QRect(box.width() - 1800, box.height() + 125, 705, 180));
    }

    void ctrlIShowsThePictureFitted()
    {
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
        dialogs_.answers << SavePicture(QStringLiteral("photo.bmp"), 400, 300, qRgb(10, 20, 30));
        QTest::keyClick(main_.get(), Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(ViewWindows().size(), 1);
        frmView *view = ViewWindows().first();
        QCOMPARE(dialogs_.requests.size(), 1);
        QCOMPARE(dialogs_.requests[0].title, QStringLiteral("イメージの読み込み"));
        QCOMPARE(dialogs_.requests[0].filter,
                 QStringLiteral("Jpeg (*.jpeg, *.jpg)|*.jpeg;*.jpg|GIF (*.gif)|*.gif|BitMap (*.bmp)|*.bmp||"));
        QVERIFY(main_->ImageLoaded);
        QVERIFY(view->isVisible());
        QCOMPARE(view->windowTitle(), QStringLiteral("photo.bmp"));
        QCOMPARE(view->picLoad->geometry(), QRect(0, 0, 400, 300));
        QCOMPARE(view->picLoad->Picture().pixel(5, 5), qRgb(10, 20, 30));
        // The outer size, frame included, is the fitted one.
        QCOMPARE(view->frameGeometry().size(), QSize(TwipsToPixels(6080), TwipsToPixels(5300)));
        QCOMPARE(view->cmdToGrid->geometry(), TwipsRect(0, 4515, 3000, 400));
        // The field's right edge meets the picture's; field and label stay centred on the
        // row line even where the font makes them taller.
        QCOMPARE(view->txtPixs->geometry().left(), TwipsToPixels(4920));
        QCOMPARE(view->txtPixs->geometry().right(), 399);
        for (QWidget *widget : {static_cast<QWidget *>(view->txtPixs), static_cast<QWidget *>(view->lblGSize)})
            QVERIFY(std::abs(widget->geometry().center().y() + 0.5 - 4715 / 15.0) <= 1.0);
        QVERIFY(view->lblGSize->geometry().right() < view->txtPixs->x());
        QCOMPARE(view->txtPixs->text(), QStringLiteral("8"));
        QCOMPARE(main_->Sheet().ColumnCount(), GridSheet::kDefaultColumns); // importing converts nothing
    }

    void secondImportReusesTheWindow()
    {
        frmView *view = Import(SavePicture(QStringLiteral("first.bmp"), 400, 300, qRgb(0, 0, 0)));
        QVERIFY(view);
        view->txtPixs->clear();
        QTest::keyClicks(view->txtPixs, QStringLiteral("4"));
        QCOMPARE(Import(SavePicture(QStringLiteral("second.gif"), 120, 80, qRgb(255, 0, 0), "GIF")), view);
        QCOMPARE(view->windowTitle(), QStringLiteral("second.gif"));
        QCOMPARE(view->picLoad->size(), QSize(120, 80));
        QCOMPARE(view->frameGeometry().size(), QSize(TwipsToPixels(1800 + 80), TwipsToPixels(1200 + 800)));
        QCOMPARE(view->txtPixs->text(), QStringLiteral("4"));
    }

    void cancelMissingAndBrokenFilesChangeNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("message");
        QTest::newRow("cancel") << QString() << false;
        QTest::newRow("missing file") << QStringLiteral("no such picture.jpg") << false;
        QTest::newRow("broken file") << QStringLiteral("broken.jpg") << true;
        QTest::newRow("text under a picture's name") << QStringLiteral("notes.gif") << true;
    }
    void cancelMissingAndBrokenFilesChangeNothing()
    {
        QFETCH(QString, answer);
        QFETCH(bool, message);
        WriteTestFile(dir_.path(), QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0 cut short", 15));
        WriteTestFile(dir_.path(), QStringLiteral("notes.gif"), QByteArray("GIF? no, a note\r\n"));
        const QString path = answer.isEmpty() ? answer : dir_.filePath(answer);

        QVERIFY(!Import(path)); // no window is created
        QVERIFY(!main_->ImageLoaded);
        QCOMPARE(dialogs_.messages.size(), message ? 1 : 0);

        frmView *view = Import(SavePicture(QStringLiteral("kept.bmp"), 64, 32, qRgb(0, 128, 0)));
        QVERIFY(view);
        view->txtPixs->setText(QStringLiteral("5"));
        const QSize size = view->size();
        dialogs_.messages.clear();
        QCOMPARE(Import(path), view);
        QCOMPARE(view->windowTitle(), QStringLiteral("kept.bmp"));
        QCOMPARE(view->picLoad->Picture().pixel(0, 0), qRgb(0, 128, 0));
        QCOMPARE(view->size(), size);
        QCOMPARE(view->txtPixs->text(), QStringLiteral("5"));
        QVERIFY(main_->ImageLoaded);
        QCOMPARE(dialogs_.messages.size(), message ? 1 : 0);
        if (message) {
            QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
            QVERIFY(dialogs_.messages[0].text.startsWith(QStringLiteral("読み込みエラー\r\n") + path + u'\r'));
        }
    }

    void closingClearsTheFlagAndTheDefaultsReturn()
    {
        const QString path = SavePicture(QStringLiteral("again.bmp"), 40, 40, qRgb(9, 9, 9));
        QPointer<frmView> view = Import(path);
        QVERIFY(view);
        view->txtPixs->setText(QStringLiteral("3"));
        view->close();
        QVERIFY(!main_->ImageLoaded);
        QTRY_VERIFY(view.isNull()); // deleted with its picture
        frmView *fresh = Import(path);
        QVERIFY(fresh);
        QCOMPARE(fresh->txtPixs->text(), QStringLiteral("8"));
        QVERIFY(main_->ImageLoaded);
    }

    void closingTheMainWindowEndsTheProgramWithTheViewOpen()
    {
        QVERIFY(Import(SavePicture(QStringLiteral("open.bmp"), 40, 40, qRgb(9, 9, 9))));
        bool stillRunning = false;
        QTimer guard;
        connect(&guard, &QTimer::timeout, qApp, [&stillRunning] {
            stillRunning = true;
            QCoreApplication::quit();
        });
        guard.start(5000);
        QTimer::singleShot(0, main_.get(), &QWidget::close);
        QApplication::exec();
        QVERIFY(!stillRunning);
    }

    void toGridPaintsTheSheetRowByRow()
    {
        main_->Sheet().SetCellText(1, 1, QStringLiteral("詩"));
        // 24 x 16 pixels, the left half black: 8-pixel blocks give 3 x 2 cells.
        QImage picture(24, 16, QImage::Format_RGB32);
        picture.fill(qRgb(255, 255, 255));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 12; ++x)
                picture.setPixel(x, y, qRgb(0, 0, 0));
        const QString path = dir_.filePath(QStringLiteral("halves.bmp"));
        QVERIFY(picture.save(path, "BMP"));
        frmView *view = Import(path);
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(view));

        CaptionRecorder recorder(view->cmdToGrid);
        QTest::mouseClick(view->cmdToGrid, Qt::LeftButton);
        // Pressing and releasing paint the button too; the row captions come in order between.
        QCOMPARE(recorder.captions.filter(QStringLiteral("(")),
                 (QStringList{QStringLiteral("To Grid (0/2)"), QStringLiteral("To Grid (1/2)")}));
        QCOMPARE(view->cmdToGrid->text(), QStringLiteral("To Grid"));
        const GridSheet &sheet = main_->Sheet();
        QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), QSize(3, 2));
        QCOMPARE(sheet.BackColorAt(1, 2), kBlack);
        QCOMPARE(sheet.ForeColorAt(1, 2), kWhite);
        QCOMPARE(sheet.BackColorAt(2, 1), MakeColor(128, 128, 128)); // 127.5 to even
        QCOMPARE(sheet.ForeColorAt(2, 1), kBlack);
        QCOMPARE(sheet.GetCellText(1, 1), QStringLiteral("詩"));

        view->txtPixs->selectAll();
        QTest::keyClicks(view->txtPixs, QStringLiteral("4"));
        QTest::mouseClick(view->cmdToGrid, Qt::LeftButton);
        QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), QSize(6, 4));
        QVERIFY(dialogs_.messages.isEmpty());
    }

    void toGridRefusals_data()
    {
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<bool>("refused");
        QTest::newRow("9e9") << "9e9" << true;
        QTest::newRow("5e9") << "5e9" << true;
        QTest::newRow("-9 reads as 1") << "-9" << false;
    }
    void toGridRefusals()
    {
        QFETCH(QString, blockSize);
        QFETCH(bool, refused);
        frmView *view = Import(SavePicture(QStringLiteral("small.bmp"), 30, 20, qRgb(5, 5, 5)));
        QVERIFY(view);
        main_->Sheet().SetCellColors(1, 1, 0x123456, kWhite);
        view->txtPixs->setText(blockSize);
        QTest::mouseClick(view->cmdToGrid, Qt::LeftButton);
        QCOMPARE(dialogs_.messages.size(), refused ? 1 : 0);
        QCOMPARE(main_->Sheet().ColumnCount(), refused ? GridSheet::kDefaultColumns : 30);
        if (refused) {
            QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
            QVERIFY(dialogs_.messages[0].text.contains(blockSize));
            QCOMPARE(main_->Sheet().BackColorAt(1, 1), 0x123456);
        }
    }

    void toGridWithoutAPictureOnlyRestoresTheCaption()
    {
        frmView *view = Import(SavePicture(QStringLiteral("gone.bmp"), 30, 20, qRgb(5, 5, 5)));
        QVERIFY(view);
        main_->ImageLoaded = false;
        view->cmdToGrid->setText(QStringLiteral("stale"));
        view->cmdToGrid->click();
        QCOMPARE(view->cmdToGrid->text(), QStringLiteral("To Grid"));
        QCOMPARE(main_->Sheet().ColumnCount(), GridSheet::kDefaultColumns);
    }
};

QTEST_MAIN(TestFrmView)
#include "tst_frmview.moc"
