#include "core/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<QFile> fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return nullptr;
}

QString kindName(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("フォルダ");
    if (S_ISFIFO(mode))
        return QStringLiteral("名前付きパイプ (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("デバイス");
    if (S_ISSOCK(mode))
        return QStringLiteral("ソケット");
    return QStringLiteral("特殊なファイル");
}

std::unique_ptr<QFile> openRegular(const QString& path, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer before fstat could look.
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fail(error, qt_error_string(errno));
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        const int saved = errno;
        ::close(fd);
        return fail(error, qt_error_string(saved));
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return fail(
            error, QStringLiteral("通常のファイルではないため読み込めません (%1)").arg(kindName(status.st_mode)));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int saved = errno;
        ::close(fd);
        return fail(error, qt_error_string(saved));
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(error, file->errorString());
    }
    return file;
}

} // namespace

std::unique_ptr<QFile> openForReading(const QString& path, FileKinds kinds, QString* error)
{
    if (kinds == FileKinds::RegularOnly)
        return openRegular(path, error);
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return fail(error, file->errorString());
    return file;
}
