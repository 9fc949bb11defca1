// Repaints of the grid's 1600 x 1000 viewport over a 2000 x 2000 poem (a picture's smooth
// colours, a text in every cell) at 10%, 100% and 800%, in both looks, and a scroll by one
// screen. Offscreen: QT_QPA_PLATFORM=offscreen bench_sheetpaint
#include "BenchSupport.h"

#include "document/Document.h"
#include "ui/GridSheetView.h"

#include <QApplication>
#include <QScrollBar>

namespace {

void fillLikePoem(GridSheet &sheet)
{
    const QString poem = QStringLiteral("はるのうみひねもすのたりのたりかな古池や蛙飛びこむ水の音Spring sea rises");
    GridSheet::ChangeBatch batch(sheet);
    qsizetype next = 0;
    for (int row = 1; row <= sheet.rowCount(); ++row) {
        for (int column = 1; column <= sheet.columnCount(); ++column) {
            QString text = poem.mid(next++ % poem.size(), 1);
            if (text.at(0).unicode() < 0x80)
                text += poem.at(next++ % poem.size());
            sheet.setCellText(column, row, text);
            const Color back = makeColor(column * 255 / sheet.columnCount(), row * 255 / sheet.rowCount(),
                (column + row) * 255 / (sheet.columnCount() + sheet.rowCount()));
            sheet.setCellColors(column, row, back, kBlack);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Document document;
    document.sheet().setSize(2000, 2000);
    fillLikePoem(document.sheet());
    GridSheetView view(document);
    view.resize(1600 + view.verticalScrollBar()->sizeHint().width() + 2,
        1000 + view.horizontalScrollBar()->sizeHint().height() + 2);
    view.show();
    QApplication::processEvents();
    std::printf("viewport %d x %d, cell side %d at 100%%\n", view.viewport()->width(), view.viewport()->height(),
        view.baseCellSide());

    for (const bool pageLook : {false, true}) {
        view.setPageLook(pageLook);
        for (const int percent : {10, 100, 800}) {
            view.setZoomPercent(percent);
            view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 3);
            view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 3);
            QApplication::processEvents();
            const double first = bestSeconds(1, [&] { view.viewport()->repaint(); });
            const double repaint = bestSeconds(20, [&] { view.viewport()->repaint(); });
            QScrollBar *bar = view.verticalScrollBar();
            const double scroll = bestSeconds(10, [&] {
                bar->setValue(bar->value() + bar->pageStep() <= bar->maximum() ? bar->value() + bar->pageStep() : 0);
                view.viewport()->repaint();
            });
            std::printf("%s look, %3d%%: first repaint %6.2f ms, repaint %6.2f ms, scroll a screen %6.2f ms\n",
                pageLook ? "page " : "cells", percent, first * 1e3, repaint * 1e3, scroll * 1e3);
        }
    }
    // A zoom step and the repaint it brings, as Ctrl and the wheel make them.
    view.setPageLook(false);
    int percent = 100;
    const double zoom = bestSeconds(10, [&] {
        percent = percent == 100 ? 125 : 100;
        view.setZoomPercent(percent);
        view.viewport()->repaint();
    });
    std::printf("a zoom step between 100%% and 125%% with its repaint: %6.2f ms\n", zoom * 1e3);
    return 0;
}
