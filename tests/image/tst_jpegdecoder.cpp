// libjpeg-turbo's decoding against Qt's: the editor's imported pictures and the sheets painted
// straight from a JPEG file, for every kind of JPEG; the kinds Qt decides go Qt's way.
#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/JpegDecoder.h"
#include "image/PictureFile.h"
#include "image/TestJpeg.h"
#include "support/logic/SheetBuilder.h"

#include <QImageReader>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Where two pictures first differ, in words; empty when they are the same pixel for pixel.
QString firstDifference(const QImage &got, const QImage &want)
{
    if (got.size() != want.size() || got.format() != want.format())
        return u"another size or format"_s;
    for (int y = 0; y < got.height(); ++y) {
        const auto *gotLine = reinterpret_cast<const QRgb *>(got.constScanLine(y));
        const auto *wantLine = reinterpret_cast<const QRgb *>(want.constScanLine(y));
        for (int x = 0; x < got.width(); ++x) {
            if (gotLine[x] != wantLine[x])
                return u"%1,%2: %3 for %4"_s.arg(x).arg(y).arg(gotLine[x], 8, 16).arg(wantLine[x], 8, 16);
        }
    }
    return {};
}

// Qt's reader alone, as the editor decoded every picture before.
QImage decodedByQt(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return toOpaqueRgb32(reader.read());
}

} // namespace

class TestJpegDecoder : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // The file of the row's kind and size, written once.
    QString jpegFile(const QString &kind, QSize size)
    {
        const QString name
            = u"%1-%2x%3.jpg"_s.arg(QString(kind).replace(u' ', u'-')).arg(size.width()).arg(size.height());
        const QString path = dir_.filePath(name);
        if (QFile::exists(path))
            return path;
        if (kind == u"truncated"_s)
            return writeTestFile(dir_.path(), name, jpeg(photoLike(size.width(), size.height()), u"420"_s).first(4000));
        return writeTestFile(dir_.path(), name, jpeg(photoLike(size.width(), size.height()), kind));
    }

    static void addKinds()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<PictureDecoder>("decoder");

        // Odd sizes leave partial blocks and MCUs, and the threads meet mid-MCU.
        QTest::newRow("4:2:0") << u"420"_s << QSize(301, 203) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("4:2:2") << u"422"_s << QSize(250, 181) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("4:4:4") << u"444"_s << QSize(257, 199) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("grey") << u"grey"_s << QSize(255, 190) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("progressive") << u"progressive"_s << QSize(240, 210) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("restart markers") << u"restarts"_s << QSize(222, 180) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("31 lines, one thread") << u"420"_s << QSize(40, 31) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("colour profile and resolution")
            << u"profile"_s << QSize(120, 90) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("turned by Exif") << u"exif"_s << QSize(120, 90) << PictureDecoder::LibjpegTurbo;
        QTest::newRow("CMYK") << u"cmyk"_s << QSize(120, 90) << PictureDecoder::Qt;
        QTest::newRow("grey with a colour profile") << u"grey profile"_s << QSize(120, 90) << PictureDecoder::Qt;
        QTest::newRow("truncated") << u"truncated"_s << QSize(301, 203) << PictureDecoder::Qt;
    }

private slots:
    // The kinds Qt decides are declined by the decoder, for pictures and sheets alike: a JPEG
    // cut short keeps its picture as Qt makes it.
    void importedPictureIsQtsPicture_data() { addKinds(); }

    void importedPictureIsQtsPicture()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        QFETCH(PictureDecoder, decoder);
        const QString path = jpegFile(kind, size);

        PictureError error;
        PictureDecoder decodedBy = PictureDecoder::Qt;
        const QImage loaded = loadPicture(path, &error, FileKinds::RegularOnly, &decodedBy);
        const QImage wanted = decodedByQt(path);
        QCOMPARE(error.kind, PictureError::None);
        QCOMPARE(decodedBy, decoder);
        QCOMPARE(firstDifference(loaded, wanted), QString());
        QCOMPARE(loaded.colorSpace(), wanted.colorSpace());
        QCOMPARE(loaded.dotsPerMeterX(), wanted.dotsPerMeterX());
        QCOMPARE(loaded.dotsPerMeterY(), wanted.dotsPerMeterY());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const JpegDecoder straight(file.readAll());
        const bool declined = decoder == PictureDecoder::Qt;
        QCOMPARE(straight.decode().isNull(), declined);
        GridSheet sheet;
        const JpegConversion painted = straight.paintSheet(planGrid(size, u"8"), sheet, {});
        QCOMPARE(painted, declined ? JpegConversion::Declined : JpegConversion::Done);
    }

    // Painted straight from the file, the sheet is what To Grid makes of Qt's picture, and the
    // progress counts up to every row, on this thread. Each kind of JPEG decodes its lines as
    // for the imported picture: these rows are the ways the shares of block rows fall.
    void paintedSheetIsToGridsSheet_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("blockSize");

        // 4:2:0 pictures. Block 7 has the threads meet mid-MCU; 64 is a whole number of MCUs.
        QTest::newRow("block 7") << QSize(301, 203) << u"7"_s;
        QTest::newRow("block 64") << QSize(301, 203) << u"64"_s;
        QTest::newRow("one pixel") << QSize(1, 1) << u"8"_s;
        QTest::newRow("one block row") << QSize(301, 203) << u"300"_s;
    }

    void paintedSheetIsToGridsSheet()
    {
        QFETCH(QSize, size);
        QFETCH(QString, blockSize);
        QFile file(jpegFile(u"420"_s, size));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const JpegDecoder decoder(file.readAll());
        QVERIFY(decoder.canDecode());
        QCOMPARE(decoder.size(), size);

        GridSheet wanted;
        QCOMPARE(imageToGrid(decodedByQt(file.fileName()), blockSize, wanted, {}).outcome, ToGridOutcome::Done);
        auto sheet = buildSheet({{{u"詩"_s, 0x123456, 0x654321}}});
        QList<qint64> done;
        qint64 total = 0;
        const Qt::HANDLE thread = QThread::currentThreadId();
        bool elsewhere = false;
        const JpegConversion painted
            = decoder.paintSheet(planGrid(size, blockSize), *sheet, [&](qint64 rowsDone, qint64 rows) {
                  done << rowsDone;
                  total = rows;
                  elsewhere = elsewhere || QThread::currentThreadId() != thread;
              });
        QCOMPARE(painted, JpegConversion::Done);
        wanted.setCellText(1, 1, u"詩"_s);
        QVERIFY(sheetBytes(*sheet) == sheetBytes(wanted));
        QCOMPARE(total, qint64(wanted.rowCount()));
        QVERIFY(std::is_sorted(done.begin(), done.end()));
        QVERIFY(done.first() >= 1);
        QCOMPARE(done.last(), total);
        QVERIFY(!elsewhere);
    }
};

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
