// The grid file round trip, its exact bytes, and the reader's defence against damaged,
// foreign and hostile files: every failure leaves the target sheet as it was.
#include "core/GridSheet.h"
#include "gridfile/Crc32.h"
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray FileBytes(const GridSheet &sheet)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!WriteGridFile(buffer, sheet, &error))
        qWarning() << "write failed:" << error;
    return bytes;
}

bool ReadBytes(const QByteArray &bytes, GridSheet &into, QString *error)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadGridFile(buffer, into, error);
}

// Everything a grid file carries, in one comparable text.
QString Describe(const GridSheet &sheet)
{
    QString out = QStringLiteral("%1x%2\n").arg(sheet.ColumnCount()).arg(sheet.RowCount());
    for (int row = 1; row <= sheet.RowCount(); ++row) {
        for (int column = 1; column <= sheet.ColumnCount(); ++column) {
            out += QStringLiteral("[%1|%2|%3]")
                       .arg(sheet.GetCellText(column, row))
                       .arg(quint32(sheet.BackColorAt(column, row)), 8, 16, QLatin1Char('0'))
                       .arg(quint32(sheet.ForeColorAt(column, row)), 8, 16, QLatin1Char('0'));
        }
        out += u'\n';
    }
    return out;
}

std::unique_ptr<GridSheet> MixedSheet()
{
    return BuildSheet({
        {{QStringLiteral("春"), 0x0099CCFF, kWhite}, {QStringLiteral("ab")}, {QString(), 0x00123456, 0x00654321}},
        {{QStringLiteral("𠮷"), kBlack, kWhite}, {QStringLiteral(" ")}, {QStringLiteral("ｱ")}},
        {{QStringLiteral("a long cell text, well over two units: 夏の夜")}, {QStringLiteral("\t")},
         {QStringLiteral("é"), Color(0xFF000001), Color(0x80FFFFFF)}},
        {{QString(QChar(0)) + QStringLiteral("x")}, {QStringLiteral("　")}, {QStringLiteral("\u00FF\u07FF\u0800")}},
    });
}

// A sheet that differs from every loaded one, to see that failures leave it alone.
std::unique_ptr<GridSheet> TargetSheet()
{
    auto sheet = BuildSheet({{{QStringLiteral("元"), 0x00010203, 0x00040506}, {QStringLiteral("の")}},
                             {{QStringLiteral("ま"), 0x00070809}, {QStringLiteral("ま")}}});
    sheet->SetActiveCell(2, 2);
    return sheet;
}

