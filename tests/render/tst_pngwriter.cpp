#include "render/PngWriter.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

namespace {

// The picture's zlib stream inflated by zlib itself, which checks what image readers that
// stop after the last row never look at: the stream's end and its checksum. Empty when bad.
QByteArray inflatedPixels(const QByteArray &png, qsizetype size)
{
    QByteArray stream(4, '\0');
    qToBigEndian(quint32(size), stream.data());
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == "IDAT")
            stream += png.mid(at + 8, length);
        at += 12 + length;
    }
    return qUncompress(stream);
}

} // namespace

class TestPngWriter : public QObject {
    Q_OBJECT

private slots:
    // Any reader gets the pixels back, whether one band or several joined.
    void readsBackPixelForPixel_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("one pixel") << QSize(1, 1);
        QTest::newRow("a few rows") << QSize(7, 5);
        QTest::newRow("bands on both threads and a third") << QSize(1500, 3000);
    }

    void readsBackPixelForPixel()
    {
        QFETCH(QSize, size);
        QImage image(size, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, (y / 16 % 2) ? qRgb(x % 256, 40, 200) : random.generate() | 0xFF000000);
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QString error;
        QVERIFY(writePng(buffer, image, &error));
        QCOMPARE(inflatedPixels(png, size.height() * (1 + 3 * qsizetype(size.width()))).size(),
            size.height() * (1 + 3 * qsizetype(size.width())));
        QImage back = QImage::fromData(png, "png");
        QVERIFY(!back.isNull());
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32), image);
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
