#include "Messages.h"

#include <fcntl.h>
#include <unistd.h>

std::FILE *messageStream()
{
    static std::FILE *stream = [] {
        const int copy = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        std::FILE *opened = copy >= 0 ? ::fdopen(copy, "w") : nullptr;
        return opened ? opened : stderr;
    }();
    return stream;
}

SilencedStandardError::SilencedStandardError()
{
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0)
        return;
    saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (saved_ >= 0)
        ::dup2(null, STDERR_FILENO);
    ::close(null);
}

SilencedStandardError::~SilencedStandardError()
{
    if (saved_ < 0)
        return;
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
}
