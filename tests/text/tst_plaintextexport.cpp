// The plain text file of a sheet, byte for byte, and a disk that runs out of room.
#include "support/logic/SheetBuilder.h"
#include "text/PlainTextExport.h"

#include <QFile>
#include <QTest>

class TestPlainTextExport : public QObject {
    Q_OBJECT

private slots:
    void bytes()
    {
        const std::tuple<const char*, std::shared_ptr<GridSheet>, const char*> cases[]
            = { { "worked example", buildSheet({ { { u"春"_qs }, { "a" }, { "" } }, { { "ab" }, { " " }, { "x" } } }),
                    "8F 74 61 20 81 40 0D 0A 61 62 81 40 78 20 0D 0A" },
                  { "no rows", std::make_unique<GridSheet>(3, 0), "" },
                  { "no columns", std::make_unique<GridSheet>(0, 2), "0D0A 0D0A" },
                  { "pieces",
                      buildSheet({ { { "  " }, { u"　"_qs }, { "   " }, { "\t" }, { u"ｱ"_qs } },
                          { { "abc" }, { u"é"_qs }, { u"\U0001F600"_qs }, { u"aé"_qs } } }),
                      "8140 8140 202020 0920 B120 0D0A 616263 3F20 3F20 613F 8140 0D0A" } };
        for (const auto& [name, sheet, hex] : cases)
            QCOMPARE(name + hexBytes(plainText(*sheet)), name + hexBytes(QByteArray::fromHex(hex)));
    }

    void largeSheetsAndFullDisks()
    {
        // Several flushes: no piece may be lost or doubled between them, and a failing one is reported.
        GridSheet sheet(700, 1000);
        sheet.setCellText(700, 1000, QStringLiteral("z"));
        const QByteArray text = plainText(sheet);
        QCOMPARE(text.size(), qsizetype(1000) * (700 * 2 + 2));
        QVERIFY(text.endsWith("\x81\x40z \r\n"));
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            QSKIP("no /dev/full here");
        QString flushError, lastWriteError;
        QVERIFY(!writePlainText(full, sheet, &flushError) && !writePlainText(full, GridSheet(3, 1), &lastWriteError));
        QVERIFY(!flushError.isEmpty() && !lastWriteError.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPlainTextExport)
#include "tst_plaintextexport.moc"
