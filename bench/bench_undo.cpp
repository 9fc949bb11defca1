// Undo and redo of To Grid on a large sheet: the time of each and the memory one step holds.
// Usage: bench_undo [columns rows]
#include "BenchSupport.h"

#include "document/Document.h"
#include "document/commands/ConvertPicture.h"

#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int columns = argc > 2 ? atoi(argv[1]) : 1000;
    const int rows = argc > 2 ? atoi(argv[2]) : 1000;

    Document document;
    GridSheet &sheet = document.sheet();
    sheet.setSize(columns, rows);
    QRandomGenerator random(7);
    for (int row = 1; row <= rows; row += 3) {
        for (int column = 1; column <= columns; column += 2)
            sheet.setCellText(column, row, QString(QChar(0x3042 + random.bounded(80))));
    }
    QImage picture(columns * 2, rows * 2, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = random.generate();
    }

    const double before = peakResidentMegabytes();
    QElapsedTimer timer;
    timer.start();
    document.perform(std::make_unique<ConvertPicture>(sheet, picture, QStringLiteral("2"), GridProgress()));
    const double applySeconds = timer.nsecsElapsed() / 1e9;
    picture = QImage();
    const double undoSeconds = bestSeconds(1, [&] { document.undoStack().undo(); });
    const double redoSeconds = bestSeconds(1, [&] { document.undoStack().redo(); });
    double undoBest = 1e30, redoBest = 1e30;
    for (int i = 0; i < 5; ++i) {
        undoBest = std::min(undoBest, bestSeconds(1, [&] { document.undoStack().undo(); }));
        redoBest = std::min(redoBest, bestSeconds(1, [&] { document.undoStack().redo(); }));
    }
    std::printf("To Grid on %d x %d: apply %.3f s, first undo %.3f s, first redo %.3f s, best undo %.3f s, "
                "best redo %.3f s\n",
        columns, rows, applySeconds, undoSeconds, redoSeconds, undoBest, redoBest);
    std::printf("one step holds %.1f MB; peak RSS %.1f MB before the step, %.1f MB after\n",
        document.historyBytes() / 1048576.0, before, peakResidentMegabytes());
    return 0;
}
