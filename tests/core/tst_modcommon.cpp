// The shared colour, text and number procedures.
#include "core/modCommon.h"

#include <QTest>

class TestModCommon : public QObject {
    Q_OBJECT
private slots:
    void versionText() { QCOMPARE(VersionText(), QStringLiteral("0.005b")); }

    void colorComponents_data()
    {
        QTest::addColumn<qint64>("color");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::newRow("mixed") << qint64(0x00FFCC99) << 0x99 << 0xCC << 0xFF;
        QTest::newRow("black") << qint64(0) << 0 << 0 << 0;
        QTest::newRow("top byte set") << qint64(0x80000005) << 0 << 0 << 0;
        QTest::newRow("system colour") << qint64(0x01FFFFFF) << 0 << 0 << 0;
        QTest::newRow("blue only") << qint64(0x000A0000) << 0 << 0 << 10;
    }
    void colorComponents()
    {
        QFETCH(qint64, color);
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        const Color value = Color(quint32(color));
        QCOMPARE(GetRed(value), red);
        QCOMPARE(GetGreen(value), green);
        QCOMPARE(GetBlue(value), blue);
    }

    void nearColors()
    {
        QVERIFY(IsNearColor(0x000000, 0x070707, 8));
        QVERIFY(!IsNearColor(0x000000, 0x080000, 8)); // blue differs by exactly 8
        QVERIFY(!IsNearColor(0x123456, 0x123456, 0));
        QVERIFY(!IsNearColor(0x123456, 0x123456, -5));
        QVERIFY(IsNearColor(0x123456, 0x123456, 1));
        QVERIFY(!IsNearColor(0x123456, 0x123457, 1));
        QVERIFY(IsNearColor(0x000000, 0xFFFFFF, 256));
        QVERIFY(!IsNearColor(0x000000, 0xFFFFFF, 255));
        QVERIFY(IsNearColor(Color(0x80000000), 0x000000, 1)); // a top-byte colour is black
    }

    void hexToColor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("color");
        QTest::newRow("white") << "#FFFFFF" << 0xFFFFFF;
        QTest::newRow("lower case") << "#ffffff" << 0xFFFFFF;
        QTest::newRow("black") << "#000000" << 0x000000;
        QTest::newRow("orange") << "#FF8000" << 0x0080FF;
        QTest::newRow("red") << "#ff0000" << 0x0000FF;
        QTest::newRow("blue") << "#0000FF" << 0xFF0000;
        QTest::newRow("empty") << "" << 0xFFFFFF;
        QTest::newRow("no hash") << "FF0000" << 0xFFFFFF;
        QTest::newRow("short") << "#FF" << 0x0000FF;
        QTest::newRow("odd length") << "#FFF" << 0x000FFF;
        QTest::newRow("bad pair") << "#zz8000" << 0x008000;
        QTest::newRow("half pair") << "#F-8000" << 0x00800F;
        QTest::newRow("longer") << "#102030405" << 0x302010;
    }
    void hexToColor()
    {
        QFETCH(QString, text);
        QFETCH(int, color);
        QCOMPARE(HexToColor(text), Color(color));
    }

    void colorToHex()
    {
        QCOMPARE(ColorToHex(0x0099CCFF), QStringLiteral("#FFCC99"));
        QCOMPARE(ColorToHex(MakeColor(5, 10, 200)), QStringLiteral("#050AC8"));
        QCOMPARE(ColorToHex(Color(0x80FFFFFF)), QStringLiteral("#000000"));
    }

    void byteLength_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::newRow("ascii") << "A" << 1;
        QTest::newRow("kana") << "あ" << 2;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("tab") << "\t" << 1;
        QTest::newRow("half-width katakana") << "ｱ" << 1;
        QTest::newRow("full-width space") << "\u3000" << 2;
        QTest::newRow("mixed") << "春ab" << 4;
        QTest::newRow("unencodable latin") << "é" << 2;
        QTest::newRow("emoji is one character") << QString::fromUcs4(U"\U0001F600") << 2;
    }
    void byteLength()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        QCOMPARE(ByteLength(text), length);
    }

    void toHtmlText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("half-width padded") << "A" << "A&nbsp;";
        QTest::newRow("full-width") << "あ" << "あ";
        QTest::newRow("less than") << "<" << "&lt;&nbsp;";
        QTest::newRow("ampersand") << "&" << "&amp;&nbsp;";
        QTest::newRow("greater than") << ">" << "&gt;&nbsp;";
        QTest::newRow("quote") << "\"" << "&quot;&nbsp;";
        QTest::newRow("apostrophe kept") << "'" << "'&nbsp;";
        QTest::newRow("inner space") << "a b" << "a&nbsp;b";
        QTest::newRow("three spaces") << "   " << "\u3000&nbsp;";
        QTest::newRow("tab") << "\t" << "\u3000";
        QTest::newRow("two half-width") << "ab" << "ab";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("entity text not escaped twice") << "&lt" << "&amp;lt";
        QTest::newRow("space before entity") << " &" << "&nbsp;&amp;";
        QTest::newRow("four spaces") << "    " << "\u3000\u3000";
    }
    void toHtmlText()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(ToHtmlText(text), html);
    }

    void readNumberField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("outOfRange");
        QTest::newRow("plain") << "8" << 8 << false;
        QTest::newRow("empty") << "" << 0 << false;
        QTest::newRow("letters") << "abc" << 0 << false;
        QTest::newRow("half to even up") << "7.5" << 8 << false;
        QTest::newRow("half to even down") << "8.5" << 8 << false;
        QTest::newRow("2.5") << "2.5" << 2 << false;
        QTest::newRow("3.5") << "3.5" << 4 << false;
        QTest::newRow("7.6") << "7.6" << 8 << false;
        QTest::newRow("trailing junk") << "12px" << 12 << false;
        QTest::newRow("leading blanks and sign") << "  -5" << -5 << false;
        QTest::newRow("plus") << "+3" << 3 << false;
        QTest::newRow("fraction only") << ".6" << 1 << false;
        QTest::newRow("negative half") << "-2.5" << -2 << false;
        QTest::newRow("lone sign") << "-" << 0 << false;
        QTest::newRow("exponent") << "9e9" << 2147483647 << true;
        QTest::newRow("negative exponent") << "-9e9" << -2147483647 - 1 << true;
        QTest::newRow("small exponent") << "5e-1" << 0 << false;
        QTest::newRow("dangling exponent") << "12e" << 12 << false;
        QTest::newRow("int max") << "2147483647" << 2147483647 << false;
        QTest::newRow("beyond int") << "2147483648" << 2147483647 << true;
        QTest::newRow("huge") << "1e999" << 2147483647 << true;
        QTest::newRow("tiny") << "1e-999" << 0 << false;
    }
    void readNumberField()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(bool, outOfRange);
        const NumberFieldValue read = ReadNumberField(text);
        QCOMPARE(read.value, value);
        QCOMPARE(read.outOfRange, outOfRange);
    }
};

QTEST_GUILESS_MAIN(TestModCommon)
#include "tst_modcommon.moc"
