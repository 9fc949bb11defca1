#include "html/HtmlPageWriter.h"
#include "render/SheetPainter.h"
#include "render/Zoom.h"
#include "support/logic/SheetBuilder.h"

#include <QPainter>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kSide = 32;

QRgb rgbOf(Color color)
{
    return qRgb(getRed(color), getGreen(color), getBlue(color));
}

// What a browser shows of each cell of the page's rows, read from the page itself: every
// cell of the sheets here is one full-width character, a space or a square.
struct ShownCell {
    bool square = false;
    QRgb text = qRgb(0, 0, 0);
    QRgb back = qRgb(0, 0, 0);
};

QList<QList<ShownCell>> readPage(const QByteArray &page, QRgb pageBackground)
{
    QList<QList<ShownCell>> rows;
    const qsizetype start = page.indexOf("\">\r\n", page.indexOf("<PRE")) + 4;
    const QList<QByteArray> lines = page.mid(start, page.indexOf("</PRE>") - start).split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        QList<ShownCell> cells;
        ShownCell pen {false, qRgb(0, 0, 0), pageBackground};
        for (qsizetype i = 0; i < line.size();) {
            if (line.mid(i).startsWith("<FONT STYLE='color: #")) {
                pen.text = QColor(QString::fromLatin1(line.mid(i + 20, 7))).rgb();
                const qsizetype background = line.indexOf("background:#", i);
                const qsizetype end = line.indexOf("'>", i);
                if (background >= 0 && background < end)
                    pen.back = QColor(QString::fromLatin1(line.mid(background + 11, 7))).rgb();
                i = end + 2;
            } else if (line.mid(i).startsWith("</FONT>")) {
                i += 7;
            } else if (line.at(i) == '\r') {
                ++i;
            } else {
                cells.append({line.mid(i, 2) == QByteArray("\x81\xA1"), pen.text, pen.back});
                i += 2;
            }
        }
        rows.append(cells);
    }
    return rows;
}

