// Writes small GIF files for tests: Qt reads GIF but cannot write it. Codes stay 8 bits
// wide (a clear code before the table would grow), which every decoder accepts.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

// The picture must be Format_Indexed8 with at most 128 colours; a colour with alpha 0
// becomes the transparent index.
inline QByteArray EncodeTestGif(const QImage &picture)
{
    Q_ASSERT(picture.format() == QImage::Format_Indexed8 && picture.colorCount() <= 128);
    QByteArray gif("GIF89a");
    auto le16 = [&gif](int value) {
        gif.append(char(value & 0xFF));
        gif.append(char((value >> 8) & 0xFF));
    };
    le16(picture.width());
    le16(picture.height());
    gif.append(char(0xF6)); // global table of 128 entries
    gif.append(char(0));
    gif.append(char(0));
    int transparent = -1;
    for (int i = 0; i < 128; ++i) {
        const QRgb colour = i < picture.colorCount() ? picture.color(i) : 0;
        if (i < picture.colorCount() && qAlpha(colour) == 0 && transparent < 0)
            transparent = i;
        gif.append(char(qRed(colour)));
        gif.append(char(qGreen(colour)));
        gif.append(char(qBlue(colour)));
    }
    if (transparent >= 0) {
        gif.append("\x21\xF9\x04\x01\x00\x00", 6);
        gif.append(char(transparent));
        gif.append(char(0));
    }
    gif.append(char(0x2C));
    le16(0);
    le16(0);
    le16(picture.width());
    le16(picture.height());
    gif.append(char(0));
    gif.append(char(7)); // minimum code size: codes of 8 bits, clear 128, end 129

    QByteArray codes;
    int sinceClear = 0;
    codes.append(char(128));
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (sinceClear == 100) {
                codes.append(char(128));
                sinceClear = 0;
            }
            codes.append(char(picture.pixelIndex(x, y)));
            ++sinceClear;
        }
    }
    codes.append(char(129));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray chunk = codes.mid(at, 255);
        gif.append(char(chunk.size()));
        gif.append(chunk);
    }
    gif.append(char(0));
    gif.append(char(0x3B));
    return gif;
}

inline bool SaveTestGif(const QImage &picture, const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(EncodeTestGif(picture)) >= 0 && file.flush();
}
