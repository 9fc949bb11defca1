// The picture-to-grid conversion: grid size, block means, text colours, progress captions,
// refusals, and pictures that went through BMP, GIF and JPEG files.
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "image/TestGif.h"
#include "support/logic/SheetBuilder.h"

#include <QBuffer>
#include <QColor>
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

QStringList Captions(const QImage &picture, const QString &blockSize, GridSheet &sheet)
{
    QStringList captions;
    ImageToGrid(picture, blockSize, sheet, [&](const QString &caption) { captions << caption; });
    return captions;
}

// The conversion as stated pixel by pixel, with double means: what the fast one must match.
struct ReferenceCell {
    Color back = kWhite;
    Color fore = kBlack;
    bool painted = false;
};
QList<ReferenceCell> ReferenceGrid(const QImage &picture, int block, int columns, int rows)
{
    QList<ReferenceCell> cells(qsizetype(columns) * rows);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            double red = 0, green = 0, blue = 0, n = 0;
            for (int k = 0; k < block; ++k) {
                for (int l = 0; l < block; ++l) {
                    const int x = block * j + l, y = block * i + k;
                    if (x >= picture.width() || y >= picture.height())
                        continue;
                    const QRgb c = picture.pixel(x, y);
                    red += qRed(c), green += qGreen(c), blue += qBlue(c), n += 1;
                }
            }
            if (n == 0)
                continue;
            const int r = int(std::nearbyint(red / n)), g = int(std::nearbyint(green / n)),
                      b = int(std::nearbyint(blue / n));
            const int v = int(std::lround((r + g + b) / 3.0));
            cells[qsizetype(i) * columns + j] = {MakeColor(r, g, b), v < 128 ? kWhite : kBlack, true};
        }
    }
    return cells;
}

QImage Noise(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(random.bounded(256), random.bounded(256), random.bounded(256)));
    return picture;
}

} // namespace

class TestImageToGrid : public QObject {
    Q_OBJECT

private slots:
    void blockCountMatchesTheDoubleRule()
    {
        // Exhaustive over the range where the integer form is claimed to equal floor(W/B + 0.9).
        qint64 mismatches = 0;
        for (int block = 1; block <= 999; ++block)
            for (int width = 0; width <= 20000; ++width)
                if (BlockCount(width, block) != qint64(std::floor(double(width) / block + 0.9)))
                    ++mismatches;
        QCOMPARE(mismatches, 0);
    }

    void divideHalfToEvenMatchesNearbyint()
    {
        for (quint64 count = 1; count <= 300; ++count)
            for (quint64 sum = 0; sum <= 255 * count; ++sum)
                QCOMPARE(DivideHalfToEven(sum, count), quint64(std::nearbyint(double(sum) / double(count))));
    }

