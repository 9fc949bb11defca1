// The HTML page, byte for byte.
#include "core/Cp932.h"
#include "core/HtmlText.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/SheetBuilder.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kFullWidthSpace = QStringLiteral("\u3000");

QByteArray expectedPage(const QStringList &rows)
{
    QString page = u"<HTML>\r\n<META http-equiv=Content-Type content='text/html; charset=shift_jis;'>\r\n"
                   u"<META name=Generator content='Glyphscape ver. 0.005b'>\r\n<HEAD>\r\n<TITLE>spring</TITLE>\r\n"
                   u"</HEAD>\r\n<BODY>\r\n<PRE STYLE=\"font: 12pt /15px 'ＭＳ ゴシック',Osaka-等幅,'IPAGothic',"
                   u"'Noto Sans Mono CJK JP',monospace;background-color:#FFFFFF\">\r\n"_s;
    for (const QString &row : rows)
        page += row + u"\r\n"_s;
    return Cp932::encode(page + u"</PRE>\r\n</BODY>\r\n</HTML>\r\n"_s, Cp932::Unencodable::QuestionMark);
}

HtmlPageSettings pageSettings(bool asIs)
{
    return {u"8"_s, u"#FFFFFF"_s, asIs, u"spring"_s};
}

const Color kRed = 0x0000FF;
const Color kGreen = 0x00FF00;

} // namespace

