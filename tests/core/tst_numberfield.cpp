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

        QTest::newRow("trailing text") << u"12px"_s << 12 << false;
        QTest::newRow("full-width digits are text") << u"８"_s << 0 << false;
        QTest::newRow("2.5") << u"2.5"_s << 2 << false;
        QTest::newRow("3.5") << u"3.5"_s << 4 << false;
        QTest::newRow("just above a half") << u"8.5000000000000001"_s << 9 << false;
        QTest::newRow("just below a half") << u"0.49999999999999999999"_s << 0 << false;
        QTest::newRow("near the top, above a half") << u"2147483646.50000000000000001"_s << 2147483647 << false;
        QTest::newRow("negative exponent") << u"25e-1"_s << 2 << false;
        QTest::newRow("top") << u"2147483647"_s << 2147483647 << false;
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

    // The whole-field form, full-width too; its rounding is the number field's.
    void countField()
    {
        QCOMPARE(readCountField(u" \t7\t "_s), std::optional<qint64>(7));
        QCOMPARE(readCountField(u"　＋１２．５　"_s), std::optional<qint64>(12));
        QCOMPARE(readCountField(u"12px"_s), std::nullopt);
        QCOMPARE(readCountField(u"1e3"_s), std::nullopt);
        QCOMPARE(readCountField(u"-99999999999999999999"_s), std::optional<qint64>(-1'000'000'000'000'000));
    }
};

QTEST_GUILESS_MAIN(TestNumberField)
#include "tst_numberfield.moc"
