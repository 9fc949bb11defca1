// The page in a real browser keeps its shape: a row of half-width text ends where a row of
// full-width text twice as many columns wide ends, with the fonts a Linux desktop has.
#include "core/GridSheet.h"
#include "html/HtmlPageWriter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");

// The rightmost column with a dark pixel in the rows [top, bottom), or -1.
int darkRightEnd(const QImage &image, int top, int bottom)
{
    for (int x = image.width() - 1; x >= 0; --x) {
        for (int y = top; y < bottom; ++y) {
            if (qGray(image.pixel(x, y)) < 128)
                return x;
        }
    }
    return -1;
}

// Bands of pixel rows holding dark pixels, as [top, bottom) pairs.
QList<QPair<int, int>> darkBands(const QImage &image)
{
    QList<QPair<int, int>> bands;
    int top = -1;
    for (int y = 0; y <= image.height(); ++y) {
        const bool dark = y < image.height() && darkRightEnd(image, y, y + 1) >= 0;
        if (dark && top < 0)
            top = y;
        if (!dark && top >= 0) {
            bands.append({top, y});
            top = -1;
        }
    }
    return bands;
}

} // namespace

class TestPageInBrowser : public QObject {
    Q_OBJECT
private slots:
    void halfAndFullWidthRowsEndTogether()
    {
        if (!QFile::exists(kChromium))
            QSKIP("needs Chromium at /usr/bin/chromium");

        // 24 "a" in 12 cells, a blank row so the glyphs of the two rows cannot touch, and 12 "春".
        GridSheet sheet(12, 3);
        for (int column = 1; column <= 12; ++column) {
            sheet.setCellText(column, 1, QStringLiteral("aa"));
            sheet.setCellText(column, 3, QStringLiteral("春"));
            for (int row = 1; row <= 3; ++row)
                sheet.setCellColors(column, row, kBlack, kBlack);
        }
        HtmlPageSettings settings;
        settings.pageTitle = QStringLiteral("shape");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile page(dir.filePath(QStringLiteral("shape.htm")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        QVERIFY(writeHtmlPage(page, sheet, settings));
        page.close();

        const QString shot = dir.filePath(QStringLiteral("shape.png"));
        // The shot is of the view, which is smaller than the window: leave the rows room.
        QProcess chromium;
        chromium.setProcessChannelMode(QProcess::MergedChannels);
        chromium.start(kChromium,
            {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                QStringLiteral("--hide-scrollbars"), QStringLiteral("--force-device-scale-factor=1"),
                QStringLiteral("--user-data-dir=") + dir.filePath(QStringLiteral("profile")),
                QStringLiteral("--window-size=400,300"), QStringLiteral("--screenshot=") + shot,
                QUrl::fromLocalFile(page.fileName()).toString()});
        QVERIFY2(chromium.waitForStarted(), qPrintable(chromium.errorString()));
        if (!chromium.waitForFinished(60'000)) {
            chromium.kill();
            chromium.waitForFinished();
            QFAIL("Chromium took more than a minute to draw the page");
        }
        const QImage image(shot);
        QVERIFY2(!image.isNull(), chromium.readAll().constData());

        const QList<QPair<int, int>> bands = darkBands(image);
        QCOMPARE(bands.size(), 2);
        const int halfWidthEnd = darkRightEnd(image, bands[0].first, bands[0].second);
        const int fullWidthEnd = darkRightEnd(image, bands[1].first, bands[1].second);
        const QString ends
            = QStringLiteral("half-width row ends at x=%1, full-width row at x=%2").arg(halfWidthEnd).arg(fullWidthEnd);
        qInfo("%s", qPrintable(ends));
        QVERIFY2(qAbs(halfWidthEnd - fullWidthEnd) <= 2, qPrintable(ends));
    }
};

QTEST_GUILESS_MAIN(TestPageInBrowser)
#include "tst_pageinbrowser.moc"
