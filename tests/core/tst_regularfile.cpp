// Opening for reading: the editor's regular files only (a FIFO refused without waiting), the batch's any stream.
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
    void initTestCase() { QVERIFY(makeFifo(fifo_)); }

    void opening_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<FileKinds>("kinds");
        QTest::addColumn<OpenError>("error");

        const FileKinds regular = FileKinds::RegularOnly;
        const OpenError none = OpenError::None;
        const OpenError refused = OpenError::NotRegularFile;
        QTest::newRow("regular file") << poem_ << regular << none;
        QTest::newRow("fifo") << fifo_ << regular << refused;
        QTest::newRow("character device") << QStringLiteral("/dev/null") << regular << refused;
        QTest::newRow("missing") << dir_.filePath(QStringLiteral("none.txt")) << regular << OpenError::System;
        QTest::newRow("any: character device") << QStringLiteral("/dev/null") << FileKinds::AnyReadable << none;
    }

    void opening()
    {
        QFETCH(QString, path);
        QFETCH(FileKinds, kinds);
        QFETCH(OpenError, error);

        OpenFailure failure;
        const std::unique_ptr<QFile> file = openForReading(path, kinds, &failure);
        QCOMPARE(bool(file), error == OpenError::None);
        QCOMPARE(failure.error, error);
        QCOMPARE(failure.systemReason.isEmpty(), error != OpenError::System);
        if (file) {
            QCOMPARE(file->read(6), kinds == FileKinds::AnyReadable ? QByteArray() : QByteArray("spring"));
            // Opened without waiting for a FIFO's writer, it must block again for its readers.
            QCOMPARE(::fcntl(file->handle(), F_GETFL) & O_NONBLOCK, 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
