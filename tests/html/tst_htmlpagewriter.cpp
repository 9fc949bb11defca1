// The HTML page, byte for byte.
#include "core/Cp932.h"
#include "core/HtmlText.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/SheetBuilder.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kFullWidthSpace = QStringLiteral("\u3000");

QByteArray expectedPage(const QStringList &rows)
{
    QStringList lines {
        QStringLiteral("<HTML>"),
        QStringLiteral("<META http-equiv=Content-Type content='text/html; charset=shift_jis;'>"),
        QStringLiteral("<META name=Generator content='Glyphscape ver. 0.005b'>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("<TITLE>spring</TITLE>"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<BODY>"),
        QStringLiteral("<PRE STYLE=\"font: 12pt /15px 'ＭＳ ゴシック',Osaka-等幅,'IPAGothic',"
                       "'Noto Sans Mono CJK JP',monospace;background-color:#FFFFFF\">"),
    };
    lines << rows << QStringLiteral("</PRE>") << QStringLiteral("</BODY>") << QStringLiteral("</HTML>");
    return Cp932::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), Cp932::Unencodable::QuestionMark);
}

// The rows of a written page, between the header and the closing lines.
QStringList pageRows(const QByteArray &page)
{
    QStringList lines = Cp932::decode(page).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last CR LF
    return lines.mid(8, lines.size() - 11);
}

