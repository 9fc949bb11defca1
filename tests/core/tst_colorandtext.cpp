// Colours, the HTML form of cell texts, typed numbers and the version text.
#include "core/Color.h"
#include "core/Cp932.h"
#include "core/HtmlText.h"
#include "core/NumberField.h"
#include "core/Version.h"

#include <QTest>

class TestColorAndText : public QObject {
    Q_OBJECT
private slots:
    void colours()
    {
        QCOMPARE(versionText(), QStringLiteral("0.005b"));
        const struct {
            quint32 color;
            int red, green, blue;
        } components[] = { { 0x00FFCC99, 0x99, 0xCC, 0xFF }, { 0x000A0000, 0, 0, 10 }, { 0x80000005, 0, 0, 0 },
            { 0x01FFFFFF, 0, 0, 0 } };
        for (const auto& c : components) {
            QCOMPARE(getRed(Color(c.color)), c.red);
            QCOMPARE(getGreen(Color(c.color)), c.green);
            QCOMPARE(getBlue(Color(c.color)), c.blue);
        }
        QVERIFY(isNearColor(0x000000, 0x070707, 8));
        QVERIFY(!isNearColor(0x000000, 0x080000, 8)); // blue differs by exactly the distance
        QVERIFY(!isNearColor(0x123456, 0x123456, 0));
        QVERIFY(isNearColor(0x123456, 0x123456, 1) && !isNearColor(0x123456, 0x123457, 1));
        QVERIFY(isNearColor(0x000000, 0xFFFFFF, 256) && !isNearColor(0x000000, 0xFFFFFF, 255));
        QVERIFY(isNearColor(Color(0x80000000), 0x000000, 1)); // a top-byte colour is black
        QCOMPARE(colorToHex(makeColor(5, 10, 200)), QStringLiteral("#050AC8"));
        QCOMPARE(colorToHex(Color(0x80FFFFFF)), QStringLiteral("#000000"));
    }

    void colorTexts()
    {
        const std::pair<const char16_t*, int> cases[]
            = { { u"#FFFFFF", 0xFFFFFF }, { u"#ffffff", 0xFFFFFF }, { u"#FF8000", 0x0080FF }, { u"#0000FF", 0xFF0000 },
                  { u"", 0xFFFFFF }, { u"FF0000", 0xFFFFFF }, { u"#FF", 0x0000FF }, { u"#FFF", 0x000FFF },
                  { u"#zz8000", 0x008000 }, { u"#F-8000", 0x00800F }, { u"#102030405", 0x302010 } };
        for (const auto& [text, color] : cases)
            QVERIFY2(hexToColor(text) == Color(color), qPrintable(QString::fromUtf16(text)));
    }

    void byteLengthAndHtmlText()
    {
        const std::pair<QString, int> lengths[] = { { QStringLiteral("A"), 1 }, { QStringLiteral("あ"), 2 },
            { QString(), 0 }, { QStringLiteral("\t"), 1 }, { QStringLiteral("ｱ"), 1 }, { QStringLiteral("春ab"), 4 },
            { QStringLiteral("é"), 2 }, // unencodable: full-width
            { QString::fromUcs4(U"\U0001F600"), 2 } };
        for (const auto& [text, length] : lengths)
            QVERIFY2(Cp932::byteLength(text) == length, qPrintable(text));

        const std::pair<const char16_t*, const char16_t*> html[] = { { u"A", u"A&nbsp;" }, { u"あ", u"あ" },
            { u"<", u"&lt;&nbsp;" }, { u"&", u"&amp;&nbsp;" }, { u"\"", u"&quot;&nbsp;" }, { u"'", u"'&nbsp;" },
            { u"a b", u"a&nbsp;b" }, { u"   ", u"\u3000&nbsp;" }, { u"\t", u"\u3000" }, { u"ab", u"ab" }, { u"", u"" },
            { u"&lt", u"&amp;lt" }, { u" &", u"&nbsp;&amp;" }, { u"    ", u"\u3000\u3000" } };
        for (const auto& [text, expected] : html)
            QCOMPARE(toHtmlText(QStringView(text)), QString::fromUtf16(expected));
    }

    void numberFields()
    {
        const struct {
            const char16_t* text;
            qint32 value;
            bool outOfRange;
        } cases[] = { { u"8", 8, false }, { u"", 0, false }, { u"abc", 0, false }, { u"7.5", 8, false },
            { u"8.5", 8, false }, { u"2.5", 2, false }, { u"3.5", 4, false }, { u"7.6", 8, false },
            { u"12px", 12, false }, { u"  -5", -5, false }, { u"+3", 3, false }, { u".6", 1, false },
            { u"-2.5", -2, false }, { u"-", 0, false }, { u"5e-1", 0, false }, { u"12e", 12, false },
            { u"1e-999", 0, false }, { u"2147483647", 2147483647, false }, { u"9e9", 2147483647, true },
            { u"-9e9", -2147483647 - 1, true }, { u"2147483648", 2147483647, true }, { u"1e999", 2147483647, true } };
        for (const auto& c : cases) {
            const NumberFieldValue read = readNumberField(c.text);
            QVERIFY2(read.value == c.value && read.outOfRange == c.outOfRange, qPrintable(QString::fromUtf16(c.text)));
        }
    }
};

QTEST_GUILESS_MAIN(TestColorAndText)
#include "tst_colorandtext.moc"
