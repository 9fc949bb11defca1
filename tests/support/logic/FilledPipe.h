// A pipe as a path, for readers that must take what is not a regular file.
#pragma once

#include <QByteArray>
#include <QString>

// A pipe holding bytes with its write end closed, named by a path as /dev/stdin names one.
class FilledPipe {
public:
    explicit FilledPipe(const QByteArray &bytes);
    ~FilledPipe();
    FilledPipe(const FilledPipe &) = delete;
    FilledPipe &operator=(const FilledPipe &) = delete;

    bool ok() const { return ok_; }
    QString path() const;

private:
    int fds_[2] = {-1, -1};
    bool ok_ = false;
};
