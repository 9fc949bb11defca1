// Writes JPEG files of every kind the decoders meet, with libjpeg-turbo itself, and a
// photo-like picture to fill them.
#pragma once

#include <QColorSpace>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

// A photo-like picture: gradients, hard edges and a ripple of noise.
inline QImage photoLike(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y,
                qRgb((x * 255 / std::max(width - 1, 1)) ^ (x * y % 23), (y * 3 + x * 7 % 13) & 0xFF,
                    (x + y) % 64 < 32 ? 230 - x % 9 : 20 + y % 11));
    return picture;
}

// A JPEG of the kind: "420", "422", "444", "grey", "cmyk", "progressive", "restarts" (one
// restart marker a row of blocks), or "grey profile" (with a colour profile).
inline QByteArray jpeg(const QImage &picture, const QString &kind)
{
    const bool grey = kind.startsWith(u"grey");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char *bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &bytes, &size);
    const int components = grey ? 1 : kind == u"cmyk" ? 4 : 3;
    cinfo.image_width = JDIMENSION(picture.width());
    cinfo.image_height = JDIMENSION(picture.height());
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo); // colour is 4:2:0 unless changed
    cinfo.comp_info[0].h_samp_factor = kind == u"444" ? 1 : cinfo.comp_info[0].h_samp_factor;
    cinfo.comp_info[0].v_samp_factor = kind == u"444" || kind == u"422" ? 1 : cinfo.comp_info[0].v_samp_factor;
    if (kind == u"progressive")
        jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = kind == u"restarts" ? 1 : 0;
    jpeg_start_compress(&cinfo, TRUE);
    if (kind.endsWith(u"profile")) {
        const QByteArray icc
            = QColorSpace(grey ? QColorSpace::SRgbLinear : QColorSpace::SRgb).iccProfile(); // any valid profile
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET *>(icc.constData()), unsigned(icc.size()));
    }
    const QImage rows = picture.convertToFormat(components == 1 ? QImage::Format_Grayscale8
            : components == 4                                   ? QImage::Format_RGBX8888
                                                                : QImage::Format_RGB888);
    for (JSAMPROW row; cinfo.next_scanline < cinfo.image_height; jpeg_write_scanlines(&cinfo, &row, 1))
        row = const_cast<JSAMPROW>(rows.constScanLine(int(cinfo.next_scanline)));
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray jpeg(reinterpret_cast<const char *>(bytes), qsizetype(size));
    std::free(bytes);
    return jpeg;
}
