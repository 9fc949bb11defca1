// Reads a picture file (JPEG, GIF, bitmap, or whatever else Qt decodes) into the opaque
// 32-bit RGB form that the image view window shows and the conversion reads.
#pragma once

#include "core/RegularFile.h"

#include <QIODevice>
#include <QImage>
#include <QString>

#include <memory>

// Pictures above this many pixels are refused before decoding (4 bytes each once decoded).
constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

// A pipe's bytes are taken whole before decoding, up to this many.
constexpr qint64 kMaxPipedPictureBytes = qint64(1) << 30;

// Opens the file for decoding: a random-access device, or null and the reason. A pipe is
// read whole into memory first, since the decoder looks at the start more than once; input
// that does not start like a picture is refused from its first bytes.
std::unique_ptr<QIODevice> openPicture(const QString& path, FileKinds kinds, QString* error);

// The decoded picture with any transparency painted over white, or a null image and the
// reason when the file cannot be read as a picture.
QImage loadPicture(const QString& path, QString* error = nullptr, FileKinds kinds = FileKinds::AnyReadable);
// The same from an open random-access device, read from its current position.
QImage loadPicture(QIODevice& device, QString* error = nullptr);
