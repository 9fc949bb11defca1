// Imports a picture file straight into the sheet: decoding and the block conversion.
#pragma once

#include <QString>
#include <QStringView>

class BatchProgress;
class GridSheet;

enum class PictureConversion { Done, Unreadable, TooManyCells, OutOfMemory };

// Decodes the picture and paints the sheet from it as To Grid does with the block-size
// text. On failure the sheet is untouched, except after OutOfMemory.
PictureConversion ConvertPictureFile(const QString &path, QStringView blockSizeText, GridSheet &sheet,
                                     BatchProgress &progress, QString *error);
