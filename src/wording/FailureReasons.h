// The reasons behind the file formats' failure codes, in the words both programs show under
// headings of their own. How a file that would not open is put stays each program's own.
#pragma once

#include "core/AtomicFile.h"

#include <QString>

struct GridFileFailure;
struct HtmlPageFailure;
struct PlainTextFailure;
struct SheetPictureFailure;

// A count with thousands separators, as every message writes it: 50,000,000.
QString groupedNumber(qint64 value);

QString gridFileFailureReason(const GridFileFailure &failure, const QString &openReason);
QString plainTextFailureReason(const PlainTextFailure &failure);
// Why the cells on the clipboard cannot be pasted (what reading them reported).
QString clipboardCellsFailureReason(const GridFileFailure &failure);
QString htmlPageFailureReason(const HtmlPageFailure &failure);
QString sheetPictureFailureReason(const SheetPictureFailure &failure);
// Why a picture of the sheet at this cell size is refused, and the largest size that fits.
QString sheetPictureTooLargeText(int columns, int rows, int cellSide);

// The reasons a writer gives; a writer never fails to open a file, so they are the same in
// both programs.
inline QString writeFailureReason(const GridFileFailure &failure)
{
    return gridFileFailureReason(failure, {});
}
inline QString writeFailureReason(const PlainTextFailure &failure)
{
    return plainTextFailureReason(failure);
}
inline QString writeFailureReason(const HtmlPageFailure &failure)
{
    return htmlPageFailureReason(failure);
}
inline QString writeFailureReason(const SheetPictureFailure &failure)
{
    return sheetPictureFailureReason(failure);
}

// A writer for writeFileAtomically from one that reports a failure code: the code becomes
// the reason in words.
template <typename Failure, typename Write> DeviceWriter wordedWriter(Write write)
{
    return [write](QIODevice &device, QString *error) {
        Failure failure;
        if (write(device, &failure))
            return true;
        if (error)
            *error = writeFailureReason(failure);
        return false;
    };
}
