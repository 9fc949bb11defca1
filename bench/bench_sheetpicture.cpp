// Export Picture of a 500 x 375 poem (a picture's smooth colours, a text in every cell) at
// 16 pixels a cell, in both looks: drawing and PNG writing together.
// QT_QPA_PLATFORM=offscreen bench_sheetpicture [columns rows side]
#include "BenchSupport.h"

#include "core/GridSheet.h"
#include "render/SheetPicture.h"

#include <QBuffer>
#include <QGuiApplication>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int columns = argc > 3 ? atoi(argv[1]) : 500;
    const int rows = argc > 3 ? atoi(argv[2]) : 375;
    const int side = argc > 3 ? atoi(argv[3]) : 16;
    GridSheet sheet(columns, rows);
    const QString poem = QStringLiteral("はるのうみひねもすのたりのたりかな古池や蛙飛びこむ水の音Spring sea rises");
    qsizetype next = 0;
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            sheet.setCellText(column, row, poem.mid(next++ % poem.size(), 1));
            sheet.setCellColors(column, row,
                makeColor(column * 255 / columns, row * 255 / rows, (column + row) * 255 / (columns + rows)), kBlack);
        }
    }
    for (const bool pageLook : {false, true}) {
        SheetPictureSettings settings;
        settings.cellSide = side;
        settings.look = pageLook ? SheetPainter::Look::Page : SheetPainter::Look::Cells;
        qint64 bytes = 0;
        const double seconds = bestSeconds(3, [&] {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            if (!writeSheetPicture(buffer, sheet, settings, nullptr))
                std::printf("failed\n");
            bytes = png.size();
        });
        std::printf("%s look: %d x %d cells at %d px (%d x %d pixels): %.3f s, %.1f MB of PNG\n",
            pageLook ? "page " : "cells", columns, rows, side, columns * side, rows * side, seconds, bytes / 1e6);
    }
    return 0;
}
