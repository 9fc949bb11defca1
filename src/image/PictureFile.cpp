#include "image/PictureFile.h"

#include "image/ImageToGrid.h"

#include <QBuffer>
#include <QImageReader>
#include <QLocale>

#include <new>
#include <vector>

namespace {

template <typename Result> Result fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return {};
}

QString grouped(qint64 value)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

QString tooLargeText(QSize size)
{
    return QStringLiteral("イメージが大きすぎます (%1 × %2 ピクセル、上限 %3 ピクセル)")
        .arg(size.width())
        .arg(size.height())
        .arg(grouped(kMaxPicturePixels));
}

QString unknownFormatText()
{
    return QStringLiteral("イメージとして読み込めない形式です (JPEG, GIF, BMP)");
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
    constexpr int kNeededMiB = int(kMaxPicturePixels * 8 / (1024 * 1024));
    const int current = QImageReader::allocationLimit();
    if (current != 0 && current < kNeededMiB)
        QImageReader::setAllocationLimit(kNeededMiB);
}

} // namespace

std::unique_ptr<QIODevice> openPicture(const QString& path, FileKinds kinds, QString* error)
{
    std::unique_ptr<QFile> file = openForReading(path, kinds, error);
    if (!file)
        return nullptr;
    if (!file->isSequential())
        return file;
    constexpr qint64 kChunkSize = 64 * 1024;
    QByteArray whole;
    try {
        std::vector<char> chunk(static_cast<size_t>(kChunkSize));
        bool startChecked = false;
        for (;;) {
            const qint64 got = file->read(chunk.data(), kChunkSize);
            if (got < 0)
                return fail<std::unique_ptr<QIODevice>>(error, file->errorString());
            if (got == 0)
                break;
            if (whole.size() + got > kMaxPipedPictureBytes)
                return fail<std::unique_ptr<QIODevice>>(
                    error, QStringLiteral("入力が大きすぎます (上限 %1 バイト)").arg(grouped(kMaxPipedPictureBytes)));
            whole.append(chunk.data(), got);
            // Endless foreign input (a character device, say) is refused at once.
            if (!startChecked && whole.size() >= kChunkSize) {
                if (!startsLikePicture(whole))
                    return fail<std::unique_ptr<QIODevice>>(error, unknownFormatText());
                startChecked = true;
            }
        }
    } catch (const std::bad_alloc&) {
        return fail<std::unique_ptr<QIODevice>>(error, QStringLiteral("イメージを読み込むメモリが足りません"));
    }
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(whole);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

QImage loadPicture(QIODevice& device, QString* error)
{
    allowDecodingUpToTheLimit();
    QImageReader reader(&device);
    // The content decides, so a picture saved under the wrong extension still opens.
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return fail<QImage>(error, unknownFormatText());
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return fail<QImage>(error, tooLargeText(size));
    QImage picture = reader.read();
    if (picture.isNull())
        return fail<QImage>(error, QStringLiteral("イメージを読み込めません: ") + reader.errorString());
    if (qint64(picture.width()) * picture.height() > kMaxPicturePixels)
        return fail<QImage>(error, tooLargeText(picture.size()));
    QImage opaque = toOpaqueRgb32(picture);
    if (opaque.isNull())
        return fail<QImage>(error, QStringLiteral("イメージを読み込むメモリが足りません"));
    return opaque;
}

QImage loadPicture(const QString& path, QString* error, FileKinds kinds)
{
    const std::unique_ptr<QIODevice> device = openPicture(path, kinds, error);
    return device ? loadPicture(*device, error) : QImage();
}
