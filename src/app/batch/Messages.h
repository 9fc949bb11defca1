// Where the batch's own messages go: a copy of standard error taken at start, so that
// standard error itself can be silenced while a library that prints there (libpng) runs,
// and a failure stays one line.
#pragma once

#include <cstdio>

// Call once before anything is silenced.
std::FILE *messageStream();

// Points standard error at /dev/null while it lives.
class SilencedStandardError {
public:
    SilencedStandardError();
    ~SilencedStandardError();
    SilencedStandardError(const SilencedStandardError &) = delete;
    SilencedStandardError &operator=(const SilencedStandardError &) = delete;

private:
    int saved_ = -1;
};
