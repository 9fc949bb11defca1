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

// The rightmost column holding a pixel that is mostly the given channel, or -1.
int rightEnd(const QImage &image, int (*channel)(QRgb))
{
    for (int x = image.width() - 1; x >= 0; --x) {
        for (int y = 0; y < image.height(); ++y) {
            const QRgb pixel = image.pixel(x, y);
            if (channel(pixel) - qGray(pixel) > 60)
                return x;
        }
    }
    return -1;
}

} // namespace

class TestPageInBrowser : public QObject {
    Q_OBJECT
private slots:
    void halfAndFullWidthRowsEndTogether()
    {
        if (!QFile::exists(kChromium))
            QSKIP("needs Chromium at /usr/bin/chromium");

        // 24 "a" in red cells, a blank row, and 12 "春" in blue ones: each row's text in its colour.
        GridSheet sheet(12, 3);
        for (int column = 1; column <= 12; ++column) {
            sheet.setCellText(column, 1, QStringLiteral("aa"));
            sheet.setCellColors(column, 1, makeColor(255, 0, 0), kBlack);
            sheet.setCellText(column, 3, QStringLiteral("春"));
            sheet.setCellColors(column, 3, makeColor(0, 0, 255), kBlack);
        }
        QTemporaryDir dir;
        QFile page(dir.filePath(QStringLiteral("shape.htm")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        QVERIFY(writeHtmlPage(page, sheet, HtmlPageSettings {}));
        page.close();

        const QString shot = dir.filePath(QStringLiteral("shape.png"));
        QProcess chromium;
        chromium.start(kChromium,
            {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                QStringLiteral("--force-device-scale-factor=1"),
                QStringLiteral("--user-data-dir=") + dir.filePath(QStringLiteral("profile")),
                QStringLiteral("--screenshot=") + shot, QUrl::fromLocalFile(page.fileName()).toString()});
        QVERIFY2(chromium.waitForFinished(60'000), "Chromium did not draw the page within a minute");
        const QImage image(shot);
        QVERIFY2(!image.isNull(), chromium.readAllStandardError().constData());

        const int halfWidthEnd = rightEnd(image, qRed);
        const int fullWidthEnd = rightEnd(image, qBlue);
        QVERIFY2(halfWidthEnd > 0 && qAbs(halfWidthEnd - fullWidthEnd) <= 2,
            qPrintable(QStringLiteral("half-width row ends at x=%1, full-width row at x=%2")
                           .arg(halfWidthEnd)
                           .arg(fullWidthEnd)));
    }
};

QTEST_GUILESS_MAIN(TestPageInBrowser)
#include "tst_pageinbrowser.moc"
