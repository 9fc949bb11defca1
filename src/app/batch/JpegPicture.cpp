#include "JpegPicture.h"

#include "image/PictureFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <thread>

#include <jpeglib.h>

namespace {

// libjpeg reports errors by longjmp; every warning (corrupt data) counts too, so that only
// files the library reads without a complaint take this path.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool complained;
};

extern "C" void OnJpegError(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    std::longjmp(errors->jump, 1);
}

extern "C" void OnJpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        reinterpret_cast<ErrorManager *>(info->err)->complained = true;
}

extern "C" void OnJpegOutput(j_common_ptr) {}

struct Part {
    int firstRow = 0;
    int endRow = 0;
    bool ok = false;
};

struct HeaderFacts {
    int width = 0;
    int height = 0;
    int components = 0;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    bool hasColorProfile = false;
};

void Prepare(jpeg_decompress_struct &info, ErrorManager &errors)
{
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    errors.base.emit_message = OnJpegMessage;
    errors.base.output_message = OnJpegOutput;
    errors.complained = false;
}

bool ReadHeader(const QByteArray &file, HeaderFacts &facts)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    Prepare(info, errors);
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(file.constData()), static_cast<unsigned long>(file.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    facts.width = int(info.image_width);
    facts.height = int(info.image_height);
    facts.components = info.num_components;
    facts.colorSpace = info.jpeg_color_space;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->data_length >= 12 && std::memcmp(marker->data, "ICC_PROFILE", 12) == 0)
            facts.hasColorProfile = true;
    }
    const bool clean = !errors.complained;
    jpeg_destroy_decompress(&info);
    return clean;
}

// Decodes the rows [firstRow, endRow) into the picture. Rows above are skipped, which
// still reads their entropy-coded data but spares their transform and colour conversion.
void DecodeRows(const QByteArray &file, bool grey, QImage &picture, Part &part)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    Prepare(info, errors);
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        part.ok = false;
        return;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(file.constData()), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    // The editor's decoder keeps the library's defaults (accurate transform, fancy
    // upsampling); BGRA is its RGB output laid out as QImage's RGB32 on little-endian.
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    if (part.firstRow > 0)
        jpeg_skip_scanlines(&info, JDIMENSION(part.firstRow));
    unsigned char *greyLine = nullptr;
    if (grey)
        greyLine = static_cast<unsigned char *>(
            (*info.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, info.output_width));
    while (int(info.output_scanline) < part.endRow) {
        const int y = int(info.output_scanline);
        unsigned char *target = grey ? greyLine : picture.scanLine(y);
        JSAMPROW rows[1] = {target};
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            break;
        if (grey) {
            auto *line = reinterpret_cast<quint32 *>(picture.scanLine(y));
            for (JDIMENSION x = 0; x < info.output_width; ++x)
                line[x] = 0xFF000000u | quint32(greyLine[x]) * 0x010101u;
        }
    }
    const bool allRead = int(info.output_scanline) >= part.endRow;
    if (info.output_scanline == info.output_height)
        jpeg_finish_decompress(&info);
    else
        jpeg_abort_decompress(&info);
    part.ok = allRead && !errors.complained;
    jpeg_destroy_decompress(&info);
}

} // namespace

bool LooksLikeJpeg(const QByteArray &file)
{
    return file.size() > 3 && uchar(file[0]) == 0xFF && uchar(file[1]) == 0xD8 && uchar(file[2]) == 0xFF;
}

QImage DecodeJpegExactly(const QByteArray &file)
{
    if (!LooksLikeJpeg(file))
        return {};
    HeaderFacts facts;
    if (!ReadHeader(file, facts))
        return {};
    const bool grey = facts.components == 1 && facts.colorSpace == JCS_GRAYSCALE;
    const bool colour = facts.components == 3 && (facts.colorSpace == JCS_YCbCr || facts.colorSpace == JCS_RGB);
    // A colour profile makes the editor's grey-to-RGB step profile-aware; leave those to it.
    if (!(colour || (grey && !facts.hasColorProfile)))
        return {};
    if (facts.width <= 0 || facts.height <= 0 || qint64(facts.width) * facts.height > kMaxPicturePixels)
        return {};
    QImage picture(facts.width, facts.height, QImage::Format_RGB32);
    if (picture.isNull())
        return {};

    // The lower part decodes on a second thread after skipping the upper part's rows;
    // skipping costs about a third of decoding, so the upper part is the larger one.
    Part upper{0, facts.height, false};
    Part lower{facts.height, facts.height, true};
    if (facts.height >= 32) {
        const int split = int(qint64(facts.height) * 3 / 5);
        upper.endRow = split;
        lower.firstRow = split;
    }
    std::thread second;
    if (lower.firstRow < lower.endRow) {
        lower.ok = false;
        second = std::thread([&] { DecodeRows(file, grey, picture, lower); });
    }
    DecodeRows(file, grey, picture, upper);
    if (second.joinable())
        second.join();
    if (!upper.ok || !lower.ok)
        return {};
    return picture;
}
