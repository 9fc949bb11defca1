#include "JpegPicture.h"

#include "BatchRun.h"

#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg reports errors by longjmp; every warning (corrupt data) counts too, so that only
// files the library reads without a complaint take this path.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool complained;
};

extern "C" void onJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        reinterpret_cast<ErrorManager*>(info->err)->complained = true;
}

extern "C" void onJpegOutput(j_common_ptr) { }

void prepare(jpeg_decompress_struct& info, ErrorManager& errors, const QByteArray& file)
{
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onJpegError;
    errors.base.emit_message = onJpegMessage;
    errors.base.output_message = onJpegOutput;
    errors.complained = false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(
        &info, reinterpret_cast<const unsigned char*>(file.constData()), static_cast<unsigned long>(file.size()));
}

// One thread's share: the block rows [firstRow, endRow) of the grid.
struct Share {
    int firstRow = 0;
    int endRow = 0;
    bool last = false; // also reads the unused strip below the last block row, to the end
    bool ok = false;
};

// What both threads write to: the sheet, one block row at a time under the lock.
struct Painting {
    Painting(const QByteArray& file, const GridPlan& plan, GridSheet& sheet)
        : file(file)
        , plan(plan)
        , sheet(sheet)
    {
    }
    const QByteArray& file;
    const GridPlan& plan;
    GridSheet& sheet;
    bool grey = false;
    std::mutex sheetLock;
    std::atomic<int> rowsDone { 0 };
    std::atomic<bool> failed { false };
};

// Lines to read per call; the library hands out at most what it has ready.
constexpr int kLinesPerRead = 16;

// Buffers outside the setjmp frame, so that nothing with a destructor is jumped over.
struct ShareBuffers {
    std::vector<quint32> lines; // kLinesPerRead scan lines of RGB32
    std::vector<unsigned char> greyLines;
    std::vector<Color> back, fore;
    bool allocate(int width, int columns, bool grey)
    {
        try {
            lines.resize(size_t(width) * kLinesPerRead);
            if (grey)
                greyLines.resize(size_t(width) * kLinesPerRead);
            back.resize(size_t(columns));
            fore.resize(size_t(columns));
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
};

void decodeShare(
    Painting& painting, Share& share, BlockRowSummer& summer, ShareBuffers& buffers, BatchProgress* progress)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepare(info, errors, painting.file);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        share.ok = false;
        painting.failed = true;
        return;
    }
    jpeg_read_header(&info, TRUE);
    // The editor's decoder keeps the library's defaults (accurate transform, fancy
    // upsampling); BGRA is that RGB output laid out as QImage's RGB32 on little-endian.
    info.out_color_space = painting.grey ? JCS_GRAYSCALE : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);

    const int width = int(info.output_width);
    const int height = int(info.output_height);
    const int block = painting.plan.blockSize;
    const int columns = int(painting.plan.columns);
    const int rows = int(painting.plan.rows);
    const int firstLine = share.firstRow * block;
    // The last share reads on to the end, as the editor's decoding does.
    const int endLine = share.last ? height : std::min(height, share.endRow * block);
    if (firstLine > 0)
        jpeg_skip_scanlines(&info, JDIMENSION(firstLine));

    int row = share.firstRow;
    int rowLines = 0;
    while (int(info.output_scanline) < endLine && !painting.failed.load(std::memory_order_relaxed)) {
        JSAMPROW targets[kLinesPerRead];
        const int wanted = std::min(kLinesPerRead, endLine - int(info.output_scanline));
        for (int i = 0; i < wanted; ++i) {
            targets[i] = painting.grey ? buffers.greyLines.data() + size_t(i) * size_t(width)
                                       : reinterpret_cast<JSAMPROW>(buffers.lines.data() + size_t(i) * size_t(width));
        }
        const int got = int(jpeg_read_scanlines(&info, targets, JDIMENSION(wanted)));
        if (got <= 0)
            break;
        for (int i = 0; i < got && row < share.endRow; ++i) {
            quint32* line = buffers.lines.data() + size_t(i) * size_t(width);
            if (painting.grey) {
                const unsigned char* grey = buffers.greyLines.data() + size_t(i) * size_t(width);
                for (int x = 0; x < width; ++x)
                    line[x] = 0xFF000000u | quint32(grey[x]) * 0x010101u;
            }
            summer.addLine(line);
            // A block row ends after a block of lines, or at the picture's last line.
            const int lineAfter = row * block + ++rowLines;
            if (rowLines == block || lineAfter == height) {
                summer.finishRow(buffers.back.data(), buffers.fore.data());
                {
                    const std::lock_guard<std::mutex> lock(painting.sheetLock);
                    painting.sheet.setRowColors(row + 1, 1, buffers.back.data(), buffers.fore.data(), columns);
                }
                ++row;
                rowLines = 0;
                const int done = painting.rowsDone.fetch_add(1, std::memory_order_relaxed) + 1;
                if (progress)
                    progress->advance(done, rows);
            }
        }
    }
    const bool complete = int(info.output_scanline) >= endLine && row == share.endRow;
    if (complete && info.output_scanline == info.output_height)
        jpeg_finish_decompress(&info);
    else
        jpeg_abort_decompress(&info);
    share.ok = complete && !errors.complained;
    if (!share.ok)
        painting.failed = true;
    jpeg_destroy_decompress(&info);
}

} // namespace

