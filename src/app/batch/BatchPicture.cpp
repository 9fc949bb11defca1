#include "BatchPicture.h"

#include "BatchRun.h"

#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/JpegDecoder.h"
#include "image/PictureFile.h"
#include "wording/FailureReasons.h"

#include <QBuffer>
#include <QImageReader>

namespace {

void noteConversion(BatchProgress &progress, const QString &path, QSize size, const GridPlan &plan, const char *decoder)
{
    progress.note(QStringLiteral("picture %1: %2 x %3 pixels, block %4: %5 x %6 cells, decoded %7")
                      .arg(path)
                      .arg(size.width())
                      .arg(size.height())
                      .arg(plan.blockSize)
                      .arg(plan.columns)
                      .arg(plan.rows)
                      .arg(QLatin1String(decoder)));
}

QString tooManyCellsText(const GridPlan &plan)
{
    return QStringLiteral("%1 x %2 = %3 cells, more than the %4 a sheet holds; use a larger block size")
        .arg(groupedNumber(plan.columns), groupedNumber(plan.rows), groupedNumber(plan.columns * plan.rows),
            groupedNumber(GridSheet::kMaxCells));
}

QString outOfMemoryText(const GridPlan &plan)
{
    return QStringLiteral("%1 x %2 cells").arg(groupedNumber(plan.columns), groupedNumber(plan.rows));
}

// The picture's size from its header, so a refused grid costs no decoding.
QSize headerSize(QIODevice &device)
{
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    device.seek(0);
    return size;
}

// Advances the progress bar by the rows of cells painted.
GridProgress rowsPainted(BatchProgress &progress)
{
    return [&progress](qint64 rowsDone, qint64 rows) { progress.advance(rowsDone, rows); };
}

// The editor's way: the whole picture decoded, then converted by ImageToGrid. A JPEG that
// libjpeg-turbo has turned down already goes to Qt at once.
PictureConversion convertAsTheEditor(QIODevice &device, const QString &path, QStringView blockSizeText,
    bool jpegDeclined, GridSheet &sheet, BatchProgress &progress, QString *error)
{
    PictureError reason;
    PictureDecoder decoder = PictureDecoder::Qt;
    const QImage picture = jpegDeclined ? loadPictureWithQt(device, &reason) : loadPicture(device, &reason, &decoder);
    if (picture.isNull()) {
        *error = pictureErrorText(reason);
        return PictureConversion::Unreadable;
    }
    const GridPlan plan = planGrid(picture.size(), blockSizeText);
    if (!plan.ok()) {
        *error = tooManyCellsText(plan);
        return PictureConversion::TooManyCells;
    }
    if (imageToGrid(picture, blockSizeText, sheet, rowsPainted(progress)).outcome != ToGridOutcome::Done) {
        *error = outOfMemoryText(plan);
        return PictureConversion::OutOfMemory;
    }
    noteConversion(progress, path, picture.size(), plan,
        decoder == PictureDecoder::LibjpegTurbo ? "whole by libjpeg-turbo" : "by Qt");
    return PictureConversion::Done;
}

} // namespace

QString pictureErrorText(const PictureError &error)
{
    switch (error.kind) {
    case PictureError::None: break;
    case PictureError::CannotOpen: return failureReason(error.opening);
    case PictureError::CannotRead:
    case PictureError::Undecodable: return error.reason;
    case PictureError::InputTooLarge: return QStringLiteral("more than %1 bytes").arg(groupedNumber(error.limit));
    case PictureError::UnknownFormat: return QStringLiteral("not in a picture format that can be read");
    case PictureError::TooLarge:
        return QStringLiteral("%1 x %2 pixels, more than the %3 a picture may have")
            .arg(error.size.width())
            .arg(error.size.height())
            .arg(groupedNumber(error.limit));
    case PictureError::OutOfMemory: return QStringLiteral("not enough memory for the picture");
    }
    return {};
}

PictureConversion convertPictureFile(const QString &path, QStringView blockSizeText, GridSheet &sheet,
    BatchProgress &progress, QString *error, FileKinds kinds)
{
    PictureError openError;
    const std::unique_ptr<QIODevice> device = openPicture(path, kinds, &openError);
    if (!device) {
        *error = pictureErrorText(openError);
        return PictureConversion::Unreadable;
    }
    bool jpegDeclined = false;
    char start[3] = {};
    if (device->peek(start, 3) == 3 && JpegDecoder::looksLikeJpeg(QByteArray(start, 3))
        && device->size() <= kMaxDirectJpegBytes) {
        // A pipe is already in memory: its bytes are shared, not copied.
        const auto *piped = qobject_cast<const QBuffer *>(device.get());
        const JpegDecoder decoder(piped ? piped->data() : device->readAll());
        if (decoder.canDecode()) {
            const GridPlan plan = planGrid(decoder.size(), blockSizeText);
            if (!plan.ok()) {
                *error = tooManyCellsText(plan);
                return PictureConversion::TooManyCells;
            }
            switch (decoder.paintSheet(plan, sheet, rowsPainted(progress))) {
            case JpegConversion::Done:
                noteConversion(progress, path, decoder.size(), plan, "by libjpeg-turbo on two threads");
                return PictureConversion::Done;
            case JpegConversion::OutOfMemory: *error = outOfMemoryText(plan); return PictureConversion::OutOfMemory;
            case JpegConversion::Declined:
                // Nothing to paint, or the library complained: the editor's way decides.
                jpegDeclined = plan.columns > 0 && plan.rows > 0;
                break;
            }
        }
        if (!device->seek(0)) {
            *error = device->errorString();
            return PictureConversion::Unreadable;
        }
    }
    const QSize size = headerSize(*device);
    if (size.isValid()) {
        const GridPlan plan = planGrid(size, blockSizeText);
        if (!plan.ok()) {
            *error = tooManyCellsText(plan);
            return PictureConversion::TooManyCells;
        }
    }
    return convertAsTheEditor(*device, path, blockSizeText, jpegDeclined, sheet, progress, error);
}
