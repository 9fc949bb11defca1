#include "support/logic/FilledPipe.h"

#include <unistd.h>

FilledPipe::FilledPipe(const QByteArray &bytes)
{
    if (::pipe(fds_) != 0)
        return;
    ok_ = ::write(fds_[1], bytes.constData(), size_t(bytes.size())) == bytes.size(); // within the pipe's buffer
    ::close(fds_[1]);
}

FilledPipe::~FilledPipe()
{
    if (fds_[0] >= 0)
        ::close(fds_[0]);
}

QString FilledPipe::path() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(fds_[0]);
}
