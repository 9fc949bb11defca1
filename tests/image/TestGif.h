// Writes a Format_Indexed8 picture of at most 128 opaque colours as GIF, which Qt cannot write. Codes
// stay 8 bits wide: every run of 120 pixels starts with a clear code, before the code table would grow.
#pragma once

#include <QDataStream>
#include <QFile>
#include <QImage>

inline bool saveTestGif(const QImage &picture, const QString &path)
{
    QByteArray gif;
    QDataStream out(&gif, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const int width = picture.width(), height = picture.height(), pixels = width * height;
    out.writeRawData("GIF89a", 6);
    out << quint16(width) << quint16(height) << quint8(0xF6) << quint16(0); // 128 global colours
    for (const QRgb colour : picture.colorTable() + QList<QRgb>(128 - picture.colorCount()))
        out << quint8(qRed(colour)) << quint8(qGreen(colour)) << quint8(qBlue(colour));
    out << quint8(0x2C) << quint32(0) << quint16(width) << quint16(height) << quint16(0x0700); // codes start at 8 bits
    for (int at = 0; at < pixels; at += 120) { // clear is code 128, end is 129
        out << quint8(qMin(120, pixels - at) + 1) << quint8(128);
        for (int i = at; i < qMin(at + 120, pixels); ++i)
            out << quint8(picture.pixelIndex(i % width, i / width));
    }
    out << quint8(1) << quint8(129) << quint16(0x3B00);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(gif) == gif.size();
}
