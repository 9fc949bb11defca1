// glyphscape-batch against hostile input: bad arguments, damaged and lying pictures, texts and
// grid files, outputs that cannot be written or are the inputs. Each failure is one line on
// standard error and leaves every file as it was.
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"

#include <QtGui>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestBatchHostile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString pathOf(const QString &name) const { return dir_.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) { writeTestFile(dir_.path(), name, bytes); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir_.path()).mkpath(u"ow/d"_s));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(200, 40, 90));
        QVERIFY(picture.save(pathOf(u"pic.png"_s), "PNG"));
        write(u"truncated.png"_s, readTestFile(pathOf(u"pic.png"_s)).first(40));
        // A bitmap header claiming 8193 x 8192 pixels, just above the limit.
        write(u"bomb.bmp"_s,
            QByteArray::fromHex("424d460000000000000036000000280000000120000000200000010018000000"
                                "000010000000130b0000130b00000000000000000000")
                + QByteArray(16, 0));
        // Decoding this takes more than the 128 MiB that Qt allows unless told otherwise.
        QVERIFY(picture.scaled(6000, 6000).save(pathOf(u"36M.png"_s), "PNG"));

        write(u"poem.txt"_s, QByteArray("\x8f\x74\x89\xc4 spring\r\n"));
        QVERIFY(QFile::link(pathOf(u"poem.txt"_s), pathOf(u"poem-link.txt"_s)));
        QCOMPARE(::link(QFile::encodeName(pathOf(u"pic.png"_s)), QFile::encodeName(pathOf(u"hard.png"_s))), 0);
        write(u"utf8.txt"_s, QByteArray("\xE6\x98\xA5\xFF\r\n"));

        auto sheet = buildSheet({{{u"春"_s, 0x0000FF}, {u"a"_s, 0x00FF00}}});
        QVERIFY(saveSheet(*sheet, pathOf(u"good.grd"_s)));
        QByteArray damaged = readTestFile(pathOf(u"good.grd"_s));
        damaged[damaged.size() - 6] = char(damaged[damaged.size() - 6] ^ 0x20);
        write(u"damaged.grd"_s, damaged);
        write(u"huge.grd"_s, gridFileHeader(50'000, 50'000) + QByteArray(64, '\0'));

        write(u"old.htm"_s, QByteArray(105, 'o'));
        write(u"old.grd"_s, QByteArray(105, 'g'));
    }

    void hostileInput_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown option") << "--colour --html old.htm" << 2 << "unknown option --colour";
        QTest::newRow("block beyond 32 bits")
            << "--image pic.png --block 9e9 --html old.htm" << 1 << "--block \"9e9\" lies beyond";
        QTest::newRow("size beyond the sheet")
            << "--size 99999x99999 --html old.htm" << 1 << "more than the 50,000,000";
        QTest::newRow("truncated PNG") << "--image truncated.png --html old.htm" << 1 << "cannot read the picture";
        QTest::newRow("bitmap above the pixel limit")
            << "--image bomb.bmp --html old.htm" << 1 << "more than the 67,108,864";
        QTest::newRow("36 M pixel PNG") << "--image 36M.png --block 600 --plain -" << 0 << "";
        QTest::newRow("picture is a folder") << "--image ow --html old.htm" << 1 << "no such picture file";
        QTest::newRow("text not code page 932") << "--text utf8.txt --html old.htm" << 1 << "not code page 932";
        QTest::newRow("damaged grid file") << "--grid damaged.grd --save old.grd" << 1 << "cannot read the grid file";
        QTest::newRow("grid file claiming 2.5e9 cells")
            << "--grid huge.grd --save old.grd" << 1 << "cannot read the grid file";
        // The page and the text fit, the grid file does not: none of the three may land.
        QTest::newRow("full disk, last of three")
            << "--size 200x1 --html new.htm --plain new.txt --save old.grd" << 1 << "cannot write the grid file";
        QTest::newRow("output over the input through a link")
            << "--text poem-link.txt --plain ./ow/../poem.txt" << 2 << "is the --text file";
        QTest::newRow("hard link") << "--image pic.png --save hard.png" << 2 << "is the --image file";
        QTest::newRow("one new file, two spellings") << "--html ow/x --plain ow/d/../x" << 2 << "same file";
        // --save may update its own --grid file.
        QTest::newRow("update in place") << "--grid good.grd --size 3x1 --save good.grd" << 0 << "";
    }

    void hostileInput()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);

        const QMap<QString, QByteArray> before = folderSnapshot(dir_.path());
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        // A disk that fills up after 1000 bytes, which only the full disk's row reaches.
        process.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {1000, 1000};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + "/bin/glyphscape-batch", arguments.split(u' '));
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(process.exitCode() == exitCode, err);
        QVERIFY2(exitCode != 0 || err.isEmpty(), err);

        QMap<QString, QByteArray> after = folderSnapshot(dir_.path());
        if (exitCode != 0) {
            QVERIFY2(err.startsWith("glyphscape-batch: ") && err.count('\n') == 1 && err.endsWith('\n'), err);
            QVERIFY2(QString::fromLocal8Bit(err).contains(message), err);
            QVERIFY(out.isEmpty());
        } else if (arguments.contains(u"good.grd")) {
            GridSheet updated;
            QVERIFY(loadSheet(updated, pathOf(u"good.grd"_s)));
            QCOMPARE(updated.columnCount(), 3);
            QCOMPARE(updated.getCellText(1, 1), u"春"_s);
            after[u"good.grd"_s] = before[u"good.grd"_s];
        } else {
            QVERIFY2(out.startsWith("\x81\x40"), out.left(8).toHex(' ')); // the picture's blank cells
        }
        QCOMPARE(after, before);
    }
};

QTEST_GUILESS_MAIN(TestBatchHostile)
#include "tst_batchhostile.moc"
