#include "core/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<QFile> failWith(OpenFailure *failure, OpenError error, FileKind kind, const QString &systemReason)
{
    if (failure)
        *failure = {error, kind, systemReason};
    return nullptr;
}

std::unique_ptr<QFile> systemFailure(OpenFailure *failure, const QString &reason)
{
    return failWith(failure, OpenError::System, FileKind::Special, reason);
}

FileKind kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISFIFO(mode))
        return FileKind::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileKind::Device;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    return FileKind::Special;
}

std::unique_ptr<QFile> openRegular(const QString &path, OpenFailure *failure)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer before fstat could look.
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return systemFailure(failure, qt_error_string(errno));
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        const int saved = errno;
        ::close(fd);
        return systemFailure(failure, qt_error_string(saved));
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return failWith(failure, OpenError::NotRegularFile, kindOf(status.st_mode), QString());
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int saved = errno;
        ::close(fd);
        return systemFailure(failure, qt_error_string(saved));
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return systemFailure(failure, file->errorString());
    }
    return file;
}

} // namespace

std::unique_ptr<QFile> openForReading(const QString &path, FileKinds kinds, OpenFailure *failure)
{
    if (kinds == FileKinds::RegularOnly)
        return openRegular(path, failure);
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return systemFailure(failure, file->errorString());
    return file;
}
