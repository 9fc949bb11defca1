#include "BatchPicture.h"

#include "BatchRun.h"

#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"

#include <QImageReader>
#include <QLocale>

namespace {

QString Grouped(qint64 value) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(value); }

QString TooManyCellsText(const GridPlan &plan)
{
    return QStringLiteral("%1 x %2 = %3 cells, more than the %4 a sheet holds; use a larger block size")
        .arg(Grouped(plan.columns), Grouped(plan.rows), Grouped(plan.columns * plan.rows),
             Grouped(GridSheet::kMaxCells));
}

} // namespace

PictureConversion ConvertPictureFile(const QString &path, QStringView blockSizeText, GridSheet &sheet,
                                     BatchProgress &progress, QString *error)
{
    // The size from the header first, so a refused grid costs no decoding.
    {
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        const QSize size = reader.size();
        if (size.isValid()) {
            const GridPlan plan = PlanGrid(size, blockSizeText);
            if (!plan.Ok()) {
                *error = TooManyCellsText(plan);
                return PictureConversion::TooManyCells;
            }
        }
    }
    const QImage picture = LoadPicture(path, error);
    if (picture.isNull())
        return PictureConversion::Unreadable;
    const GridPlan plan = PlanGrid(picture.size(), blockSizeText);
    if (!plan.Ok()) {
        *error = TooManyCellsText(plan);
        return PictureConversion::TooManyCells;
    }
    bool painted = true;
    ImageToGrid(picture, blockSizeText, sheet, [&](const QString &caption) {
        // "To Grid (row/rows)" while rows are painted, "To Grid" at the end.
        const qsizetype open = caption.indexOf(u'(');
        const qsizetype slash = caption.indexOf(u'/');
        if (open > 0 && slash > open)
            progress.Advance(caption.mid(open + 1, slash - open - 1).toLongLong(),
                             caption.mid(slash + 1).chopped(1).toLongLong());
    });
    if (sheet.ColumnCount() != plan.columns || sheet.RowCount() != plan.rows)
        painted = false;
    if (!painted) {
        *error = QStringLiteral("%1 x %2 cells").arg(Grouped(plan.columns), Grouped(plan.rows));
        return PictureConversion::OutOfMemory;
    }
    return PictureConversion::Done;
}
