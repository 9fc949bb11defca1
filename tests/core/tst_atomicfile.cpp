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
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// Each writer as the file wrapper calls it; the writers report codes, the wrapper wants words.
DeviceWriter writerFor(const QString &kind, const GridSheet &sheet)
{
    return [kind, &sheet](QIODevice &device, QString *error) {
        const auto reasoned = [error](bool written, const auto &failure) {
            if (!written && error)
                *error = failure.systemReason.isEmpty() ? u"out of memory"_qs : failure.systemReason;
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

    std::optional<QTemporaryDir> dir_;

private slots:
    void init() { dir_.emplace(); }

    // A small output is held back whole until the commit and a large one's last piece crosses
    // the limit; a cell text too long to build in memory fails the writer itself.
    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("fault");

        for (const char *writer : {"html", "two-thread html", "plain", "grid"})
            for (const char *fault : {"small, full disk", "large, full disk", "out of memory"})
                QTest::addRow("%s, %s", writer, fault) << writer << fault;
    }

    void failedWriteKeepsTheOldFile()
    {
        QFETCH(QString, writer);
        QFETCH(QString, fault);
        const bool large = fault.startsWith(u"large");
        if (fault == u"out of memory" && !AddressSpaceLimit::works())
            QSKIP("no address space limit under AddressSanitizer");

        GridSheet sheet(large ? 300 : 4, large ? 200 : 4);
        for (int row = 1; row <= sheet.rowCount(); ++row)
            for (int column = 1; column <= sheet.columnCount(); ++column)
                sheet.setCellText(column, row, u"春<"_qs);
        const DeviceWriter write = writerFor(writer, sheet);
        const QByteArray old(105, 'o');
        const QString path = writeTestFile(dir_->path(), QStringLiteral("poem.out"), old);
        QString error;
        bool written = true;
        if (fault == u"out of memory") {
            sheet.setCellText(1, 1, QString(60'000'000, u'春'));
            try {
                AddressSpaceLimit limit(rlim_t(64) << 20);
                written = writeFileAtomically(path, write, &error);
            } catch (const std::bad_alloc &) {
                QFAIL("the writer let a failed allocation through");
            }
            QVERIFY2(error.contains(u"memory"_qs), qPrintable(error));
        } else {
            QBuffer whole;
            QVERIFY(whole.open(QIODevice::WriteOnly));
            QVERIFY(write(whole, nullptr));
            FileSizeLimit limit(rlim_t(large ? whole.size() - 1000 : whole.size() / 2));
            written = writeFileAtomically(path, write, &error);
        }
        QVERIFY(!written);
        QVERIFY2(!error.isEmpty() && !error.contains(u"Unknown error"_qs), qPrintable(error));
        QCOMPARE(readTestFile(path), old);
        QCOMPARE(folderEntries(dir_->path()), QStringList {u"poem.out"_qs});
    }

    // The last step, putting the new file in place, can fail too: here its folder has moved.
    void failedCommitKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::newRow("editor") << false;
        QTest::newRow("command line") << true;
    }

    void failedCommitKeepsTheOldFile()
    {
        QFETCH(bool, commandLine);
        const QString folder = dir_->filePath(u"poems"_qs);
        QVERIFY(QDir().mkdir(folder));
        const QString path = writeTestFile(folder, u"poem.out"_qs, "old");
        const DeviceWriter writer = [&](QIODevice &device, QString *error) {
            return writeAll(device, "new", error) && QDir().rename(folder, folder + u"-moved"_qs);
        };
        QString error;
        OutputFileSet outputs;
        const bool done = commandLine ? outputs.write(path, writer, &error) && outputs.commit(&error)
                                      : writeFileAtomically(path, writer, &error);
        QVERIFY(!done);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readTestFile(folder + u"-moved/poem.out"_qs), QByteArray("old"));
    }

    // Devices and FIFOs are refused by the editor, written into by the command line.
    void targets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("commandLine");

        for (bool commandLine : {false, true}) {
            const char *who = commandLine ? "command line" : "editor";
            QTest::addRow("device, %s", who) << "device" << commandLine;
            QTest::addRow("FIFO, %s", who) << "fifo" << commandLine;
        }
    }

    void targets()
    {
        QFETCH(QString, target);
        QFETCH(bool, commandLine);

        const QString path = dir_->filePath(target);
        int reader = -1;
        if (target == u"device") {
            if (!makeNullDevice(path))
                QSKIP("making a device node needs root");
        } else {
            QVERIFY(makeFifo(path));
            reader = openFifoReader(path);
            QVERIFY(reader >= 0);
        }

        const DeviceWriter writer = [](QIODevice &device, QString *error) { return writeAll(device, "new", error); };
        QString error;
        OutputFileSet outputs;
        const bool done = commandLine ? outputs.write(path, writer, &error) && outputs.commit(&error)
                                      : writeFileAtomically(path, writer, &error);
        QCOMPARE(done, commandLine);
        QCOMPARE(error.isEmpty(), commandLine);
        QVERIFY(!QFileInfo(path).isFile()); // never replaced by a file
        if (reader >= 0) {
            char bytes[8] = {};
            QCOMPARE(::read(reader, bytes, sizeof bytes), ssize_t(commandLine ? 3 : 0));
            ::close(reader);
        }
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
