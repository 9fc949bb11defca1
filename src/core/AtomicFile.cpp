#include "core/AtomicFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString SystemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// The kind of file at path, following symbolic links; 0 when nothing is there.
mode_t FileType(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & S_IFMT;
}

bool WriteIntoStream(const QString &path, const DeviceWriter &writer, QString *error)
{
    int descriptor = STDOUT_FILENO;
    if (path != u"-") {
        // No O_CREAT and no O_TRUNC: the path is a device or a FIFO, never made or cut here.
        do
            descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0) {
            SetError(error, SystemError(errno));
            return false;
        }
    }
    QFile stream;
    const QFileDevice::FileHandleFlags handle
        = descriptor == STDOUT_FILENO ? QFileDevice::DontCloseHandle : QFileDevice::AutoCloseHandle;
    if (!stream.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered, handle)) {
        SetError(error, stream.errorString());
        if (handle == QFileDevice::AutoCloseHandle)
            ::close(descriptor);
        return false;
    }
    QString writerError;
    if (!writer(stream, &writerError)) {
        SetError(error, writerError.isEmpty() ? stream.errorString() : writerError);
        return false;
    }
    return true;
}

// Writes path's replacement into a temporary file, left open and uncommitted; null on failure.
std::unique_ptr<QSaveFile> WriteReplacement(const QString &path, const DeviceWriter &writer, QString *error)
{
    switch (FileType(path)) {
    case 0:
    case S_IFREG:
        break;
    case S_IFDIR:
        SetError(error, QStringLiteral("It is a folder."));
        return nullptr;
    default:
        SetError(error, QStringLiteral("It is not a regular file (a device or a FIFO)."));
        return nullptr;
    }
    auto file = std::make_unique<QSaveFile>(path);
    // Unbuffered: QSaveFile would otherwise keep up to 16 KiB of every output and commit()
    // would replace the old file even when writing that tail failed.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        SetError(error, file->errorString());
        return nullptr;
    }
    QString writerError;
    if (!writer(*file, &writerError)) {
        // The reason was taken at the failing write; afterwards the file forgets it.
        SetError(error, writerError.isEmpty() ? file->errorString() : writerError);
        file->cancelWriting();
        return nullptr;
    }
    return file;
}

} // namespace

bool WriteFileAtomically(const QString &path, const DeviceWriter &writer, QString *error)
{
    const std::unique_ptr<QSaveFile> file = WriteReplacement(path, writer, error);
    if (!file)
        return false;
    if (!file->commit()) {
        SetError(error, file->errorString());
        return false;
    }
    return true;
}

bool WriteOutputFile(const QString &path, const DeviceWriter &writer, QString *error)
{
    if (IsStreamOutput(path))
        return WriteIntoStream(path, writer, error);
    return WriteFileAtomically(path, writer, error);
}

OutputFileSet::OutputFileSet() = default;
OutputFileSet::~OutputFileSet() = default;

bool OutputFileSet::Write(const QString &path, const DeviceWriter &writer, QString *error)
{
    if (IsStreamOutput(path))
        return WriteIntoStream(path, writer, error);
    std::unique_ptr<QSaveFile> file = WriteReplacement(path, writer, error);
    if (!file)
        return false;
    pending_.push_back(std::move(file));
    return true;
}

bool OutputFileSet::Commit(QString *error, QString *failedPath)
{
    for (const std::unique_ptr<QSaveFile> &file : pending_) {
        if (!file->commit()) {
            SetError(error, file->errorString());
            SetError(failedPath, file->fileName());
            return false;
        }
    }
    pending_.clear();
    return true;
}

bool IsStreamOutput(const QString &path)
{
    if (path == u"-")
        return true;
    const mode_t type = FileType(path);
    return type != 0 && type != S_IFREG && type != S_IFDIR;
}

bool WriteAll(QIODevice &device, QByteArrayView data, QString *error)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const qint64 written = device.write(data.data() + done, data.size() - done);
        if (written <= 0) {
            SetError(error, device.errorString());
            return false;
        }
        done += written;
    }
    return true;
}
