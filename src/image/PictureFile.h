// Reads a picture file (JPEG, GIF, bitmap, or whatever else Qt decodes) into the opaque
// 32-bit RGB form that the image view window shows and the conversion reads.
#pragma once

#include <QImage>
#include <QString>

// Pictures above this many pixels are refused before decoding (4 bytes each once decoded).
constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

// The decoded picture with any transparency painted over white, or a null image and the
// reason when the file cannot be read as a picture.
QImage LoadPicture(const QString &path, QString *error = nullptr);
