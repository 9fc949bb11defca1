#include "BatchPicture.h"

#include "BatchRun.h"

#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"

#include "JpegPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QLocale>

namespace {

QString grouped(qint64 value)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

void noteConversion(BatchProgress& progress, const QString& path, QSize size, const GridPlan& plan, const char* decoder)
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

QString tooManyCellsText(const GridPlan& plan)
{
    return QStringLiteral("%1 x %2 = %3 cells, more than the %4 a sheet holds; use a larger block size")
        .arg(grouped(plan.columns), grouped(plan.rows), grouped(plan.columns * plan.rows),
            grouped(GridSheet::kMaxCells));
}

// The picture's size from its header, so a refused grid costs no decoding.
QSize headerSize(QIODevice& device)
{
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    device.seek(0);
    return size;
}

// The editor's way: the whole picture decoded by Qt, then converted by ImageToGrid.
PictureConversion convertAsTheEditor(QIODevice& device, const QString& path, QStringView blockSizeText,
    GridSheet& sheet, BatchProgress& progress, QString* error)
{
    const QImage picture = loadPicture(device, error);
    if (picture.isNull())
        return PictureConversion::Unreadable;
    const GridPlan plan = planGrid(picture.size(), blockSizeText);
    if (!plan.ok()) {
        *error = tooManyCellsText(plan);
        return PictureConversion::TooManyCells;
    }
    const qint64 rows = plan.rows;
    const ToGridResult result = imageToGrid(picture, blockSizeText, sheet, [&](const QString& caption) {
        // "To Grid (row/rows)" while rows are painted, "To Grid" at the end.
        const qsizetype open = caption.indexOf(u'(');
        const qsizetype slash = caption.indexOf(u'/');
        if (open > 0 && slash > open)
            progress.advance(caption.mid(open + 1, slash - open - 1).toLongLong(), rows);
    });
    if (result.outcome != ToGridOutcome::Done) {
        *error = QStringLiteral("%1 x %2 cells").arg(grouped(plan.columns), grouped(plan.rows));
        return PictureConversion::OutOfMemory;
    }
    noteConversion(progress, path, picture.size(), plan, "by Qt");
    return PictureConversion::Done;
}

} // namespace

PictureConversion convertPictureFile(const QString& path, QStringView blockSizeText, GridSheet& sheet,
    BatchProgress& progress, QString* error, FileKinds kinds)
{
    const std::unique_ptr<QIODevice> device = openPicture(path, kinds, error);
    if (!device)
        return PictureConversion::Unreadable;
    // A JPEG of as many pixels as a picture may have stays far below this; a larger file is
    // left to the editor's loading, which refuses it, rather than read into memory first.
    constexpr qint64 kMostJpegBytes = qint64(512) << 20;
    char start[3] = {};
    if (device->peek(start, 3) == 3 && looksLikeJpeg(QByteArray(start, 3)) && device->size() <= kMostJpegBytes) {
        // A pipe is already in memory: its bytes are shared, not copied.
        const auto* piped = qobject_cast<const QBuffer*>(device.get());
        const QByteArray bytes = piped ? piped->data() : device->readAll();
        const JpegFacts facts = readJpegFacts(bytes);
        if (facts.taken) {
            const GridPlan plan = planGrid(facts.size, blockSizeText);
            if (!plan.ok()) {
                *error = tooManyCellsText(plan);
                return PictureConversion::TooManyCells;
            }
            switch (convertJpeg(bytes, plan, sheet, progress)) {
            case JpegConversion::Done:
                noteConversion(progress, path, facts.size, plan, "by libjpeg-turbo on two threads");
                return PictureConversion::Done;
            case JpegConversion::OutOfMemory:
                *error = QStringLiteral("%1 x %2 cells").arg(grouped(plan.columns), grouped(plan.rows));
                return PictureConversion::OutOfMemory;
            case JpegConversion::Declined:
                break; // nothing to paint, or the library complained: the editor's way decides
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
    return convertAsTheEditor(*device, path, blockSizeText, sheet, progress, error);
}
