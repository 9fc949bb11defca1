// Grid files: the round trip, the exact bytes, and damaged or hostile input failing with the sheet untouched.
#include "core/GridSheet.h"
#include "gridfile/Crc32.h"
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A pipe holding bytes with its write end closed, named by a path as /dev/stdin names one.
class FilledPipe {
public:
    explicit FilledPipe(const QByteArray& bytes)
    {
        if (::pipe(fds_) != 0)
            return;
        ok_ = ::write(fds_[1], bytes.constData(), size_t(bytes.size())) == bytes.size(); // within the pipe's buffer
        ::close(fds_[1]);
    }
    ~FilledPipe() { ::close(fds_[0]); }
    bool ok() const { return ok_; }
    QString pathOf() const { return QStringLiteral("/proc/self/fd/%1").arg(fds_[0]); }

private:
    int fds_[2] = { -1, -1 };
    bool ok_ = false;
};

// The sheet as a grid file: equal bytes mean equal sheets.
QByteArray fileBytes(const GridSheet& sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeGridFile(buffer, sheet) ? buffer.data() : QByteArray("write failed");
}

bool readBytes(QByteArray bytes, GridSheet& into, QString* error)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readGridFile(buffer, into, error);
}

std::unique_ptr<GridSheet> mixedSheet()
{
    return buildSheet({
        { { QStringLiteral("春"), 0x0099CCFF, kWhite }, { QStringLiteral("ab") },
            { {}, Color(0xFF000001), Color(0x80FFFFFF) } },
        { { QStringLiteral("𠮷"), kBlack, kWhite }, { QStringLiteral("a long text: 夏の夜") },
            { QStringLiteral("ｱ") } },
        { { QString(QChar(0)) + QStringLiteral("\t") }, { QStringLiteral("　") },
            { QStringLiteral("\u00FF\u07FF\u0800") } },
    });
}

// A sheet that differs from every loaded one, to see that failures leave it alone.
auto targetSheet()
{
    return buildSheet({ { { QStringLiteral("元"), 0x00010203, 0x00040506 }, { QStringLiteral("の") } } });
}