QByteArray UInt32Bytes(quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray Header(quint32 columns, quint32 rows, quint32 version = GridFile::kVersion)
{
    return QByteArray(GridFile::kMagic, 8) + UInt32Bytes(version) + UInt32Bytes(columns) + UInt32Bytes(rows);
}

QByteArray Cell(const QByteArray &utf8, quint32 back = kWhite, quint32 fore = kBlack)
{
    return UInt32Bytes(back) + UInt32Bytes(fore) + char(utf8.size()) + utf8;
}

QByteArray WithChecksum(const QByteArray &body)
{
    return body + UInt32Bytes(Crc32::Of(body.constData(), body.size()));
}

// A pipe-like input that hands out its bytes a few at a time and cannot tell its size.
class TrickleDevice : public QIODevice {
public:
    explicit TrickleDevice(QByteArray bytes) : bytes_(std::move(bytes)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 size = std::min<qint64>({maxSize, 7, bytes_.size() - pos_});
        std::memcpy(data, bytes_.constData() + pos_, size_t(size));
        pos_ += size;
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 pos_ = 0;
};

// Lets writes beyond a size fail with EFBIG, as on a full disk (root ignores permissions).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

} // namespace

class TestGridFile : public QObject {
    Q_OBJECT
private slots:
    void checksumMatchesTheStandardCrc32();
    void roundTripRestoresEverything_data();
    void roundTripRestoresEverything();
    void roundTripThroughARealFile();
    void roundTripThroughAPipe();
    void bytesFollowTheDocumentedLayout();
    void damagedFileFailsAndLeavesTheSheet_data();
    void damagedFileFailsAndLeavesTheSheet();
    void randomlyDamagedCopiesNeverLoad();
    void failedSaveKeepsTheOldFile();
    void loadOfMissingFileOrFolderFails();
};

void TestGridFile::checksumMatchesTheStandardCrc32()
{
    QCOMPARE(Crc32::Of("123456789", 9), 0xCBF43926u);
    // Fed in uneven pieces, around the eight-byte stride.
    const QByteArray bytes = QByteArray("0123456789abcdefghijklmnopqrstuvwxyz").repeated(3);
    for (int cut : {0, 1, 7, 8, 9, 17, int(bytes.size())}) {
        Crc32 crc;
        crc.Update(bytes.constData(), cut);
        crc.Update(bytes.constData() + cut, bytes.size() - cut);
        QCOMPARE(crc.Value(), Crc32::Of(bytes.constData(), bytes.size()));
    }
}

void TestGridFile::roundTripRestoresEverything_data()
{
    QTest::addColumn<std::shared_ptr<GridSheet>>("sheet");
    QTest::newRow("fresh 25x22") << std::make_shared<GridSheet>();
    QTest::newRow("mixed texts and colours") << std::shared_ptr<GridSheet>(MixedSheet());
    QTest::newRow("no columns") << std::make_shared<GridSheet>(0, 5);
    QTest::newRow("no rows") << std::make_shared<GridSheet>(7, 0);
    auto wide = std::make_shared<GridSheet>(300, 3);
    for (int column = 1; column <= 300; ++column)
        wide->SetCellColors(column, 2, Color(column * 0x010203), kWhite);
    // A text longer than the reader's chunk, so it crosses a refill.
    wide->SetCellText(150, 2, QString(700'000, QChar(u'長')));
    QTest::newRow("text longer than a chunk") << wide;
}

void TestGridFile::roundTripRestoresEverything()
{
    QFETCH(std::shared_ptr<GridSheet>, sheet);
    const QByteArray bytes = FileBytes(*sheet);
    auto target = TargetSheet();
    QString error;
    QVERIFY2(ReadBytes(bytes, *target, &error), qPrintable(error));
    QCOMPARE(Describe(*target), Describe(*sheet));
}

void TestGridFile::roundTripThroughARealFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("poem.grd"));
    auto sheet = MixedSheet();
    QString error;
    QVERIFY2(SaveSheet(*sheet, path, &error), qPrintable(error));
    auto target = TargetSheet();
    QVERIFY2(LoadSheet(*target, path, &error), qPrintable(error));
    QCOMPARE(Describe(*target), Describe(*sheet));

    // Saving again replaces the file whole.
    GridSheet small(1, 1);
    QVERIFY(SaveSheet(small, path, &error));
    QVERIFY(LoadSheet(*target, path, &error));
    QCOMPARE(Describe(*target), Describe(small));
}

void TestGridFile::roundTripThroughAPipe()
{
    auto sheet = MixedSheet();
    TrickleDevice pipe(FileBytes(*sheet));
    auto target = TargetSheet();
    QString error;
    QVERIFY2(ReadGridFile(pipe, *target, &error), qPrintable(error));
    QCOMPARE(Describe(*target), Describe(*sheet));

    TrickleDevice cut(FileBytes(*sheet).chopped(1));
    QVERIFY(!ReadGridFile(cut, *target, &error));
    QCOMPARE(Describe(*target), Describe(*sheet));

    // A character device never ends: its first bytes must be enough to refuse it.
    QFile zeros(QStringLiteral("/dev/zero"));
    QVERIFY(zeros.open(QIODevice::ReadOnly));
    QVERIFY(zeros.isSequential());
    QVERIFY(!ReadGridFile(zeros, *target, &error));
    QVERIFY(error.contains(QStringLiteral("not a grid file")));
}

void TestGridFile::bytesFollowTheDocumentedLayout()
{
    auto sheet = BuildSheet({{{QStringLiteral("春"), 0x0099CCFF, 0x00FFFFFF}, {QStringLiteral("ab")}}});
    const QByteArray expected = QByteArray::fromHex("474C595048475244" // GLYPHGRD
                                                "01000000"         // version 1
                                                "02000000"         // 2 columns
                                                "01000000"         // 1 row
                                                "FFCC9900" "FFFFFF00" "03" "E698A5" // 春
                                                "FFFFFF00" "00000000" "02" "6162"  // ab
                                                "1EB700D1");       // CRC-32 as zlib computes it
    QCOMPARE(HexBytes(FileBytes(*sheet)), HexBytes(expected));

    // Long text lengths take more than one byte, low seven bits first.
    GridSheet one(1, 1);
    one.SetCellText(1, 1, QString(200, QLatin1Char('x')));
    QCOMPARE(HexBytes(FileBytes(one).mid(GridFile::kHeaderSize + 8, 2)), QByteArray("C8 01"));
}

void TestGridFile::damagedFileFailsAndLeavesTheSheet_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    const QByteArray valid = FileBytes(*MixedSheet());
    const QByteArray oneCell = Header(1, 1) + Cell("a");

    QTest::newRow("empty") << QByteArray() << "not a grid file";
    QTest::newRow("foreign text") << QByteArray("GLYPH poem, not a grid\r\n") << "not a grid file";
    QTest::newRow("magic only") << QByteArray(GridFile::kMagic, 8) << "truncated";
    QTest::newRow("newer version") << WithChecksum(Header(1, 1, 2) + Cell("a")) << "version 2";
    QTest::newRow("version 0") << WithChecksum(Header(1, 1, 0) + Cell("a")) << "version 0";
    QTest::newRow("columns beyond 32-bit int") << WithChecksum(Header(0xFFFFFFFFu, 1) + Cell("a")) << "limit";
    QTest::newRow("cells beyond the limit") << WithChecksum(Header(50'000, 50'000) + Cell("a")) << "limit";
    QTest::newRow("huge counts, tiny file") << WithChecksum(Header(7000, 7000) + Cell("a")) << "too short";
    QTest::newRow("one cell too many") << WithChecksum(Header(2, 1) + Cell("a")) << "too short";
    QTest::newRow("cut in the header") << valid.left(15) << "truncated";
    QTest::newRow("cut in a cell") << valid.left(GridFile::kHeaderSize + 20) << "";
    QTest::newRow("checksum missing") << valid.chopped(4) << "";
    QTest::newRow("checksum cut") << valid.chopped(1) << "truncated";
    QTest::newRow("checksum wrong") << oneCell + UInt32Bytes(Crc32::Of(oneCell.constData(), oneCell.size()) ^ 1)
                                    << "checksum";
    QTest::newRow("colour flipped") << QByteArray(valid).replace(GridFile::kHeaderSize, 1, "\x7F") << "checksum";
    QTest::newRow("data after the end") << valid + "x" << "after its end";
    QTest::newRow("text longer than the file") << WithChecksum(Header(1, 1) + Cell("abc").left(8) + "\x7F" + "ab")
                                               << "truncated";
    QTest::newRow("text length of six bytes")
        << WithChecksum(Header(1, 1) + UInt32Bytes(0) + UInt32Bytes(0) + QByteArray(5, '\x80') + "\x01" + "a")
        << "text length";
    QTest::newRow("text length beyond 2^31")
        << WithChecksum(Header(1, 1) + UInt32Bytes(0) + UInt32Bytes(0) + QByteArray::fromHex("FFFFFFFF0F") + "a")
        << "text length";
    // Invalid UTF-8 with a correct checksum: the text check alone must catch it.
    const QList<std::pair<const char *, QByteArray>> badUtf8 = {
        {"stray continuation byte", "\x80"},
        {"overlong slash", "\xC0\xAF"},
        {"overlong three-byte form", "\xE0\x80\xAF"},
        {"encoded surrogate", "\xED\xA0\x80"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80"},
        {"lead byte F5", "\xF5\x80\x80\x80"},
        {"sequence cut short", "a\xE6\x98"},
        {"lead without continuation", "\xE6" "ab"},
    };
    for (const auto &[name, utf8] : badUtf8)
        QTest::newRow(name) << WithChecksum(Header(1, 1) + Cell(utf8)) << "UTF-8";
}

void TestGridFile::damagedFileFailsAndLeavesTheSheet()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    auto target = TargetSheet();
    const QString before = Describe(*target);
    QString error;
    QVERIFY(!ReadBytes(bytes, *target, &error));
    QVERIFY2(!error.isEmpty(), "a failure needs a reason");
    QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(Describe(*target), before);
    QCOMPARE(target->ActiveColumn(), 2);
    QCOMPARE(target->ActiveRow(), 2);
}

