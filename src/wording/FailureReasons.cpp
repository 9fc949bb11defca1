#include "wording/FailureReasons.h"

#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "render/SheetPicture.h"
#include "text/PlainTextExport.h"

#include <QLocale>

namespace {

QString cellName(int column, int row)
{
    return QStringLiteral("cell (column %1, row %2)").arg(column).arg(row);
}

} // namespace

QString groupedNumber(qint64 value)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

QString gridFileFailureReason(const GridFileFailure &failure, const QString &openReason)
{
    switch (failure.error) {
    case GridFileError::None: return {};
    case GridFileError::NotReadable: return QStringLiteral("The input is not open for reading.");
    case GridFileError::NotWritable: return QStringLiteral("The output is not open for writing.");
    case GridFileError::Folder: return QStringLiteral("This is a folder, not a file.");
    case GridFileError::OpenFailed: return openReason;
    case GridFileError::ReadFailed:
    case GridFileError::WriteFailed: return failure.systemReason;
    case GridFileError::NotGridFile: return QStringLiteral("This is not a grid file.");
    case GridFileError::Truncated: return QStringLiteral("The file is truncated.");
    case GridFileError::UnknownVersion:
        return QStringLiteral("The grid file has format version %1; this program reads version %2.")
            .arg(failure.version)
            .arg(GridFile::kVersion);
    case GridFileError::TooManyCells:
        return QStringLiteral("The grid of %1 columns and %2 rows is beyond the limit of %3 cells.")
            .arg(failure.columns)
            .arg(failure.rows)
            .arg(GridSheet::kMaxCells);
    case GridFileError::TooShort:
        return QStringLiteral("The file is too short for a grid of %1 columns and %2 rows.")
            .arg(failure.columns)
            .arg(failure.rows);
    case GridFileError::NoMemoryForGrid:
        return QStringLiteral("Not enough memory for a grid of %1 columns and %2 rows.")
            .arg(failure.columns)
            .arg(failure.rows);
    case GridFileError::BadTextLength:
        return QStringLiteral("The file is damaged: the text length of %1 is invalid.")
            .arg(cellName(failure.column, failure.row));
    case GridFileError::BadText:
        return QStringLiteral("The file is damaged: the text of %1 is not valid UTF-8.")
            .arg(cellName(failure.column, failure.row));
    case GridFileError::ChecksumMismatch: return QStringLiteral("The file is damaged: its checksum does not match.");
    case GridFileError::DataAfterEnd: return QStringLiteral("The file is damaged: there is more data after its end.");
    case GridFileError::NoMemoryToRead: return QStringLiteral("Not enough memory to read the grid file.");
    case GridFileError::TextTooLong:
        return QStringLiteral("The text of %1 is too long to be saved.").arg(cellName(failure.column, failure.row));
    case GridFileError::NoMemoryToWrite: return QStringLiteral("Not enough memory to write the grid.");
    }
    return {};
}

QString clipboardCellsFailureReason(const GridFileFailure &failure)
{
    switch (failure.error) {
    case GridFileError::None: return {};
    case GridFileError::NotGridFile: return QStringLiteral("The clipboard holds no cells of this program.");
    case GridFileError::UnknownVersion:
        return QStringLiteral("The cells on the clipboard have format version %1, which this program cannot read.")
            .arg(failure.version);
    case GridFileError::TooManyCells:
        return QStringLiteral("The %1 columns and %2 rows on the clipboard are beyond the limit of %3 cells.")
            .arg(failure.columns)
            .arg(failure.rows)
            .arg(groupedNumber(GridSheet::kMaxCells));
    case GridFileError::NoMemoryForGrid:
    case GridFileError::NoMemoryToRead: return QStringLiteral("Not enough memory to paste the cells.");
    default: return QStringLiteral("The cells on the clipboard are damaged; copy them again.");
    }
}

QString plainTextFailureReason(const PlainTextFailure &failure)
{
    switch (failure.error) {
    case PlainTextError::None: return {};
    case PlainTextError::WriteFailed: return failure.systemReason;
    case PlainTextError::OutOfMemory: return QStringLiteral("Not enough memory to build the text.");
    }
    return {};
}

QString htmlPageFailureReason(const HtmlPageFailure &failure)
{
    switch (failure.error) {
    case HtmlPageError::None: return {};
    case HtmlPageError::WriteFailed: return failure.systemReason;
    case HtmlPageError::OutOfMemory: return QStringLiteral("Not enough memory to build the page.");
    }
    return {};
}

QString sheetPictureFailureReason(const SheetPictureFailure &failure)
{
    switch (failure.error) {
    case SheetPictureError::None: return {};
    case SheetPictureError::WriteFailed: return failure.systemReason;
    case SheetPictureError::TooLarge: return QStringLiteral("The picture would be too large.");
    case SheetPictureError::OutOfMemory: return QStringLiteral("Not enough memory to draw the picture.");
    }
    return {};
}

QString sheetPictureTooLargeText(int columns, int rows, int cellSide)
{
    const QString size = QStringLiteral("%1 × %2 pixels")
                             .arg(groupedNumber(qint64(columns) * cellSide), groupedNumber(qint64(rows) * cellSide));
    const QString limits = QStringLiteral("A picture may be at most %1 × %1 pixels and %2 GB.")
                               .arg(groupedNumber(SheetPicture::kMaxSide))
                               .arg(SheetPicture::kMaxBytes >> 30);
    const int largest = SheetPicture::largestCellSide(columns, rows);
    const QString advice = largest > 0 ? QStringLiteral("The largest cell size that fits is %1 pixels.").arg(largest)
                                       : QStringLiteral("Not even cells of one pixel fit: make the grid smaller.");
    return QStringLiteral("At %1 pixels a cell the picture would be %2.\n%3\n%4")
        .arg(QString::number(cellSide), size, limits, advice);
}
