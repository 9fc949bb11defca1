// The picture-to-grid conversion: grid size, block means, text colours, progress captions,
// refusals, and pictures that went through BMP, GIF and JPEG files.
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "image/TestGif.h"
#include "support/logic/SheetBuilder.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

QImage Filled(int width, int height, QRgb rgb)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(rgb);
    return picture;
}

QStringList Convert(const QImage &picture, const QString &blockSize, GridSheet &sheet)
{
    QStringList captions;
    ImageToGrid(picture, blockSize, sheet, [&](const QString &caption) { captions << caption; });
    return captions;
}

// One block's colours as stated pixel by pixel, with double means and the brightness rule.
QPair<Color, Color> ReferenceBlock(const QImage &picture, int block, int column, int row)
{
    double red = 0, green = 0, blue = 0, n = 0;
    for (int y = block * row; y < block * (row + 1) && y < picture.height(); ++y)
        for (int x = block * column; x < block * (column + 1) && x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            red += qRed(c), green += qGreen(c), blue += qBlue(c), n += 1;
        }
    const int r = int(std::nearbyint(red / n)), g = int(std::nearbyint(green / n)), b = int(std::nearbyint(blue / n));
    return {MakeColor(r, g, b), std::lround((r + g + b) / 3.0) < 128 ? kWhite : kBlack};
}

} // namespace

class TestImageToGrid : public QObject {
    Q_OBJECT

private slots:
    void blockCountMatchesTheDoubleRule()
    {
        qint64 mismatches = 0;
        for (int block = 1; block <= 999; ++block)
            for (int width = 0; width <= 20000; ++width)
                mismatches += BlockCount(width, block) != qint64(std::floor(double(width) / block + 0.9));
        QCOMPARE(mismatches, 0);
    }

