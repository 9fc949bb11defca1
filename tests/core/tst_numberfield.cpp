// Typed numbers: the number at the start of a field and the whole-field counts, each
// rounded exactly on its decimal digits, halves to even.
#include "core/NumberField.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestNumberField : public QObject {
    Q_OBJECT
private slots:
    void numberField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<bool>("outOfRange");

        QTest::newRow("no number") << u"abc"_s << 0 << false;
        QTest::newRow("sign alone") << u"-"_s << 0 << false;
        QTest::newRow("trailing text") << u"12px"_s << 12 << false;
        QTest::newRow("leading blanks") << u" \t-5"_s << -5 << false;
        QTest::newRow("no whole part") << u".6"_s << 1 << false;
        QTest::newRow("full-width digits are text") << u"８"_s << 0 << false;
        QTest::newRow("2.5") << u"2.5"_s << 2 << false;
        QTest::newRow("3.5") << u"3.5"_s << 4 << false;
        QTest::newRow("-2.5") << u"-2.5"_s << -2 << false;
        QTest::newRow("just above a half") << u"8.5000000000000001"_s << 9 << false;
        QTest::newRow("just below a half") << u"0.49999999999999999999"_s << 0 << false;
        QTest::newRow("a half and a long tail") << u"0.5000000000000000000000000001"_s << 1 << false;
        QTest::newRow("a half and zeros") << u"0.5000000000000000000000000000"_s << 0 << false;
        QTest::newRow("near the top, above a half") << u"2147483646.50000000000000001"_s << 2147483647 << false;
        QTest::newRow("leading zeros") << u"0000000000000000000000000000012"_s << 12 << false;
        QTest::newRow("negative exponent") << u"25e-1"_s << 2 << false;
        QTest::newRow("exponent to a half") << u"5e-1"_s << 0 << false;
        QTest::newRow("exponent sign without digits") << u"12e+"_s << 12 << false;
        QTest::newRow("tinier") << u"1e-999999999999999999999"_s << 0 << false;
        QTest::newRow("zero to a huge power") << u"0e999999999999"_s << 0 << false;
        QTest::newRow("top") << u"2147483647"_s << 2147483647 << false;
        QTest::newRow("bottom") << u"-2147483648"_s << -2147483647 - 1 << false;
        QTest::newRow("bottom, half to even") << u"-2147483648.5"_s << -2147483647 - 1 << false;
        QTest::newRow("top, rounded past") << u"2147483647.5"_s << 2147483647 << true;
        QTest::newRow("past the bottom") << u"-2147483649"_s << -2147483647 - 1 << true;
        QTest::newRow("huge") << u"1e999"_s << 2147483647 << true;
        QTest::newRow("long digits") << QString(400, u'9') << 2147483647 << true;
    }

    void numberField()
    {
        QFETCH(QString, text);
        QFETCH(qint32, value);
        QFETCH(bool, outOfRange);

        const NumberFieldValue read = readNumberField(text);
        QCOMPARE(read.value, value);
        QCOMPARE(read.outOfRange, outOfRange);
    }

    // The whole-field form; its rounding is the number field's.
    void countField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isCount");
        QTest::addColumn<qint64>("count");

        constexpr qint64 ceiling = 1'000'000'000'000'000;
        QTest::newRow("blanks around") << u" \t7\t "_s << true << qint64(7);
        QTest::newRow("full-width") << u"　＋１２．５　"_s << true << qint64(12);
        QTest::newRow("full-width minus") << u"－３"_s << true << qint64(-3);
        QTest::newRow("point alone after digits") << u"5."_s << true << qint64(5);
        QTest::newRow("empty") << QString() << false << qint64(0);
        QTest::newRow("point alone") << u"."_s << false << qint64(0);
        QTest::newRow("trailing text") << u"12px"_s << false << qint64(0);
        QTest::newRow("no exponents") << u"1e3"_s << false << qint64(0);
        QTest::newRow("ceiling") << u"1000000000000000"_s << true << ceiling;
        QTest::newRow("past the ceiling, negative") << u"-99999999999999999999"_s << true << -ceiling;
    }

    void countField()
    {
        QFETCH(QString, text);
        QFETCH(bool, isCount);
        QFETCH(qint64, count);

        const std::optional<qint64> read = readCountField(text);
        QCOMPARE(read.has_value(), isCount);
        QCOMPARE(read.value_or(0), count);
    }

    void gridSizeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isSize");
        QTest::addColumn<qint64>("columns");
        QTest::addColumn<qint64>("rows");

        QTest::newRow("x") << u"80x60"_s << true << qint64(80) << qint64(60);
        QTest::newRow("X and halves") << u"2.5X3.5"_s << true << qint64(2) << qint64(4);
        QTest::newRow("times sign") << u"80×60"_s << true << qint64(80) << qint64(60);
        QTest::newRow("full-width") << u"８０ｘ６０"_s << true << qint64(80) << qint64(60);
        QTest::newRow("below zero is zero") << u"-5x3"_s << true << qint64(0) << qint64(3);
        QTest::newRow("one count") << u"80"_s << false << qint64(0) << qint64(0);
        QTest::newRow("no rows") << u"80x"_s << false << qint64(0) << qint64(0);
    }

    void gridSizeText()
    {
        QFETCH(QString, text);
        QFETCH(bool, isSize);
        QFETCH(qint64, columns);
        QFETCH(qint64, rows);

        const std::optional<GridSize> size = readGridSizeText(text);
        QCOMPARE(size.has_value(), isSize);
        QCOMPARE(size.value_or(GridSize {}).columns, columns);
        QCOMPARE(size.value_or(GridSize {}).rows, rows);
    }
};

QTEST_GUILESS_MAIN(TestNumberField)
#include "tst_numberfield.moc"
