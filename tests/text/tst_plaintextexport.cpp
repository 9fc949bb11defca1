// The plain text file of a sheet, byte for byte.
#include "support/logic/SheetBuilder.h"
#include "text/PlainTextExport.h"

#include <QTest>

class TestPlainTextExport : public QObject {
    Q_OBJECT

private slots:
    void bytes_data()
    {
        QTest::addColumn<std::shared_ptr<GridSheet>>("sheet");
        QTest::addColumn<QByteArray>("hex");

        QTest::newRow("worked example") << std::shared_ptr<GridSheet>(
            buildSheet({{{u"春"_qs}, {"a"}, {""}}, {{"ab"}, {" "}, {"x"}}}))
                                        << QByteArray("8F 74 61 20 81 40 0D 0A 61 62 81 40 78 20 0D 0A");
        QTest::newRow("no columns") << std::make_shared<GridSheet>(0, 2) << QByteArray("0D0A 0D0A");
        QTest::newRow("pieces") << std::shared_ptr<GridSheet>(buildSheet(
            {{{"  "}, {u"　"_qs}, {"   "}, {"\t"}, {u"ｱ"_qs}}, {{"abc"}, {u"é"_qs}, {u"\U0001F600"_qs}, {u"aé"_qs}}}))
                                << QByteArray("8140 8140 202020 0920 B120 0D0A 616263 3F20 3F20 613F 8140 0D0A");
    }

    void bytes()
    {
        QFETCH(std::shared_ptr<GridSheet>, sheet);
        QFETCH(QByteArray, hex);

        QCOMPARE(hexBytes(plainText(*sheet)), hexBytes(QByteArray::fromHex(hex)));
    }

    // Several flushes: no piece may be lost or doubled between them.
    void largeSheet()
    {
        GridSheet sheet(700, 1000);
        sheet.setCellText(700, 1000, QStringLiteral("z"));
        const QByteArray text = plainText(sheet);
        QCOMPARE(text.size(), qsizetype(1000) * (700 * 2 + 2));
        QVERIFY(text.endsWith("\x81\x40z \r\n"));
    }
};

QTEST_GUILESS_MAIN(TestPlainTextExport)
#include "tst_plaintextexport.moc"
