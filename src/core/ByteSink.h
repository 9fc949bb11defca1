// A growable byte buffer for the writers' hot loops: raw appends with one capacity check
// per piece, flushed to a device in large chunks.
#pragma once

#include "core/AtomicFile.h"

#include <QByteArray>
#include <QIODevice>

#include <cstring>

class ByteSink {
public:
    explicit ByteSink(qsizetype flushSize = qsizetype(1) << 20)
        : flushSize_(flushSize)
    {
        buffer_.resize(flushSize_ + (flushSize_ >> 1));
    }

    // Room for at least extra more bytes.
    void ensure(qsizetype extra)
    {
        if (size_ + extra > buffer_.size())
            buffer_.resize(std::max(buffer_.size() * 2, size_ + extra));
    }
    char *at(qsizetype position) { return buffer_.data() + position; }
    qsizetype size() const { return size_; }
    void truncate(qsizetype size) { size_ = size; }

    // Callers ensure() first.
    void put(char byte) { buffer_.data()[size_++] = byte; }
    void put(const char *bytes, qsizetype count)
    {
        std::memcpy(buffer_.data() + size_, bytes, size_t(count));
        size_ += count;
    }
    template <qsizetype N> void putLiteral(const char (&text)[N]) { put(text, N - 1); }

    // Writes the buffer out once it holds flushSize bytes.
    bool flushIfFull(QIODevice &device, QString *error) { return size_ < flushSize_ || flush(device, error); }
    bool flush(QIODevice &device, QString *error)
    {
        const bool written = writeAll(device, QByteArrayView(buffer_.constData(), size_), error);
        size_ = 0;
        return written;
    }

private:
    QByteArray buffer_;
    qsizetype size_ = 0;
    qsizetype flushSize_;
};
