// Drawing the sheet at a zoom, in the cells' look and the page's: the colours a browser shows.
#include "render/SheetPainter.h"
#include "render/Zoom.h"
#include "support/logic/SheetBuilder.h"

#include <QPainter>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kSide = 32;
const Color kPage = makeColor(0xF0, 0xE0, 0xD0);
const Color kPaper = makeColor(0xF2, 0xE3, 0xD1); // near the page's background
const Color kRed = makeColor(200, 30, 30);
const Color kNearRed = makeColor(205, 34, 27);
const Color kPale = makeColor(240, 240, 200);
const Color kNavy = makeColor(10, 20, 90);

QRgb rgbOf(Color color)
{
    return qRgb(getRed(color), getGreen(color), getBlue(color));
}

QImage paintSheet(SheetPainter &painter, const GridSheet &sheet)
{
    QImage image(sheet.columnCount() * painter.cellSide(), sheet.rowCount() * painter.cellSide(), QImage::Format_RGB32);
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
        QCOMPARE(Zoom::zoomedIn(107), 125);
        QCOMPARE(Zoom::zoomedOut(107), 100);
        QCOMPARE(Zoom::zoomedIn(Zoom::kMaxPercent), Zoom::kMaxPercent);
        QCOMPARE(Zoom::zoomedOut(Zoom::kMinPercent), Zoom::kMinPercent);
        QCOMPARE(Zoom::cellSide(16, Zoom::kMinPercent), 1);
    }

    // The cell's background, its text in its colour, and the grid line on its last pixels.
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

    // A span of near colours takes its first cell's colour, and before any span the text is
    // the browser's black; as is, each span's colour is behind its text, black or white on it.
    void pageLookShowsThePagesColours_data()
    {
        QTest::addColumn<bool>("asIs");
        QTest::addColumn<QList<Color>>("backs");
        QTest::addColumn<QList<Color>>("texts"); // 0 where no character shows

        QTest::newRow("characters in their cells' colours")
            << false << QList<Color>(6, kPage) << QList<Color> {0, kBlack, kRed, kRed, 0, kNavy};
        QTest::newRow("as is") << true << QList<Color> {kNavy, kPaper, kRed, kRed, kPale, kNavy}
                               << QList<Color> {0, kBlack, kWhite, kWhite, 0, kWhite};
    }

    void pageLookShowsThePagesColours()
    {
        QFETCH(bool, asIs);
        QFETCH(QList<Color>, backs);
        QFETCH(QList<Color>, texts);
        const auto sheet = buildSheet(
            {{{u""_s, kNavy}, {u"■"_s, kPaper}, {u"■"_s, kRed}, {u"■"_s, kNearRed}, {u""_s, kPale}, {u"■"_s, kNavy}}});
        SheetPainter painter;
        painter.setLook(SheetPainter::Look::Page);
        painter.setPageColors({8, kPage, asIs});
        painter.setCellSide(kSide);
        const QImage image = paintSheet(painter, *sheet);
        for (int column = 1; column <= 6; ++column) {
            const QPoint corner((column - 1) * kSide + 1, 1);
            QCOMPARE(image.pixel(corner), rgbOf(backs[column - 1]));
            if (texts[column - 1] != 0)
                QCOMPARE(image.pixel(corner + QPoint(kSide / 2, kSide / 2)), rgbOf(texts[column - 1]));
        }
    }
};

QTEST_MAIN(TestSheetPainter)
#include "tst_sheetpainter.moc"
