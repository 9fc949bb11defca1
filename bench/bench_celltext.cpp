// Times loading grid files whose cells all hold the same text: two units (held in the
// cell) against longer texts (held apart), to show what the longer texts cost.
//   bench_celltext                 2,000,000 cells of "ab", then of "abc"; best of 3 loads
//   bench_celltext 50000000 abc    one load of 50,000,000 cells of "abc"
// The file is written straight from the format (no sheet), so the peak memory printed is
// the load's. Exits 2 when the longer texts take over 3 times as long as "ab".
#include "BenchSupport.h"
#include "core/GridSheet.h"
#include "gridfile/Crc32.h"
#include "gridfile/GridFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 kDefaultCells = 2'000'000;
constexpr int kRounds = 3;

// Writes a file of `cells` cells in one row-major block of 1000 columns (or fewer), each
// holding `text` (under 128 bytes of UTF-8) in black on white.
bool writeFile(const QString &path, qint64 cells, const QByteArray &text, int *columns, int *rows)
{
    *columns = int(std::min<qint64>(cells, 1000));
    *rows = int(cells / *columns);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    Crc32 crc;
    auto put = [&](const QByteArray &bytes) {
        crc.update(bytes.constData(), bytes.size());
        return file.write(bytes) == bytes.size();
    };

    QByteArray header(GridFile::kHeaderSize, '\0');
    std::memcpy(header.data(), GridFile::kMagic, sizeof GridFile::kMagic);
    qToLittleEndian<quint32>(GridFile::kVersion, header.data() + 8);
    qToLittleEndian<quint32>(quint32(*columns), header.data() + 12);
    qToLittleEndian<quint32>(quint32(*rows), header.data() + 16);
    if (!put(header))
        return false;

    QByteArray cell(8, '\0');
    qToLittleEndian<quint32>(quint32(kWhite), cell.data());
    qToLittleEndian<quint32>(quint32(kBlack), cell.data() + 4);
    cell.append(char(text.size()));
    cell.append(text);
    // One row of cells per write.
    const QByteArray row = cell.repeated(*columns);
    for (int i = 0; i < *rows; ++i) {
        if (!put(row))
            return false;
    }
    char checksum[GridFile::kChecksumSize];
    qToLittleEndian<quint32>(crc.value(), checksum);
    return file.write(checksum, sizeof checksum) == qint64(sizeof checksum) && file.flush();
}

// The best load time in seconds of `rounds` loads, or -1 when a load fails or differs.
double timeLoads(const QString &path, int columns, int rows, const QString &text, int rounds)
{
    bool failed = false;
    const double seconds = bestSeconds(rounds, [&] {
        GridSheet sheet(0, 0);
        GridFileFailure failure;
        if (!loadSheet(sheet, path, &failure)) {
            std::fprintf(stderr, "load failed: code %d %s\n", int(failure.error), qPrintable(failure.systemReason));
            failed = true;
            return;
        }
        if (sheet.columnCount() != columns || sheet.rowCount() != rows || sheet.getCellText(columns, rows) != text
            || sheet.getCellText(1, 1) != text) {
            std::fprintf(stderr, "the loaded sheet differs\n");
            failed = true;
        }
    });
    return failed ? -1 : seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qint64 cells = arguments.size() > 1 ? arguments.at(1).toLongLong() : kDefaultCells;
    QStringList texts = arguments.mid(2);
    if (texts.isEmpty())
        texts = {QStringLiteral("ab"), QStringLiteral("abc")};
    if (cells <= 0 || cells > GridSheet::kMaxCells) {
        std::fprintf(stderr, "usage: bench_celltext [cells up to %lld] [text...]\n", qlonglong(GridSheet::kMaxCells));
        return 1;
    }
    const int rounds = texts.size() > 1 ? kRounds : 1;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("texts.grd"));
    std::vector<double> times;
    for (const QString &text : texts) {
        int columns = 0, rows = 0;
        if (!writeFile(path, cells, text.toUtf8(), &columns, &rows)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        const double seconds = timeLoads(path, columns, rows, text, rounds);
        if (seconds < 0)
            return 1;
        times.push_back(seconds);
        std::printf("%lld cells of \"%s\": best load of %d %.3f s\n", qlonglong(qint64(columns) * rows),
            qPrintable(text), rounds, seconds);
        QFile::remove(path);
    }
    std::printf("peak resident memory %.0f MB\n", peakResidentMegabytes());
    if (times.size() < 2)
        return 0;
    const double ratio = times.back() / times.front();
    std::printf("\"%s\" takes %.2f times as long as \"%s\" (target < 3)\n", qPrintable(texts.back()), ratio,
        qPrintable(texts.front()));
    return ratio < 3 ? 0 : 2;
}
