// Files > Export Picture: each cell a square of the chosen side in the grid's look, the
// same bytes from glyphscape-batch --png, and pictures too large refused before any file.
#include "gridfile/GridFile.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr Color kRed = 0x001E1EC8; // #C81E1E
constexpr Color kNavy = 0x005A140A; // #0A145A

QRgb rgbOf(Color color)
{
    return qRgb(getRed(color), getGreen(color), getBlue(color));
}

} // namespace

class TestExportPicture : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dialogs_ = std::make_unique<FakeDialogs>();
        main_ = std::make_unique<MainWindow>(*dialogs_);
        GridSheet &sheet = main_->sheet();
        sheet.setSize(3, 2);
        sheet.setCellColors(2, 1, kRed, kNavy);
        sheet.setCellText(2, 1, u"■"_s);
        sheet.setCellColors(3, 2, kNavy, kRed);
        findControl<QLineEdit>(*main_, "txtBGcolor")->setText(u"#F0E0D0"_s);
    }
    void cleanup()
    {
        main_.reset();
        dialogs_.reset();
    }

    // The corner of each cell without a character shows what lies behind it in that look.
    void drawsEachCellAsItLooks_data()
    {
        QTest::addColumn<bool>("pageLook");
        QTest::addColumn<QList<QRgb>>("corners");
        const QRgb white = rgbOf(kWhite);
        const QRgb page = qRgb(0xF0, 0xE0, 0xD0);
        QTest::newRow("cells") << false << QList<QRgb> {white, rgbOf(kRed), white, white, white, rgbOf(kNavy)};
        QTest::newRow("page") << true << QList<QRgb>(6, page);
    }

    void drawsEachCellAsItLooks()
    {
        QFETCH(bool, pageLook);
        QFETCH(QList<QRgb>, corners);
        findControl<GridSheetView>(*main_, "sprEdit")->setPageLook(pageLook);
        const QImage picture = QImage::fromData(exportPicture(10));
        QCOMPARE(picture.size(), QSize(30, 20));
        for (int cell : {0, 2, 3, 4, 5})
            QCOMPARE(picture.pixel(cell % 3 * 10 + 1, cell / 3 * 10 + 1), corners[cell]);
        QCOMPARE(picture.pixel(15, 5), rgbOf(pageLook ? kRed : kNavy));
        QCOMPARE(dialogs_->requests.last().filter, u"PNG 画像 (*.png)|*.png||"_s);
    }

    void batchWritesTheSameBytes_data()
    {
        QTest::addColumn<bool>("pageLook");
        QTest::newRow("cells") << false;
        QTest::newRow("page") << true;
    }

    void batchWritesTheSameBytes()
    {
        QFETCH(bool, pageLook);
        findControl<GridSheetView>(*main_, "sprEdit")->setPageLook(pageLook);
        const QByteArray exported = exportPicture(12);
        const QString grid = dir_.filePath(u"poem.grd"_s);
        QFile file(grid);
        QVERIFY(file.open(QIODevice::WriteOnly) && writeGridFile(file, main_->sheet()));
        file.close();
        QStringList arguments {u"--grid"_s, grid, u"--bg"_s, u"#F0E0D0"_s, u"--png"_s, dir_.filePath(u"batch.png"_s),
            u"--cell-size"_s, u"12"_s};
        if (pageLook)
            arguments << u"--page-look"_s;
        QProcess batch;
        // The batch must start its own platform whatever the caller's.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_s);
        batch.setProcessEnvironment(environment);
        batch.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + u"/bin/glyphscape-batch"_s, arguments);
        QVERIFY(batch.waitForFinished(60000));
        QCOMPARE(batch.exitCode(), 0);
        QCOMPARE(readTestFile(dir_.filePath(u"batch.png"_s)), exported);
    }

    // Refused with the largest side that fits, before the chooser: nothing is written.
    void refusesPicturesTooLarge()
    {
        main_->sheet().setSize(2000, 2000);
        dialogs_->numberAnswers << 16;
        findControl<QAction>(*main_, "ExportPicture")->trigger();
        QVERIFY(dialogs_->requests.isEmpty());
        QCOMPARE(dialogs_->messages.size(), 1);
        QVERIFY2(dialogs_->messages[0].text.contains(u"The largest cell size that fits is 8 pixels."_s),
            qPrintable(dialogs_->messages[0].text));
    }

private:
    QByteArray exportPicture(int side)
    {
        const QString path = dir_.filePath(u"poem.png"_s);
        dialogs_->numberAnswers << side;
        dialogs_->answers << path;
        findControl<QAction>(*main_, "ExportPicture")->trigger();
        [&] { QVERIFY2(dialogs_->messages.isEmpty(), qPrintable(dialogs_->messages.value(0).text)); }();
        return readTestFile(path);
    }

    QTemporaryDir dir_;
    std::unique_ptr<FakeDialogs> dialogs_;
    std::unique_ptr<MainWindow> main_;
};

QTEST_MAIN(TestExportPicture)
#include "tst_exportpicture.moc"