HtmlPageSettings pageSettings(bool asIs, const QString &nearText = QStringLiteral("8"))
{
    HtmlPageSettings settings;
    settings.asIs = asIs;
    settings.nearText = nearText;
    settings.pageTitle = QStringLiteral("spring");
    return settings;
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

    void emptySheetsGiveHeaderAndClosingLines()
    {
        GridSheet noRows(5, 0);
        QCOMPARE(htmlPage(noRows, pageSettings(true)), expectedPage({}));
        GridSheet noColumns(0, 2); // two rows, each an empty line
        QCOMPARE(htmlPage(noColumns, pageSettings(false)), expectedPage({QString(), QString()}));
    }

    // Cells a and b share a background, c is one step of red away from them.
    void nearDistances_data()
    {
        QTest::addColumn<QString>("nearText");
        QTest::addColumn<QString>("row");

        const QString a = QStringLiteral("<FONT STYLE='color: #0A0000'>a&nbsp;");
        const QString b = QStringLiteral("<FONT STYLE='color: #0A0000'>b&nbsp;");
        const QString c = QStringLiteral("<FONT STYLE='color: #0B0000'>c&nbsp;</FONT>");
        const QString close = QStringLiteral("</FONT>");
        const QString separate = a + close + b + close + c;
        QTest::newRow("0.5 halves to 0: nothing near") << "0.5" << separate;
        QTest::newRow("1") << "1" << a + QStringLiteral("b&nbsp;") + close + c;
    }

    void nearDistances()
    {
        QFETCH(QString, nearText);
        QFETCH(QString, row);

        auto sheet = buildSheet({{{QStringLiteral("a"), makeColor(10, 0, 0)},
            {QStringLiteral("b"), makeColor(10, 0, 0)}, {QStringLiteral("c"), makeColor(11, 0, 0)}}});
        QCOMPARE(pageRows(htmlPage(*sheet, pageSettings(false, nearText))), QStringList {row});
    }

    void contrastThresholdAndTopByteColours()
    {
        auto sheet = buildSheet({{{QStringLiteral("a"), makeColor(127, 128, 127)},
            {QStringLiteral("b"), makeColor(128, 128, 127)}, {QStringLiteral("c"), Color(0x80FFFFFF)}}});
        QCOMPARE(pageRows(htmlPage(*sheet, pageSettings(true, QStringLiteral("0")))),
            QStringList {QStringLiteral("<FONT STYLE='color: #FFFFFF;background:#7F807F'>a&nbsp;</FONT>"
                                        "<FONT STYLE='color: #000000;background:#80807F'>b&nbsp;</FONT>"
                                        "<FONT STYLE='color: #FFFFFF;background:#000000'>c&nbsp;</FONT>")});
    }

    void titleFromFileName_data()
    {
        QTest::addColumn<QString>("fileTitle");
        QTest::addColumn<QString>("title");

        QTest::newRow("two dots") << u"a.b.htm"_s << u"a"_s;
        QTest::newRow("no dot") << u"poem"_s << u"poem"_s;
        QTest::newRow("dot first") << u".htm"_s << QString();
    }

    void titleFromFileName()
    {
        QFETCH(QString, fileTitle);
        QFETCH(QString, title);

        QCOMPARE(pageTitleFromFileTitle(fileTitle), title);
    }

    // Markup in the title and the colour text is escaped, so it cannot end the tag or the page.
    void titleAndBackgroundInTheHeader_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("titleLine");
        QTest::addColumn<QString>("backgroundLineEnd");

        QTest::newRow("not code page 932")
            << u"café"_s << u"#ffcc99"_s << u"<TITLE>caf&#233;</TITLE>"_s << u"background-color:#ffcc99\">"_s;
        QTest::newRow("markup")
            << u"a<b"_s << u"#FFFFFF\"><script>x('1')</script>"_s << u"<TITLE>a&lt;b</TITLE>"_s
            << u"background-color:#FFFFFF&quot;&gt;&lt;script&gt;x(&#39;1&#39;)&lt;/script&gt;\">"_s;
        QTest::newRow("ampersand") << u"R&D"_s << u"#FFF&"_s << u"<TITLE>R&amp;D</TITLE>"_s
                                   << u"background-color:#FFF&amp;\">"_s;
    }

    void titleAndBackgroundInTheHeader()
    {
        QFETCH(QString, title);
        QFETCH(QString, background);
        QFETCH(QString, titleLine);
        QFETCH(QString, backgroundLineEnd);

        GridSheet empty(0, 0);
        HtmlPageSettings settings = pageSettings(false);
        settings.pageTitle = title;
        settings.backgroundText = background;
        const QStringList lines = Cp932::decode(htmlPage(empty, settings)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[4], titleLine);
        QVERIFY2(lines[7].endsWith(backgroundLineEnd), qPrintable(lines[7]));
        QCOMPARE(lines[7].count(u'"'), 2);
    }

    // The editor draws with pageFontFamilies(), so the page must name the same fonts in order.
    void styleLineNamesThePageFonts()
    {
        GridSheet empty(0, 0);
        const QString preLine = Cp932::decode(htmlPage(empty, pageSettings(false))).split(u"\r\n"_s).at(7);
        const qsizetype start = preLine.indexOf(u"/15px "_s) + 6;
        QStringList names = preLine.mid(start, preLine.indexOf(u';') - start).split(u',');
        for (QString &name : names)
            name.remove(u'\'');
        QCOMPARE(names, pageFontFamilies());
    }

    // The writer encodes straight to bytes; it must agree with the plain string rules.
    void agreesWithTheTextRulesOnRandomRows()
    {
        const QString pieces[] = {QString(), QStringLiteral(" "), QStringLiteral("  "), QStringLiteral("   "),
            QStringLiteral("\t"), QStringLiteral("a"), QStringLiteral("a b"), QStringLiteral("&"), QStringLiteral("<>"),
            QStringLiteral("\""), QStringLiteral("\u3000"), QStringLiteral("春"), QStringLiteral("ｱ"),
            QStringLiteral("é"), QString::fromUcs4(U"\U0001F600"), QStringLiteral("x\u3000"), QStringLiteral("\t "),
            QStringLiteral("ab  ")};
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
                HtmlPageSettings settings = pageSettings(asIs);
                settings.backgroundText = background;
                const QByteArray page = htmlPage(sheet, settings);
                const QByteArray row = Cp932::encode(expected, Cp932::Unencodable::NumericReference) + "\r\n";
                QVERIFY2(page.contains("\">\r\n" + row + "</PRE>"), qPrintable(expected));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestHtmlPageWriter)
#include "tst_htmlpagewriter.moc"
