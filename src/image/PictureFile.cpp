#include "image/PictureFile.h"

#include "image/ImageToGrid.h"

#include <QImageReader>

namespace {

QImage Fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return {};
}

} // namespace

QImage LoadPicture(const QString &path, QString *error)
{
    QImageReader reader(path);
    // The content decides, so a picture saved under the wrong extension still opens.
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return Fail(error, QStringLiteral("イメージとして読み込めない形式です (JPEG, GIF, BMP)"));
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return Fail(error, QStringLiteral("イメージが大きすぎます (%1 × %2 ピクセル、上限 %3 ピクセル)")
                               .arg(size.width())
                               .arg(size.height())
                               .arg(kMaxPicturePixels));
    QImage picture = reader.read();
    if (picture.isNull())
        return Fail(error, QStringLiteral("イメージを読み込めません: ") + reader.errorString());
    if (qint64(picture.width()) * picture.height() > kMaxPicturePixels)
        return Fail(error, QStringLiteral("イメージが大きすぎます"));
    QImage opaque = ToOpaqueRgb32(picture);
    if (opaque.isNull())
        return Fail(error, QStringLiteral("イメージを読み込むメモリが足りません"));
    return opaque;
}
