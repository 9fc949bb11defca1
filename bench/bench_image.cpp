// Times the editor's Import Image decoding of a 6000 x 4000 photo-like JPEG and converting it
// into the grid at block sizes 8 and 1, and reports the peak memory of the block size 1 run
// (24,000,000 cells). Run: bench_image [width height [import runs]]
#include "core/GridSheet.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// Smooth colour gradients and blobs plus per-pixel noise, the same on every run.
QImage photoLikePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        const double fy = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / width;
            state = state * 1664525u + 1013904223u;
            const int noise = int((state >> 24) % 17) - 8;
            const double blob = 60.0 * std::sin(fx * 9.0 + fy * 4.0) * std::cos(fy * 7.0 - fx * 3.0);
            auto channel = [noise](double value) { return std::clamp(int(value) + noise, 0, 255); };
            line[x] = qRgb(channel(40 + 170 * fx + blob), channel(30 + 190 * fy - blob * 0.5),
                channel(200 - 120 * fx * fy + blob * 0.7));
        }
    }
    return picture;
}

long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Starts the peak (VmHWM) afresh from the present resident size.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
    const int width = argc > 2 ? std::atoi(argv[1]) : 6000;
    const int height = argc > 2 ? std::atoi(argv[2]) : 4000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    {
        const QImage picture = photoLikePicture(width, height);
        if (!picture.save(path, "JPEG", 90)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("picture: %d x %d JPEG, %lld bytes\n", width, height, QFile(path).size());

    // The import as the editor does it, file to RGB32 picture; the picture before is let go
    // first, as the editor's window lets it go when another is imported.
    const int importRuns = argc > 3 ? std::max(std::atoi(argv[3]), 1) : 9;
    QElapsedTimer timer;
    std::vector<double> decodeTimes, decodeCpuTimes;
    QImage picture;
    for (int run = 0; run < importRuns; ++run) {
        picture = QImage();
        const std::clock_t cpuStart = std::clock();
        timer.start();
        picture = loadPicture(path, nullptr, FileKinds::RegularOnly);
        decodeTimes.push_back(timer.nsecsElapsed() / 1e6);
        decodeCpuTimes.push_back(double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
        if (picture.isNull()) {
            std::fprintf(stderr, "cannot read the picture\n");
            return 1;
        }
    }
    const double decode = median(decodeTimes);
    std::printf("import (loadPicture), median of %d: %.1f ms (fastest %.1f, slowest %.1f), CPU time %.1f ms\n",
        importRuns, decode, *std::min_element(decodeTimes.begin(), decodeTimes.end()),
        *std::max_element(decodeTimes.begin(), decodeTimes.end()), median(decodeCpuTimes));

    int rowsReported = 0;
    const GridProgress progress = [&rowsReported](qint64, qint64) { ++rowsReported; };
    std::vector<double> convertTimes;
    for (int run = 0; run < 5; ++run) {
        GridSheet sheet;
        timer.start();
        imageToGrid(picture, u"8", sheet, progress);
        convertTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (run == 0)
            std::printf("block size 8: %d x %d cells\n", sheet.columnCount(), sheet.rowCount());
    }
    const double convert8 = median(convertTimes);
    std::printf("convert at block size 8, median of 5: %.1f ms (%.1f%% of decode; target under 25%%)\n", convert8,
        100.0 * convert8 / decode);

    resetPeak();
    const long before = statusKilobytes("VmRSS:");
    {
        GridSheet sheet;
        timer.start();
        imageToGrid(picture, u"1", sheet, progress);
        const double convert1 = timer.nsecsElapsed() / 1e6;
        std::printf("block size 1: %d x %d = %lld cells in %.1f ms\n", sheet.columnCount(), sheet.rowCount(),
            sheet.cellCount(), convert1);
        std::printf("  sheet cells: %.1f MB (16 bytes each)\n", sheet.cellCount() * 16 / 1048576.0);
    }
    const long peak = statusKilobytes("VmHWM:");
    std::printf("  RSS before: %.1f MB (picture %.1f MB), peak during: %.1f MB (target under 600 MB)\n",
        before / 1024.0, picture.sizeInBytes() / 1048576.0, peak / 1024.0);
    return 0;
}
