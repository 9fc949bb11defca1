// Drawing the sheet in the page's look: the colours a browser shows.
#include "render/SheetPainter.h"
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

} // namespace

class TestSheetPainter : public QObject {
    Q_OBJECT

private slots:
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
        QImage image(6 * kSide, kSide, QImage::Format_RGB32);
        QPainter on(&image);
        painter.paint(on, *sheet, QPoint(0, 0), image.rect());
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