class TestHtmlPageWriter : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        auto sheet = buildSheet({{{QStringLiteral("春"), kRed}, {QStringLiteral("A"), 0x0000FA}},
            {{QString(), kWhite}, {QStringLiteral("<"), kGreen}}});
        const QByteArray plain = htmlPage(*sheet, pageSettings(false));
        QCOMPARE(plain,
            expectedPage({QStringLiteral("<FONT STYLE='color: #FF0000'>春A&nbsp;</FONT>"),
                kFullWidthSpace + QStringLiteral("<FONT STYLE='color: #00FF00'>&lt;&nbsp;</FONT>")}));

        const QByteArray asIs = htmlPage(*sheet, pageSettings(true));
        QCOMPARE(asIs,
            expectedPage({QStringLiteral("<FONT STYLE='color: #FFFFFF;background:#FF0000'>春A&nbsp;</FONT>"),
                QStringLiteral("<FONT STYLE='color: #000000;background:#FFFFFF'>\u3000</FONT>"
                               "<FONT STYLE='color: #FFFFFF;background:#00FF00'>&lt;&nbsp;</FONT>")}));
    }

    // Markup in the title and the colour text is escaped, so it cannot end the tag or the page.
    void titleAndBackgroundInTheHeader_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("titleLine");
        QTest::addColumn<QString>("backgroundLineEnd");

        QTest::newRow("markup")
            << u"a<b&c"_s << u"#FFFFFF\"><script>x('1&')</script>"_s << u"<TITLE>a&lt;b&amp;c</TITLE>"_s
            << u"background-color:#FFFFFF&quot;&gt;&lt;script&gt;x(&#39;1&amp;&#39;)&lt;/script&gt;\">"_s;
    }

    void titleAndBackgroundInTheHeader()
    {
        QFETCH(QString, title);
        QFETCH(QString, background);
        QFETCH(QString, titleLine);
        QFETCH(QString, backgroundLineEnd);

        GridSheet empty(0, 0);
        const QStringList lines = Cp932::decode(htmlPage(empty, {u"8"_s, background, false, title})).split(u"\r\n"_s);
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[4], titleLine);
        QVERIFY2(lines[7].endsWith(backgroundLineEnd), qPrintable(lines[7]));
        QCOMPARE(lines[7].count(u'"'), 2);
    }

    // The writer encodes straight to bytes; it must agree with the plain string rules.
    void agreesWithTheTextRulesOnRandomRows()
    {
        const QString pieces[]
            = {QString(), u" "_s, u"  "_s, u"   "_s, u"\t"_s, u"a"_s, u"a b"_s, u"&"_s, u"<>"_s, u"\""_s, u"\u3000"_s,
                u"春"_s, u"ｱ"_s, u"é"_s, QString::fromUcs4(U"\U0001F600"), u"x\u3000"_s, u"\t "_s, u"ab  "_s};
        // 0xFAFAFA is near white and 0xF5F5F5, which is not near white: spans anchor on their first cell.
        const Color colors[] = {kWhite, 0xFAFAFA, 0xF5F5F5, kRed, 0x0000F0, kGreen};
        QRandomGenerator random(7);
        for (int round = 0; round < 2000; ++round) {
            const int columns = random.bounded(1, 7);
            GridSheet sheet(columns, 1);
            for (int column = 1; column <= columns; ++column) {
                sheet.setCellText(column, 1, pieces[random.bounded(int(std::size(pieces)))]);
                sheet.setCellColors(column, 1, colors[random.bounded(int(std::size(colors)))], kBlack);
            }
            // The background text sets each row's first anchor.
            const QString background = round % 2 ? QStringLiteral("#FFFFFF") : QStringLiteral("#ff0000");
            for (bool asIs : {false, true}) {
                QString expected;
                bool spanOpen = false;
                Color anchor = hexToColor(background);
                for (int column = 1; column <= columns; ++column) {
                    const QString text = sheet.getCellText(column, 1);
                    const bool blank = text.isEmpty() || text == u" " || text == u"  ";
                    if (!asIs && expected.isEmpty() && blank) {
                        expected += kFullWidthSpace;
                        continue;
                    }
                    const Color back = sheet.backColorAt(column, 1);
                    if (column == 1 || !isNearColor(back, anchor, 8)) {
                        if (column != 1 && spanOpen)
                            expected += QStringLiteral("</FONT>");
                        const int sum = getRed(back) + getGreen(back) + getBlue(back);
                        expected += asIs ? QStringLiteral("<FONT STYLE='color: %1;background:%2'>")
                                               .arg(sum >= 383 ? QStringLiteral("#000000") : QStringLiteral("#FFFFFF"),
                                                   colorToHex(back))
                                         : QStringLiteral("<FONT STYLE='color: %1'>").arg(colorToHex(back));
                        spanOpen = true;
                        anchor = back;
                    }
                    expected += toHtmlText(blank ? kFullWidthSpace : text);
                }
                while (!asIs && (expected.endsWith(u' ') || expected.endsWith(kFullWidthSpace)))
                    expected.chop(1);
                if (spanOpen)
                    expected += QStringLiteral("</FONT>");
                const QByteArray page = htmlPage(sheet, {u"8"_s, background, asIs, u"spring"_s});
                const QByteArray row = Cp932::encode(expected, Cp932::Unencodable::NumericReference) + "\r\n";
                QVERIFY2(page.contains("\">\r\n" + row + "</PRE>"), qPrintable(expected));
            }
        }
    }

    // Rows are built in chunks taken in turn by two threads: a sheet of several rounds of
    // chunks, and one long row, give the page the single thread gives.
    void pageOnTwoThreadsAsOnOne_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("several chunks a thread") << 700 << 1300;
        QTest::newRow("one long row") << 300'000 << 1;
    }

    void pageOnTwoThreadsAsOnOne()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        const QString texts[] = {QString(), QString(), u" "_s, u"春"_s, u"<"_s, u"\t"_s, u"long text"_s, u"&\"é"_s};
        GridSheet sheet(columns, rows);
        QRandomGenerator random(quint32(columns + rows));
        for (int row = 1; row <= rows; ++row) {
            for (int column = 1; column <= columns; ++column) {
                const quint32 n = random.generate();
                sheet.setCellColors(column, row, n % 4 ? Color(n >> 8) : kWhite, kBlack);
                sheet.setCellText(column, row, texts[(n >> 4) % std::size(texts)]);
            }
        }
        const HtmlPageSettings settings {u"40"_s, u"#FFFFFF"_s, rows > 1, u"page"_s};
        QBuffer page;
        QVERIFY(page.open(QIODevice::WriteOnly));
        QVERIFY(writeHtmlPageOnTwoThreads(page, sheet, settings));
        QVERIFY(page.data() == htmlPage(sheet, settings));
    }
};

QTEST_GUILESS_MAIN(TestHtmlPageWriter)
#include "tst_htmlpagewriter.moc"
