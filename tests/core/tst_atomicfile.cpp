// Files are written whole or not at all, whatever the writer and however the disk fails;
// devices and FIFOs are written into, never replaced.
#include "core/AtomicFile.h"
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "support/logic/AddressSpaceLimit.h"
#include "support/logic/FileSizeLimit.h"
#include "support/logic/TestFiles.h"
#include "text/PlainTextExport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t fileType(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// A sheet of columns × rows cells with varied texts and colours.
std::unique_ptr<GridSheet> variedSheet(int columns, int rows)
{
    auto sheet = std::make_unique<GridSheet>(columns, rows);
    const QString texts[] = {u"春"_qs, u"ab"_qs, u"<"_qs, QString(), u"é"_qs};
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            sheet->setCellText(column, row, texts[(column + row) % 5]);
            sheet->setCellColors(column, row, Color(column * 40503 + row * 977) & 0xFFFFFF, kBlack);
        }
    }
    return sheet;
}

// Each writer as the file wrapper calls it; the writers report codes, the wrapper wants words.
DeviceWriter writerFor(const QString &kind, const GridSheet &sheet)
{
    return [kind, &sheet](QIODevice &device, QString *error) {
        const auto reasoned = [error](bool written, const auto &failure) {
            if (!written && error) {
                *error = failure.systemReason.isEmpty()
                    ? QStringLiteral("out of memory (code %1)").arg(int(failure.error))
                    : failure.systemReason;
            }
            return written;
        };
        if (kind.endsWith(u"html")) {
            HtmlPageFailure failure;
            return reasoned(kind == u"html" ? writeHtmlPage(device, sheet, HtmlPageSettings {}, &failure)
                                            : writeHtmlPageOnTwoThreads(device, sheet, HtmlPageSettings {}, &failure),
                failure);
        }
        if (kind == u"plain") {
            PlainTextFailure failure;
            return reasoned(writePlainText(device, sheet, &failure), failure);
        }
        GridFileFailure failure;
        return reasoned(writeGridFile(device, sheet, &failure), failure);
    };
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString pathOf(const QString &name) const { return dir_.filePath(name); }

private slots:
    void init()
    {
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir_.path()));
    }

    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("small");

        // A small output is held back whole until the end; a large one's last piece crosses the limit.
        for (const char *writer : {"html", "two-thread html", "plain", "grid"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, small").arg(writer))) << writer << 4 << 4 << true;
            QTest::newRow(qPrintable(QStringLiteral("%1, large").arg(writer))) << writer << 300 << 200 << false;
        }
    }

    void fullDiskKeepsTheOldFile()
    {
        QFETCH(QString, writer);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(bool, small);

        const auto sheet = variedSheet(columns, rows);
        const DeviceWriter write = writerFor(writer, *sheet);
        QBuffer whole;
        QVERIFY(whole.open(QIODevice::WriteOnly));
        QVERIFY(write(whole, nullptr));
        const qsizetype size = whole.data().size();
        QVERIFY2(small ? size < 4096 : size >= 20000, QByteArray::number(size));

        const QByteArray old(105, 'o');
        const QString path = writeTestFile(dir_.path(), QStringLiteral("poem.out"), old);
        QString error;
        bool written = true;
        {
            FileSizeLimit limit(rlim_t(small ? size / 2 : size - 1000));
            written = writeFileAtomically(path, write, &error);
        }
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QVERIFY2(!error.contains(u"Unknown error"_qs), qPrintable(error));
        QCOMPARE(readTestFile(path), old);
        QCOMPARE(folderEntries(dir_.path()), QStringList {u"poem.out"_qs});
    }

    // A cell text too long to build its output in memory fails the write with a reason.
    void outOfMemoryFailsTheWrite_data()
    {
        QTest::addColumn<QString>("writer");

        for (const char *writer : {"html", "two-thread html", "plain", "grid"})
            QTest::newRow(writer) << writer;
    }

    void outOfMemoryFailsTheWrite()
    {
        QFETCH(QString, writer);
        if (!AddressSpaceLimit::works())
            QSKIP("no address space limit under AddressSanitizer");

        GridSheet sheet(2, 1);
        sheet.setCellText(1, 1, QString(60'000'000, u'春'));
        const DeviceWriter write = writerFor(writer, sheet);
        const QString path = writeTestFile(dir_.path(), QStringLiteral("poem.out"), "old");
        QString error;
        bool written = true;
        try {
            AddressSpaceLimit limit(rlim_t(64) << 20);
            written = writeFileAtomically(path, write, &error);
        } catch (const std::bad_alloc &) {
            QFAIL("the writer let a failed allocation through");
        }
        QVERIFY(!written);
        QVERIFY2(error.contains(u"memory"_qs), qPrintable(error));
        QCOMPARE(readTestFile(path), QByteArray("old"));
    }

    // Which existing paths are replaced, which written into, which refused.
    void targets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<bool>("written");

        QTest::newRow("link to a file") << "link" << true << true;
        QTest::newRow("folder") << "folder" << true << false;
        QTest::newRow("missing folder") << "missing" << false << false;
        for (bool commandLine : {false, true}) {
            const char *who = commandLine ? "command line" : "editor";
            QTest::addRow("device, %s", who) << "device" << commandLine << commandLine;
            QTest::addRow("FIFO, %s", who) << "fifo" << commandLine << commandLine;
        }
    }

    void targets()
    {
        QFETCH(QString, target);
        QFETCH(bool, commandLine);
        QFETCH(bool, written);

        QString path = pathOf(target);
        int reader = -1;
        if (target == u"link") {
            writeTestFile(dir_.path(), QStringLiteral("file"), "old");
            QVERIFY(QFile::link(QStringLiteral("file"), path));
        } else if (target == u"device") {
            if (!makeNullDevice(path))
                QSKIP("making a device node needs root");
        } else if (target == u"fifo") {
            QVERIFY(makeFifo(path));
            reader = openFifoReader(path);
            QVERIFY(reader >= 0);
        } else if (target == u"folder") {
            QVERIFY(QDir(dir_.path()).mkdir(target));
        } else if (target == u"missing") {
            path = pathOf(QStringLiteral("missing/out"));
        }
        const mode_t typeBefore = fileType(path);

        const DeviceWriter writer = [](QIODevice &device, QString *error) { return writeAll(device, "new", error); };
        QString error;
        OutputFileSet outputs;
        const bool done = commandLine ? outputs.write(path, writer, &error) && outputs.commit(&error)
                                      : writeFileAtomically(path, writer, &error);
        QCOMPARE(done, written);
        QCOMPARE(error.isEmpty(), written);
        if (typeBefore != 0)
            QCOMPARE(fileType(path), typeBefore);
        if (target == u"link")
            QCOMPARE(readTestFile(pathOf(QStringLiteral("file"))), QByteArray("new"));
        if (reader >= 0) {
            char bytes[8] = {};
            QCOMPARE(::read(reader, bytes, sizeof bytes), ssize_t(written ? 3 : 0));
            ::close(reader);
        }
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
