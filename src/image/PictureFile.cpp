#include "image/PictureFile.h"

#include "image/ImageToGrid.h"
#include "image/JpegDecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <new>
#include <vector>

namespace {

template <typename Result> Result fail(PictureError *error, PictureError reason)
{
    if (error)
        *error = std::move(reason);
    return {};
}

PictureError tooLarge(QSize size)
{
    return {PictureError::TooLarge, size, kMaxPicturePixels, {}, {}};
}

bool startsLikePicture(QByteArray start)
{
    QBuffer buffer(&start);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    return reader.canRead();
}

// Qt refuses to decode into more than 128 MiB unless told otherwise; a picture at the pixel
// limit may decode into 8 bytes a pixel (16-bit channels) before it is made 32-bit RGB.
void allowDecodingUpToTheLimit()
{
    constexpr int kNeededMiB = int(kMaxPicturePixels * 8 / (qint64(1024) * 1024));
    const int current = QImageReader::allocationLimit();
    if (current != 0 && current < kNeededMiB)
        QImageReader::setAllocationLimit(kNeededMiB);
}

// The rest of a JPEG file from the device's position, or nothing when it is too large to
// hold, does not fit in memory or cannot all be read: Qt reads the device then.
QByteArray jpegBytes(QIODevice &device)
{
    char start[3] = {};
    if (device.peek(start, 3) != 3 || !JpegDecoder::looksLikeJpeg(QByteArray(start, 3)))
        return {};
    const qint64 expected = device.size() - device.pos();
    if (expected > kMaxDirectJpegBytes)
        return {};
    // A pipe is already in memory: its bytes are shared, not copied.
    if (const auto *buffer = qobject_cast<const QBuffer *>(&device); buffer && device.pos() == 0) {
        device.seek(buffer->size());
        return buffer->data();
    }
    const qint64 position = device.pos();
    QByteArray bytes;
    try {
        bytes = device.readAll();
    } catch (const std::bad_alloc &) {
        bytes.clear();
    }
    if (bytes.size() != expected) {
        device.seek(position);
        return {};
    }
    return bytes;
}

} // namespace

std::unique_ptr<QIODevice> openPicture(const QString &path, FileKinds kinds, PictureError *error)
{
    OpenFailure opening;
    std::unique_ptr<QFile> file = openForReading(path, kinds, &opening);
    if (!file)
        return fail<std::unique_ptr<QIODevice>>(error, {PictureError::CannotOpen, {}, 0, {}, opening});
    if (!file->isSequential())
        return file;
    constexpr qint64 kChunkSize = qint64(64) * 1024;
    QByteArray whole;
    try {
        std::vector<char> chunk(static_cast<size_t>(kChunkSize));
        bool startChecked = false;
        for (;;) {
            const qint64 got = file->read(chunk.data(), kChunkSize);
            if (got < 0)
                return fail<std::unique_ptr<QIODevice>>(
                    error, {PictureError::CannotRead, {}, 0, file->errorString(), {}});
            if (got == 0)
                break;
            if (whole.size() + got > kMaxPipedPictureBytes)
                return fail<std::unique_ptr<QIODevice>>(
                    error, {PictureError::InputTooLarge, {}, kMaxPipedPictureBytes, {}, {}});
            whole.append(chunk.data(), got);
            // Endless foreign input (a character device, say) is refused at once.
            if (!startChecked && whole.size() >= kChunkSize) {
                if (!startsLikePicture(whole))
                    return fail<std::unique_ptr<QIODevice>>(error, {PictureError::UnknownFormat, {}, 0, {}, {}});
                startChecked = true;
            }
        }
    } catch (const std::bad_alloc &) {
        return fail<std::unique_ptr<QIODevice>>(error, {PictureError::OutOfMemory, {}, 0, {}, {}});
    }
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(whole);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

QImage loadPictureWithQt(QIODevice &device, PictureError *error)
{
    allowDecodingUpToTheLimit();
    QImageReader reader(&device);
    // The content decides, so a picture saved under the wrong extension still opens.
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return fail<QImage>(error, {PictureError::UnknownFormat, {}, 0, {}, {}});
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return fail<QImage>(error, tooLarge(size));
    QImage picture = reader.read();
    if (picture.isNull())
        return fail<QImage>(error, {PictureError::Undecodable, {}, 0, reader.errorString(), {}});
    if (qint64(picture.width()) * picture.height() > kMaxPicturePixels)
        return fail<QImage>(error, tooLarge(picture.size()));
    QImage opaque = toOpaqueRgb32(picture);
    if (opaque.isNull())
        return fail<QImage>(error, {PictureError::OutOfMemory, {}, 0, {}, {}});
    return opaque;
}

QImage loadPicture(QIODevice &device, PictureError *error, PictureDecoder *decodedBy)
{
    if (decodedBy)
        *decodedBy = PictureDecoder::Qt;
    QByteArray jpeg = jpegBytes(device);
    if (jpeg.isEmpty())
        return loadPictureWithQt(device, error);
    QImage picture = JpegDecoder(jpeg).decode();
    if (!picture.isNull()) {
        if (decodedBy)
            *decodedBy = PictureDecoder::LibjpegTurbo;
        return picture;
    }
    // Qt decides, from the bytes already read.
    QBuffer bytes(&jpeg);
    bytes.open(QIODevice::ReadOnly);
    return loadPictureWithQt(bytes, error);
}

QImage loadPicture(const QString &path, PictureError *error, FileKinds kinds, PictureDecoder *decodedBy)
{
    const std::unique_ptr<QIODevice> device = openPicture(path, kinds, error);
    return device ? loadPicture(*device, error, decodedBy) : QImage();
}
