// A PNG writer for large pictures of flat colours: 8-bit RGB, each row filtered against the
// one above, compressed in bands on two threads into one zlib stream. Several times faster
// than the general writer on a sheet's picture, and the same image always gives the same bytes.
#pragma once

#include <QIODevice>
#include <QImage>
#include <QString>

// The image must be Format_RGB32. False, with the device's reason, when a write fails;
// false with an empty reason when memory runs out.
bool writePng(QIODevice &device, const QImage &image, QString *error);
