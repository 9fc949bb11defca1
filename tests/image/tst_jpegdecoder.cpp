// libjpeg-turbo's decoding against Qt's: the editor's imported pictures and the sheets painted
// straight from a JPEG file, for every kind of JPEG.
#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/JpegDecoder.h"
#include "image/PictureFile.h"
#include "image/TestJpeg.h"
#include "support/logic/SheetBuilder.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestJpegDecoder : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // The file of the row's kind and size; "truncated" is a 4:2:0 file cut short.
    QString jpegFile(const QString &kind, QSize size)
    {
        QByteArray bytes = jpeg(photoLike(size.width(), size.height()), kind == u"truncated"_s ? u"420"_s : kind);
        if (kind == u"truncated"_s)
            bytes.truncate(4000);
        return writeTestFile(dir_.path(), QString(kind).replace(u' ', u'-') + u".jpg"_s, bytes);
    }

private slots:
    // Each kind decodes to Qt's picture, and painted straight from the file at a block size
    // whose rows cut MCUs, to the sheet that To Grid makes of Qt's picture. The kinds Qt
    // decides are declined for both, so a JPEG cut short keeps its picture as Qt makes it.
    void decodedAsQtDecodes_data()
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
        QTest::newRow("CMYK") << u"cmyk"_s << QSize(120, 90) << PictureDecoder::Qt;
        QTest::newRow("grey with a colour profile") << u"grey profile"_s << QSize(120, 90) << PictureDecoder::Qt;
        QTest::newRow("truncated") << u"truncated"_s << QSize(301, 203) << PictureDecoder::Qt;
    }

    void decodedAsQtDecodes()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        QFETCH(PictureDecoder, decoder);
        const QString path = jpegFile(kind, size);

        PictureError error;
        PictureDecoder decodedBy = PictureDecoder::Qt;
        const QImage loaded = loadPicture(path, &error, FileKinds::RegularOnly, &decodedBy);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QImage wanted = loadPictureWithQt(file);
        QCOMPARE(error.kind, PictureError::None);
        QCOMPARE(decodedBy, decoder);
        QCOMPARE(loaded, wanted);

        const JpegDecoder straight(readTestFile(path));
        auto sheet = buildSheet({{{u"詩"_s, 0x123456, 0x654321}}});
        const JpegConversion painted = straight.paintSheet(planGrid(size, u"7"), *sheet, {});
        if (decoder == PictureDecoder::Qt) {
            QVERIFY(straight.decode().isNull());
            QCOMPARE(painted, JpegConversion::Declined);
            return;
        }
        QCOMPARE(painted, JpegConversion::Done);
        GridSheet toGrid;
        QCOMPARE(imageToGrid(wanted, u"7"_s, toGrid, {}).outcome, ToGridOutcome::Done);
        toGrid.setCellText(1, 1, u"詩"_s);
        QVERIFY(sheetBytes(*sheet) == sheetBytes(toGrid));
    }
};

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
