// The picture-to-grid conversion: sizes, means, text colours, progress, refusals, BMP, GIF and JPEG files.
#include "image/ImageToGrid.h"
#include "image/JpegDecoder.h"
#include "image/PictureFile.h"
#include "image/TestGif.h"
#include "support/logic/AddressSpaceLimit.h"
#include "support/logic/FilledPipe.h"
#include "support/logic/SheetBuilder.h"

#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;

// The progress told while the picture is converted, as "done/rows".
static QStringList convert(const QImage &picture, const QString &blockSize, GridSheet &sheet)
{
    QStringList progress;
    imageToGrid(picture, blockSize, sheet,
        [&](qint64 rowsDone, qint64 rows) { progress << QString::number(rowsDone) + u'/' + QString::number(rows); });
    return progress;
}

class TestImageToGrid : public QObject {
    Q_OBJECT

private slots:
    void blockCountMatchesTheDoubleRule()
    {
        qint64 mismatches = 0;
        for (int block = 1; block <= 999; ++block)
            for (int width = 0; width <= 20000; ++width)
                mismatches += blockCount(width, block) != qint64(std::floor(double(width) / block + 0.9));
        QCOMPARE(mismatches, 0);
    }

    // On noise every pixel of every block counts, and so would any pixel of a left-out strip; means round
    // half to even. Each sheet starts 50,000 rows tall: 2,000 x 1 must not pass through 2,000 x 50,000.
    // Block sizes are read and rounded by the number field, tested on its own.
    void gridMatchesThePixelByPixelRule_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<int>("block");
        QTest::addColumn<QSize>("cells");

