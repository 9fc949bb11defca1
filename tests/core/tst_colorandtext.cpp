// Colours, and cell texts in HTML: padded to full width by their code page 932 length.
#include "core/Color.h"
#include "core/HtmlText.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestColorAndText : public QObject {
    Q_OBJECT
private slots:
    // Near is closer than the distance in every channel; the unused top byte is ignored.
    void nearColors()
    {
        QVERIFY(isNearColor(0x000000, 0x070707, 8));
        QVERIFY(!isNearColor(0x000000, 0x080000, 8));
        QVERIFY(isNearColor(Color(0x80000000), 0x000000, 1));
    }

    // "#RRGGBB" as the colour fields take it: missing or bad digits read as 0.
    void colorTexts()
    {
        QCOMPARE(hexToColor(u"#FF8000"_s), Color(0x0080FF));
        QCOMPARE(hexToColor(u"#FFF"_s), Color(0x000FFF));
        QCOMPARE(hexToColor(u"#zz8000"_s), Color(0x008000));
        QCOMPARE(hexToColor(QString()), kWhite);
    }

    void htmlTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");

        QTest::newRow("unencodable is full-width") << u"é"_s << u"é"_s;
        QTest::newRow("inner space") << u"a b"_s << u"a&nbsp;b"_s;
        QTest::newRow("three spaces") << u"   "_s << u"\u3000&nbsp;"_s;
        QTest::newRow("space then ampersand") << u" &"_s << u"&nbsp;&amp;"_s;
    }

    void htmlTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);

        QCOMPARE(toHtmlText(QStringView(text)), html);
    }
};

QTEST_GUILESS_MAIN(TestColorAndText)
#include "tst_colorandtext.moc"
