// Copy (all three forms) and paste of a 1000 x 1000 selection of a sheet like To Grid makes:
// every cell its own colour and a text of two characters.
// Usage: bench_clipboard [columns rows]
#include "BenchSupport.h"

#include "document/CellClipboard.h"
#include "document/Document.h"

#include <QCoreApplication>
#include <QRandomGenerator>

namespace {

void fillLikeToGrid(GridSheet &sheet, quint32 seed)
{
    const QString texts[]
        = {QStringLiteral("ab"), QStringLiteral("春夏"), QStringLiteral("x1"), QStringLiteral("秋冬")};
    QRandomGenerator random(seed);
    GridSheet::ChangeBatch batch(sheet);
    for (int row = 1; row <= sheet.rowCount(); ++row) {
        for (int column = 1; column <= sheet.columnCount(); ++column) {
            sheet.setCellText(column, row, texts[random.bounded(4)]);
            sheet.setCellColors(column, row, Color(random.bounded(0x1000000)), Color(random.bounded(0x1000000)));
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int columns = argc > 2 ? atoi(argv[1]) : 1000;
    const int rows = argc > 2 ? atoi(argv[2]) : 1000;
    const QRect area(1, 1, columns, rows);

    Document source;
    source.sheet().setSize(columns, rows);
    fillLikeToGrid(source.sheet(), 1);

    std::unique_ptr<QMimeData> copy;
    const double copySeconds = bestSeconds(5, [&] { copy = mimeDataForCells(source, area); });
    if (!copy)
        return 1;
    const QString type = QString::fromLatin1(CellClipboard::kMimeType);
    const qsizetype cellBytes = copy->data(type).size();
    const qsizetype textUnits = copy->text().size();
    const qsizetype pageUnits = copy->html().size();
    // What another program's clipboard gives back: the bytes alone.
    QMimeData fresh;
    fresh.setData(type, copy->data(type));

    double pasteSeconds = 1e30;
    for (int run = 0; run < 5; ++run) {
        Document target;
        target.sheet().setSize(columns, rows);
        fillLikeToGrid(target.sheet(), 2);
        QElapsedTimer timer;
        timer.start();
        if (!target.perform(std::make_unique<PasteCells>(target.sheet(), pasteContentOf(fresh))))
            return 1;
        pasteSeconds = std::min(pasteSeconds, timer.nsecsElapsed() / 1e9);
    }

    std::printf("copy of %d x %d cells, three forms: %.3f s (cells %.1f MB, text %.1f M units, page %.1f M units)\n",
        columns, rows, copySeconds, cellBytes / 1e6, textUnits / 1e6, pageUnits / 1e6);
    std::printf("paste of %d x %d cells, decoding and one undo step: %.3f s\n", columns, rows, pasteSeconds);
    return 0;
}