void TestGridFile::randomlyDamagedCopiesNeverLoad()
{
    auto source = MixedSheet();
    source->SetSize(6, 5);
    const QByteArray valid = FileBytes(*source);
    auto target = TargetSheet();
    const QString before = Describe(*target);
    QRandomGenerator random(20261206);
    int damaged = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes = valid;
        switch (round % 5) {
        case 0: // flipped bytes
            for (int flips = 1 + random.bounded(4); flips > 0; --flips)
                bytes[random.bounded(bytes.size())] ^= char(1 + random.bounded(255));
            break;
        case 1: // truncated
            bytes.truncate(random.bounded(bytes.size()));
            break;
        case 2: // huge or odd counts
            bytes.replace(12 + 4 * random.bounded(2), 4, UInt32Bytes(random.generate()));
            break;
        case 3: // a byte inserted or removed
            if (random.bounded(2))
                bytes.insert(random.bounded(bytes.size()), char(random.bounded(256)));
            else
                bytes.remove(random.bounded(bytes.size()), 1);
            break;
        default: // a run of bytes overwritten with random ones
            for (int at = random.bounded(bytes.size()), n = 1 + random.bounded(16); n > 0 && at < bytes.size(); --n)
                bytes[at++] = char(random.bounded(256));
            break;
        }
        if (bytes == valid)
            continue;
        ++damaged;
        QString error;
        if (ReadBytes(bytes, *target, &error))
            QFAIL(qPrintable(QStringLiteral("round %1: a damaged copy loaded").arg(round)));
        QVERIFY(!error.isEmpty());
        QCOMPARE(Describe(*target), before);
    }
    QVERIFY(damaged > 3500);
}