bool looksLikeJpeg(const QByteArray& file)
{
    return file.size() >= 3 && uchar(file[0]) == 0xFF && uchar(file[1]) == 0xD8 && uchar(file[2]) == 0xFF;
}

JpegFacts readJpegFacts(const QByteArray& file)
{
    JpegFacts facts;
    if (!looksLikeJpeg(file))
        return facts;
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepare(info, errors, file);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return facts;
    }
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    bool colourProfile = false;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->data_length >= 12 && std::memcmp(marker->data, "ICC_PROFILE", 12) == 0)
            colourProfile = true;
    }
    const int width = int(info.image_width);
    const int height = int(info.image_height);
    const bool grey = info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE;
    const bool colour
        = info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
    facts.size = QSize(width, height);
    // A colour profile makes the editor's grey-to-RGB step profile-aware: leave those to it,
    // and pictures it refuses for their size too.
    facts.taken = !errors.complained && (colour || (grey && !colourProfile)) && width > 0 && height > 0
        && qint64(width) * height <= kMaxPicturePixels;
    jpeg_destroy_decompress(&info);
    return facts;
}

JpegConversion convertJpeg(const QByteArray& file, const GridPlan& plan, GridSheet& sheet, BatchProgress& progress)
{
    const JpegFacts facts = readJpegFacts(file);
    if (!facts.taken || plan.columns <= 0 || plan.rows <= 0)
        return JpegConversion::Declined;
    GridSheet::ChangeBatch batch(sheet);
    if (!sheet.setSize(int(plan.columns), int(plan.rows)))
        return JpegConversion::OutOfMemory;

    Painting painting(file, plan, sheet);
    {
        jpeg_decompress_struct info;
        ErrorManager errors;
        prepare(info, errors, file);
        if (setjmp(errors.jump)) {
            jpeg_destroy_decompress(&info);
            return JpegConversion::Declined;
        }
        jpeg_read_header(&info, TRUE);
        painting.grey = info.num_components == 1;
        jpeg_destroy_decompress(&info);
    }

    // The lower share decodes on a second thread after skipping the upper share's lines;
    // skipping costs about a third of decoding, so the upper share is the larger one.
    const int rows = int(plan.rows);
    Share upper { 0, rows, true, false };
    Share lower { rows, rows, true, true };
    if (rows >= 2 && facts.size.height() >= 32) {
        const int split = std::clamp(int((qint64(rows) * 3 + 4) / 5), 1, rows - 1);
        upper = Share { 0, split, false, false };
        lower = Share { split, rows, true, false };
    }
    BlockRowSummer upperSummer(plan, facts.size.width());
    BlockRowSummer lowerSummer(plan, facts.size.width());
    ShareBuffers upperBuffers, lowerBuffers;
    if (!upperSummer.ok() || !lowerSummer.ok()
        || !upperBuffers.allocate(facts.size.width(), int(plan.columns), painting.grey)
        || !lowerBuffers.allocate(facts.size.width(), int(plan.columns), painting.grey))
        return JpegConversion::OutOfMemory;

    std::thread second;
    if (lower.firstRow < lower.endRow)
        second = std::thread([&] { decodeShare(painting, lower, lowerSummer, lowerBuffers, nullptr); });
    decodeShare(painting, upper, upperSummer, upperBuffers, &progress);
    if (second.joinable())
        second.join();
    return upper.ok && lower.ok ? JpegConversion::Done : JpegConversion::Declined;
}
