#include "image/JpegDecoder.h"

#include "core/GridSheet.h"
#include "image/PictureFile.h"

#include <QColorSpace>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg reports errors by longjmp; every warning (corrupt data) counts too, so that only
// files the library reads without a complaint are decoded here.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool complained;
};

extern "C" void onJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        reinterpret_cast<ErrorManager *>(info->err)->complained = true;
}

extern "C" void onJpegOutput(j_common_ptr) { }

void prepare(jpeg_decompress_struct &info, ErrorManager &errors, const QByteArray &file)
{
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onJpegError;
    errors.base.emit_message = onJpegMessage;
    errors.base.output_message = onJpegOutput;
    errors.complained = false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(
        &info, reinterpret_cast<const unsigned char *>(file.constData()), static_cast<unsigned long>(file.size()));
}

// QImage's RGB32 as bytes in memory. Grey pictures are widened by the library, r = g = b,
// as Qt widens its 8-bit grey picture.
constexpr J_COLOR_SPACE kRgb32Layout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// Lines to read per call; the library hands out at most what it has ready.
constexpr int kLinesPerRead = 16;

// Where one thread's decoded lines go. A sink is made, buffers and all, before decoding
// starts, so that nothing with a destructor lives in the frame the library's errors jump to.
class LineSink {
public:
    // Where line y goes, the index-th line of one read: the picture's width of RGB32 pixels.
    virtual quint32 *lineFor(int y, int index) = 0;
    // The lines [y, y + count) now hold their pixels.
    virtual void take(int y, int count) = 0;
    // Everything this sink was to receive has come.
    virtual bool complete() const = 0;

protected:
    ~LineSink() = default;
};

// One thread's part of the picture: the lines [firstLine, endLine), and on to the end of the
// picture when toTheEnd, so that the library reads, and complains about, the whole file.
struct Share {
    LineSink *sink = nullptr;
    int firstLine = 0;
    int endLine = 0;
    bool toTheEnd = true;
};

// True when the share's lines were all had without a complaint. Stops early once `failed` is
// set by the other thread.
bool decodeShare(const QByteArray &file, const Share &share, const std::atomic<bool> &failed)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepare(info, errors, file);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_read_header(&info, TRUE);
    // Qt's reader keeps the library's defaults: accurate transform, fancy upsampling.
    info.out_color_space = kRgb32Layout;
    jpeg_start_decompress(&info);
    const int endLine = share.toTheEnd ? int(info.output_height) : std::min(share.endLine, int(info.output_height));
    if (share.firstLine > 0)
        jpeg_skip_scanlines(&info, JDIMENSION(share.firstLine));
    while (int(info.output_scanline) < endLine && !failed.load(std::memory_order_relaxed)) {
        const int y = int(info.output_scanline);
        const int wanted = std::min(kLinesPerRead, endLine - y);
        JSAMPROW targets[kLinesPerRead];
        for (int i = 0; i < wanted; ++i)
            targets[i] = reinterpret_cast<JSAMPROW>(share.sink->lineFor(y + i, i));
        const int got = int(jpeg_read_scanlines(&info, targets, JDIMENSION(wanted)));
        if (got <= 0)
            break;
        share.sink->take(y, got);
    }
    const bool complete = int(info.output_scanline) >= endLine;
    if (complete && info.output_scanline == info.output_height)
        jpeg_finish_decompress(&info);
    else
        jpeg_abort_decompress(&info);
    const bool ok = complete && !errors.complained && share.sink->complete();
    jpeg_destroy_decompress(&info);
    return ok;
}

// The lower share, when there is one, decodes on a second thread after skipping the upper
// share's lines; skipping costs about a third of decoding, so the upper share is the larger
// one. Without a second thread the shares are decoded one after the other.
bool decodeOnTwoThreads(const QByteArray &file, const Share &upper, const Share *lower)
{
    std::atomic<bool> failed {false};
    bool lowerOk = true;
    std::thread second;
    if (lower) {
        try {
            second = std::thread([&] {
                lowerOk = decodeShare(file, *lower, failed);
                if (!lowerOk)
                    failed = true;
            });
        } catch (const std::system_error &) {
            lowerOk = decodeShare(file, *lower, failed);
        }
    }
    const bool upperOk = decodeShare(file, upper, failed);
    if (!upperOk)
        failed = true;
    if (second.joinable())
        second.join();
    return upperOk && lowerOk;
}

