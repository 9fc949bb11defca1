// Decodes baseline and progressive JPEG files with libjpeg-turbo on two threads, with exactly
// the pixels Qt's reader gives: into a whole picture, or straight into the sheet's cells.
#pragma once

#include "image/ImageToGrid.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

class GridSheet;

// A larger file is left to Qt rather than read into memory first: a JPEG of as many
// pixels as a picture may have stays far below this.
constexpr qint64 kMaxDirectJpegBytes = qint64(512) << 20;

enum class JpegConversion {
    Done,
    Declined, // the library complained on the way: convert with Qt's decoding (the sheet is resized)
    OutOfMemory, // the sheet refused the size
};

class JpegDecoder {
public:
    // True when the bytes start like a JPEG file.
    static bool looksLikeJpeg(const QByteArray &start);

    // Reads the header of the file's bytes.
    explicit JpegDecoder(const QByteArray &file);

    QSize size() const { return size_; }

    // False for a file that is not a JPEG, a CMYK one, a grey one with a colour profile, one
    // above the picture size limit or one whose header the library complains about: Qt's
    // decoding differs there or decides. Nothing else is decoded then.
    bool canDecode() const { return canDecode_; }

    // The whole picture in the opaque 32-bit RGB form loadPicture gives, with Qt's colour
    // space and resolution; null when the library complains on the way or memory is short,
    // which leaves the decision to Qt.
    QImage decode() const;

    // Resizes the sheet to the plan and paints every cell as imageToGrid paints it from the
    // decoded picture, without holding the picture whole. Announced as one change. Progress
    // is told on the calling thread as rows are painted, the rows done on either thread, and
    // ends at (rows, rows) when all are.
    JpegConversion paintSheet(const GridPlan &plan, GridSheet &sheet, const GridProgress &progress) const;

private:
    QByteArray file_;
    QSize size_;
    bool canDecode_ = false;
    QByteArray iccProfile_; // as Qt gathers it: every ICC_PROFILE piece in file order
    int densityUnit_ = 0;
    int xDensity_ = 0;
    int yDensity_ = 0;
};