    void gridSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<QSize>("cells");
        QTest::newRow("16x16 by 8") << QSize(16, 16) << "8" << QSize(2, 2);
        QTest::newRow("17 by 8") << QSize(17, 8) << "8" << QSize(3, 1);
        QTest::newRow("81 by 10: remainder a tenth") << QSize(81, 10) << "10" << QSize(9, 1);
        QTest::newRow("96 by 8") << QSize(96, 8) << "8" << QSize(12, 1);
        QTest::newRow("97 by 8") << QSize(97, 8) << "8" << QSize(13, 1);
        QTest::newRow("100 by 8") << QSize(100, 8) << "8" << QSize(13, 1);
        QTest::newRow("801 by 100, rows alike") << QSize(801, 801) << "100" << QSize(8, 8);
        QTest::newRow("width under a tenth: C = 0") << QSize(9, 200) << "100" << QSize(0, 2);
        QTest::newRow("empty text") << QSize(5, 3) << "" << QSize(5, 3);
        QTest::newRow("abc") << QSize(5, 3) << "abc" << QSize(5, 3);
        QTest::newRow("0") << QSize(5, 3) << "0" << QSize(5, 3);
        QTest::newRow("-5") << QSize(5, 3) << "-5" << QSize(5, 3);
        QTest::newRow("2.5 is 2") << QSize(24, 24) << "2.5" << QSize(12, 12);
        QTest::newRow("3.5 is 4") << QSize(24, 24) << "3.5" << QSize(6, 6);
        QTest::newRow("7.6 is 8") << QSize(24, 24) << "7.6" << QSize(3, 3);
        QTest::newRow("12px is 12") << QSize(24, 24) << "12px" << QSize(2, 2);
    }
    void gridSize()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFETCH(QSize, cells);
        GridSheet sheet;
        Convert(Filled(size.width(), size.height(), qRgb(10, 20, 30)), blockSize, sheet);
        QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), cells);
        QCOMPARE(sheet.BackColorAt(cells.width(), cells.height()), cells.isEmpty() ? kWhite : MakeColor(10, 20, 30));
    }

    // On noise every pixel of every block counts, and so would any pixel of a left-out strip.
    void matchesThePixelByPixelStatement_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("block");
        QTest::newRow("16x16 by 8") << QSize(16, 16) << 8;
        QTest::newRow("17x17 by 8: one-pixel edge blocks") << QSize(17, 17) << 8;
        QTest::newRow("81x19 by 10") << QSize(81, 19) << 10;
        QTest::newRow("801x3 by 100: last column unused") << QSize(801, 3) << 100;
        QTest::newRow("7x5 by 1") << QSize(7, 5) << 1;
        QTest::newRow("40x300 by 290: several passes per block") << QSize(40, 300) << 290;
    }
    void matchesThePixelByPixelStatement()
    {
        QFETCH(QSize, size);
        QFETCH(int, block);
        QImage picture(size, QImage::Format_RGB32);
        QRandomGenerator random(quint32(size.width() * 1000 + size.height()));
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                picture.setPixel(x, y, random.generate() | 0xFF000000u);
        GridSheet sheet;
        Convert(picture, QString::number(block), sheet);
        QCOMPARE(sheet.ColumnCount(), BlockCount(size.width(), block));
        for (int row = 1; row <= sheet.RowCount(); ++row)
            for (int column = 1; column <= sheet.ColumnCount(); ++column) {
                const auto [back, fore] = ReferenceBlock(picture, block, column - 1, row - 1);
                QCOMPARE(sheet.BackColorAt(column, row), back);
                QCOMPARE(sheet.ForeColorAt(column, row), fore);
            }
    }

    void blockColours_data()
    {
        QTest::addColumn<QRgb>("top");
        QTest::addColumn<QRgb>("bottom");
        QTest::addColumn<Color>("back");
        QTest::addColumn<Color>("fore");
        QTest::newRow("255 and 0: 127.5 to 128") << qRgb(255, 0, 0) << qRgb(0, 0, 0) << MakeColor(128, 0, 0) << kWhite;
        QTest::newRow("253 and 0: 126.5 to 126") << qRgb(253, 0, 0) << qRgb(0, 0, 0) << MakeColor(126, 0, 0) << kWhite;
        QTest::newRow("sum 382 gets white") << qRgb(127, 128, 127) << qRgb(127, 128, 127) << MakeColor(127, 128, 127)
                                            << kWhite;
        QTest::newRow("sum 383 gets black") << qRgb(128, 128, 127) << qRgb(128, 128, 127) << MakeColor(128, 128, 127)
                                            << kBlack;
        QTest::newRow("white") << qRgb(255, 255, 255) << qRgb(255, 255, 255) << Color(0xFFFFFF) << kBlack;
        QTest::newRow("black") << qRgb(0, 0, 0) << qRgb(0, 0, 0) << Color(0) << kWhite;
    }
    void blockColours()
    {
        QFETCH(QRgb, top);
        QFETCH(QRgb, bottom);
        QFETCH(Color, back);
        QFETCH(Color, fore);
        QImage picture = Filled(8, 8, top); // 32 pixels of each
        for (int y = 4; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                picture.setPixel(x, y, bottom);
        auto sheet = BuildSheet({{{QStringLiteral("詩"), 0x123456, 0x654321}}});
        Convert(picture, QStringLiteral("8"), *sheet);
        QCOMPARE(sheet->BackColorAt(1, 1), back);
        QCOMPARE(sheet->ForeColorAt(1, 1), fore);
        QCOMPARE(sheet->GetCellText(1, 1), QStringLiteral("詩"));
    }

    void captionsCountRowsAndTheSheetHearsOnce()
    {
        GridSheet sheet;
        QSignalSpy changes(&sheet, &GridSheet::cellsChanged);
        QCOMPARE(Convert(Filled(16, 24, qRgb(1, 2, 3)), QStringLiteral("8"), sheet),
                 (QStringList{QStringLiteral("To Grid (0/3)"), QStringLiteral("To Grid (1/3)"),
                              QStringLiteral("To Grid (2/3)"), QStringLiteral("To Grid")}));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first(), (QVariantList{1, 1, 2, 3}));
    }

    void refusalsChangeNothing_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::newRow("no picture loaded") << QSize() << "8";
        QTest::newRow("9e9") << QSize(16, 16) << "9e9";
        QTest::newRow("-9e9") << QSize(16, 16) << "-9e9";
    }
    void refusalsChangeNothing()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        auto sheet = BuildSheet({{{QStringLiteral("x"), 0x112233, kWhite}}});
        const QImage picture = size.isEmpty() ? QImage() : Filled(size.width(), size.height(), 0);
        QCOMPARE(Convert(picture, blockSize, *sheet), QStringList{QStringLiteral("To Grid")});
        QCOMPARE(sheet->ColumnCount(), 1);
        QCOMPARE(sheet->BackColorAt(1, 1), 0x112233);
    }

    void plansBeyondTheSheetAreRefused_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<QString>("error");
        QTest::newRow("6000x4000 by 1") << QSize(6000, 4000) << "1" << QString();
        QTest::newRow("8000x7000 by 1") << QSize(8000, 7000) << "1" << "50,000,000";
        QTest::newRow("8000x7000 by 2") << QSize(8000, 7000) << "2" << QString();
        QTest::newRow("exactly the limit") << QSize(50000, 1000) << "1" << QString();
        QTest::newRow("one row over") << QSize(50000, 1001) << "1" << "50,000,000";
        QTest::newRow("9e9") << QSize(16, 16) << "9e9" << "9e9";
    }
    void plansBeyondTheSheetAreRefused()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFETCH(QString, error);
        const GridPlan plan = PlanGrid(size, blockSize);
        QCOMPARE(plan.Ok(), error.isEmpty());
        QVERIFY(plan.error.contains(error));
    }

    void resizeDoesNotPassTheLimitOnTheWay()
    {
        // From 1 x 50,000 to 2,000 x 1, never through 2,000 x 50,000.
        GridSheet sheet(1, 50'000);
        Convert(Filled(2000, 1, qRgb(9, 9, 9)), QStringLiteral("1"), sheet);
        QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), QSize(2000, 1));
        QCOMPARE(sheet.BackColorAt(2000, 1), MakeColor(9, 9, 9));
    }

    void fileFormats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("bmp") << "blocks.bmp" << QByteArray("BMP") << 0;
        QTest::newRow("gif") << "blocks.gif" << QByteArray("GIF") << 0;
        // JPEG subsamples colour, which moves saturated blocks by a few steps at their edges.
        QTest::newRow("jpeg") << "blocks.jpg" << QByteArray("JPEG") << 12;
        QTest::newRow("jpeg named .bmp") << "blocks.bmp" << QByteArray("JPEG") << 12;
    }
    void fileFormats()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(int, tolerance);
        const QList<QRgb> colours = {qRgb(255, 0, 0), qRgb(0, 255, 0),     qRgb(0, 0, 255),    qRgb(255, 255, 255),
                                     qRgb(0, 0, 0),   qRgb(128, 128, 128), qRgb(200, 100, 50), qRgb(10, 220, 130)};
        QImage picture(128, 64, QImage::Format_Indexed8); // 4 x 2 flat blocks of 32 pixels
        picture.setColorTable(colours);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 128; ++x)
                picture.setPixel(x, y, uint((y / 32) * 4 + x / 32));
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(format == "GIF" ? SaveTestGif(picture, path)
                                : picture.convertToFormat(QImage::Format_RGB32).save(path, format.constData(), 100));

        QString error;
        const QImage loaded = LoadPicture(path, &error);
        QVERIFY2(!loaded.isNull(), qPrintable(error));
        QCOMPARE(loaded.size(), QSize(128, 64));
        GridSheet sheet;
        Convert(loaded, QStringLiteral("32"), sheet);
        QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), QSize(4, 2));
        for (int cell = 0; cell < 8; ++cell) {
            const Color got = sheet.BackColorAt(cell % 4 + 1, cell / 4 + 1);
            const QRgb want = colours[cell];
            const int worst = std::max({std::abs(GetRed(got) - qRed(want)), std::abs(GetGreen(got) - qGreen(want)),
                                        std::abs(GetBlue(got) - qBlue(want))});
            QVERIFY2(worst <= tolerance, qPrintable(QStringLiteral("cell %1 off by %2").arg(cell).arg(worst)));
        }
    }

    void transparencyIsPaintedOverWhite()
    {
        QImage picture(8, 8, QImage::Format_Indexed8);
        picture.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 255)});
        picture.fill(0);
        for (int x = 0; x < 8; ++x)
            picture.setPixel(x, 0, 1);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("clear.gif"));
        QVERIFY(SaveTestGif(picture, path));
        const QImage loaded = LoadPicture(path);
        QCOMPARE(loaded.format(), QImage::Format_RGB32);
        QCOMPARE(loaded.pixel(3, 5), qRgb(255, 255, 255));
        GridSheet sheet;
        Convert(loaded, QStringLiteral("8"), sheet);
        QCOMPARE(sheet.BackColorAt(1, 1), MakeColor(223, 223, 255)); // 7 * 255 / 8 = 223.125
        Convert(picture, QStringLiteral("8"), sheet); // undecoded pictures are composited too
        QCOMPARE(sheet.BackColorAt(1, 1), MakeColor(223, 223, 255));
    }

    void unreadableFilesAreReported_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("text") << QByteArray("not a picture at all\r\n") << QString();
        QTest::newRow("jpeg marker then junk") << QByteArray("\xFF\xD8\xFF\xE0junkjunkjunk", 16) << QString();
        // A bitmap header claiming 10000 x 10000 pixels: refused before decoding.
        QByteArray huge = QByteArray::fromHex("424d460000000000000036000000280000001027000010270000010018000000"
                                              "000010000000130b0000130b00000000000000000000");
        QTest::newRow("huge bitmap header") << huge.append(16, '\0') << QStringLiteral("10000 × 10000");
    }
    void unreadableFilesAreReported()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString error;
        QVERIFY(LoadPicture(WriteTestFile(dir.path(), QStringLiteral("broken.jpg"), bytes), &error).isNull());
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(reason), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestImageToGrid)
#include "tst_imagetogrid.moc"
