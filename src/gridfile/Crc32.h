// CRC-32 as in zlib, PNG and Ethernet (reflected polynomial 0xEDB88320), computed eight
// bytes at a time so that checking a large grid file costs little next to reading it.
#pragma once

#include <QtGlobal>

class Crc32 {
public:
    void update(const char *data, qsizetype size);
    quint32 value() const { return ~state_; }

    static quint32 of(const char *data, qsizetype size)
    {
        Crc32 crc;
        crc.update(data, size);
        return crc.value();
    }

private:
    quint32 state_ = 0xFFFFFFFFu;
};
