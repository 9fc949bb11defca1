#include "render/PngWriter.h"

#include <QtEndian>

#include <zlib.h>

#include <new>
#include <system_error>
#include <thread>

namespace {

// Rows of about this many pixels are compressed as one band: both threads busy, little held.
constexpr qint64 kBandPixels = qint64(1) << 21;

struct Band {
    int firstRow = 0;
    int endRow = 0;
    bool last = false;
    QByteArray compressed;
    uLong adler = 1; // of the band's filtered bytes
    qint64 length = 0; // filtered bytes
    bool ok = false;
};

// The band's rows, each a filter byte (2: each byte less the one above) and its RGB bytes,
// as raw deflate data that ends on a byte boundary, so that the bands join into one stream.
// Flat colours leave rows of zeros, which run-length compression takes fast.
void compressBand(const QImage &image, Band &band)
{
    const int width = image.width();
    const qsizetype rowBytes = 1 + qsizetype(width) * 3;
    z_stream stream {};
    if (deflateInit2(&stream, 1, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK)
        return;
    try {
        QByteArray row(rowBytes, Qt::Uninitialized);
        band.length = rowBytes * (band.endRow - band.firstRow);
        band.compressed.resize(qsizetype(deflateBound(&stream, uLong(band.length))) + 64);
        stream.next_out = reinterpret_cast<Bytef *>(band.compressed.data());
        stream.avail_out = uInt(band.compressed.size());
        auto *bytes = reinterpret_cast<unsigned char *>(row.data());
        bool ok = true;
        for (int y = band.firstRow; y < band.endRow && ok; ++y) {
            const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            const auto *above = y > 0 ? reinterpret_cast<const QRgb *>(image.constScanLine(y - 1)) : nullptr;
            bytes[0] = 2;
            for (int x = 0; x < width; ++x) {
                const QRgb up = above ? above[x] : 0;
                bytes[1 + 3 * x] = uchar(qRed(pixels[x]) - qRed(up));
                bytes[2 + 3 * x] = uchar(qGreen(pixels[x]) - qGreen(up));
                bytes[3 + 3 * x] = uchar(qBlue(pixels[x]) - qBlue(up));
            }
            band.adler = adler32(band.adler, bytes, uInt(rowBytes));
            stream.next_in = bytes;
            stream.avail_in = uInt(rowBytes);
            ok = deflate(&stream, Z_NO_FLUSH) == Z_OK && stream.avail_in == 0;
        }
        ok = ok && deflate(&stream, band.last ? Z_FINISH : Z_SYNC_FLUSH) == (band.last ? Z_STREAM_END : Z_OK);
        band.compressed.resize(qsizetype(stream.total_out));
        band.ok = ok;
    } catch (const std::bad_alloc &) {
        band.ok = false;
    }
    deflateEnd(&stream);
}

bool writeAll(QIODevice &device, const char *data, qint64 size, QString *error)
{
    while (size > 0) {
        const qint64 written = device.write(data, size);
        if (written <= 0) {
            if (error)
                *error = device.errorString();
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool writeChunk(QIODevice &device, const char *type, const QByteArray &data, QString *error)
{
    char length[4];
    qToBigEndian(quint32(data.size()), length);
    uLong crc = crc32(0, reinterpret_cast<const Bytef *>(type), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()));
    char check[4];
    qToBigEndian(quint32(crc), check);
    return writeAll(device, length, 4, error) && writeAll(device, type, 4, error)
        && writeAll(device, data.constData(), data.size(), error) && writeAll(device, check, 4, error);
}

bool outOfMemory(QString *error)
{
    if (error)
        error->clear();
    return false;
}

} // namespace

bool writePng(QIODevice &device, const QImage &image, QString *error)
{
    Q_ASSERT(image.format() == QImage::Format_RGB32);
    QByteArray header(13, '\0');
    qToBigEndian(quint32(image.width()), header.data());
    qToBigEndian(quint32(image.height()), header.data() + 4);
    header[8] = 8; // bits a channel
    header[9] = 2; // RGB
    // The stream's zlib header: deflate with a 32 KB window, the fastest level.
    if (!writeAll(device, "\x89PNG\r\n\x1a\n", 8, error) || !writeChunk(device, "IHDR", header, error)
        || !writeChunk(device, "IDAT", QByteArray("\x78\x01", 2), error))
        return false;

    const int bandRows = int(std::max<qint64>(1, kBandPixels / std::max(image.width(), 1)));
    uLong adler = 1;
    for (int first = 0; first < image.height(); first += 2 * bandRows) {
        Band bands[2];
        for (int i = 0; i < 2; ++i) {
            bands[i].firstRow = std::min(image.height(), first + i * bandRows);
            bands[i].endRow = std::min(image.height(), bands[i].firstRow + bandRows);
            bands[i].last = bands[i].endRow == image.height();
        }
        std::thread worker;
        const bool second = bands[1].firstRow < bands[1].endRow;
        if (second) {
            try {
                worker = std::thread(compressBand, std::cref(image), std::ref(bands[1]));
            } catch (const std::system_error &) {
                compressBand(image, bands[1]); // no second thread to be had
            }
        }
        compressBand(image, bands[0]);
        if (worker.joinable())
            worker.join();
        for (const Band &band : bands) {
            if (&band == &bands[1] && !second)
                break;
            if (!band.ok)
                return outOfMemory(error);
            if (!writeChunk(device, "IDAT", band.compressed, error))
                return false;
            adler = adler32_combine(adler, band.adler, z_off_t(band.length));
        }
    }
    char check[4];
    qToBigEndian(quint32(adler), check);
    return writeChunk(device, "IDAT", QByteArray(check, 4), error) && writeChunk(device, "IEND", {}, error);
}
