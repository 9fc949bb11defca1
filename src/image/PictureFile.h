// Reads a picture file (JPEG, GIF, bitmap, or whatever else Qt decodes) into the opaque
// 32-bit RGB form that the image view window shows and the conversion reads.
#pragma once

#include "core/RegularFile.h"

#include <QIODevice>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

// Pictures above this many pixels are refused before decoding (4 bytes each once decoded).
constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

// A pipe's bytes are taken whole before decoding, up to this many.
constexpr qint64 kMaxPipedPictureBytes = qint64(1) << 30;

// Why a picture could not be had; the windows and the batch word it.
struct PictureError {
    enum Kind {
        None,
        CannotOpen, // opening: why the file would not open
        CannotRead, // reason: the system's words for a failed read of a pipe
        InputTooLarge, // a pipe gave more than limit bytes
        UnknownFormat, // not a picture any decoder takes
        TooLarge, // size is above limit pixels
        Undecodable, // reason: the decoder's words
        OutOfMemory, // the decoded picture does not fit in memory
    };
    Kind kind = None;
    QSize size;
    qint64 limit = 0;
    QString reason;
    OpenFailure opening;
};

// Which decoder gave a picture: libjpeg-turbo for the JPEG files it decodes exactly as Qt
// would, on two threads; Qt for everything else.
enum class PictureDecoder { Qt, LibjpegTurbo };

// Opens the file for decoding: a random-access device, or null and the reason. A pipe is
// read whole into memory first, since the decoder looks at the start more than once; input
// that does not start like a picture is refused from its first bytes.
std::unique_ptr<QIODevice> openPicture(const QString &path, FileKinds kinds, PictureError *error);

// The decoded picture with any transparency painted over white, or a null image and the
// reason when the file cannot be read as a picture.
QImage loadPicture(const QString &path, PictureError *error = nullptr, FileKinds kinds = FileKinds::AnyReadable,
    PictureDecoder *decodedBy = nullptr);
// The same from an open random-access device, read from its current position.
QImage loadPicture(QIODevice &device, PictureError *error = nullptr, PictureDecoder *decodedBy = nullptr);
// The same with Qt's decoding alone, for a JPEG that libjpeg-turbo has already turned down.
QImage loadPictureWithQt(QIODevice &device, PictureError *error = nullptr);
