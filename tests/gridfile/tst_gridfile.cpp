// Grid files: the round trip, the exact bytes, and damaged or hostile input failing with the
// sheet untouched. Randomly damaged files are the fuzzer's (tests/fuzz).
#include "core/GridSheet.h"
#include "gridfile/Crc32.h"
#include "gridfile/GridFile.h"
#include "support/logic/FilledPipe.h"
#include "support/logic/SheetBuilder.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

bool readBytes(QByteArray bytes, GridSheet &into, GridFileFailure *failure)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readGridFile(buffer, into, failure);
}

// Texts of every UTF-8 length, a NUL, colours with their top byte set.
std::unique_ptr<GridSheet> mixedSheet()
{
    return buildSheet({
        {{u"春"_s, 0x0099CCFF, kWhite}, {u"ab"_s}, {{}, Color(0xFF000001), Color(0x80FFFFFF)}},
        {{u"𠮷"_s}, {u"a long text: 夏の夜"_s}, {u"\0\t\u00FF\u07FF"_s}},
    });
}

// A sheet that differs from every loaded one, to see that failures leave it alone.
auto targetSheet()
{
    return buildSheet({{{u"元"_s, 0x00010203, 0x00040506}, {u"の"_s}}});
}

QByteArray uInt32Bytes(quint32 value)
{
    QByteArray bytes(4, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray withChecksum(const QByteArray &body)
{
    return body + uInt32Bytes(Crc32::of(body.constData(), body.size()));
}

// A file of one white cell holding the bytes given as its text.
QByteArray oneCellFile(const QByteArray &utf8)
{
    return withChecksum(gridFileHeader(1, 1) + uInt32Bytes(kWhite) + uInt32Bytes(kBlack) + char(utf8.size()) + utf8);
}

} // namespace

class TestGridFile : public QObject {
    Q_OBJECT
private slots:
    void exactBytes()
    {
        // Magic, version, columns, rows; each cell's two colours, UTF-8 length and text; zlib's CRC-32.
        const QByteArray expected = QByteArray::fromHex("474C595048475244 01000000 02000000 01000000 FFCC9900 "
                                                        "FFFFFF00 03 E698A5 FFFFFF00 00000000 02 6162 1EB700D1");
        QCOMPARE(hexBytes(sheetBytes(*buildSheet({{{u"春"_s, 0x0099CCFF, kWhite}, {u"ab"_s}}}))), hexBytes(expected));
    }

    void roundTrip_data()
    {
        QTest::addColumn<std::shared_ptr<GridSheet>>("sheet");
        QTest::addColumn<bool>("pipe"); // read as the batch reads standard input

        auto wide = std::make_shared<GridSheet>(300, 3);
        wide->setCellText(150, 2, QString(700'000, QChar(u'長'))); // longer than the reader's chunk
        QTest::newRow("mixed") << std::shared_ptr<GridSheet>(mixedSheet()) << false;
        QTest::newRow("mixed, from a pipe") << std::shared_ptr<GridSheet>(mixedSheet()) << true;
        QTest::newRow("no columns") << std::make_shared<GridSheet>(0, 5) << false;
        QTest::newRow("long text") << wide << false;
    }

    void roundTrip()
    {
        QFETCH(std::shared_ptr<GridSheet>, sheet);
        QFETCH(bool, pipe);

        const QByteArray bytes = sheetBytes(*sheet);
        const FilledPipe filled(pipe ? bytes : QByteArray());
        auto target = targetSheet();
        GridFileFailure failure;
        QVERIFY(pipe ? loadSheet(*target, filled.path(), &failure, FileKinds::AnyReadable)
                     : readBytes(bytes, *target, &failure));
        QCOMPARE(sheetBytes(*target), bytes);
    }

    void damagedFilesFailAndLeaveTheSheet_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<GridFileError>("error");

        const QByteArray oneCell = oneCellFile("a");
        QTest::newRow("foreign text") << QByteArray("GLYPH poem, not grid\r\n") << GridFileError::NotGridFile;
        QTest::newRow("cells beyond the limit")
            << withChecksum(gridFileHeader(50'000, 50'000)) << GridFileError::TooManyCells;
        // Within the limit, but more cells than the file has bytes: refused before allocating.
        QTest::newRow("huge counts, tiny file") << withChecksum(gridFileHeader(7000, 7000)) << GridFileError::TooShort;
        QTest::newRow("checksum wrong") << oneCell.chopped(1) + char(oneCell.back() ^ 1)
                                        << GridFileError::ChecksumMismatch;
        QTest::newRow("length beyond 2^31")
            << withChecksum(gridFileHeader(1, 1) + QByteArray(8, '\0') + QByteArray::fromHex("FFFFFFFF0F") + "a")
            << GridFileError::BadTextLength;
        // Invalid UTF-8 under a correct checksum: overlong, surrogate, cut short.
        for (const char *utf8 : {"\xC0\xAF", "\xED\xA0\x80", "a\xE6\x98"})
            QTest::addRow("UTF-8 %s", hexBytes(utf8).constData()) << oneCellFile(utf8) << GridFileError::BadText;
    }

    void damagedFilesFailAndLeaveTheSheet()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(GridFileError, error);

        auto target = targetSheet();
        GridFileFailure failure;
        QVERIFY(!readBytes(bytes, *target, &failure));
        QCOMPARE(failure.error, error);
        QCOMPARE(sheetBytes(*target), sheetBytes(*targetSheet()));
    }
};

QTEST_GUILESS_MAIN(TestGridFile)
#include "tst_gridfile.moc"
