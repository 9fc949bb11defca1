// The plain text file of a sheet, byte for byte, and what happens when the device fails.
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "text/PlainTextExport.h"
#include "text/TextPouring.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Accepts `room` bytes, then reports the disk full.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }
    qint64 written = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (written + size > room_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        written += size;
        return size;
    }

private:
    qint64 room_;
};

} // namespace

class TestPlainTextExport : public QObject {
    Q_OBJECT

private slots:
    void bytes_data()
    {
        QTest::addColumn<QSharedPointer<GridSheet>>("sheet");
        QTest::addColumn<QByteArray>("expected");
        auto add = [](const char *name, std::unique_ptr<GridSheet> sheet, const char *hex) {
            QTest::newRow(name) << QSharedPointer<GridSheet>(sheet.release()) << QByteArray::fromHex(hex);
        };

        add("worked example", BuildSheet({{{u"春"_qs}, {"a"}, {""}}, {{"ab"}, {" "}, {"x"}}}),
            "8F 74 61 20 81 40 0D 0A 61 62 81 40 78 20 0D 0A");
        add("no rows", std::make_unique<GridSheet>(3, 0), "");
        add("no columns", std::make_unique<GridSheet>(0, 2), "0D0A 0D0A");
        add("row of empty cells kept whole", std::make_unique<GridSheet>(3, 1), "8140 8140 8140 0D0A");
        add("two spaces are blank", BuildSheet({{{"  "}}}), "8140 0D0A");
        add("full-width space unchanged", BuildSheet({{{u"　"_qs}}}), "8140 0D0A");
        add("three spaces written as they are", BuildSheet({{{"   "}}}), "202020 0D0A");
        add("tab padded", BuildSheet({{{"\t"}}}), "0920 0D0A");
        add("half-width katakana padded", BuildSheet({{{u"ｱ"_qs}}}), "B120 0D0A");
        add("long typed text widens its line", BuildSheet({{{"abc"}, {u"春"_qs}}}), "616263 8F74 0D0A");
        add("unencodable alone padded to full width", BuildSheet({{{u"é"_qs}, {u"\U0001F600"_qs}}}),
            "3F20 3F20 0D0A");
        add("unencodable beside another character", BuildSheet({{{u"aé"_qs}}}), "613F 0D0A");
    }

    void bytes()
    {
        QFETCH(QSharedPointer<GridSheet>, sheet);
        QFETCH(QByteArray, expected);
        QCOMPARE(HexBytes(PlainText(*sheet)), HexBytes(expected));
    }

    void sheetIsNotChanged()
    {
        auto sheet = BuildSheet({{{"a", 0x123456, 0x654321}, {u"春"_qs}}});
        sheet->SetActiveCell(2, 1);
        PlainText(*sheet);
        QCOMPARE(sheet->GetCellText(1, 1), QStringLiteral("a"));
        QCOMPARE(sheet->BackColorAt(1, 1), 0x123456);
        QCOMPARE(sheet->ForeColorAt(1, 1), 0x654321);
        QCOMPARE(sheet->ActiveColumn(), 2);
    }

    void largeSheetIsWrittenInChunks()
    {
        // Well over the 1 MiB flush size: every line must still come out whole and in order.
        GridSheet sheet(700, 1000);
        for (int row = 1; row <= sheet.RowCount(); ++row)
            sheet.SetCellText(row % 700 + 1, row, QString::number(row % 100));
        QByteArray text;
        QBuffer buffer(&text);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QString error;
        QVERIFY(WritePlainText(buffer, sheet, &error));
        QCOMPARE(text.size(), qsizetype(1000) * (700 * 2 + 2));
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), 1001);
        for (int row = 1; row <= 1000; ++row) {
            const QByteArray &line = lines[row - 1];
            const qsizetype at = qsizetype(row % 700) * 2;
            QByteArray piece = QByteArray::number(row % 100);
            if (piece.size() == 1)
                piece += ' ';
            QVERIFY2(line.mid(at, 2) == piece, qPrintable(QStringLiteral("row %1").arg(row)));
            QVERIFY(line.endsWith('\r'));
        }
    }

    void fullDiskIsReported_data()
    {
        QTest::addColumn<qint64>("room");
        QTest::newRow("first write fails") << qint64(0);
        QTest::newRow("a later flush fails") << (qint64(1) << 20);
    }

    void fullDiskIsReported()
    {
        QFETCH(qint64, room);
        GridSheet sheet(1000, 1000);
        FullDevice device(room);
        QString error;
        QVERIFY(!WritePlainText(device, sheet, &error));
        QCOMPARE(error, QStringLiteral("No space left on device"));
    }

    void pouringTheFileGivesTheCellsBack()
    {
        // Full-width and paired cells come back as they were; a single half-width character
        // comes back with its padding, blanks come back empty.
        GridSheet sheet(4, 3);
        const QStringList texts = {u"春"_qs, "ab", " c", "", "\t", u"ｱｲ"_qs, "x", u"　"_qs, "  ", "y", "z", u"夏"_qs};
        const QStringList poured = {u"春"_qs, "ab", " c", "", "", u"ｱｲ"_qs, "x ", "", "", "y ", "z ", u"夏"_qs};
        for (int i = 0; i < texts.size(); ++i)
            sheet.SetCellText(i % 4 + 1, i / 4 + 1, texts[i]);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TextPouringInputs inputs;
        inputs.path = WriteTestFile(dir.path(), QStringLiteral("out.txt"), PlainText(sheet));
        GridSheet again(4, 3);
        QVERIFY(PourText(again, inputs).Done());
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(again.GetCellText(i % 4 + 1, i / 4 + 1), poured[i]);
    }
};

QTEST_GUILESS_MAIN(TestPlainTextExport)
#include "tst_plaintextexport.moc"
