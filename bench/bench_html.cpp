// The HTML page of a 1000 x 1000 sheet of random colours and texts, and the sheet's memory.
#include "BenchSupport.h"

#include "core/GridSheet.h"
#include "html/HtmlPageWriter.h"

#include <QBuffer>
#include <QRandomGenerator>

int main()
{
    const double before = peakResidentMegabytes();
    GridSheet sheet(1000, 1000);
    QRandomGenerator random(42);
    const QString texts[] = {QStringLiteral("春"), QStringLiteral("a"), QStringLiteral("ab"), QString(),
        QStringLiteral("<"), QStringLiteral("　"), QStringLiteral("夏")};
    {
        GridSheet::ChangeBatch batch(sheet);
        for (int row = 1; row <= 1000; ++row) {
            for (int column = 1; column <= 1000; ++column) {
                sheet.setCellText(column, row, texts[random.bounded(7)]);
                sheet.setCellColors(column, row, Color(random.bounded(0x1000000)), kBlack);
            }
        }
    }
    const double sheetMegabytes = peakResidentMegabytes() - before;

    for (bool asIs : {false, true}) {
        HtmlPageSettings settings;
        settings.asIs = asIs;
        settings.pageTitle = QStringLiteral("bench");
        qint64 size = 0;
        const double seconds = bestSeconds(5, [&] {
            QByteArray page;
            QBuffer buffer(&page);
            buffer.open(QIODevice::WriteOnly);
            writeHtmlPage(buffer, sheet, settings);
            size = page.size();
        });
        std::printf("HTML page of 1000 x 1000 random cells (%s): %.3f s, %.1f MB written\n", asIs ? "as-is" : "plain",
            seconds, size / 1e6);
    }
    std::printf("sheet of 1,000,000 cells: %.1f MB (peak resident growth while filling)\n", sheetMegabytes);
    return 0;
}
