// The image view window driven through the main window: Import Image, the fitted layout,
// To Grid with its progress captions, the refusals and the window's lifetime.
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/Twips.h"
#include "ui/frmEdit.h"
#include "image/TestGif.h"
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
    explicit CaptionRecorder(QPushButton *button) : button_(button) { button->installEventFilter(this); }
    QStringList captions;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == button_ && event->type() == QEvent::Paint)
            captions << button_->text();
        return false;
    }

private:
    QPushButton *button_;
};

} // namespace

class TestFrmView : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString SavePicture(const QString &name, int width, int height, QRgb rgb, const char *format = "BMP")
    {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(rgb);
        const QString path = dir_.filePath(name);
        const bool saved = qstrcmp(format, "GIF") == 0
            ? SaveTestGif(picture.convertToFormat(QImage::Format_Indexed8), path)
            : picture.save(path, format);
        if (!saved)
            qFatal("cannot save %s", qPrintable(path));
        return path;
    }

    static QList<frmView *> ViewWindows(frmEdit &main) { return main.findChildren<frmView *>(); }

    static frmView *Import(frmEdit &main, FakeDialogs &dialogs, const QString &path)
    {
        dialogs.answers << path;
        main.ImportImage->trigger();
        const QList<frmView *> windows = ViewWindows(main);
        return windows.size() == 1 ? windows.first() : nullptr;
    }

