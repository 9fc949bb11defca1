// glyphscape-batch against hostile input: damaged and lying pictures, texts and grid files,
// outputs that cannot be written or are the inputs. Each failure is one line on standard
// error and leaves every file as it was. Devices, FIFOs and each writer on a full disk are
// the file wrapper's tests.
#include "core/GridSheet.h"
#include "gridfile/Crc32.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray bigEndian32(quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    const QByteArray typed = type + data;
    return bigEndian32(quint32(data.size())) + typed + bigEndian32(Crc32::of(typed.constData(), typed.size()));
}

// A PNG whose header claims width × height, with a few bytes of picture data.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8)
        + pngChunk("IHDR", bigEndian32(width) + bigEndian32(height) + QByteArray("\x08\x02\x00\x00\x00", 5))
        + pngChunk("IDAT", QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) + pngChunk("IEND", {});
}

// A baseline JPEG frame header claiming width × height, then nothing.
QByteArray jpegHeaderOnly(quint16 width, quint16 height)
{
    const char frame[] = {'\xFF', '\xD8', '\xFF', '\xC0', 0, 11, 8, char(height >> 8), char(height & 0xFF),
        char(width >> 8), char(width & 0xFF), 1, 1, 0x11, 0};
    return QByteArray(frame, sizeof frame);
}

} // namespace