// The whole picture's lines, straight into its pixels.
class PictureLines final : public LineSink {
public:
    PictureLines(uchar *bits, qsizetype bytesPerLine)
        : bits_(bits)
        , bytesPerLine_(bytesPerLine)
    {
    }
    quint32 *lineFor(int y, int) override { return reinterpret_cast<quint32 *>(bits_ + qsizetype(y) * bytesPerLine_); }
    void take(int, int) override { }
    bool complete() const override { return true; }

private:
    uchar *bits_;
    qsizetype bytesPerLine_;
};

// What both threads paint: the sheet, one block row at a time under the lock.
struct SharedSheet {
    GridSheet &sheet;
    int columns = 0;
    int rows = 0;
    std::mutex lock;
    std::atomic<int> rowsDone {0};
    int rowsTold = 0; // the last count told, by the calling thread only
};

// One thread's block rows [firstRow, endRow): lines are summed as they come and each block
// row is painted as soon as its last line is in.
class BlockRowLines final : public LineSink {
public:
    BlockRowLines(const GridPlan &plan, QSize picture, int firstRow, int endRow, SharedSheet &shared,
        const GridProgress *progress)
        : summer_(plan, picture.width())
        , shared_(shared)
        , progress_(progress)
        , block_(plan.blockSize)
        , width_(picture.width())
        , height_(picture.height())
        , row_(firstRow)
        , endRow_(endRow)
    {
        try {
            lines_.resize(size_t(width_) * kLinesPerRead);
            back_.resize(size_t(shared.columns));
            fore_.resize(size_t(shared.columns));
            ok_ = summer_.ok();
        } catch (const std::bad_alloc &) {
            ok_ = false;
        }
    }
    bool ok() const { return ok_; }

    quint32 *lineFor(int, int index) override { return lines_.data() + size_t(index) * size_t(width_); }

    void take(int y, int count) override
    {
        // Lines below the last block row are read, but belong to no block.
        for (int i = 0; i < count && row_ < endRow_; ++i) {
            summer_.addLine(lineFor(y + i, i));
            // A block row ends after a block of lines, or at the picture's last line.
            const qint64 lineAfter = qint64(row_) * block_ + ++rowLines_;
            if (rowLines_ == block_ || lineAfter == height_)
                paintRow();
        }
    }

    bool complete() const override { return row_ == endRow_; }

private:
    void paintRow()
    {
        summer_.finishRow(back_.data(), fore_.data());
        {
            const std::lock_guard<std::mutex> lock(shared_.lock);
            shared_.sheet.setRowColors(row_ + 1, 1, back_.data(), fore_.data(), shared_.columns);
        }
        ++row_;
        rowLines_ = 0;
        const int done = shared_.rowsDone.fetch_add(1, std::memory_order_relaxed) + 1;
        if (progress_ && *progress_) {
            (*progress_)(done, shared_.rows);
            shared_.rowsTold = done;
        }
    }

    BlockRowSummer summer_;
    SharedSheet &shared_;
    const GridProgress *progress_;
    int block_;
    int width_;
    int height_;
    int row_;
    int endRow_;
    int rowLines_ = 0;
    bool ok_ = false;
    std::vector<quint32> lines_; // kLinesPerRead scan lines of RGB32
    std::vector<Color> back_, fore_;
};

} // namespace

bool JpegDecoder::looksLikeJpeg(const QByteArray &start)
{
    return start.size() >= 3 && uchar(start[0]) == 0xFF && uchar(start[1]) == 0xD8 && uchar(start[2]) == 0xFF;
}

