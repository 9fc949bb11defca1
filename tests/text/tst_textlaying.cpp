// Laying a text into cell texts: half-width pairs, full-width characters alone, surrogate
// pairs whole, with the text given whole or a unit at a time.
#include "text/TextLaying.h"

#include <QStringList>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The cell texts joined by "|", the text fed in pieces of `step` units (0: whole).
QString laid(const QString &text, LayingOptions options, qsizetype step)
{
    TextLaying laying(options);
    QStringList cells;
    auto place = [&cells](const CellText &cell) {
        cells << cell.view().toString();
        return true;
    };
    const qsizetype size = step == 0 ? text.size() : step;
    for (qsizetype at = 0; at < text.size(); at += size)
        laying.feed(QStringView(text).sliced(at, std::min(size, text.size() - at)), place);
    laying.finish(place);
    return cells.join(u'|');
}

} // namespace

class TestTextLaying : public QObject {
    Q_OBJECT
private slots:
    void cells_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("skipBlanks");
        QTest::addColumn<bool>("tabsAsSpaces");
        QTest::addColumn<QString>("cells");

        QTest::newRow("a pair stops at full-width") << u"ab春a春"_s << false << false << u"ab|春|a|春"_s;
        QTest::newRow("surrogate pairs whole") << u"a𠮷b𠮷"_s << false << false << u"a|𠮷|b|𠮷"_s;
        QTest::newRow("unencodable is full-width") << u"éa"_s << false << false << u"é|a"_s;
        QTest::newRow("lone surrogates") << u"a\xD842"_s + u"b\xDFB7\xD842"_s << false << false
                                         << u"a|\xD842|b|\xDFB7|\xD842"_s;
        QTest::newRow("tabs joined as spaces") << u"\tx\t\t"_s << false << true << u" x|  "_s;
        QTest::newRow("a tab at the end stays") << u"ab\t"_s << false << true << u"ab|\t"_s;
        QTest::newRow("blanks skipped") << u"a　b\tc d"_s << true << true << u"ab|cd"_s;
    }

    void cells()
    {
        QFETCH(QString, text);
        QFETCH(bool, skipBlanks);
        QFETCH(bool, tabsAsSpaces);
        QFETCH(QString, cells);

        for (qsizetype step : {0, 1, 2})
            QCOMPARE(laid(text, {skipBlanks, tabsAsSpaces}, step), cells);
    }
};

QTEST_GUILESS_MAIN(TestTextLaying)
#include "tst_textlaying.moc"