QImage paintSheet(SheetPainter &painter, const GridSheet &sheet)
{
    QImage image(sheet.columnCount() * painter.cellSide(), sheet.rowCount() * painter.cellSide(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter on(&image);
    painter.paint(on, sheet, QPoint(0, 0), image.rect());
    return image;
}

} // namespace

class TestSheetPainter : public QObject {
    Q_OBJECT

private slots:
    void fitShowsTheWholeSheet_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("percent");
        QTest::newRow("the designed sheet at 100%") << QSize(400, 352) << 25 << 22 << 100;
        QTest::newRow("a poem of 200 x 150") << QSize(1000, 700) << 200 << 150 << 25;
        QTest::newRow("a side between steps") << QSize(170, 170) << 10 << 10 << 107;
        QTest::newRow("beyond the least") << QSize(800, 600) << 2000 << 2000 << 10;
        QTest::newRow("beyond the most") << QSize(1000, 1000) << 2 << 2 << 800;
        QTest::newRow("a single row") << QSize(1000, 700) << 500 << 1 << 13;
    }

    void fitShowsTheWholeSheet()
    {
        QFETCH(QSize, area);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, percent);
        constexpr int base = 16;
        QCOMPARE(Zoom::fitPercent(area, columns, rows, base), percent);
        if (percent > Zoom::kMinPercent) {
            QVERIFY(Zoom::cellSide(base, percent) * columns <= area.width());
            QVERIFY(Zoom::cellSide(base, percent) * rows <= area.height());
        }
    }

    void zoomStepsStopAtTheLimits()
    {
        QCOMPARE(Zoom::zoomedIn(100), 125);
        QCOMPARE(Zoom::zoomedOut(100), 75);
        QCOMPARE(Zoom::zoomedIn(107), 125);
        QCOMPARE(Zoom::zoomedOut(107), 100);
        QCOMPARE(Zoom::zoomedIn(Zoom::kMaxPercent), Zoom::kMaxPercent);
        QCOMPARE(Zoom::zoomedOut(Zoom::kMinPercent), Zoom::kMinPercent);
        QCOMPARE(Zoom::cellSide(16, Zoom::kMinPercent), 1);
    }

    // Each square in the colour the page gives it, on what the page shows behind it.
    void pageLookShowsThePagesColours_data()
    {
        QTest::addColumn<bool>("asIs");
        QTest::newRow("characters in their cells' colours") << false;
        QTest::newRow("as-is") << true;
    }

    void pageLookShowsThePagesColours()
    {
        QFETCH(bool, asIs);
        const Color red = makeColor(200, 30, 30);
        const Color nearRed = makeColor(205, 34, 27);
        const Color pale = makeColor(240, 240, 200);
        const Color navy = makeColor(10, 20, 90);
        const Color paper = makeColor(0xF2, 0xE3, 0xD1);
        const auto sheet = buildSheet({
            {{u""_s, red}, {u"■"_s, red}, {u"■"_s, nearRed}, {u""_s, pale}, {u"■"_s, navy}, {u"■"_s, pale}},
            {{u"■"_s, pale}, {u"■"_s, kWhite}, {u""_s, navy}, {u"■"_s, navy}, {u"■"_s, red}, {u""_s, red}},
            // Near the page's background after a blank first cell: no span, the browser's black.
            {{u""_s, navy}, {u"■"_s, paper}, {u"■"_s, paper}, {u"■"_s, red}, {u""_s, red}, {u""_s, red}},
        });
        HtmlPageSettings settings;
        settings.backgroundText = u"#F0E0D0"_s;
        settings.asIs = asIs;
        const QRgb pageBackground = qRgb(0xF0, 0xE0, 0xD0);
        const QList<QList<ShownCell>> shown = readPage(htmlPage(*sheet, settings), pageBackground);

        SheetPainter painter;
        painter.setLook(SheetPainter::Look::Page);
        painter.setPageColors({8, makeColor(0xF0, 0xE0, 0xD0), asIs});
        painter.setCellSide(kSide);
        const QImage image = paintSheet(painter, *sheet);
        QCOMPARE(shown.size(), sheet->rowCount());
        for (int row = 1; row <= sheet->rowCount(); ++row) {
            for (int column = 1; column <= sheet->columnCount(); ++column) {
                const QPoint corner((column - 1) * kSide + 1, (row - 1) * kSide + 1);
                // The page leaves out a row's blank end: the page's background shows there.
                const ShownCell cell = column <= shown[row - 1].size() ? shown[row - 1][column - 1]
                                                                       : ShownCell {false, 0, pageBackground};
                QCOMPARE(image.pixel(corner), cell.back);
                if (cell.square)
                    QCOMPARE(image.pixel(corner + QPoint(kSide / 2, kSide / 2)), cell.text);
            }
        }
    }

    void cellsLookShowsEachCellsColours()
    {
        const Color back = makeColor(30, 160, 90);
        const Color fore = makeColor(250, 250, 10);
        const auto sheet = buildSheet({{{u"■"_s, back, fore}, {u"a"_s, kBlack, kWhite}}});
        SheetPainter painter;
        painter.setCellSide(kSide);
        painter.setGridLineColor(Qt::gray);
        const QImage image = paintSheet(painter, *sheet);
        QCOMPARE(image.pixel(1, 1), rgbOf(back));
        QCOMPARE(image.pixel(kSide / 2, kSide / 2), rgbOf(fore));
        QCOMPARE(image.pixel(kSide - 1, kSide / 2), QColor(Qt::gray).rgb());
        QCOMPARE(image.pixel(kSide + 1, 1), rgbOf(kBlack));
    }

    // Too small to read: every pixel of a cell is one colour, the page's characters theirs.
    void tinyCellsAreColourOnly()
    {
        const Color back = makeColor(30, 160, 90);
        const auto sheet = buildSheet({{{u"■"_s, back}, {u""_s, back}}});
        SheetPainter painter;
        painter.setGridLineColor(Qt::gray);
        painter.setCellSide(SheetPainter::kMinTextSide - 1);
        QImage image = paintSheet(painter, *sheet);
        QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), rgbOf(back));
        QCOMPARE(image.pixel(SheetPainter::kMinTextSide / 2, SheetPainter::kMinTextSide / 2), rgbOf(back));
        painter.setLook(SheetPainter::Look::Page);
        image = paintSheet(painter, *sheet);
        QCOMPARE(image.pixel(0, 0), rgbOf(back));
        QCOMPARE(image.pixel(image.width() - 1, 0), rgbOf(kWhite));
    }
};

QTEST_MAIN(TestSheetPainter)
#include "tst_sheetpainter.moc"