    void gridSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("16x16 by 8") << 16 << 16 << "8" << 2 << 2;
        QTest::newRow("17 by 8") << 17 << 8 << "8" << 3 << 1;
        QTest::newRow("81 by 10, remainder a tenth") << 81 << 10 << "10" << 9 << 1;
        QTest::newRow("96 by 8") << 96 << 8 << "8" << 12 << 1;
        QTest::newRow("97 by 8") << 97 << 8 << "8" << 13 << 1;
        QTest::newRow("100 by 8") << 100 << 8 << "8" << 13 << 1;
        QTest::newRow("801 by 100") << 801 << 100 << "100" << 8 << 1;
        QTest::newRow("height rule too") << 100 << 801 << "100" << 1 << 8;
        QTest::newRow("width under a tenth") << 9 << 200 << "100" << 0 << 2;
        QTest::newRow("empty text is 1") << 5 << 3 << "" << 5 << 3;
        QTest::newRow("abc is 1") << 5 << 3 << "abc" << 5 << 3;
        QTest::newRow("0 is 1") << 5 << 3 << "0" << 5 << 3;
        QTest::newRow("-5 is 1") << 5 << 3 << "-5" << 5 << 3;
        QTest::newRow("2.5 is 2") << 24 << 24 << "2.5" << 12 << 12;
        QTest::newRow("3.5 is 4") << 24 << 24 << "3.5" << 6 << 6;
        QTest::newRow("7.6 is 8") << 24 << 24 << "7.6" << 3 << 3;
        QTest::newRow("12px is 12") << 24 << 24 << "12px" << 2 << 2;
        QTest::newRow("block larger than picture") << 24 << 24 << "999" << 0 << 0;
    }
    void gridSize()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, blockSize);
        QFETCH(int, columns);
        QFETCH(int, rows);
        GridSheet sheet;
        Captions(Filled(width, height, qRgb(10, 20, 30)), blockSize, sheet);
        QCOMPARE(sheet.ColumnCount(), columns);
        QCOMPARE(sheet.RowCount(), rows);
        for (int row = 1; row <= rows; ++row)
            for (int column = 1; column <= columns; ++column)
                QCOMPARE(sheet.BackColorAt(column, row), MakeColor(10, 20, 30));
    }

    // The fast conversion against the pixel-by-pixel statement, on noise so that every
    // pixel of every block (and every skipped edge strip) matters.
    void matchesPixelByPixelReference_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("block");
        const int sizes[][3] = {{16, 16, 8}, {17, 17, 8}, {81, 19, 10}, {100, 97, 8}, {801, 3, 100},
                                {1, 1, 1},   {7, 5, 1},   {33, 41, 3},  {40, 40, 7},  {25, 9, 4}};
        for (const auto &s : sizes)
            QTest::addRow("%dx%d by %d", s[0], s[1], s[2]) << s[0] << s[1] << s[2];
    }
    void matchesPixelByPixelReference()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, block);
        const QImage picture = Noise(width, height, quint32(width * 1000 + height));
        GridSheet sheet;
        Captions(picture, QString::number(block), sheet);
        const int columns = sheet.ColumnCount(), rows = sheet.RowCount();
        QCOMPARE(columns, int(std::floor(double(width) / block + 0.9)));
        const QList<ReferenceCell> expected = ReferenceGrid(picture, block, columns, rows);
        for (int row = 1; row <= rows; ++row) {
            for (int column = 1; column <= columns; ++column) {
                const ReferenceCell &cell = expected[qsizetype(row - 1) * columns + column - 1];
                QVERIFY(cell.painted);
                QCOMPARE(sheet.BackColorAt(column, row), cell.back);
                QCOMPARE(sheet.ForeColorAt(column, row), cell.fore);
            }
        }
    }

    void edgeStripsAreLeftOut()
    {
        // 801 by 100: the last pixel column belongs to no cell; 17 by 8: the third column
        // averages the one pixel column it holds.
        QImage wide = Filled(801, 100, qRgb(0, 0, 0));
        for (int y = 0; y < 100; ++y)
            wide.setPixel(800, y, qRgb(255, 255, 255));
        GridSheet sheet;
        Captions(wide, QStringLiteral("100"), sheet);
        QCOMPARE(sheet.BackColorAt(8, 1), kBlack);

        QImage narrow = Filled(17, 8, qRgb(0, 0, 0));
        for (int y = 0; y < 8; ++y)
            narrow.setPixel(16, y, qRgb(y * 2, 100, 255)); // mean red 7: 56 over 8 pixels
        Captions(narrow, QStringLiteral("8"), sheet);
        QCOMPARE(sheet.BackColorAt(3, 1), MakeColor(7, 100, 255));
    }

    void meansRoundHalfToEven_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("mean");
        QTest::newRow("255 and 0 give 128") << 255 << 0 << 128;
        QTest::newRow("253 and 0 give 126") << 253 << 0 << 126;
        QTest::newRow("1 and 0 give 0") << 1 << 0 << 0;
        QTest::newRow("3 and 0 give 2") << 3 << 0 << 2;
        QTest::newRow("254 and 255 give 254") << 254 << 255 << 254;
    }
    void meansRoundHalfToEven()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, mean);
        // An 8 x 8 block, half of it one red and half the other.
        QImage picture = Filled(8, 8, qRgb(first, 0, 0));
        for (int y = 4; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                picture.setPixel(x, y, qRgb(second, 0, 0));
        GridSheet sheet;
        Captions(picture, QStringLiteral("8"), sheet);
        QCOMPARE(GetRed(sheet.BackColorAt(1, 1)), mean);
    }

    void textColourThreshold_data()
    {
        QTest::addColumn<QRgb>("pixel");
        QTest::addColumn<Color>("back");
        QTest::addColumn<Color>("fore");
        QTest::newRow("sum 382 gets white") << qRgb(127, 128, 127) << MakeColor(127, 128, 127) << kWhite;
        QTest::newRow("sum 383 gets black") << qRgb(128, 128, 127) << MakeColor(128, 128, 127) << kBlack;
        QTest::newRow("white") << qRgb(255, 255, 255) << Color(0xFFFFFF) << kBlack;
        QTest::newRow("black") << qRgb(0, 0, 0) << Color(0) << kWhite;
        QTest::newRow("pure blue is dark") << qRgb(0, 0, 255) << Color(0xFF0000) << kWhite;
    }
    void textColourThreshold()
    {
        QFETCH(QRgb, pixel);
        QFETCH(Color, back);
        QFETCH(Color, fore);
        GridSheet sheet;
        sheet.SetCellColors(1, 1, 0x123456, 0x654321);
        Captions(Filled(4, 4, pixel), QStringLiteral("4"), sheet);
        QCOMPARE(sheet.BackColorAt(1, 1), back);
        QCOMPARE(sheet.ForeColorAt(1, 1), fore);
    }

    void textsStayAndColoursChange()
    {
        auto sheet = BuildSheet({{{QStringLiteral("あ")}, {QStringLiteral("ab")}}, {{QStringLiteral("長いテキスト")}, {}}});
        Captions(Filled(30, 30, qRgb(0, 0, 0)), QStringLiteral("10"), *sheet);
        QCOMPARE(sheet->ColumnCount(), 3);
        QCOMPARE(sheet->GetCellText(1, 1), QStringLiteral("あ"));
        QCOMPARE(sheet->GetCellText(2, 1), QStringLiteral("ab"));
        QCOMPARE(sheet->GetCellText(1, 2), QStringLiteral("長いテキスト"));
        QCOMPARE(sheet->BackColorAt(1, 1), kBlack);
        QCOMPARE(sheet->ForeColorAt(2, 1), kWhite);
    }

    void captionsCountRowsThenRestore()
    {
        GridSheet sheet;
        const QStringList captions = Captions(Filled(16, 24, qRgb(1, 2, 3)), QStringLiteral("8"), sheet);
        QCOMPARE(captions, (QStringList{QStringLiteral("To Grid (0/3)"), QStringLiteral("To Grid (1/3)"),
                                        QStringLiteral("To Grid (2/3)"), QStringLiteral("To Grid")}));
    }

    void oneChangeAnnouncementPerRun()
    {
        GridSheet sheet;
        QSignalSpy changes(&sheet, &GridSheet::cellsChanged);
        Captions(Noise(40, 30, 7), QStringLiteral("2"), sheet);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first(), (QVariantList{1, 1, 20, 15}));
    }

    void nothingLoadedOnlyRestoresTheCaption()
    {
        auto sheet = BuildSheet({{{QStringLiteral("x"), 0x112233, kWhite}}});
        QCOMPARE(Captions(QImage(), QStringLiteral("8"), *sheet), QStringList{QStringLiteral("To Grid")});
        QCOMPARE(sheet->ColumnCount(), 1);
        QCOMPARE(sheet->BackColorAt(1, 1), 0x112233);
    }

    void refusedPlansChangeNothing_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::newRow("9e9") << QSize(16, 16) << "9e9";
        QTest::newRow("-9e9") << QSize(16, 16) << "-9e9";
        QTest::newRow("1e99") << QSize(16, 16) << "1e99";
    }
    void refusedPlansChangeNothing()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QVERIFY(!PlanGrid(size, blockSize).Ok());
        auto sheet = BuildSheet({{{QStringLiteral("x"), 0x112233, kWhite}}});
        QCOMPARE(Captions(Filled(size.width(), size.height(), 0), blockSize, *sheet),
                 QStringList{QStringLiteral("To Grid")});
        QCOMPARE(sheet->ColumnCount(), 1);
        QCOMPARE(sheet->BackColorAt(1, 1), 0x112233);
    }

    void gridsBeyondTheSheetAreRefused_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<bool>("ok");
        QTest::newRow("6000x4000 by 1 fits") << QSize(6000, 4000) << "1" << true;
        QTest::newRow("8000x7000 by 1") << QSize(8000, 7000) << "1" << false;
        QTest::newRow("8000x7000 by 2 fits") << QSize(8000, 7000) << "2" << true;
        QTest::newRow("exactly the limit") << QSize(50000, 1000) << "1" << true;
        QTest::newRow("one row over") << QSize(50000, 1001) << "1" << false;
    }
    void gridsBeyondTheSheetAreRefused()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFETCH(bool, ok);
        const GridPlan plan = PlanGrid(size, blockSize);
        QCOMPARE(plan.Ok(), ok);
        if (!ok)
            QVERIFY(plan.error.contains(QStringLiteral("50,000,000")));
    }

    void resizeDoesNotPassTheLimitOnTheWay()
    {
        // Going from 1 x 50,000 to 2,000 x 1 must not pass through 2,000 x 50,000.
        GridSheet sheet(1, 50'000);
        Captions(Filled(2000, 1, qRgb(9, 9, 9)), QStringLiteral("1"), sheet);
        QCOMPARE(sheet.ColumnCount(), 2000);
        QCOMPARE(sheet.RowCount(), 1);
        QCOMPARE(sheet.BackColorAt(2000, 1), MakeColor(9, 9, 9));
    }

    void transparencyCountsAsWhite()
    {
        QImage picture(8, 8, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 4; ++x)
                picture.setPixel(x, y, qRgba(0, 0, 0, 255));
        const QImage opaque = ToOpaqueRgb32(picture);
        QCOMPARE(opaque.format(), QImage::Format_RGB32);
        QCOMPARE(opaque.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(opaque.pixel(7, 7), qRgb(255, 255, 255));
        GridSheet sheet;
        Captions(picture, QStringLiteral("8"), sheet);
        QCOMPARE(sheet.BackColorAt(1, 1), MakeColor(128, 128, 128)); // 127.5 to even
    }

    // Pictures saved in each format the window offers and read back through LoadPicture.
    void fileFormats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("bmp") << "blocks.bmp" << QByteArray("BMP") << 0;
        QTest::newRow("gif") << "blocks.gif" << QByteArray("GIF") << 0;
        QTest::newRow("jpeg") << "blocks.jpg" << QByteArray("JPEG") << 12;
        QTest::newRow("jpeg under another name") << "blocks.bmp" << QByteArray("JPEG") << 12;
    }
    void fileFormats()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(int, tolerance);
        // 4 x 3 blocks of 32 pixels, each one flat colour; JPEG subsamples colour, which moves
        // saturated blocks by a few steps at their edges.
        const QList<QRgb> colours = {qRgb(255, 0, 0),   qRgb(0, 255, 0),     qRgb(0, 0, 255),    qRgb(255, 255, 255),
                                     qRgb(0, 0, 0),     qRgb(128, 128, 128), qRgb(200, 100, 50), qRgb(10, 220, 130),
                                     qRgb(250, 240, 0), qRgb(0, 64, 192),    qRgb(90, 30, 160),  qRgb(160, 200, 240)};
        QImage picture(128, 96, QImage::Format_Indexed8);
        picture.setColorTable(colours);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x)
                picture.setPixel(x, y, uint((y / 32) * 4 + x / 32));
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (format == "GIF")
            QVERIFY(SaveTestGif(picture, path));
        else
            QVERIFY(picture.convertToFormat(QImage::Format_RGB32).save(path, format.constData(), 100));

        QString error;
        const QImage loaded = LoadPicture(path, &error);
        QVERIFY2(!loaded.isNull(), qPrintable(error));
        QCOMPARE(loaded.size(), QSize(128, 96));
        QCOMPARE(loaded.format(), QImage::Format_RGB32);

        GridSheet sheet;
        Captions(loaded, QStringLiteral("32"), sheet);
        QCOMPARE(sheet.ColumnCount(), 4);
        QCOMPARE(sheet.RowCount(), 3);
        for (int row = 1; row <= 3; ++row) {
            for (int column = 1; column <= 4; ++column) {
                const QRgb want = colours[(row - 1) * 4 + column - 1];
                const Color got = sheet.BackColorAt(column, row);
                const int worst = std::max({std::abs(GetRed(got) - qRed(want)), std::abs(GetGreen(got) - qGreen(want)),
                                            std::abs(GetBlue(got) - qBlue(want))});
                QVERIFY2(worst <= tolerance,
                         qPrintable(QStringLiteral("cell %1,%2 off by %3").arg(column).arg(row).arg(worst)));
            }
        }
    }

    void gifTransparencyReadsAsWhite()
    {
        QImage picture(8, 8, QImage::Format_Indexed8);
        picture.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 255)});
        picture.fill(0);
        for (int x = 0; x < 8; ++x)
            picture.setPixel(x, 0, 1);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("clear.gif"));
        QVERIFY(SaveTestGif(picture, path));
        QString error;
        const QImage loaded = LoadPicture(path, &error);
        QVERIFY2(!loaded.isNull(), qPrintable(error));
        QCOMPARE(loaded.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(loaded.pixel(3, 5), qRgb(255, 255, 255));
        GridSheet sheet;
        Captions(loaded, QStringLiteral("8"), sheet);
        // One blue row over seven white ones: red and green 7 * 255 / 8 = 223.125.
        QCOMPARE(sheet.BackColorAt(1, 1), MakeColor(223, 223, 255));
    }

    void unreadableFilesAreReported_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("not a picture at all\r\n");
        QTest::newRow("jpeg marker then junk") << QByteArray("\xFF\xD8\xFF\xE0junkjunkjunk", 16);
        // A bitmap header claiming 100000 x 100000 pixels, 24 bits: refused before decoding.
        QByteArray huge("BM", 2);
        auto le32 = [](QByteArray &b, quint32 v) {
            for (int i = 0; i < 4; ++i)
                b.append(char((v >> (8 * i)) & 0xFF));
        };
        le32(huge, 54 + 16), le32(huge, 0), le32(huge, 54);
        le32(huge, 40), le32(huge, 100000), le32(huge, 100000);
        huge.append("\x01\x00\x18\x00", 4);
        le32(huge, 0), le32(huge, 16), le32(huge, 2835), le32(huge, 2835), le32(huge, 0), le32(huge, 0);
        huge.append(16, '\0');
        QTest::newRow("huge bitmap header") << huge;
    }
    void unreadableFilesAreReported()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = WriteTestFile(dir.path(), QStringLiteral("broken.jpg"), bytes);
        QString error;
        QVERIFY(LoadPicture(path, &error).isNull());
        QVERIFY(!error.isEmpty());
        QVERIFY(LoadPicture(dir.filePath(QStringLiteral("missing.bmp")), &error).isNull());
    }
};

QTEST_GUILESS_MAIN(TestImageToGrid)
#include "tst_imagetogrid.moc"
