// Files are written whole or not at all.
#include "core/AtomicFile.h"
#include "support/logic/SheetBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void failedWriterLeavesOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.htm"));
        WriteTestFile(dir.path(), QStringLiteral("page.htm"), "old content");

        QString error;
        const bool written = WriteFileAtomically(
            path, [](QIODevice &device, QString *writeError) {
                device.write("partial");
                *writeError = QStringLiteral("stopped");
                return false;
            },
            &error);
        QVERIFY(!written);
        QCOMPARE(error, QStringLiteral("stopped"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old content"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("page.htm")});
    }

    void unopenablePathIsReported()
    {
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath(QStringLiteral("file"));
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QString error;
        QVERIFY(!WriteFileAtomically(notAFolder + QStringLiteral("/out.htm"),
                                     [](QIODevice &, QString *) { return true; }, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
