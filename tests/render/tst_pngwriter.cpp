// The PNG writer: pixels back exactly from bands written on two threads, and failed writes reported.
#include "render/PngWriter.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

class TestPngWriter : public QObject {
    Q_OBJECT

private slots:
    // Bands on both threads and a third; zlib itself inflates the stream, checking what image
    // readers that stop after the last row never look at: the stream's end and its checksum.
    void readsBackPixelForPixel()
    {
        QImage image(1500, 3000, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, (y / 16 % 2) ? qRgb(x % 256, 40, 200) : random.generate() | 0xFF000000);
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(writePng(buffer, image, nullptr));
        QCOMPARE(QImage::fromData(png, "png").convertToFormat(QImage::Format_RGB32), image);

        const qsizetype rawSize = image.height() * (1 + 3 * qsizetype(image.width()));
        QByteArray stream(4, '\0');
        qToBigEndian(quint32(rawSize), stream.data());
        for (qsizetype at = 8; at + 12 <= png.size();) {
            const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
            if (png.mid(at + 4, 4) == "IDAT")
                stream += png.mid(at + 8, length);
            at += 12 + length;
        }
        QCOMPARE(qUncompress(stream).size(), rawSize);
    }

    void reportsAFailedWrite()
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        QString error;
        QVERIFY(!writePng(readOnly, image, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPngWriter)
#include "tst_pngwriter.moc"
