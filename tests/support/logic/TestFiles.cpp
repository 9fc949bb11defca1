#include "support/logic/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

QString writeTestFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        QTest::qFail(qPrintable(QStringLiteral("cannot write the test file %1").arg(path)), __FILE__, __LINE__);
    return path;
}

QByteArray readTestFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray hexBytes(const QByteArray &bytes)
{
    return bytes.toHex(' ').toUpper();
}

QStringList folderEntries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QMap<QString, QByteArray> folderSnapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(
        dir, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        QByteArray content = "[" + QByteArray::number(uint(entry.isFile() ? 1 : entry.isDir() ? 2 : 3)) + "]";
        QFile file(entry.filePath());
        if (entry.isFile() && !entry.isSymLink() && file.open(QIODevice::ReadOnly))
            content += file.readAll();
        files.insert(QDir(dir).relativeFilePath(entry.filePath()), content);
    }
    return files;
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

int openFifoReader(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
}

bool makeNullDevice(const QString &path)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}