JpegDecoder::JpegDecoder(const QByteArray &file)
    : file_(file)
{
    if (!looksLikeJpeg(file_))
        return;
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepare(info, errors, file_);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        canDecode_ = false;
        return;
    }
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    bool colourProfile = false;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->data_length < 12 || std::memcmp(marker->data, "ICC_PROFILE", 12) != 0)
            continue;
        colourProfile = true;
        // Qt takes the pieces as they come, after their 14-byte headers, from pieces that can
        // hold a profile header.
        if (marker->data_length > 128 + 4 + 14)
            iccProfile_.append(reinterpret_cast<const char *>(marker->data) + 14, qsizetype(marker->data_length) - 14);
    }
    const int width = int(info.image_width);
    const int height = int(info.image_height);
    const bool grey = info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE;
    const bool colour
        = info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
    size_ = QSize(width, height);
    densityUnit_ = info.density_unit;
    xDensity_ = info.X_density;
    yDensity_ = info.Y_density;
    // A colour profile makes Qt's grey-to-RGB step profile-aware: leave those to Qt, and
    // pictures refused for their size too.
    canDecode_ = !errors.complained && (colour || (grey && !colourProfile)) && width > 0 && height > 0
        && qint64(width) * height <= kMaxPicturePixels;
    jpeg_destroy_decompress(&info);
}

QImage JpegDecoder::decode() const
{
    if (!canDecode_)
        return {};
    QImage picture(size_, QImage::Format_RGB32);
    if (picture.isNull())
        return {};
    // The pixels' address is taken once, here: scanLine() on two threads would race.
    PictureLines lines(picture.bits(), picture.bytesPerLine());
    const int height = size_.height();
    const int split = height >= 32 ? height * 3 / 5 : height;
    const Share upper {&lines, 0, split, split == height};
    const Share lower {&lines, split, height, true};
    if (!decodeOnTwoThreads(file_, upper, split < height ? &lower : nullptr))
        return {};
    // The resolution and colour space Qt's reader gives the picture.
    if (densityUnit_ == 1) {
        picture.setDotsPerMeterX(int(100. * xDensity_ / 2.54));
        picture.setDotsPerMeterY(int(100. * yDensity_ / 2.54));
    } else if (densityUnit_ == 2) {
        picture.setDotsPerMeterX(int(100. * xDensity_));
        picture.setDotsPerMeterY(int(100. * yDensity_));
    }
    if (!iccProfile_.isEmpty())
        picture.setColorSpace(QColorSpace::fromIccProfile(iccProfile_));
    return picture;
}

JpegConversion JpegDecoder::paintSheet(const GridPlan &plan, GridSheet &sheet, const GridProgress &progress) const
{
    if (!canDecode_ || plan.columns <= 0 || plan.rows <= 0)
        return JpegConversion::Declined;
    GridSheet::ChangeBatch batch(sheet);
    if (!sheet.setSize(int(plan.columns), int(plan.rows)))
        return JpegConversion::OutOfMemory;

    const int rows = int(plan.rows);
    int split = rows;
    if (rows >= 2 && size_.height() >= 32)
        split = std::clamp(int((qint64(rows) * 3 + 4) / 5), 1, rows - 1);
    SharedSheet shared {sheet, int(plan.columns), rows, {}, {}, 0};
    BlockRowLines upperLines(plan, size_, 0, split, shared, &progress);
    BlockRowLines lowerLines(plan, size_, split, rows, shared, nullptr);
    if (!upperLines.ok() || !lowerLines.ok())
        return JpegConversion::OutOfMemory;
    // The last share reads on to the end, as Qt's decoding does.
    const int splitLine = int(std::min<qint64>(qint64(split) * plan.blockSize, size_.height()));
    const Share upper {&upperLines, 0, splitLine, split == rows};
    const Share lower {&lowerLines, splitLine, size_.height(), true};
    if (!decodeOnTwoThreads(file_, upper, split < rows ? &lower : nullptr))
        return JpegConversion::Declined;
    // Rows the second thread painted last are told once both are done.
    if (progress && shared.rowsTold < rows)
        progress(rows, rows);
    return JpegConversion::Done;
}
