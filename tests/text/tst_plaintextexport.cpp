// The plain text file of a sheet, byte for byte, and a device that runs out of room.
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "text/PlainTextExport.h"

#include <QBuffer>
#include <QTest>

namespace {

// Accepts `room` bytes, then reports the disk full.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room)
        : room_(room)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (size > room_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        room_ -= size;
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
        add("worked example", BuildSheet({ { { u"春"_qs }, { "a" }, { "" } }, { { "ab" }, { " " }, { "x" } } }),
            "8F 74 61 20 81 40 0D 0A 61 62 81 40 78 20 0D 0A");
        add("no rows", std::make_unique<GridSheet>(3, 0), "");
        add("no columns", std::make_unique<GridSheet>(0, 2), "0D0A 0D0A");
        add("empty cells and trailing blanks kept", BuildSheet({ { { "  " }, { u"　"_qs }, { "" } } }),
            "8140 8140 8140 0D0A");
        add("three spaces as they are", BuildSheet({ { { "   " } } }), "202020 0D0A");
        add("tab and katakana padded", BuildSheet({ { { "\t" }, { u"ｱ"_qs } } }), "0920 B120 0D0A");
        add("long typed text widens its line", BuildSheet({ { { "abc" }, { u"春"_qs } } }), "616263 8F74 0D0A");
        add("unencodable alone keeps the width", BuildSheet({ { { u"é"_qs }, { u"\U0001F600"_qs } } }),
            "3F20 3F20 0D0A");
        add("unencodable beside another", BuildSheet({ { { u"aé"_qs } } }), "613F 0D0A");
    }

    void bytes()
    {
        QFETCH(QSharedPointer<GridSheet>, sheet);
        QFETCH(QByteArray, expected);
        QCOMPARE(HexBytes(PlainText(*sheet)), HexBytes(expected));
    }

    void largeSheetComesOutWhole()
    {
        // Several flushes: no piece may be lost or doubled between them.
        GridSheet sheet(700, 1000);
        sheet.SetCellText(700, 1000, QStringLiteral("z"));
        const QByteArray text = PlainText(sheet);
        QCOMPARE(text.size(), qsizetype(1000) * (700 * 2 + 2));
        QVERIFY(text.endsWith("\x81\x40z \r\n"));
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
};

QTEST_GUILESS_MAIN(TestPlainTextExport)
#include "tst_plaintextexport.moc"
