// Colours, and cell texts in HTML: padded to full width by their code page 932 length.
#include "core/Color.h"
#include "core/HtmlText.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestColorAndText : public QObject {
    Q_OBJECT
private slots:
    void nearColors_data()
    {
        QTest::addColumn<quint32>("first");
        QTest::addColumn<quint32>("second");
        QTest::addColumn<int>("distance");
        QTest::addColumn<bool>("near");

        QTest::newRow("within") << quint32(0x000000) << quint32(0x070707) << 8 << true;
        QTest::newRow("blue differs by exactly the distance") << quint32(0x000000) << quint32(0x080000) << 8 << false;
        QTest::newRow("distance 256: black and white") << quint32(0x000000) << quint32(0xFFFFFF) << 256 << true;
        QTest::newRow("a top-byte colour is black") << quint32(0x80000000) << quint32(0x000000) << 1 << true;
    }

    void nearColors()
    {
        QFETCH(quint32, first);
        QFETCH(quint32, second);
        QFETCH(int, distance);
        QFETCH(bool, near);

        QCOMPARE(isNearColor(Color(first), Color(second), distance), near);
    }

    void colorTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("color");

        QTest::newRow("RGB to BGR") << u"#FF8000"_s << quint32(0x0080FF);
        QTest::newRow("empty is white") << QString() << quint32(0xFFFFFF);
        QTest::newRow("no hash is white") << u"FF0000"_s << quint32(0xFFFFFF);
        QTest::newRow("three digits") << u"#FFF"_s << quint32(0x000FFF);
        QTest::newRow("bad pair reads 0") << u"#zz8000"_s << quint32(0x008000);
        QTest::newRow("beyond six digits ignored") << u"#102030405"_s << quint32(0x302010);
    }

    void colorTexts()
    {
        QFETCH(QString, text);
        QFETCH(quint32, color);

        QCOMPARE(hexToColor(text), Color(color));
    }

    void htmlTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");

        QTest::newRow("half-width padded") << u"A"_s << u"A&nbsp;"_s;
        QTest::newRow("full-width") << u"あ"_s << u"あ"_s;
        QTest::newRow("half-width katakana") << u"ｱ"_s << u"ｱ&nbsp;"_s;
        QTest::newRow("unencodable is full-width") << u"é"_s << u"é"_s;
        QTest::newRow("surrogate pair") << QString::fromUcs4(U"\U0001F600") << QString::fromUcs4(U"\U0001F600");
        QTest::newRow("less than") << u"<"_s << u"&lt;&nbsp;"_s;
        QTest::newRow("quote") << u"\""_s << u"&quot;&nbsp;"_s;
        QTest::newRow("apostrophe") << u"'"_s << u"'&nbsp;"_s;
        QTest::newRow("inner space") << u"a b"_s << u"a&nbsp;b"_s;
        QTest::newRow("three spaces") << u"   "_s << u"\u3000&nbsp;"_s;
        QTest::newRow("tab") << u"\t"_s << u"\u3000"_s;
        QTest::newRow("entity-like text") << u"&lt"_s << u"&amp;lt"_s;
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