        QTest::newRow("17x17 by 8, a strip of one pixel") << QSize(17, 17) << u"8"_s << 8 << QSize(3, 3);
        QTest::newRow("801x801 by 100, a strip left out") << QSize(801, 801) << u"100"_s << 100 << QSize(8, 8);
        QTest::newRow("9x200 by 100, no columns") << QSize(9, 200) << u"100"_s << 100 << QSize(0, 2);
        QTest::newRow("5x3 by 0") << QSize(5, 3) << u"0"_s << 1 << QSize(5, 3);
        QTest::newRow("24x24 by 3.5") << QSize(24, 24) << u"3.5"_s << 4 << QSize(6, 6);
        QTest::newRow("40x300 by 290, summed in passes") << QSize(40, 300) << u"290"_s << 290 << QSize(1, 1);
        QTest::newRow("2000x1 by 1") << QSize(2000, 1) << u"1"_s << 1 << QSize(2000, 1);
    }

    void gridMatchesThePixelByPixelRule()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFETCH(int, block);
        QFETCH(QSize, cells);
        const int columns = cells.width(), rows = cells.height();
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
        const QStringList progress = convert(picture, blockSize, sheet);
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), cells);
        QCOMPARE(progress.size(), rows); // told before each row is painted
        QCOMPARE(progress.value(rows - 1), u"%1/%2"_s.arg(rows - 1).arg(rows));
        for (int cell = 0; cell < columns * rows; ++cell) {
            const int column = cell % columns + 1, row = cell / columns + 1;
            const auto mean = [&](int part) { return int(std::nearbyint(sums[cell][part] / sums[cell][3])); };
            const QString where = u"cell %1,%2"_s.arg(column).arg(row);
            QVERIFY2(sheet.backColorAt(column, row) == makeColor(mean(0), mean(1), mean(2)), qPrintable(where));
            QVERIFY2(sheet.foreColorAt(column, row) == (mean(0) + mean(1) + mean(2) <= 382 ? kWhite : kBlack),
                qPrintable(where));
        }
    }

    // 32 pixels of each of two colours: the text colour's threshold, a transparent pixel counting as white.
    void blockColoursChooseTheTextColourAndKeepTexts_data()
    {
        QTest::addColumn<QRgb>("top");
        QTest::addColumn<QRgb>("bottom");
        QTest::addColumn<Color>("back");
        QTest::addColumn<Color>("fore");

        QTest::newRow("sum 382") << qRgb(127, 128, 127) << qRgb(127, 128, 127) << makeColor(127, 128, 127) << kWhite;
        QTest::newRow("sum 383") << qRgb(128, 128, 127) << qRgb(128, 128, 127) << makeColor(128, 128, 127) << kBlack;
        QTest::newRow("transparent over blue")
            << qRgba(0, 0, 0, 0) << qRgb(0, 0, 255) << makeColor(128, 128, 255) << kBlack;
    }

    void blockColoursChooseTheTextColourAndKeepTexts()
    {
        QFETCH(QRgb, top);
        QFETCH(QRgb, bottom);
        QFETCH(Color, back);
        QFETCH(Color, fore);
        QImage picture(8, 8, QImage::Format_ARGB32);
        for (int y = 0; y < 8; ++y)
            std::fill_n(reinterpret_cast<QRgb *>(picture.scanLine(y)), 8, y < 4 ? top : bottom);
        auto sheet = buildSheet({{{u"詩"_s, 0x123456, 0x654321}}});
        convert(picture, u"8"_s, *sheet);
        QCOMPARE(sheet->backColorAt(1, 1), back);
        QCOMPARE(sheet->foreColorAt(1, 1), fore);
        QCOMPARE(sheet->getCellText(1, 1), u"詩"_s);
    }

    // A white block is white, however many pixels it sums: 300 x 300 white sums 22,950,000 a
    // channel, far past 16 bits, and a column of 300 lines of 255 passes a 16-bit lane. Painted
    // from a JPEG file, the blocks are summed as the lines are decoded, on two threads when
    // there are two block rows.
    void oneColourBlockIsThatColour_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("fromJpeg");

        QTest::newRow("picture") << QSize(300, 300) << false;
        QTest::newRow("JPEG") << QSize(300, 300) << true;
        QTest::newRow("JPEG, two block rows") << QSize(300, 600) << true;
    }

    void oneColourBlockIsThatColour()
    {
        QFETCH(QSize, size);
        QFETCH(bool, fromJpeg);
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(255, 255, 255));
        auto sheet = buildSheet({{{u"x"_s, 0x112233, kWhite}}});
        if (fromJpeg) {
            QByteArray file;
            QBuffer buffer(&file);
            QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "JPEG", 100));
            QCOMPARE(JpegDecoder(file).paintSheet(planGrid(size, u"300"), *sheet, {}), JpegConversion::Done);
        } else {
            QCOMPARE(imageToGrid(picture, u"300"_s, *sheet, {}).outcome, ToGridOutcome::Done);
        }
        QCOMPARE(QSize(sheet->columnCount(), sheet->rowCount()), QSize(1, size.height() / 300));
        for (int row = 1; row <= sheet->rowCount(); ++row)
            QCOMPARE(sheet->backColorAt(1, row), kWhite);
    }

    // The result says why the sheet was left alone, with the grid the window words it from; no
    // progress is told.
    void resultSaysWhyTheSheetStayed_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<bool>("memoryShort");
        QTest::addColumn<ToGridOutcome>("outcome");
        QTest::addColumn<GridRefusal>("refusal");
        QTest::addColumn<QSize>("cells");

        QTest::newRow("no picture") << QSize() << u"8"_s << false << ToGridOutcome::NoPicture << GridRefusal::None
                                    << QSize(0, 0);
        QTest::newRow("block size beyond 32 bits") << QSize(16, 16) << u"9e9"_s << false << ToGridOutcome::Refused
                                                   << GridRefusal::BlockSizeOutOfRange << QSize(0, 0);
        QTest::newRow("one row more than a sheet holds")
            << QSize(50'000, 1'001) << u"1"_s << false << ToGridOutcome::Refused << GridRefusal::TooManyCells
            << QSize(50'000, 1'001);
        // 144 MB of cells: more than a second thread's malloc arena, which may hold 64 MB
        // without new address space, could give.
        QTest::newRow("grid beyond memory") << QSize(3'000, 3'000) << u"1"_s << true << ToGridOutcome::OutOfMemory
                                            << GridRefusal::None << QSize(3'000, 3'000);
    }

    void resultSaysWhyTheSheetStayed()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFETCH(bool, memoryShort);
        QFETCH(ToGridOutcome, outcome);
        QFETCH(GridRefusal, refusal);
        QFETCH(QSize, cells);
        if (memoryShort && !AddressSpaceLimit::works())
            QSKIP("no address space limit under AddressSanitizer");

        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(10, 20, 30));
        auto sheet = buildSheet({{{u"x"_s, 0x112233, kWhite}}});
        ToGridResult result;
        int told = 0;
        {
            std::optional<AddressSpaceLimit> limit;
            if (memoryShort)
                limit.emplace(8 * 1024 * 1024); // the cells cannot be had
            result = imageToGrid(picture, blockSize, *sheet, [&](qint64, qint64) { ++told; });
        }
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.failed(), outcome == ToGridOutcome::Refused || outcome == ToGridOutcome::OutOfMemory);
        QCOMPARE(result.plan.refusal, refusal);
        QCOMPARE(QSize(int(result.plan.columns), int(result.plan.rows)), cells);
        QCOMPARE(told, 0);
        QCOMPARE(QSize(sheet->columnCount(), sheet->rowCount()), QSize(1, 1));
        QCOMPARE(sheet->backColorAt(1, 1), Color(0x112233));
    }

    void sheetLimitHoldsExactlyItsCells() { QCOMPARE(planGrid(QSize(50'000, 1'000), u"1").refusal, GridRefusal::None); }

    // The batch also reads pipes (refusals of other kinds are the file check's), and endless
    // input that is no picture is refused from its first bytes.
    void picturesFromPipes_data()
    {
        QTest::addColumn<QString>("source"); // "pipe" or a device's path
        QTest::addColumn<PictureError::Kind>("error");

        QTest::newRow("pipe") << u"pipe"_s << PictureError::None;
        QTest::newRow("endless zeros") << u"/dev/zero"_s << PictureError::UnknownFormat;
    }

    void picturesFromPipes()
    {
        QFETCH(QString, source);
        QFETCH(PictureError::Kind, error);
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(0, 128, 255));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
        const FilledPipe pipe(png);
        QVERIFY(pipe.ok());
        PictureError why;
        const QImage loaded = loadPicture(source == u"pipe"_s ? pipe.path() : source, &why, FileKinds::AnyReadable);
        QCOMPARE(why.kind, error);
        QCOMPARE(loaded.isNull(), error != PictureError::None);
        if (!loaded.isNull())
            QCOMPARE(loaded.pixel(39, 29), qRgb(0, 128, 255));
    }

    // Flat blocks in colours whose channels differ, so a swap shows. JPEG subsamples colour,
    // which moves saturated blocks by a few steps at their edges.
    void picturesComeBackFromTheirFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("tolerance");

        QTest::newRow("GIF") << u"blocks.gif"_s << QByteArray("GIF") << 0;
        QTest::newRow("JPEG named .bmp") << u"jpeg.bmp"_s << QByteArray("JPEG") << 12;
    }

    void picturesComeBackFromTheirFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(int, tolerance);
        const QList<QRgb> colours = {qRgb(200, 100, 50), qRgb(10, 220, 130), qRgb(0, 0, 0), qRgb(128, 128, 128)};
        QImage picture(64, 64, QImage::Format_Indexed8);
        picture.setColorTable(colours);
        for (int i = 0; i < 64 * 64; ++i)
            picture.setPixel(i % 64, i / 64, uint(i / (64 * 32) * 2 + i % 64 / 32));
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(format == "GIF" ? saveTestGif(picture, path)
                                : picture.convertToFormat(QImage::Format_RGB32).save(path, format, 100));
        GridSheet sheet;
        convert(loadPicture(path), u"32"_s, sheet);
        QCOMPARE(QSize(sheet.columnCount(), sheet.rowCount()), QSize(2, 2));
        for (int cell = 0; cell < 4; ++cell) {
            const Color got = sheet.backColorAt(cell % 2 + 1, cell / 2 + 1);
            const QRgb want = colours[cell];
            const QString where = u"cell %1"_s.arg(cell);
            QVERIFY2(std::abs(getRed(got) - qRed(want)) <= tolerance, qPrintable(where));
            QVERIFY2(std::abs(getGreen(got) - qGreen(want)) <= tolerance, qPrintable(where));
            QVERIFY2(std::abs(getBlue(got) - qBlue(want)) <= tolerance, qPrintable(where));
        }
    }
};

QTEST_GUILESS_MAIN(TestImageToGrid)
#include "tst_imagetogrid.moc"