void TestGridFile::failedSaveKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("poem.grd"));
    auto old = MixedSheet();
    QString error;
    QVERIFY(SaveSheet(*old, path, &error));
    const QByteArray oldBytes = FileBytes(*old);

    GridSheet big(400, 400);
    big.SetCellText(1, 1, QString(100'000, QLatin1Char('x')));
    {
        FileSizeLimit limit(64 * 1024);
        QVERIFY(!SaveSheet(big, path, &error));
    }
    QVERIFY(!error.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("poem.grd")});

    QVERIFY(!SaveSheet(*old, dir.filePath(QStringLiteral("no such folder/poem.grd")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!SaveSheet(*old, dir.path(), &error));
    QVERIFY(!error.isEmpty());
}

void TestGridFile::loadOfMissingFileOrFolderFails()
{
    QTemporaryDir dir;
    auto target = TargetSheet();
    const QString before = Describe(*target);
    QString error;
    QVERIFY(!LoadSheet(*target, dir.filePath(QStringLiteral("missing.grd")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!LoadSheet(*target, dir.path(), &error));
    QVERIFY(error.contains(QStringLiteral("folder")));
    QCOMPARE(Describe(*target), before);
}

QTEST_GUILESS_MAIN(TestGridFile)
#include "tst_gridfile.moc"
