// Converts baseline and progressive JPEG files straight into the sheet while libjpeg-turbo
// decodes them on two threads, with exactly the pixels the editor's picture loading gives.
#pragma once

#include <QByteArray>
#include <QSize>

class BatchProgress;
class GridSheet;
struct GridPlan;

// What the file's header says, read without decoding.
struct JpegFacts {
    QSize size;
    bool taken = false; // the direct path decodes it exactly as the editor would
};

// True when the bytes start like a JPEG file.
bool looksLikeJpeg(const QByteArray& file);

// Reads the header. A file that is not a JPEG, a CMYK one, a grey one with a colour profile,
// one above the editor's picture size limit or one the library complains about is not taken.
JpegFacts readJpegFacts(const QByteArray& file);

enum class JpegConversion {
    Done,
    Declined, // the library complained on the way: convert the editor's way (the sheet is resized)
    OutOfMemory, // the sheet refused the size
};

// Resizes the sheet to the plan and paints every cell from the decoded file, as ImageToGrid
// paints it from the editor's decoding of the same file. Announced as one change.
JpegConversion convertJpeg(const QByteArray& file, const GridPlan& plan, GridSheet& sheet, BatchProgress& progress);
