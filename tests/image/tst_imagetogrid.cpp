// The picture-to-grid conversion: sizes, means, text colours, progress, refusals, and pictures from pipes.
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "support/logic/FilledPipe.h"
#include "support/logic/SheetBuilder.h"

#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;

class TestImageToGrid : public QObject {
    Q_OBJECT

private slots:
    // On noise every pixel of every block counts, and so would any pixel of a left-out strip; means round
    // half to even. A strip of a tenth of a block or more makes cells of its own. Each sheet starts
    // 50,000 rows tall: 2,000 x 1 must not pass through 2,000 x 50,000.
    void gridMatchesThePixelByPixelRule_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<QSize>("cells");

        QTest::newRow("17x17 by 8, a strip of one pixel") << QSize(17, 17) << u"8"_s << QSize(3, 3);
        QTest::newRow("110x110 by 100, a strip of a tenth") << QSize(110, 110) << u"100"_s << QSize(2, 2);
        QTest::newRow("801x801 by 100, a strip left out") << QSize(801, 801) << u"100"_s << QSize(8, 8);
        QTest::newRow("9x200 by 100, no columns") << QSize(9, 200) << u"100"_s << QSize(0, 2);
        QTest::newRow("40x300 by 290, summed in passes") << QSize(40, 300) << u"290"_s << QSize(1, 1);
        QTest::newRow("2000x1 by 1") << QSize(2000, 1) << u"1"_s << QSize(2000, 1);
    }

    void gridMatchesThePixelByPixelRule()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFETCH(QSize, cells);
        const int columns = cells.width();
        const int rows = cells.height();
        const int block = std::max(blockSize.toInt(), 1);
        QImage picture(size, QImage::Format_RGB32);
        QRandomGenerator random(quint32(size.width() * 1000 + size.height()));
        QList<QList<double>> sums(columns * rows, QList<double>(4)); // red, green, blue, pixels
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb pixel = random.generate() | 0xFF000000u;
                picture.setPixel(x, y, pixel);
                if (x < block * columns && y < block * rows) {
                    QList<double> &sum = sums[y / block * columns + x / block];
                    sum[0] += qRed(pixel);
                    sum[1] += qGreen(pixel);
                    sum[2] += qBlue(pixel);
                    sum[3] += 1;
                }
            }
        }
        GridSheet sheet(1, 50'000);
        QList<qint64> told; // before each row is painted, the rows done so far
        imageToGrid(
            picture, blockSize, sheet, [&](qint64 rowsDone, qint64 all) { told << (all == rows ? rowsDone : -1); });
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), cells);
        QCOMPARE(told.size(), rows);
        QCOMPARE(told.value(rows - 1), rows - 1);
        for (int cell = 0; cell < columns * rows; ++cell) {
            const int column = cell % columns + 1;
            const int row = cell / columns + 1;
            const auto mean = [&](int part) { return int(std::nearbyint(sums[cell][part] / sums[cell][3])); };
            QVERIFY2(sheet.backColorAt(column, row) == makeColor(mean(0), mean(1), mean(2)),
                qPrintable(u"cell %1,%2"_s.arg(column).arg(row)));
        }
    }

    // A one-colour block is that colour, however many pixels it sums: 300 x 300 white sums
    // 22,950,000 a channel, far past 16 bits, and a column of 300 lines of 255 passes a 16-bit
    // lane. The text colour flips between sums 382 and 383, a transparent pixel counts as
    // white, and the cell's text stays.
    void oneColourBlockIsThatColour_data()
    {
        QTest::addColumn<QRgb>("pixel");
        QTest::addColumn<Color>("back");
        QTest::addColumn<Color>("fore");

        QTest::newRow("white") << qRgb(255, 255, 255) << kWhite << kBlack;
        QTest::newRow("sum 382") << qRgb(127, 128, 127) << makeColor(127, 128, 127) << kWhite;
        QTest::newRow("sum 383") << qRgb(128, 128, 127) << makeColor(128, 128, 127) << kBlack;
        QTest::newRow("transparent") << qRgba(0, 0, 0, 0) << kWhite << kBlack;
    }

    void oneColourBlockIsThatColour()
    {
        QFETCH(QRgb, pixel);
        QFETCH(Color, back);
        QFETCH(Color, fore);
        QImage picture(300, 300, QImage::Format_ARGB32);
        picture.fill(pixel);
        auto sheet = buildSheet({{{u"詩"_s, 0x112233, kWhite}}});
        QCOMPARE(imageToGrid(picture, u"300"_s, *sheet, {}).outcome, ToGridOutcome::Done);
        QCOMPARE(QSize(sheet->columnCount(), sheet->rowCount()), QSize(1, 1));
        QCOMPARE(sheet->backColorAt(1, 1), back);
        QCOMPARE(sheet->foreColorAt(1, 1), fore);
        QCOMPARE(sheet->getCellText(1, 1), u"詩"_s);
    }

    // A grid of exactly the cells a sheet holds is planned; one row more is refused.
    void sheetLimit()
    {
        QCOMPARE(planGrid(QSize(50'000, 1'000), u"1").refusal, GridRefusal::None);
        QCOMPARE(planGrid(QSize(50'000, 1'001), u"1").refusal, GridRefusal::TooManyCells);
    }

    // A missing picture or a block size beyond 32 bits leaves the sheet as it was, and tells no
    // progress.
    void refusalLeavesTheSheet()
    {
        auto sheet = buildSheet({{{u"x"_s, 0x112233, kWhite}}});
        const QByteArray before = sheetBytes(*sheet);
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(qRgb(10, 20, 30));
        int told = 0;
        const auto count = [&](qint64, qint64) { ++told; };
        QCOMPARE(imageToGrid(QImage(), u"8"_s, *sheet, count).outcome, ToGridOutcome::NoPicture);
        const ToGridResult refused = imageToGrid(picture, u"9e9"_s, *sheet, count);
        QCOMPARE(refused.outcome, ToGridOutcome::Refused);
        QCOMPARE(refused.plan.refusal, GridRefusal::BlockSizeOutOfRange);
        QCOMPARE(told, 0);
        QCOMPARE(sheetBytes(*sheet), before);
    }

    // The batch reads pictures from pipes.
    void pictureFromAPipe()
    {
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(qRgb(200, 100, 50));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
        const FilledPipe pipe(png);
        QVERIFY(pipe.ok());
        QCOMPARE(loadPicture(pipe.path(), nullptr, FileKinds::AnyReadable), picture);
    }
};

QTEST_GUILESS_MAIN(TestImageToGrid)
#include "tst_imagetogrid.moc"
