// Times saving and loading a 2000 x 2000 sheet of single characters in varied colours,
// through a real file; the target is under 0.5 s each.
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kSide = 2000;
constexpr int kRounds = 5;

void fill(GridSheet &sheet)
{
    static const char16_t kCharacters[] = u"春夏秋冬ab山川 あ𠮷";
    GridSheet::ChangeBatch batch(sheet);
    for (int row = 1; row <= kSide; ++row) {
        for (int column = 1; column <= kSide; ++column) {
            const int pick = (row * 7 + column) % 11;
            QString text;
            if (pick < 10)
                text = QString(QChar(kCharacters[pick]));
            else
                text = QString::fromUtf16(kCharacters + 10, 2); // a surrogate pair
            sheet.setCellText(column, row, text);
            sheet.setCellColors(column, row, makeColor(row % 256, column % 256, (row + column) % 256),
                (row + column) % 2 ? kBlack : kWhite);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.grd"));

    GridSheet sheet(kSide, kSide);
    fill(sheet);

    qint64 bestSave = -1, bestLoad = -1;
    for (int round = 0; round < kRounds; ++round) {
        GridFileFailure failure;
        QElapsedTimer timer;
        timer.start();
        if (!saveSheet(sheet, path, &failure)) {
            std::fprintf(stderr, "save failed: code %d %s\n", int(failure.error), qPrintable(failure.systemReason));
            return 1;
        }
        const qint64 save = timer.elapsed();

        GridSheet loaded;
        timer.restart();
        if (!loadSheet(loaded, path, &failure)) {
            std::fprintf(stderr, "load failed: code %d %s\n", int(failure.error), qPrintable(failure.systemReason));
            return 1;
        }
        const qint64 load = timer.elapsed();
        if (loaded.columnCount() != kSide || loaded.getCellText(kSide, kSide) != sheet.getCellText(kSide, kSide)) {
            std::fprintf(stderr, "the loaded sheet differs\n");
            return 1;
        }
        bestSave = bestSave < 0 ? save : std::min(bestSave, save);
        bestLoad = bestLoad < 0 ? load : std::min(bestLoad, load);
        std::printf("round %d: save %lld ms, load %lld ms\n", round + 1, qlonglong(save), qlonglong(load));
    }
    std::printf("%d x %d cells, file %.1f MB: best save %lld ms, best load %lld ms (target < 500 ms each)\n", kSide,
        kSide, double(QFileInfo(path).size()) / 1e6, qlonglong(bestSave), qlonglong(bestLoad));
    return bestSave < 500 && bestLoad < 500 ? 0 : 2;
}
