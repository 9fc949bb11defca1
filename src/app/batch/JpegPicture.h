// Decodes baseline and progressive JPEG files with libjpeg-turbo on two threads, giving
// exactly the pixels the editor's picture loading gives for the same file.
#pragma once

#include <QImage>
#include <QString>

// The decoded picture in the editor's form (opaque RGB32), or a null image when this
// decoder does not take the file (not a JPEG, CMYK, a grey picture with a colour profile,
// too large, or any complaint of the library): the caller then loads it the editor's way.
QImage DecodeJpegExactly(const QByteArray &file);

// True when the bytes start like a JPEG file.
bool LooksLikeJpeg(const QByteArray &file);
