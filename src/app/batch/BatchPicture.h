// Imports a picture file straight into the sheet: decoding and the block conversion.
#pragma once

#include "core/RegularFile.h"

#include <QString>
#include <QStringView>

class BatchProgress;
class GridSheet;
struct PictureError;

enum class PictureConversion { Done, Unreadable, TooManyCells, OutOfMemory };

// Decodes the picture and paints the sheet from it as To Grid does with the block-size
// text. The file is opened once, so a pipe or a FIFO is read as well as a file unless
// kinds says regular files only. On failure the sheet is untouched, unless libjpeg-turbo
// gave up on a JPEG midway and the editor's decoding then failed too.
// `error` says why in the batch's words.
PictureConversion convertPictureFile(const QString &path, QStringView blockSizeText, GridSheet &sheet,
    BatchProgress &progress, QString *error, FileKinds kinds = FileKinds::AnyReadable);

// Why a picture could not be had, in the batch's words.
QString pictureErrorText(const PictureError &error);