private slots:
    void dlgSizeLayoutOf400By300()
    {
        const frmView::Layout layout = frmView::DlgSizeLayout(QRect(0, 0, 6000, 4500));
        QCOMPARE(layout.window, QSize(6080, 5300));
        QCOMPARE(layout.button, QRect(0, 4515, 3000, 400));
        QCOMPARE(layout.rowLine, 4715);
        QCOMPARE(layout.field, QRect(4920, 4580, 1080, 270));
        QCOMPARE(layout.label, QRect(4200, 4625, 705, 180));
    }

    void dlgSizeHalfRoundsToEven_data()
    {
        QTest::addColumn<int>("boxWidth");
        QTest::addColumn<int>("half");
        QTest::newRow("even") << 6000 << 3000;
        QTest::newRow("odd, down to even") << 4005 << 2002;
        QTest::newRow("odd, up to even") << 4015 << 2008;
    }
    void dlgSizeHalfRoundsToEven()
    {
        QFETCH(int, boxWidth);
        QFETCH(int, half);
        QCOMPARE(frmView::DlgSizeLayout(QRect(0, 0, boxWidth, 300)).button.width(), half);
    }

    void importShowsThePictureFitted()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        const QString path = SavePicture(QStringLiteral("photo.bmp"), 400, 300, qRgb(10, 20, 30));
        frmView *view = Import(main, dialogs, path);
        QVERIFY(view);
        QCOMPARE(dialogs.requests.size(), 1);
        QCOMPARE(dialogs.requests[0].save, false);
        QCOMPARE(dialogs.requests[0].title, QStringLiteral("イメージの読み込み"));
        QCOMPARE(dialogs.requests[0].filter,
                 QStringLiteral("Jpeg (*.jpeg, *.jpg)|*.jpeg;*.jpg|GIF (*.gif)|*.gif|BitMap (*.bmp)|*.bmp||"));
        QVERIFY(main.ImageLoaded);
        QVERIFY(view->isVisible());
        QVERIFY(view->isWindow());
        QCOMPARE(view->parentWidget(), &main);
        QCOMPARE(view->windowTitle(), QStringLiteral("photo.bmp"));
        QCOMPARE(view->picLoad->geometry(), QRect(0, 0, 400, 300));
        QCOMPARE(view->picLoad->Picture().pixel(5, 5), qRgb(10, 20, 30));

        // The outer size, frame included, is the fitted one.
        QCOMPARE(view->frameGeometry().size(), QSize(TwipsToPixels(6080), TwipsToPixels(5300)));
        QCOMPARE(view->cmdToGrid->geometry(), TwipsRect(0, 4515, 3000, 400));
        // Field and label keep their designed widths and stay centred on the row line even
        // where the font makes them taller.
        const double rowLine = 4715 / 15.0;
        QCOMPARE(view->txtPixs->x(), TwipsToPixels(4920));
        QCOMPARE(view->txtPixs->width(), TwipsToPixels(1080));
        QCOMPARE(view->txtPixs->x() + view->txtPixs->width(), 400);
        QVERIFY(std::abs(view->txtPixs->geometry().center().y() + 0.5 - rowLine) <= 1.0);
        QVERIFY(std::abs(view->lblGSize->geometry().center().y() + 0.5 - rowLine) <= 1.0);
        QVERIFY(view->lblGSize->geometry().right() < view->txtPixs->x());
        QCOMPARE(view->txtPixs->text(), QStringLiteral("8"));
        QCOMPARE(view->txtPixs->maxLength(), 3);
        QCOMPARE(view->cmdToGrid->text(), QStringLiteral("To Grid"));
        QCOMPARE(view->lblGSize->text(), QStringLiteral("Grid Size"));
        QCOMPARE(main.Sheet().ColumnCount(), GridSheet::kDefaultColumns); // import alone converts nothing
    }

    void ctrlIImports()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        dialogs.answers << SavePicture(QStringLiteral("key.bmp"), 20, 10, qRgb(1, 1, 1));
        QTest::keyClick(&main, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(ViewWindows(main).size(), 1);
        QCOMPARE(ViewWindows(main).first()->windowTitle(), QStringLiteral("key.bmp"));
    }

    void secondImportReusesTheWindow()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        frmView *view = Import(main, dialogs, SavePicture(QStringLiteral("first.bmp"), 400, 300, qRgb(0, 0, 0)));
        QVERIFY(view);
        view->txtPixs->clear();
        QTest::keyClicks(view->txtPixs, QStringLiteral("4"));
        frmView *again = Import(main, dialogs, SavePicture(QStringLiteral("second.gif"), 120, 80, qRgb(255, 0, 0), "GIF"));
        QCOMPARE(again, view);
        QCOMPARE(view->windowTitle(), QStringLiteral("second.gif"));
        QCOMPARE(view->picLoad->size(), QSize(120, 80));
        QCOMPARE(view->frameGeometry().size(), QSize(TwipsToPixels(1800 + 80), TwipsToPixels(1200 + 800)));
        QCOMPARE(view->txtPixs->text(), QStringLiteral("4"));
        QVERIFY(main.ImageLoaded);
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

        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        // Before any window exists: none is created.
        dialogs.answers << path;
        main.ImportImage->trigger();
        QVERIFY(ViewWindows(main).isEmpty());
        QVERIFY(!main.ImageLoaded);
        QCOMPARE(dialogs.messages.size(), message ? 1 : 0);

        // With a picture shown: window, picture, size, caption, flag and typed block size stay.
        frmView *view = Import(main, dialogs, SavePicture(QStringLiteral("kept.bmp"), 64, 32, qRgb(0, 128, 0)));
        QVERIFY(view);
        view->txtPixs->setText(QStringLiteral("5"));
        const QSize size = view->size();
        dialogs.messages.clear();
        dialogs.answers << path;
        main.ImportImage->trigger();
        QCOMPARE(ViewWindows(main), QList<frmView *>{view});
        QCOMPARE(view->windowTitle(), QStringLiteral("kept.bmp"));
        QCOMPARE(view->picLoad->Picture().size(), QSize(64, 32));
        QCOMPARE(view->picLoad->Picture().pixel(0, 0), qRgb(0, 128, 0));
        QCOMPARE(view->size(), size);
        QCOMPARE(view->txtPixs->text(), QStringLiteral("5"));
        QVERIFY(main.ImageLoaded);
        QCOMPARE(dialogs.messages.size(), message ? 1 : 0);
        if (message) {
            QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
            QVERIFY(dialogs.messages[0].text.startsWith(QStringLiteral("読み込みエラー\r\n") + path + u'\r'));
        }
    }

    void closingClearsTheFlagAndTheDefaultsReturn()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        const QString path = SavePicture(QStringLiteral("again.bmp"), 40, 40, qRgb(9, 9, 9));
        QPointer<frmView> view = Import(main, dialogs, path);
        QVERIFY(view);
        view->txtPixs->setText(QStringLiteral("3"));
        view->close();
        QVERIFY(!main.ImageLoaded);
        QTRY_VERIFY(view.isNull()); // deleted with its picture
        frmView *fresh = Import(main, dialogs, path);
        QVERIFY(fresh);
        QCOMPARE(fresh->txtPixs->text(), QStringLiteral("8"));
        QVERIFY(main.ImageLoaded);
    }

    void closingTheMainWindowEndsTheProgramWithTheViewOpen()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        QVERIFY(Import(main, dialogs, SavePicture(QStringLiteral("open.bmp"), 40, 40, qRgb(9, 9, 9))));
        // The open image view window must not keep the program running.
        bool stillRunning = false;
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, [&stillRunning] {
            stillRunning = true;
            QCoreApplication::quit();
        });
        guard.start(5000);
        QTimer::singleShot(0, &main, &QWidget::close);
        QApplication::exec();
        QVERIFY(!stillRunning);
    }

    void toGridPaintsTheSheetRowByRow()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        main.Sheet().SetCellText(1, 1, QStringLiteral("詩"));
        // 24 x 16 pixels: left half black, right half white; 8-pixel blocks give 3 x 2 cells.
        QImage picture(24, 16, QImage::Format_RGB32);
        picture.fill(qRgb(255, 255, 255));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 12; ++x)
                picture.setPixel(x, y, qRgb(0, 0, 0));
        const QString path = dir_.filePath(QStringLiteral("halves.bmp"));
        QVERIFY(picture.save(path, "BMP"));
        frmView *view = Import(main, dialogs, path);
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(view));

        CaptionRecorder recorder(view->cmdToGrid);
        QTest::mouseClick(view->cmdToGrid, Qt::LeftButton);
        // Pressing and releasing paint the button too; the row captions come in order between.
        QCOMPARE(recorder.captions.filter(QStringLiteral("(")),
                 (QStringList{QStringLiteral("To Grid (0/2)"), QStringLiteral("To Grid (1/2)")}));
        QCOMPARE(view->cmdToGrid->text(), QStringLiteral("To Grid"));
        GridSheet &sheet = main.Sheet();
        QCOMPARE(sheet.ColumnCount(), 3);
        QCOMPARE(sheet.RowCount(), 2);
        QCOMPARE(sheet.BackColorAt(1, 2), kBlack);
        QCOMPARE(sheet.ForeColorAt(1, 2), kWhite);
        QCOMPARE(sheet.BackColorAt(2, 1), MakeColor(128, 128, 128)); // 127.5 rounds to even
        QCOMPARE(sheet.ForeColorAt(2, 1), kBlack);
        QCOMPARE(sheet.BackColorAt(3, 2), kWhite);
        QCOMPARE(sheet.GetCellText(1, 1), QStringLiteral("詩"));
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(main.ImageLoaded);
        QVERIFY(view->isVisible());

        // Typing another block size and pressing again converts anew.
        view->txtPixs->selectAll();
        QTest::keyClicks(view->txtPixs, QStringLiteral("4"));
        QTest::mouseClick(view->cmdToGrid, Qt::LeftButton);
        QCOMPARE(sheet.ColumnCount(), 6);
        QCOMPARE(sheet.RowCount(), 4);
    }

    void toGridRefusalsChangeNothing_data()
    {
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<QString>("messageStart");
        QTest::newRow("beyond 32 bits") << "9e9" << QStringLiteral("ブロックの大きさ");
        QTest::newRow("5e9") << "5e9" << QStringLiteral("ブロックの大きさ");
        QTest::newRow("negative reads as 1") << "-9" << QString();
    }
    void toGridRefusalsChangeNothing()
    {
        QFETCH(QString, blockSize);
        QFETCH(QString, messageStart);
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        frmView *view = Import(main, dialogs, SavePicture(QStringLiteral("small.bmp"), 30, 20, qRgb(5, 5, 5)));
        QVERIFY(view);
        main.Sheet().SetCellColors(1, 1, 0x123456, kWhite);
        view->txtPixs->setText(blockSize);
        QTest::mouseClick(view->cmdToGrid, Qt::LeftButton);
        if (messageStart.isEmpty()) {
            QVERIFY(dialogs.messages.isEmpty());
            QCOMPARE(main.Sheet().ColumnCount(), 30);
            return;
        }
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].icon, MessageIcon::Error);
        QVERIFY(dialogs.messages[0].text.startsWith(messageStart));
        QCOMPARE(main.Sheet().ColumnCount(), GridSheet::kDefaultColumns);
        QCOMPARE(main.Sheet().BackColorAt(1, 1), 0x123456);
        QCOMPARE(view->cmdToGrid->text(), QStringLiteral("To Grid"));
    }

    void toGridWithoutAPictureOnlyRestoresTheCaption()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        frmView *view = Import(main, dialogs, SavePicture(QStringLiteral("gone.bmp"), 30, 20, qRgb(5, 5, 5)));
        QVERIFY(view);
        main.ImageLoaded = false;
        view->cmdToGrid->setText(QStringLiteral("stale"));
        view->cmdToGrid_Click();
        QCOMPARE(view->cmdToGrid->text(), QStringLiteral("To Grid"));
        QCOMPARE(main.Sheet().ColumnCount(), GridSheet::kDefaultColumns);
    }
};

QTEST_MAIN(TestFrmView)
#include "tst_frmview.moc"
