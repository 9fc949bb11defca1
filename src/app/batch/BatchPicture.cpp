#include "BatchPicture.h"

#include "BatchRun.h"

#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"

#include "JpegPicture.h"

#include <QFile>
#include <QImageReader>
#include <QLocale>

namespace {

QString Grouped(qint64 value) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(value); }

void NoteConversion(BatchProgress &progress, const QString &path, QSize size, const GridPlan &plan,
                    const char *decoder)
{
    progress.Note(QStringLiteral("picture %1: %2 x %3 pixels, block %4: %5 x %6 cells, decoded %7")
                      .arg(path)
                      .arg(size.width())
                      .arg(size.height())
                      .arg(plan.blockSize)
                      .arg(plan.columns)
                      .arg(plan.rows)
                      .arg(QLatin1String(decoder)));
}

QString TooManyCellsText(const GridPlan &plan)
{
    return QStringLiteral("%1 x %2 = %3 cells, more than the %4 a sheet holds; use a larger block size")
        .arg(Grouped(plan.columns), Grouped(plan.rows), Grouped(plan.columns * plan.rows),
             Grouped(GridSheet::kMaxCells));
}

// The picture's size from its header, so a refused grid costs no decoding.
QSize HeaderSize(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.size();
}

// The editor's way: the whole picture decoded by Qt, then converted by ImageToGrid.
PictureConversion ConvertAsTheEditor(const QString &path, QStringView blockSizeText, GridSheet &sheet,
                                     BatchProgress &progress, QString *error)
{
    const QImage picture = LoadPicture(path, error);
    if (picture.isNull())
        return PictureConversion::Unreadable;
    const GridPlan plan = PlanGrid(picture.size(), blockSizeText);
    if (!plan.Ok()) {
        *error = TooManyCellsText(plan);
        return PictureConversion::TooManyCells;
    }
    const qint64 rows = plan.rows;
    ImageToGrid(picture, blockSizeText, sheet, [&](const QString &caption) {
        // "To Grid (row/rows)" while rows are painted, "To Grid" at the end.
        const qsizetype open = caption.indexOf(u'(');
        const qsizetype slash = caption.indexOf(u'/');
        if (open > 0 && slash > open)
            progress.Advance(caption.mid(open + 1, slash - open - 1).toLongLong(), rows);
    });
    if (sheet.ColumnCount() != plan.columns || sheet.RowCount() != plan.rows) {
        *error = QStringLiteral("%1 x %2 cells").arg(Grouped(plan.columns), Grouped(plan.rows));
        return PictureConversion::OutOfMemory;
    }
    NoteConversion(progress, path, picture.size(), plan, "by Qt");
    return PictureConversion::Done;
}

} // namespace

PictureConversion ConvertPictureFile(const QString &path, QStringView blockSizeText, GridSheet &sheet,
                                     BatchProgress &progress, QString *error)
{
    // A JPEG of as many pixels as a picture may have stays far below this; a larger file is
    // left to the editor's loading, which refuses it, rather than read into memory first.
    constexpr qint64 kMostJpegBytes = qint64(512) << 20;
    QFile file(path);
    char start[3] = {};
    if (file.open(QIODevice::ReadOnly) && file.peek(start, 3) == 3 && LooksLikeJpeg(QByteArray(start, 3))
        && file.size() <= kMostJpegBytes) {
        const QByteArray bytes = file.readAll();
        file.close();
        const JpegFacts facts = ReadJpegFacts(bytes);
        if (facts.taken) {
            const GridPlan plan = PlanGrid(facts.size, blockSizeText);
            if (!plan.Ok()) {
                *error = TooManyCellsText(plan);
                return PictureConversion::TooManyCells;
            }
            switch (ConvertJpeg(bytes, plan, sheet, progress)) {
            case JpegConversion::Done:
                NoteConversion(progress, path, facts.size, plan, "by libjpeg-turbo on two threads");
                return PictureConversion::Done;
            case JpegConversion::OutOfMemory:
                *error = QStringLiteral("%1 x %2 cells").arg(Grouped(plan.columns), Grouped(plan.rows));
                return PictureConversion::OutOfMemory;
            case JpegConversion::Declined:
                break; // nothing to paint, or the library complained: the editor's way decides
            }
        }
    }
    const QSize size = HeaderSize(path);
    if (size.isValid()) {
        const GridPlan plan = PlanGrid(size, blockSizeText);
        if (!plan.Ok()) {
            *error = TooManyCellsText(plan);
            return PictureConversion::TooManyCells;
        }
    }
    return ConvertAsTheEditor(path, blockSizeText, sheet, progress, error);
}
