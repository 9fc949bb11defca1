#include "core/AtomicFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// The kind of file at path, following symbolic links; 0 when nothing is there.
mode_t fileType(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & S_IFMT;
}

bool writeIntoStream(const QString &path, const DeviceWriter &writer, QString *error)
{
    int descriptor = STDOUT_FILENO;
    if (path != u"-") {
        // No O_CREAT and no O_TRUNC: the path is a device or a FIFO, never made or cut here.
        do
            descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0) {
            setError(error, systemError(errno));
            return false;
        }
    }
    QFile stream;
    const QFileDevice::FileHandleFlags handle
        = descriptor == STDOUT_FILENO ? QFileDevice::DontCloseHandle : QFileDevice::AutoCloseHandle;
    if (!stream.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered, handle)) {
        setError(error, stream.errorString());
        if (handle == QFileDevice::AutoCloseHandle)
            ::close(descriptor);
        return false;
    }
    QString writerError;
    if (!writer(stream, &writerError)) {
        setError(error, writerError.isEmpty() ? stream.errorString() : writerError);
        return false;
    }
    return true;
}

// Writes path's replacement into a temporary file, left open and uncommitted; null on failure.
std::unique_ptr<QSaveFile> writeReplacement(const QString &path, const DeviceWriter &writer, QString *error)
{
    switch (fileType(path)) {
    case 0:
    case S_IFREG: break;
    case S_IFDIR: setError(error, QStringLiteral("It is a folder.")); return nullptr;
    default: setError(error, QStringLiteral("It is not a regular file (a device or a FIFO).")); return nullptr;
    }
    auto file = std::make_unique<QSaveFile>(path);
    // Unbuffered: QSaveFile would otherwise keep up to 16 KiB of every output and commit()
    // would replace the old file even when writing that tail failed.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(error, file->errorString());
        return nullptr;
    }
    QString writerError;
    if (!writer(*file, &writerError)) {
        // The reason was taken at the failing write; afterwards the file forgets it.
        setError(error, writerError.isEmpty() ? file->errorString() : writerError);
        file->cancelWriting();
        return nullptr;
    }
    return file;
}

} // namespace

bool writeFileAtomically(const QString &path, const DeviceWriter &writer, QString *error)
{
    const std::unique_ptr<QSaveFile> file = writeReplacement(path, writer, error);
    if (!file)
        return false;
    if (!file->commit()) {
        setError(error, file->errorString());
        return false;
    }
    return true;
}

OutputFileSet::OutputFileSet() = default;
OutputFileSet::~OutputFileSet() = default;

bool OutputFileSet::write(const QString &path, const DeviceWriter &writer, QString *error)
{
    if (isStreamOutput(path))
        return writeIntoStream(path, writer, error);
    std::unique_ptr<QSaveFile> file = writeReplacement(path, writer, error);
    if (!file)
        return false;
    pending_.push_back(std::move(file));
    return true;
}

bool OutputFileSet::commit(QString *error, QString *failedPath)
{
    for (const std::unique_ptr<QSaveFile> &file : pending_) {
        if (!file->commit()) {
            setError(error, file->errorString());
            setError(failedPath, file->fileName());
            return false;
        }
    }
    pending_.clear();
    return true;
}

bool isStreamOutput(const QString &path)
{
    if (path == u"-")
        return true;
    const mode_t type = fileType(path);
    return type != 0 && type != S_IFREG && type != S_IFDIR;
}

bool writeAll(QIODevice &device, QByteArrayView data, QString *error)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const qint64 written = device.write(data.data() + done, data.size() - done);
        if (written <= 0) {
            setError(error, device.errorString());
            return false;
        }
        done += written;
    }
    return true;
}
