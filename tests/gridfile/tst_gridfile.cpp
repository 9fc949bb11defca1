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

std::unique_ptr<GridSheet> mixedSheet()
{
    return buildSheet({
        {{QStringLiteral("春"), 0x0099CCFF, kWhite}, {QStringLiteral("ab")},
            {{}, Color(0xFF000001), Color(0x80FFFFFF)}},
        {{QStringLiteral("𠮷"), kBlack, kWhite}, {QStringLiteral("a long text: 夏の夜")}, {QStringLiteral("ｱ")}},
        {{QString(QChar(0)) + QStringLiteral("\t")}, {QStringLiteral("　")}, {QStringLiteral("\u00FF\u07FF\u0800")}},
    });
}

// A sheet that differs from every loaded one, to see that failures leave it alone.
auto targetSheet()
{
    return buildSheet({{{QStringLiteral("元"), 0x00010203, 0x00040506}, {QStringLiteral("の")}}});
}

QByteArray uInt32Bytes(quint32 value)
{
    QByteArray bytes(4, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray cellBytes(const QByteArray &utf8)
{
    return uInt32Bytes(kWhite) + uInt32Bytes(kBlack) + char(utf8.size()) + utf8;
}

QByteArray withChecksum(const QByteArray &body)
{
    return body + uInt32Bytes(Crc32::of(body.constData(), body.size()));
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

        auto wide = std::make_shared<GridSheet>(300, 3);
        wide->setCellText(150, 2, QString(700'000, QChar(u'長'))); // longer than the reader's chunk
        QTest::newRow("mixed") << std::shared_ptr<GridSheet>(mixedSheet());
        QTest::newRow("no columns") << std::make_shared<GridSheet>(0, 5);
        QTest::newRow("long text") << wide;
    }

    void roundTrip()
    {
        QFETCH(std::shared_ptr<GridSheet>, sheet);

        auto target = targetSheet();
        GridFileFailure failure;
        QVERIFY2(readBytes(sheetBytes(*sheet), *target, &failure), qPrintable(QString::number(int(failure.error))));
        QCOMPARE(sheetBytes(*target), sheetBytes(*sheet));
    }

    // Through a real file; a folder fails.
    void saveAndLoadFiles()
    {
        auto target = targetSheet();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("poem.grd"));
        QVERIFY(saveSheet(*mixedSheet(), path));
        QVERIFY(loadSheet(*target, path));
        QCOMPARE(sheetBytes(*target), sheetBytes(*mixedSheet()));
        GridFileFailure failure;
        QVERIFY(!loadSheet(*target, dir.path(), &failure));
        QCOMPARE(failure.error, GridFileError::Folder);
        QCOMPARE(sheetBytes(*target), sheetBytes(*mixedSheet()));
    }

    // The batch loads from pipes, and endless input that is no grid file is refused from its first bytes.
    void loadFromPipesAndDevices_data()
    {
        QTest::addColumn<QString>("source"); // "pipe" or a device's path
        QTest::addColumn<GridFileError>("error"); // None: the sheet loads

        QTest::newRow("pipe") << u"pipe"_s << GridFileError::None;
        QTest::newRow("endless zeros") << u"/dev/zero"_s << GridFileError::NotGridFile;
    }

    void loadFromPipesAndDevices()
    {
        QFETCH(QString, source);
        QFETCH(GridFileError, error);
        const QByteArray file = sheetBytes(*mixedSheet());
        const FilledPipe pipe(file);
        QVERIFY(pipe.ok());
        auto target = targetSheet();
        const QByteArray before = sheetBytes(*target);
        GridFileFailure failure;
        QCOMPARE(loadSheet(*target, source == u"pipe"_s ? pipe.path() : source, &failure, FileKinds::AnyReadable),
            error == GridFileError::None);
        QCOMPARE(failure.error, error);
        QCOMPARE(sheetBytes(*target), error == GridFileError::None ? file : before);
    }

    void damagedFilesFailAndLeaveTheSheet_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<GridFileError>("error");
        QTest::addColumn<QPoint>("cell"); // the cell at fault, or the file's columns and rows

        const QByteArray valid = sheetBytes(*mixedSheet());
        const QByteArray oneCell = gridFileHeader(1, 1) + cellBytes("a");
        const QByteArray noColours = gridFileHeader(1, 1) + uInt32Bytes(0) + uInt32Bytes(0);
        const QPoint none;
        QTest::newRow("foreign text") << QByteArray("GLYPH poem, not grid\r\n") << GridFileError::NotGridFile << none;
        QTest::newRow("newer version") << withChecksum(gridFileHeader(1, 1, 2) + cellBytes("a"))
                                       << GridFileError::UnknownVersion << none;
        QTest::newRow("cells beyond the limit") << withChecksum(gridFileHeader(50'000, 50'000) + cellBytes("a"))
                                                << GridFileError::TooManyCells << QPoint(50'000, 50'000);
        QTest::newRow("huge counts, tiny file") << withChecksum(gridFileHeader(7000, 7000) + cellBytes("a"))
                                                << GridFileError::TooShort << QPoint(7000, 7000);
        QTest::newRow("cut in the header") << valid.left(15) << GridFileError::Truncated << none;
        QTest::newRow("data after the end") << valid + "x" << GridFileError::DataAfterEnd << none;
        QTest::newRow("cut in a cell") << valid.left(GridFile::kHeaderSize + 20) << GridFileError::TooShort
                                       << QPoint(3, 3);
        QTest::newRow("checksum wrong") << oneCell + uInt32Bytes(Crc32::of(oneCell.constData(), oneCell.size()) ^ 1)
                                        << GridFileError::ChecksumMismatch << none;
        QTest::newRow("length of six bytes") << withChecksum(noColours + QByteArray(5, '\x80') + "\x01" + "a")
                                             << GridFileError::BadTextLength << QPoint(1, 1);
        QTest::newRow("length beyond 2^31") << withChecksum(noColours + QByteArray::fromHex("FFFFFFFF0F") + "a")
                                            << GridFileError::BadTextLength << QPoint(1, 1);
        // Invalid UTF-8 under a correct checksum: stray continuation, overlong, surrogate, beyond U+10FFFF, cut short.
        for (const char *utf8 : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\xE6\x98"}) {
            QTest::addRow("UTF-8 %s", hexBytes(utf8).constData())
                << withChecksum(gridFileHeader(1, 1) + cellBytes(utf8)) << GridFileError::BadText << QPoint(1, 1);
        }
    }

    void damagedFilesFailAndLeaveTheSheet()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(GridFileError, error);
        QFETCH(QPoint, cell);

        auto target = targetSheet();
        GridFileFailure failure;
        QVERIFY(!readBytes(bytes, *target, &failure));
        QCOMPARE(sheetBytes(*target), sheetBytes(*targetSheet()));
        QCOMPARE(failure.error, error);
        if (error == GridFileError::TooManyCells || error == GridFileError::TooShort) {
            QCOMPARE(QPoint(int(failure.columns), int(failure.rows)), cell);
        } else {
            QCOMPARE(QPoint(failure.column, failure.row), cell);
        }
        if (error == GridFileError::UnknownVersion)
            QCOMPARE(failure.version, 2u);
    }
};

QTEST_GUILESS_MAIN(TestGridFile)
#include "tst_gridfile.moc"
