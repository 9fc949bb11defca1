// Opening for reading: the editor's regular files only, refused kinds named at once (a FIFO
// without a writer must not block), and the batch's any readable stream.
#include "core/RegularFile.h"
#include "support/logic/SheetBuilder.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>

class TestRegularFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString poem_ = writeTestFile(dir_.path(), QStringLiteral("poem.txt"), "spring");
    QString fifo_ = dir_.filePath(QStringLiteral("fifo"));

private slots:
    void initTestCase()
    {
        QVERIFY(makeFifo(fifo_));
        QVERIFY(QFile::link(poem_, dir_.filePath(QStringLiteral("link.txt"))));
    }

    void opening_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<FileKinds>("kinds");
        QTest::addColumn<QByteArray>("content"); // what reads back when opened
        QTest::addColumn<OpenError>("error");
        QTest::addColumn<FileKind>("kind"); // of a refused path
        QTest::addColumn<QString>("reason"); // a part of the system's reason

        const FileKinds regular = FileKinds::RegularOnly, any = FileKinds::AnyReadable;
        const OpenError none = OpenError::None, refused = OpenError::NotRegularFile, system = OpenError::System;
        const FileKind special = FileKind::Special;
        const QString missing = dir_.filePath(QStringLiteral("none.txt"));
        QTest::newRow("regular file") << poem_ << regular << QByteArray("spring") << none << special << QString();
        QTest::newRow("link to a regular file") << dir_.filePath(QStringLiteral("link.txt")) << regular
                                                << QByteArray("spring") << none << special << QString();
        QTest::newRow("fifo") << fifo_ << regular << QByteArray() << refused << FileKind::Fifo << QString();
        QTest::newRow("character device")
            << QStringLiteral("/dev/null") << regular << QByteArray() << refused << FileKind::Device << QString();
        QTest::newRow("folder") << dir_.path() << regular << QByteArray() << refused << FileKind::Folder << QString();
        QTest::newRow("missing") << missing << regular << QByteArray() << system << special
                                 << QStringLiteral("No such file");
        QTest::newRow("any: character device")
            << QStringLiteral("/dev/null") << any << QByteArray() << none << special << QString();
        QTest::newRow("any: folder") << dir_.path() << any << QByteArray() << system << special
                                     << QStringLiteral("directory");
    }

    void opening()
    {
        QFETCH(QString, path);
        QFETCH(FileKinds, kinds);
        QFETCH(QByteArray, content);
        QFETCH(OpenError, error);
        QFETCH(FileKind, kind);
        QFETCH(QString, reason);

        OpenFailure failure;
        const std::unique_ptr<QFile> file = openForReading(path, kinds, &failure);
        QCOMPARE(bool(file), error == OpenError::None);
        QCOMPARE(failure.error, error);
        QCOMPARE(failure.kind, kind);
        QVERIFY2(failure.systemReason.contains(reason), qPrintable(failure.systemReason));
        QCOMPARE(failure.systemReason.isEmpty(), reason.isEmpty());
        if (file) {
            QVERIFY(file->isReadable());
            QCOMPARE(file->readAll(), content);
            // Opened without waiting for a FIFO's writer, it must block again for its readers.
            QCOMPARE(::fcntl(file->handle(), F_GETFL) & O_NONBLOCK, 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