QByteArray uInt32Bytes(quint32 value)
{
    QByteArray bytes(4, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray header(quint32 columns, quint32 rows, quint32 version = GridFile::kVersion)
{
    return QByteArray(GridFile::kMagic, 8) + uInt32Bytes(version) + uInt32Bytes(columns) + uInt32Bytes(rows);
}

QByteArray Cell(const QByteArray& utf8)
{
    return uInt32Bytes(kWhite) + uInt32Bytes(kBlack) + char(utf8.size()) + utf8;
}

QByteArray withChecksum(const QByteArray& body)
{
    return body + uInt32Bytes(Crc32::of(body.constData(), body.size()));
}

} // namespace

class TestGridFile : public QObject {
    Q_OBJECT
private slots:
    void saveThenLoadRestoresEverything()
    {
        // Magic, version, columns, rows; each cell's two colours, UTF-8 length and text; zlib's CRC-32.
        const QByteArray expected = QByteArray::fromHex("474C595048475244 01000000 02000000 01000000 FFCC9900 "
                                                        "FFFFFF00 03 E698A5 FFFFFF00 00000000 02 6162 1EB700D1");
        QCOMPARE(
            hexBytes(fileBytes(*buildSheet({ { { u"春"_s, 0x0099CCFF, kWhite }, { u"ab"_s } } }))), hexBytes(expected));
        auto wide = std::make_shared<GridSheet>(300, 3);
        wide->setCellText(150, 2, QString(700'000, QChar(u'長'))); // longer than the reader's chunk
        const QList<std::pair<const char*, std::shared_ptr<GridSheet>>> sheets
            = { { "mixed", std::shared_ptr<GridSheet>(mixedSheet()) },
                  { "no columns", std::make_shared<GridSheet>(0, 5) }, { "no rows", std::make_shared<GridSheet>(7, 0) },
                  { "long text", wide } };
        auto target = targetSheet();
        QString error;
        for (const auto& [name, sheet] : sheets)
            QVERIFY2(readBytes(fileBytes(*sheet), *target, &error) && fileBytes(*target) == fileBytes(*sheet),
                qPrintable(name + (": " + error)));

        // Through a real file saved twice, the second replacing the first whole; a missing folder and a folder fail.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("poem.grd"));
        for (const auto& sheet : { sheets[0].second, std::make_shared<GridSheet>(1, 1) })
            QVERIFY2(saveSheet(*sheet, path, &error) && loadSheet(*target, path, &error)
                    && fileBytes(*target) == fileBytes(*sheet),
                qPrintable(error));
        QVERIFY(!saveSheet(*target, dir.filePath(QStringLiteral("missing/poem.grd")), &error) && !error.isEmpty());
        QVERIFY(!loadSheet(*target, dir.path(), &error) && error.contains(QStringLiteral("folder")));
        QVERIFY(fileBytes(*target) == fileBytes(GridSheet(1, 1)));

        // An endless device must be refused from its first bytes.
        QFile zeros(QStringLiteral("/dev/zero"));
        QVERIFY2(zeros.open(QIODevice::ReadOnly) && !readGridFile(zeros, *target, &error)
                && error.contains(QStringLiteral("not a grid file")),
            qPrintable(error));
    }

    // The batch loads from a pipe; the editor takes regular files only and never waits on a FIFO.
    void loadFromPipesAndDevices_data()
    {
        QTest::addColumn<QString>("source"); // "pipe", "fifo" (without a writer) or a device's path
        QTest::addColumn<FileKinds>("kinds");
        QTest::addColumn<QString>("error"); // a part of it; empty: the sheet loads

        QTest::newRow("pipe") << u"pipe"_s << FileKinds::AnyReadable << QString();
        QTest::newRow("pipe, regular only") << u"pipe"_s << FileKinds::RegularOnly << u"FIFO"_s;
        QTest::newRow("fifo, regular only") << u"fifo"_s << FileKinds::RegularOnly << u"FIFO"_s;
        QTest::newRow("endless zeros") << u"/dev/zero"_s << FileKinds::AnyReadable << u"not a grid file"_s;
        QTest::newRow("device, regular only") << u"/dev/zero"_s << FileKinds::RegularOnly << u"デバイス"_s;
    }

    void loadFromPipesAndDevices()
    {
        QFETCH(QString, source);
        QFETCH(FileKinds, kinds);
        QFETCH(QString, error);
        const QByteArray file = fileBytes(*mixedSheet());
        const FilledPipe pipe(file);
        QVERIFY(pipe.ok());
        QTemporaryDir dir;
        QString path = source;
        if (source == u"pipe"_s) {
            path = pipe.pathOf();
        } else if (source == u"fifo"_s) {
            path = dir.filePath(source);
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        auto target = targetSheet();
        const QByteArray before = fileBytes(*target);
        QString reason;
        QCOMPARE(loadSheet(*target, path, &reason, kinds), error.isEmpty());
        QVERIFY2(reason.contains(error), qPrintable(reason));
        QCOMPARE(fileBytes(*target), error.isEmpty() ? file : before);
    }

    void damagedFilesFailAndLeaveTheSheet()
    {
        const QByteArray valid = fileBytes(*mixedSheet());
        const QByteArray oneCell = header(1, 1) + Cell("a");
        const QByteArray noColours = header(1, 1) + uInt32Bytes(0) + uInt32Bytes(0);
        QList<std::tuple<QByteArray, QByteArray, const char*>> cases = {
            { "empty", QByteArray(), "not a grid file" },
            { "foreign text", "GLYPH poem, not grid\r\n", "not a grid file" },
            { "newer version", withChecksum(header(1, 1, 2) + Cell("a")), "version 2" },
            { "cells beyond the limit", withChecksum(header(50'000, 50'000) + Cell("a")), "limit" },
            { "huge counts, tiny file", withChecksum(header(7000, 7000) + Cell("a")), "too short" },
            { "cut in the header", valid.left(15), "truncated" },
            { "data after the end", valid + "x", "after its end" },
            { "cut in a cell", valid.left(GridFile::kHeaderSize + 20), "" },
            { "checksum wrong", oneCell + uInt32Bytes(Crc32::of(oneCell.constData(), oneCell.size()) ^ 1), "checksum" },
            { "length of six bytes",
                withChecksum(noColours + QByteArray(5, '\x80')
                    + "\x01"
                      "a"),
                "text length" },
            { "length beyond 2^31", withChecksum(noColours + QByteArray::fromHex("FFFFFFFF0F") + "a"), "text length" },
        };
        // Invalid UTF-8 under a correct checksum: stray continuation, overlong, surrogate, beyond U+10FFFF, cut short.
        for (const char* utf8 : { "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\xE6\x98" })
            cases.append({ "UTF-8 " + hexBytes(utf8), withChecksum(header(1, 1) + Cell(utf8)), "UTF-8" });
        const QByteArray untouched = fileBytes(*targetSheet());
        for (const auto& [name, bytes, reason] : cases) {
            auto target = targetSheet();
            QString error;
            QVERIFY2(!readBytes(bytes, *target, &error) && fileBytes(*target) == untouched, name.constData());
            QVERIFY2(!error.isEmpty() && error.contains(QLatin1String(reason), Qt::CaseInsensitive),
                qPrintable(name + ": " + error));
        }
    }

    // Thousands of damaged copies of a valid file: each loads cleanly or fails with the
    // sheet untouched; under the sanitizers this also shows no read goes astray.
    void randomlyDamagedCopiesNeverLoad()
    {
        const QByteArray valid = fileBytes(*mixedSheet());
        auto target = targetSheet();
        const QByteArray before = fileBytes(*target);
        QRandomGenerator random(20261206);
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes = valid;
            const int at = random.bounded(bytes.size());
            switch (round % 4) {
            case 0: bytes[at] = char(bytes[at] ^ (1 + random.bounded(255))); break; // a flipped byte
            case 1: bytes.truncate(at); break;
            case 2: bytes.replace(12 + 4 * random.bounded(2), 4, uInt32Bytes(random.generate())); break; // a count
            default: random.bounded(2) ? bytes.insert(at, char(random.bounded(256))) : bytes.remove(at, 1);
            }
            QString error;
            if (bytes != valid)
                QVERIFY2(!readBytes(bytes, *target, &error) && !error.isEmpty() && fileBytes(*target) == before,
                    qPrintable(u"round %1: %2"_s.arg(round).arg(error)));
        }
    }
};

QTEST_GUILESS_MAIN(TestGridFile)
#include "tst_gridfile.moc"
