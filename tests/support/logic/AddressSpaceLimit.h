// Makes large allocations fail while it lives, as a machine out of memory would: the
// address space is held to what the process uses now plus a margin.
#pragma once

#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t marginBytes)
    {
        getrlimit(RLIMIT_AS, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = currentSize() + marginBytes;
        setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &saved_); }
    AddressSpaceLimit(const AddressSpaceLimit &) = delete;
    AddressSpaceLimit &operator=(const AddressSpaceLimit &) = delete;

    // AddressSanitizer reserves terabytes of address space up front: no limit works under it.
    static constexpr bool works()
    {
#if defined(__SANITIZE_ADDRESS__)
        return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
        return false;
#else
        return true;
#endif
#else
        return true;
#endif
    }

private:
    static rlim_t currentSize()
    {
        QFile status(QStringLiteral("/proc/self/statm"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        return rlim_t(status.readAll().split(' ').value(0).toULongLong()) * rlim_t(sysconf(_SC_PAGESIZE));
    }

    rlimit saved_ {};
};