class TestBatchHostile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString pathOf(const QString &name) const { return dir_.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) { writeTestFile(dir_.path(), name, bytes); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("ow/d")));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder")));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(200, 40, 90));
        QVERIFY(picture.save(pathOf(QStringLiteral("pic.png")), "PNG"));
        write(QStringLiteral("truncated.png"), readTestFile(pathOf(QStringLiteral("pic.png"))).first(40));
        write(QStringLiteral("bomb.png"), pngHeaderOnly(200'000, 200'000));
        write(QStringLiteral("bomb.jpg"), jpegHeaderOnly(65'000, 65'000));
        write(QStringLiteral("zero.png"), pngHeaderOnly(0, 0));
        // Decoding this takes more than the 128 MiB that Qt allows unless told otherwise.
        QImage large(6000, 6000, QImage::Format_RGB32);
        large.fill(qRgb(20, 140, 60));
        QVERIFY(large.save(pathOf(QStringLiteral("36M.png")), "PNG"));

        write(QStringLiteral("poem.txt"), QByteArray("\x8f\x74\x89\xc4 spring\r\n"));
        QVERIFY(QFile::link(pathOf(QStringLiteral("poem.txt")), pathOf(QStringLiteral("poem-link.txt"))));
        QCOMPARE(::link(QFile::encodeName(pathOf(QStringLiteral("pic.png"))).constData(),
                     QFile::encodeName(pathOf(QStringLiteral("hard.png"))).constData()),
            0);
        write(QStringLiteral("utf8.txt"), QByteArray("\xE6\x98\xA5\xFF\r\n"));

        auto sheet = buildSheet({{{QStringLiteral("春"), 0x0000FF}, {QStringLiteral("a"), 0x00FF00}}});
        QVERIFY(saveSheet(*sheet, pathOf(QStringLiteral("good.grd"))));
        QByteArray damaged = readTestFile(pathOf(QStringLiteral("good.grd")));
        damaged[damaged.size() - 6] = char(damaged[damaged.size() - 6] ^ 0x20);
        write(QStringLiteral("damaged.grd"), damaged);
        write(QStringLiteral("huge.grd"), gridFileHeader(50'000, 50'000) + QByteArray(64, '\0'));

        write(QStringLiteral("old.htm"), QByteArray(105, 'o'));
        write(QStringLiteral("old.grd"), QByteArray(105, 'g'));
    }

    void hostileInput_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("fileSizeLimit"); // 0: none

        const qint64 none = 0;
        QTest::newRow("truncated PNG") << "--image truncated.png --html old.htm" << 1 << "cannot read the picture"
                                       << none;
        QTest::newRow("PNG claiming 200000 x 200000") << "--image bomb.png --html old.htm" << 1 << "too large" << none;
        QTest::newRow("JPEG claiming 65000 x 65000") << "--image bomb.jpg --html old.htm" << 1 << "bomb.jpg: " << none;
        QTest::newRow("PNG of no pixels")
            << "--image zero.png --html old.htm" << 1 << "cannot read the picture" << none;
        QTest::newRow("36 M pixel PNG") << "--image 36M.png --block 600 --plain -" << 0 << "" << none;
        QTest::newRow("picture is a folder") << "--image folder --html old.htm" << 1 << "no such picture file" << none;
        QTest::newRow("missing text") << "--text none.txt --html old.htm" << 1 << "no such text file" << none;
        QTest::newRow("text not code page 932") << "--text utf8.txt --html old.htm" << 1 << "not code page 932" << none;
        QTest::newRow("text from standard input") << "--text - --plain -" << 0 << "" << none;
        QTest::newRow("damaged grid file")
            << "--grid damaged.grd --save old.grd" << 1 << "cannot read the grid file" << none;
        QTest::newRow("grid file claiming 2.5e9 cells")
            << "--grid huge.grd --save old.grd" << 1 << "cannot read the grid file" << none;
        // The page and the text fit, the grid file does not: none of the three may land.
        QTest::newRow("full disk, last of three") << "--size 200x1 --html new.htm --plain new.txt --save old.grd" << 1
                                                  << "cannot write the grid file" << qint64(1000);
        // Outputs that cannot be or must not be written.
        QTest::newRow("missing folder") << "--html no/such/page.htm" << 1 << "no such folder" << none;
        QTest::newRow("output is a folder") << "--plain folder" << 1 << "it is a folder" << none;
        QTest::newRow("page over the grid file")
            << "--grid good.grd --html good.grd" << 2 << "is the --grid file" << none;
        QTest::newRow("through a link") << "--text poem-link.txt --plain ./ow/../poem.txt" << 2 << "is the --text file"
                                        << none;
        QTest::newRow("hard link") << "--image pic.png --save hard.png" << 2 << "is the --image file" << none;
        QTest::newRow("one new file, two spellings") << "--html ow/x --plain ow/d/../x" << 2 << "same file" << none;
        QTest::newRow("standard output twice") << "--html - --plain -" << 2 << "same file" << none;
        QTest::newRow("standard input twice") << "--grid - --text - --plain -" << 2 << "standard input" << none;
        // --save may update its own --grid file.
        QTest::newRow("update in place") << "--grid good.grd --size 3x1 --save good.grd" << 0 << "" << none;
    }

    void hostileInput()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(qint64, fileSizeLimit);

        const QMap<QString, QByteArray> before = folderSnapshot(dir_.path());

        QProcess process;
        process.setWorkingDirectory(dir_.path());
        process.setChildProcessModifier([fileSizeLimit] {
            if (fileSizeLimit > 0) {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit {rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
        });
        process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + "/bin/glyphscape-batch", arguments.split(u' '));
        if (arguments.contains(u"--text -"))
            process.write("\x8f\x74\x89\xc4 spring\r\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(process.exitCode() == exitCode, err.constData());

        QMap<QString, QByteArray> after = folderSnapshot(dir_.path());
        if (exitCode != 0) {
            QVERIFY2(
                err.startsWith("glyphscape-batch: ") && err.endsWith('\n') && err.count('\n') == 1, err.constData());
            QVERIFY2(QString::fromLocal8Bit(err).contains(message), err.constData());
            QVERIFY(out.isEmpty());
            QCOMPARE(after, before);
            return;
        }
        QVERIFY2(err.isEmpty(), err.constData());
        if (arguments.contains(u"--plain -"))
            QVERIFY2(out.startsWith(arguments.contains(u"--text") ? "\x8f\x74\x89\xc4" : "\x81\x40"),
                out.left(8).toHex(' ').constData());
        if (arguments.contains(u"good.grd")) {
            GridSheet updated;
            QVERIFY(loadSheet(updated, pathOf(QStringLiteral("good.grd"))));
            QCOMPARE(updated.columnCount(), 3);
            QCOMPARE(updated.getCellText(1, 1), QStringLiteral("春"));
            QMap<QString, QByteArray> rest = before;
            rest.remove(QStringLiteral("good.grd"));
            after.remove(QStringLiteral("good.grd"));
            QCOMPARE(after, rest);
            return;
        }
        QCOMPARE(after, before);
    }
};

QTEST_GUILESS_MAIN(TestBatchHostile)
#include "tst_batchhostile.moc"
