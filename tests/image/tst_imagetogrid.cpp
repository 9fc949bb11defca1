// The picture-to-grid conversion: sizes, means, text colours, captions, refusals, BMP, GIF and JPEG files.
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "image/TestGif.h"
#include "support/logic/AddressSpaceLimit.h"
#include "support/logic/SheetBuilder.h"

#include <QtTest>

#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

static QStringList convert(const QImage& picture, const QString& blockSize, GridSheet& sheet)
{
    QStringList captions;
    imageToGrid(picture, blockSize, sheet, [&](const QString& caption) { captions << caption; });
    return captions;
}

// A pipe holding bytes with its write end closed, named by a path as /dev/stdin names one.
class FilledPipe {
public:
    explicit FilledPipe(const QByteArray& bytes)
    {
        if (::pipe(fds_) != 0)
            return;
        ok_ = ::write(fds_[1], bytes.constData(), size_t(bytes.size())) == bytes.size(); // within the pipe's buffer
        ::close(fds_[1]);
    }
    ~FilledPipe() { ::close(fds_[0]); }
    bool ok() const { return ok_; }
    QString pathOf() const { return QStringLiteral("/proc/self/fd/%1").arg(fds_[0]); }

private:
    int fds_[2] = { -1, -1 };
    bool ok_ = false;
};

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
    void gridMatchesThePixelByPixelRule()
    {
        const struct {
            int width, height;
            QString text;
            int block, columns, rows;
        } cases[] = { { 16, 16, "8", 8, 2, 2 }, { 17, 17, "8", 8, 3, 3 }, { 81, 19, "10", 10, 9, 2 },
            { 96, 8, "8", 8, 12, 1 }, { 97, 8, "8", 8, 13, 1 }, { 100, 8, "8", 8, 13, 1 },
            { 801, 801, "100", 100, 8, 8 }, { 5, 3, "", 1, 5, 3 }, { 9, 200, "100", 100, 0, 2 },
            { 5, 3, "abc", 1, 5, 3 }, { 5, 3, "0", 1, 5, 3 }, { 5, 3, "-5", 1, 5, 3 }, { 24, 24, "2.5", 2, 12, 12 },
            { 24, 24, "3.5", 4, 6, 6 }, { 24, 24, "7.6", 8, 3, 3 }, { 24, 24, "12px", 12, 2, 2 },
            { 40, 300, "290", 290, 1, 1 }, { 2000, 1, "1", 1, 2000, 1 } }; // the 290 block sums in several passes
        for (const auto& c : cases) {
            QImage picture(c.width, c.height, QImage::Format_RGB32);
            QRandomGenerator random(quint32(c.width * 1000 + c.height));
            QList<QList<double>> sums(c.columns * c.rows, QList<double>(4)); // red, green, blue, pixels
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const QRgb pixel = random.generate() | 0xFF000000u;
                    picture.setPixel(x, y, pixel);
                    if (x < c.block * c.columns && y < c.block * c.rows) {
                        QList<double>& sum = sums[y / c.block * c.columns + x / c.block];
                        sum[0] += qRed(pixel), sum[1] += qGreen(pixel), sum[2] += qBlue(pixel), sum[3] += 1;
                    }
                }
            GridSheet sheet(1, 50'000);
            const QStringList captions = convert(picture, c.text, sheet);
            const QString name = QStringLiteral("%1x%2 by '%3'").arg(c.width).arg(c.height).arg(c.text);
            QVERIFY2(sheet.columnCount() == c.columns && sheet.rowCount() == c.rows, qPrintable(name));
            if (c.rows == 3)
                QCOMPARE(captions, (QStringList { "To Grid (0/3)", "To Grid (1/3)", "To Grid (2/3)", "To Grid" }));
            for (int cell = 0; cell < c.columns * c.rows; ++cell) {
                const int col = cell % c.columns + 1, row = cell / c.columns + 1;
                const auto mean = [&](int part) { return int(std::nearbyint(sums[cell][part] / sums[cell][3])); };
                QVERIFY2(sheet.backColorAt(col, row) == makeColor(mean(0), mean(1), mean(2))
                        && sheet.foreColorAt(col, row) == (mean(0) + mean(1) + mean(2) <= 382 ? kWhite : kBlack),
                    qPrintable(name + QStringLiteral(", cell %1,%2").arg(col).arg(row)));
            }
        }
    }

    // 32 pixels of each of two colours: the text colour's threshold, a transparent pixel counting as white.
    void blockColoursChooseTheTextColourAndKeepTexts()
    {
        const struct {
            QRgb top, bottom;
            Color back, fore;
        } cases[] = { { qRgb(127, 128, 127), qRgb(127, 128, 127), makeColor(127, 128, 127), kWhite }, // sum 382
            { qRgb(128, 128, 127), qRgb(128, 128, 127), makeColor(128, 128, 127), kBlack }, // sum 383
            { qRgba(0, 0, 0, 0), qRgb(0, 0, 255), makeColor(128, 128, 255), kBlack } };
        for (const auto& c : cases) {
            QImage picture(8, 8, QImage::Format_ARGB32);
            for (int y = 0; y < 8; ++y)
                std::fill_n(reinterpret_cast<QRgb*>(picture.scanLine(y)), 8, y < 4 ? c.top : c.bottom);
            auto sheet = buildSheet({ { { QStringLiteral("詩"), 0x123456, 0x654321 } } });
            convert(picture, QStringLiteral("8"), *sheet);
            QVERIFY2(sheet->backColorAt(1, 1) == c.back && sheet->foreColorAt(1, 1) == c.fore
                    && sheet->getCellText(1, 1) == "詩",
                qPrintable(QString::number(c.back, 16)));
        }
    }

    // Refused block sizes, grids beyond the sheet's limit and a missing picture leave the sheet alone.
    void refusalsChangeNothing()
    {
        const struct {
            QSize size;
            QString blockSize, error;
        } cases[] = { { { 50000, 1000 }, "1", "" }, { { 50000, 1001 }, "1", "50,000,000" },
            { { 16, 16 }, "9e9", "9e9" }, { {}, "8", "" } };
        for (const auto& c : cases) {
            const QString name = c.blockSize + QStringLiteral(" by %1 rows: ").arg(c.size.height());
            const GridPlan plan = planGrid(c.size, c.blockSize);
            QVERIFY2(plan.ok() == c.error.isEmpty() && plan.error.contains(c.error), qPrintable(name + plan.error));
            if (plan.ok() && c.size.isValid())
                continue; // too big to convert here
            auto sheet = buildSheet({ { { QStringLiteral("x"), 0x112233, kWhite } } });
            QVERIFY2(convert(QImage(c.size, QImage::Format_Mono), c.blockSize, *sheet) == QStringList { "To Grid" }
                    && sheet->columnCount() == 1 && sheet->rowCount() == 1 && sheet->backColorAt(1, 1) == 0x112233,
                qPrintable(name));
        }
    }

    // The result says why the sheet was left alone, in words the window can show.
    void resultSaysWhyTheSheetStayed_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");
        QTest::addColumn<bool>("memoryShort");
        QTest::addColumn<ToGridOutcome>("outcome");
        QTest::addColumn<QString>("error"); // a part of it; empty: none

        QTest::newRow("done") << QSize(16, 16) << u"8"_s << false << ToGridOutcome::Done << QString();
        QTest::newRow("no picture") << QSize() << u"8"_s << false << ToGridOutcome::NoPicture << QString();
        QTest::newRow("block size beyond 32 bits")
            << QSize(16, 16) << u"9e9"_s << false << ToGridOutcome::Refused << u"9e9"_s;
        QTest::newRow("more cells than a sheet holds")
            << QSize(50'000, 1'001) << u"1"_s << false << ToGridOutcome::Refused << u"50,050,000"_s;
        QTest::newRow("grid beyond memory")
            << QSize(2'000, 2'000) << u"1"_s << true << ToGridOutcome::OutOfMemory << u"2,000 × 2,000"_s;
    }

    void resultSaysWhyTheSheetStayed()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFETCH(bool, memoryShort);
        QFETCH(ToGridOutcome, outcome);
        QFETCH(QString, error);
        if (memoryShort && !AddressSpaceLimit::works())
            QSKIP("no address space limit under AddressSanitizer");

        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(10, 20, 30));
        auto sheet = buildSheet({ { { u"x"_s, 0x112233, kWhite } } });
        QStringList captions;
        ToGridResult result;
        {
            std::optional<AddressSpaceLimit> limit;
            if (memoryShort)
                limit.emplace(8 * 1024 * 1024); // the 64 MB of cells cannot be had
            result = imageToGrid(picture, blockSize, *sheet, [&](const QString& caption) { captions << caption; });
        }
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.failed(), !error.isEmpty());
        QVERIFY2(result.error.contains(error) && result.error.isEmpty() == error.isEmpty(), qPrintable(result.error));
        QCOMPARE(captions.last(), u"To Grid"_s);
        if (outcome != ToGridOutcome::Done) {
            QCOMPARE(QSize(sheet->columnCount(), sheet->rowCount()), QSize(1, 1));
            QCOMPARE(sheet->backColorAt(1, 1), Color(0x112233));
        }
    }

    // The editor takes regular files only; the batch also reads pipes, and endless input
    // that is no picture is refused from its first bytes.
    void picturesFromFilesAndPipes_data()
    {
        QTest::addColumn<QString>("source"); // "file", "pipe", "fifo" (without a writer) or a device's path
        QTest::addColumn<FileKinds>("kinds");
        QTest::addColumn<QString>("error"); // a part of it; empty: the picture loads

        QTest::newRow("file") << u"file"_s << FileKinds::RegularOnly << QString();
        QTest::newRow("file, any readable") << u"file"_s << FileKinds::AnyReadable << QString();
        QTest::newRow("pipe, any readable") << u"pipe"_s << FileKinds::AnyReadable << QString();
        QTest::newRow("pipe, regular only") << u"pipe"_s << FileKinds::RegularOnly << u"FIFO"_s;
        QTest::newRow("fifo, regular only") << u"fifo"_s << FileKinds::RegularOnly << u"FIFO"_s;
        QTest::newRow("endless zeros") << u"/dev/zero"_s << FileKinds::AnyReadable << u"形式"_s;
        QTest::newRow("device, regular only") << u"/dev/zero"_s << FileKinds::RegularOnly << u"デバイス"_s;
    }

    void picturesFromFilesAndPipes()
    {
        QFETCH(QString, source);
        QFETCH(FileKinds, kinds);
        QFETCH(QString, error);
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(0, 128, 255));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));

        QTemporaryDir dir;
        QString path = source;
        const FilledPipe pipe(png);
        QVERIFY(pipe.ok());
        if (source == u"file"_s) {
            path = writeTestFile(dir.path(), u"picture.png"_s, png);
        } else if (source == u"pipe"_s) {
            path = pipe.pathOf();
        } else if (source == u"fifo"_s) {
            path = dir.filePath(source);
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        QString reason;
        const QImage loaded = loadPicture(path, &reason, kinds);
        QCOMPARE(loaded.isNull(), !error.isEmpty());
        QVERIFY2(reason.contains(error), qPrintable(reason));
        if (!loaded.isNull())
            QCOMPARE(loaded.pixel(39, 29), qRgb(0, 128, 255));
    }

    void picturesComeBackFromTheirFiles()
    {
        // 2 x 2 flat blocks of 32 pixels, in colours whose channels differ, so a swap shows.
        const QList<QRgb> colours = { qRgb(200, 100, 50), qRgb(10, 220, 130), qRgb(0, 0, 0), qRgb(128, 128, 128) };
        QImage picture(64, 64, QImage::Format_Indexed8);
        picture.setColorTable(colours);
        for (int i = 0; i < 64 * 64; ++i)
            picture.setPixel(i % 64, i / 64, uint(i / (64 * 32) * 2 + i % 64 / 32));
        // JPEG subsamples colour, which moves saturated blocks by a few steps at their edges.
        const struct {
            const char *name, *format;
            int tolerance;
        } cases[] = { { "blocks.bmp", "BMP", 0 }, { "blocks.gif", "GIF", 0 }, { "blocks.jpg", "JPEG", 12 },
            { "jpeg.bmp", "JPEG", 12 } };
        QTemporaryDir dir;
        for (const auto& c : cases) {
            const QString path = dir.filePath(c.name);
            QVERIFY(qstrcmp(c.format, "GIF") ? picture.convertToFormat(QImage::Format_RGB32).save(path, c.format, 100)
                                             : saveTestGif(picture, path));
            GridSheet sheet;
            convert(loadPicture(path), QStringLiteral("32"), sheet);
            QVERIFY2(sheet.columnCount() == 2 && sheet.rowCount() == 2, c.name);
            for (int cell = 0; cell < 4; ++cell) {
                const Color got = sheet.backColorAt(cell % 2 + 1, cell / 2 + 1);
                const QRgb want = colours[cell];
                for (int off : { getRed(got) - qRed(want), getGreen(got) - qGreen(want), getBlue(got) - qBlue(want) })
                    QVERIFY2(std::abs(off) <= c.tolerance, qPrintable(c.name + (" cell " + QString::number(cell))));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestImageToGrid)
#include "tst_imagetogrid.moc"
